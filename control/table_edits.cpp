#include "control/table_edits.h"

#include "control/editor_flow.h"

namespace quelt::control {

void TableEdits::Change(Command command) {
  FuelTable& table = state_.table;
  const TableSnapshot before = SnapshotOf(table, state_.unsent.FromFile());
  switch (command) {
    case Command::MoveUp:
      state_.ops.MoveUp();
      break;
    case Command::MoveDown:
      state_.ops.MoveDown();
      break;
    case Command::Edit:
      // The editor runs a loop of its own: no wait for the analyser inside it.
      EditCurrentRow();
      break;
    case Command::Delete:
      Delete();
      break;
    case Command::Add:
      Add(FuelRow{});  // neutral values
      break;
    case Command::Duplicate:
      Duplicate();
      break;
    default:
      return;
  }
  if (table.GetState() != FuelTable::State::Viewing) return;
  NumberByPosition();
  if (table.Rows() != before.rows) state_.history.Record(before);
}

void TableEdits::Undo(bool redo) {
  TableSnapshot now = SnapshotOf(state_.table, state_.unsent.FromFile());
  UndoHistory& history = state_.history;
  const auto to = redo ? history.Redo(std::move(now)) : history.Undo(std::move(now));
  if (!to) return;
  Restore(state_.table, *to);
  state_.unsent.SetFromFile(to->fromFile);
}

void TableEdits::Delete() {
  FuelTable& table = state_.table;
  if (state_.transferActive || table.IsEmpty()) return;
  const Message question = DeleteQuestion(table.CurrentIndex() + 1, table.Current().Description);
  if (state_.Ask(question) != Answer::Ok) return;
  // The box ran a loop of its own: the table may have changed meanwhile.
  if (state_.transferActive || table.IsEmpty()) return;
  table.DeleteCurrent();
}

void TableEdits::Add(FuelRow row) {
  FuelTable& table = state_.table;
  // Below the current row; the editor opens on it.
  const int at = table.CurrentIndex() + 1;
  table.HoldNotifications();
  if (at >= table.RowCount()) {
    table.AppendRow(row);
  } else {
    table.MoveTo(at);
    table.InsertRow(row);
  }
  table.Renumber();
  table.ReleaseNotifications();
  if (EditCurrentRow()) return;
  // Cancel takes the new row away again.
  if (table.GetState() != FuelTable::State::Viewing) table.CancelEdit();
  if (state_.transferActive) return;
  table.DeleteCurrent();
  if (at > 0 && at - 1 < table.RowCount()) table.MoveTo(at - 1);
}

void TableEdits::Duplicate() {
  if (state_.table.IsEmpty()) return;
  // The copy's ID is the user's to give: two rows with one ID never go out
  // unasked. The editor opens on it with its ID empty.
  FuelRow copy = state_.table.Current();
  copy.SetNull(FuelField::ID);
  Add(copy);
}

void TableEdits::NumberByPosition() {
  FuelTable& table = state_.table;
  const auto& rows = table.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].N != static_cast<int>(i) + 1) {
      table.HoldNotifications();
      table.Renumber();
      table.ReleaseNotifications();
      return;
    }
  }
}

bool TableEdits::EditCurrentRow() {
  WindowFace* face = state_.face;
  if (face == nullptr) return false;
  return EditRow(state_.table, false, face->DecimalSeparator(),
                 [face](RowEditor& editor) { return face->EditRow(editor); });
}

}  // namespace quelt::control
