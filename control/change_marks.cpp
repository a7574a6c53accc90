#include "control/change_marks.h"

#include <algorithm>

#include "fuel/table_state.h"
#include "lang/format.h"
#include "lang/tr.h"

namespace quelt::control {
namespace {

// Field `index` of a wire text ("" past its end).
std::string_view FieldOf(std::string_view text, int index) {
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) {
    const std::size_t semi = text.find(';', start);
    if (semi == std::string_view::npos) return {};
    start = semi + 1;
  }
  const std::size_t end = text.find(';', start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The row the grid shows at `row`: the edit buffer while it is being edited.
const FuelRow& Shown(const FuelTable& table, int row) {
  if (row == table.CurrentIndex() && table.GetState() == FuelTable::State::Edit) {
    return table.Current();
  }
  return table.Row(row);
}

}  // namespace

bool CellChanged(const std::vector<std::string>& reported, const FuelTable& table, int row,
                 FuelField field) {
  // N is the position a send gives the row: never a change of its own.
  if (row < 0 || row >= table.RecordCount() || field == FuelField::N) return false;
  if (row >= static_cast<int>(reported.size())) return true;
  const std::string now = WriteFuelRowText(Shown(table, row), row + 1);
  const int index = static_cast<int>(field);
  return FieldOf(now, index) != FieldOf(reported[static_cast<std::size_t>(row)], index);
}

int RowsChanging(const std::vector<std::string>& reported, const FuelTable& table) {
  const std::vector<std::string> now = WireTexts(table);
  int rows = 0;
  for (std::size_t i = 0; i < std::max(now.size(), reported.size()); ++i) {
    if (i >= now.size() || i >= reported.size() || now[i] != reported[i]) ++rows;
  }
  return rows;
}

std::string ChangesText(int rows) {
  if (rows <= 0) return {};
  return rows == 1 ? lang::Tr("1 row changes") : lang::Format(lang::Tr("{1} rows change"), rows);
}

}  // namespace quelt::control
