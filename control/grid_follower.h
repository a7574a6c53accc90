// What a grid shows of the table, the same in both windows: its rows and
// the row indicator's row follow the table's notifications, and each step
// says what to draw anew. A row count that changed under any notification
// redraws everything; a row being inserted is not shown before it is
// posted, so the indicator has no row meanwhile.
#pragma once

#include "fuel/fuel_table.h"

namespace quelt::control {

class GridFollower {
 public:
  explicit GridFollower(const FuelTable& table);

  struct Step {
    bool reset = false;  // the rows anew, `rows` of them
    int rows = 0;
    int redraw = -1;   // the row whose values changed; -1: none
    int before = -1;   // the indicator's row before the step; -1: none
    int current = -1;  // and after it
    // The selection and the indicator move.
    bool Moved() const { return reset || before != current; }
  };
  // The step for the table's notification `change`; Rows() and Current()
  // keep the grid's state before it until Take(step).
  Step Next(FuelTable::Change change) const;
  void Take(const Step& step);

  int Rows() const { return rows_; }
  int Current() const { return current_; }

 private:
  const FuelTable& table_;
  int rows_ = 0;
  int current_ = -1;
};

}  // namespace quelt::control
