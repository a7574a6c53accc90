// A table's rows matched with the rows the analyser stores by identity, not
// by place: a row keeps its match when rows are inserted above it, deleted
// or moved. Rows are compared as the wire carries them, N aside.
#pragma once

#include <vector>

#include "fuel/fuel_row.h"

namespace quelt {

struct RowMatch {
  enum class Kind {
    Same,     // a stored row, in the stored order
    Moved,    // a stored row, unchanged, at another place in that order
    Changed,  // a stored row of the same fuel ID, with other values
    Added,    // no stored row
  };
  std::vector<Kind> kind;      // per table row
  std::vector<int> storedRow;  // per table row: the stored row it is; -1 when Added
  int removed = 0;             // stored rows no table row is

  // Rows a send would change: every table row not Same, and the removed ones.
  int Changing() const;
};

// `moving`: the table row the user acts on (-1: none). Where a move leaves
// two orders equally long, that row is the one that moved, not its neighbour.
RowMatch MatchRows(const std::vector<FuelRow>& stored, const std::vector<FuelRow>& table,
                   int moving = -1);

// Field `field` (N aside) of `now` differs from `before` on the wire.
bool FieldDiffers(const FuelRow& before, const FuelRow& now, FuelField field);

// The cell of table row `row` is a change against `stored`: every field of
// an added row, the N of a moved one, the differing fields of a changed one.
bool CellDiffers(const RowMatch& match, const std::vector<FuelRow>& stored, const FuelRow& now,
                 std::size_t row, FuelField field);

}  // namespace quelt
