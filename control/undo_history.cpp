#include "control/undo_history.h"

namespace quelt::control {

TableSnapshot SnapshotOf(const FuelTable& table, bool fromFile) {
  return {table.Rows(), table.CurrentIndex(), fromFile};
}

void Restore(FuelTable& table, const TableSnapshot& snapshot) {
  table.HoldNotifications();
  table.Clear();
  for (const FuelRow& row : snapshot.rows) table.AppendRow(row);
  if (!snapshot.rows.empty()) {
    table.MoveToFirst();
    table.MoveTo(snapshot.current < 0 ? 0 : snapshot.current);
  }
  table.ReleaseNotifications();
}

void UndoHistory::Clear() {
  undo_.clear();
  redo_.clear();
}

void UndoHistory::Record(TableSnapshot before) {
  if (undo_.size() == kDepth) undo_.erase(undo_.begin());
  undo_.push_back(std::move(before));
  redo_.clear();
}

std::optional<TableSnapshot> UndoHistory::Undo(TableSnapshot now) {
  if (undo_.empty()) return std::nullopt;
  TableSnapshot back = std::move(undo_.back());
  undo_.pop_back();
  redo_.push_back(std::move(now));
  return back;
}

std::optional<TableSnapshot> UndoHistory::Redo(TableSnapshot now) {
  if (redo_.empty()) return std::nullopt;
  TableSnapshot forward = std::move(redo_.back());
  redo_.pop_back();
  undo_.push_back(std::move(now));
  return forward;
}

}  // namespace quelt::control
