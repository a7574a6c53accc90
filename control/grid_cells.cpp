#include "control/grid_cells.h"

#include <algorithm>

#include "front/change_mark.h"
#include "front/field_rules.h"
#include "fuel/status_text.h"
#include "lang/format.h"
#include "lang/tr.h"

namespace quelt::control {
namespace {

const FuelRow* ShownRow(const FuelTable& table, int row) {
  if (row < 0 || row >= table.RowCount()) return nullptr;
  if (row == table.CurrentIndex() && table.GetState() == FuelTable::State::Editing) {
    return &table.Current();
  }
  return &table.Row(row);
}

bool IsColumn(int column) { return column >= 0 && column < kFuelFieldCount; }

}  // namespace

GridCells::GridCells(WindowController& controller, char32_t separator)
    : controller_(controller), separator_(separator) {}

FuelField GridCells::FieldOf(int column) { return static_cast<FuelField>(column); }

std::string GridCells::Text(int row, int column) const {
  const FuelRow* shown = ShownRow(controller_.ShownTable(), row);
  if (shown == nullptr || !IsColumn(column)) return {};
  const std::string text = front::FieldDisplayText(*shown, FieldOf(column), separator_);
  return Changed(row, column) ? front::ChangedCellText(text) : text;
}

bool GridCells::Changed(int row, int column) const {
  return IsColumn(column) && controller_.CellChanged(row, FieldOf(column));
}

front::CellLook GridCells::Look(int row, int column) const {
  const FuelRow* shown = ShownRow(controller_.ShownTable(), row);
  return shown == nullptr ? front::CellLook{} : front::LookOf(*shown, Changed(row, column));
}

front::CellLook GridCells::RowLook(int row) const { return Look(row, -1); }

std::string GridCells::Note(int row) const {
  const FuelRow* shown = ShownRow(controller_.ShownTable(), row);
  const std::string note = shown == nullptr ? std::string() : RowMarkNote(*shown);
  if (note.empty()) return {};
  // TRANSLATORS: a cell's note in the grid's tool tip; {1} is the row's number.
  return lang::Format(lang::Tr("Row {1}: {2}"), row + 1, note);
}

int GridCells::Needed(int column, const std::function<int(const std::string&, bool)>& width) const {
  if (!IsColumn(column)) return 0;
  int needed = width(InfoOf(FieldOf(column)).gridTitle, false);
  for (int row = 0; row < controller_.ShownTable().RowCount(); ++row) {
    needed = std::max(needed, width(Text(row, column), Changed(row, column)));
  }
  return needed;
}

bool GridCells::Pick(int row) { return controller_.PickRow(row); }

std::optional<Command> GridCells::DoubleClicked(int row) {
  if (row < 0 || row >= controller_.ShownTable().RowCount() || !Pick(row)) return std::nullopt;
  return Command::Edit;
}

}  // namespace quelt::control
