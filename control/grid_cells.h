// What the grid shows and what a pick in it does, the same in both windows.
// Data column c is the table's c-th field, left to right. A cell shows the
// edit buffer while its row is edited, its value with the workstation's
// decimal separator (0 for a number without a value, as it will be sent),
// the change mark where a Send would change it, and the colours of its row's
// mark; a marked row has a note that says what its colour means.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "control/window_controller.h"
#include "front/main_look.h"

namespace quelt::control {

class GridCells {
 public:
  GridCells(WindowController& controller, char32_t separator);

  static FuelField FieldOf(int column);
  // Rows beyond the table (a view may ask before the table's notification
  // has arrived) are empty and plain.
  std::string Text(int row, int column) const;
  bool Changed(int row, int column) const;
  front::CellLook Look(int row, int column) const;
  // The row's own colours, without a cell's change mark.
  front::CellLook RowLook(int row) const;
  // "Row 3: natural gas H" for a marked row; "" for the others.
  std::string Note(int row) const;
  // What column `column` needs: the widest of its title and its cells, a
  // changed cell measured bold as it is drawn; `width` measures a text in
  // the grid's font.
  int Needed(int column, const std::function<int(const std::string& text, bool bold)>& width) const;

  // The user picks `row` in the grid (a click, an arrow key, a right click):
  // it becomes the table's current row. False while a transfer runs: the
  // transfer walks the table by its current row, so the grid keeps it and
  // the window puts its selection back.
  bool Pick(int row);
  // A double-click on `row`: it is picked, and the command to run (the
  // editor on it) comes back; none beyond the table's rows or while a
  // transfer runs. The window runs it once the click is over.
  std::optional<Command> DoubleClicked(int row);

 private:
  WindowController& controller_;
  char32_t separator_;
};

}  // namespace quelt::control
