// Undo and redo of the table's changes: edits, moves, deletes, added and
// duplicated rows, loads. Each step keeps the whole table as it was (at most
// 30-odd rows, so a copy is cheap and restores exactly), the current row and
// whether the table came from a file. A Refresh or a successful Send starts
// a new history: what the analyser holds is the new starting point.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "fuel/fuel_table.h"

namespace quelt::control {

struct TableSnapshot {
  std::vector<FuelRow> rows;
  int current = -1;
  bool fromFile = false;  // loaded and not sent since
  friend bool operator==(const TableSnapshot&, const TableSnapshot&) = default;
};

TableSnapshot SnapshotOf(const FuelTable& table, bool fromFile);
// The table holds `snapshot`'s rows with its current row; one Reset goes out.
void Restore(FuelTable& table, const TableSnapshot& snapshot);

class UndoHistory {
 public:
  static constexpr std::size_t kDepth = 100;

  void Clear();
  // `before` is the table before a change: a new undo step; redo is gone.
  void Record(TableSnapshot before);
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // The table to go back (forward) to; `now` becomes the step the other
  // way. Nothing when there is no step.
  std::optional<TableSnapshot> Undo(TableSnapshot now);
  std::optional<TableSnapshot> Redo(TableSnapshot now);

 private:
  std::vector<TableSnapshot> undo_, redo_;
};

}  // namespace quelt::control
