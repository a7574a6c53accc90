#include "control/change_marks.h"

#include "lang/format.h"
#include "lang/tr.h"

namespace quelt::control {
namespace {

// The rows the grid shows: the edit buffer where a row is being edited.
std::vector<FuelRow> GridRows(const FuelTable& table) {
  std::vector<FuelRow> rows = table.Rows();
  if (table.GetState() == FuelTable::State::Editing && table.CurrentIndex() >= 0) {
    rows[static_cast<std::size_t>(table.CurrentIndex())] = table.Current();
  }
  return rows;
}

}  // namespace

void ChangeMarks::SetStored(std::vector<FuelRow> stored, const ReadNaming& naming) {
  stored_ = std::move(stored);
  naming_ = naming;
  known_ = true;
  matched_ = false;
}

void ChangeMarks::Forget() {
  stored_.clear();
  known_ = false;
  matched_ = false;
}

void ChangeMarks::Match(const FuelTable& table) const {
  std::vector<FuelRow> grid = GridRows(table);
  if (matched_ && grid == grid_ && table.CurrentIndex() == current_) return;
  grid_ = std::move(grid);
  current_ = table.CurrentIndex();
  held_ = SetAsideReadAdditions(grid_, stored_, naming_);
  heldRow_.assign(grid_.size(), -1);
  for (std::size_t i = 0; i < held_.tableRow.size(); ++i) {
    heldRow_[static_cast<std::size_t>(held_.tableRow[i])] = static_cast<int>(i);
  }
  // The current row is the one a move carried.
  const int moving =
      current_ >= 0 && current_ < static_cast<int>(heldRow_.size()) ? heldRow_[current_] : -1;
  match_ = MatchRows(stored_, held_.rows, moving);
  matched_ = true;
}

bool ChangeMarks::CellChanged(const FuelTable& table, int row, FuelField field) const {
  if (!known_ || row < 0 || row >= table.RowCount()) return false;
  Match(table);
  const int held = heldRow_[static_cast<std::size_t>(row)];
  if (held < 0) return false;
  const auto j = static_cast<std::size_t>(held);
  return CellDiffers(match_, stored_, held_.rows[j], j, field);
}

int ChangeMarks::RowsChanging(const FuelTable& table) const {
  if (!known_) return 0;
  Match(table);
  return match_.Changing();
}

bool ChangeMarks::ShowsAddedHRow(const FuelTable& table) const {
  if (!known_) return false;
  Match(table);
  return held_.addedHRow >= 0;
}

std::vector<std::string> ChangeMarks::ReadAdditions(const FuelTable& table) const {
  if (!known_) return {};
  Match(table);
  return held_.notes;
}

std::string ChangesText(int rows) {
  if (rows <= 0) return {};
  return rows == 1 ? lang::Tr("1 row changes") : lang::Format(lang::Tr("{1} rows change"), rows);
}

}  // namespace quelt::control
