// What a Send would change: the grid compared, position by position, with
// the table the analyser last reported (the last Refresh that read it, or
// the last Send whose check read it back). Both sides are compared as wire
// texts, so a value is changed only when a byte sent would differ: 12,50
// typed for 12,5 is no change, nor is N, which a send numbers by position.
#pragma once

#include <string>
#include <vector>

#include "fuel/fuel_table.h"

namespace quelt::control {

// The cell of grid row `row` (0-based) and `field` differs from the row the
// analyser holds at that position; every cell of a row beyond them does
// (N aside: a send numbers the rows by position).
bool CellChanged(const std::vector<std::string>& reported, const FuelTable& table, int row,
                 FuelField field);

// Positions whose row a Send would change: rows that differ, rows added and
// rows that drop out of the table.
int RowsChanging(const std::vector<std::string>& reported, const FuelTable& table);

// The status line's part: "1 row changes", "3 rows change"; "" for none.
std::string ChangesText(int rows);

}  // namespace quelt::control
