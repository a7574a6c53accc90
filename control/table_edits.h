// The grid's edits: the moves, the editor on the current row, Add,
// Duplicate and Delete, and Undo and Redo. A change becomes an undo step and
// N is numbered by position again; none runs during a transfer.
#pragma once

#include "control/keys.h"
#include "control/window_state.h"

namespace quelt::control {

class TableEdits {
 public:
  explicit TableEdits(WindowState& state) : state_(state) {}

  // Runs a command that may change the table.
  void Change(Command command);
  void Undo(bool redo);

 private:
  void Delete();
  // Inserts `row` below the current row and opens the editor on it; Cancel
  // takes it away again.
  void Add(FuelRow row);
  void Duplicate();
  void NumberByPosition();
  // The editor dialog on the current row; true: OK.
  bool EditCurrentRow();

  WindowState& state_;
};

}  // namespace quelt::control
