#include "control/grid_follower.h"

namespace quelt::control {

GridFollower::GridFollower(const FuelTable& table) : table_(table) {
  Take(Next(FuelTable::Change::Reset));
}

GridFollower::Step GridFollower::Next(FuelTable::Change change) const {
  Step step;
  const int rows = step.rows = table_.RowCount();
  step.reset = change == FuelTable::Change::Reset || rows != rows_;
  const int current = table_.CurrentIndex();
  if (!step.reset && change == FuelTable::Change::RowValues && current >= 0 && current < rows_) {
    step.redraw = current;
  }
  step.before = current_;
  step.current = current < rows ? current : -1;
  return step;
}

void GridFollower::Take(const Step& step) {
  rows_ = step.rows;
  current_ = step.current;
}

}  // namespace quelt::control
