// What a Send would change: the grid held up against the rows the analyser
// stores (after the last Refresh, or the last Send), row by row by identity
// (fuel/row_match.h), so that a row inserted, deleted or moved marks that
// row alone. What a read adds for display (the natural gas H row, the
// natural gas L name; fuel/table_pictures.h) is no change: the analyser
// never stored it, and a Refresh shows it again.
#pragma once

#include <string>
#include <vector>

#include "fuel/fuel_table.h"
#include "fuel/row_match.h"
#include "fuel/table_pictures.h"

namespace quelt::control {

class ChangeMarks {
 public:
  // The analyser's stored rows are known from now on; `naming` is how the
  // read that showed them named them.
  void SetStored(std::vector<FuelRow> stored, const ReadNaming& naming);
  // Nothing is known of the analyser's table.
  void Forget();
  bool Known() const { return known_; }
  const std::vector<FuelRow>& Stored() const { return stored_; }

  // The cell of grid row `row` (0-based) differs from what the analyser
  // stores; never while nothing is known.
  bool CellChanged(const FuelTable& table, int row, FuelField field) const;
  // Rows a Send would change: rows changed, added, moved and removed.
  int RowsChanging(const FuelTable& table) const;
  // The grid shows the natural gas H row a read adds; the analyser stores none.
  bool ShowsAddedHRow(const FuelTable& table) const;
  // What the grid shows besides the stored rows, a line each (Windows-1252).
  std::vector<std::string> ReadAdditions(const FuelTable& table) const;

 private:
  // Matches the grid anew when it differs from the grid last matched.
  void Match(const FuelTable& table) const;

  std::vector<FuelRow> stored_;
  ReadNaming naming_;
  bool known_ = false;
  mutable bool matched_ = false;
  mutable std::vector<FuelRow> grid_;
  mutable int current_ = -1;
  mutable AgainstStored held_;
  mutable std::vector<int> heldRow_;  // per grid row: its row in held_, -1 when set aside
  mutable RowMatch match_;
};

// The status line's part: "1 row changes", "3 rows change"; "" for none.
std::string ChangesText(int rows);

}  // namespace quelt::control
