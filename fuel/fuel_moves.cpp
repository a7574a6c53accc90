// Moving the current row one place up or down. The row's values travel as
// they are (not through a text form), so exponent-sized values and any
// description survive. N is renumbered to the positions, and the moved row
// stays current wherever it goes, whatever N it held before.
#include "fuel/fuel_ops.h"

namespace quelt {

void FuelOperations::MoveDown() { Move(+1); }
void FuelOperations::MoveUp() { Move(-1); }

void FuelOperations::Move(int step) {
  if (busy_ || table_.IsEmpty()) return;
  table_.StoreEdit();
  // The bound and the selection follow the row's place, not its N.
  const int from = table_.CurrentIndex();
  const int target = from + step;
  if (target < 0 || target >= table_.RowCount()) return;

  table_.HoldNotifications();
  const FuelRow moved = table_.Current();
  table_.DeleteCurrent();
  const int remaining = table_.RowCount();
  // Down: just after the row that followed it; up: just before the row that
  // preceded it. At either end the row goes back where it was.
  int to = step > 0 ? from + 1 : from - 1;
  if (to > remaining) to = from;
  if (to < 0) to = 0;
  if (to >= remaining) {
    table_.AppendRow(moved);
  } else {
    table_.MoveTo(to);
    table_.InsertRow(moved);
  }

  table_.Renumber();
  table_.MoveTo(to);
  table_.ReleaseNotifications();
}

}  // namespace quelt
