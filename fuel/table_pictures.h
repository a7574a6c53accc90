// Two pictures of one table. The analyser stores rows; a read shows them
// with every natural gas L row named in the analyser's language and, where
// the analyser stores no natural gas H row, a built-in one inserted. Every
// view that compares or counts holds a table up against the stored rows and
// names the read's additions as notes, never as rows the analyser holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fuel/fuel_row.h"

namespace quelt {

// How a read names and completes the stored rows: the language of the gas
// names (0 before any type code was recognised) and the fuel ID of the rows
// named natural gas L (-1: none).
struct ReadNaming {
  std::int32_t languageIndex = 0;
  std::int32_t lGasFuelId = -1;
};

// Row replies as the analyser stores them, N = position.
std::vector<FuelRow> StoredRows(const std::vector<std::string>& rowReplies);

// A stored row as a read shows it: a natural gas L row renamed.
FuelRow ShownRow(FuelRow stored, const ReadNaming& naming);
// The natural gas H row a read inserts where the analyser stores none, and
// its place (0-based) among `storedRows` rows: before the fourth, before the
// last of fewer, or alone.
FuelRow BuiltInHRow(std::int32_t languageIndex);
int BuiltInHRowPlace(int storedRows);
bool HoldsHRow(const std::vector<FuelRow>& rows);

// The table a read shows of `stored`, N = position.
std::vector<FuelRow> ShownTable(const std::vector<FuelRow>& stored, const ReadNaming& naming);

// A table (the grid, a file) held up against the analyser's stored rows.
struct AgainstStored {
  // The table without what a read adds for display, each natural gas L row
  // under the name the analyser stores.
  std::vector<FuelRow> rows;
  // rows[i] is row tableRow[i] (0-based) of the table.
  std::vector<int> tableRow;
  // Row of the table that is the natural gas H row a read adds; -1: none.
  int addedHRow = -1;
  // One line per addition or renaming set aside (UTF-8), naming the
  // table's row: "Row 4 (Erdgas H) is the natural gas H row the tool shows;
  // the analyser stores none".
  std::vector<std::string> notes;
};
AgainstStored SetAsideReadAdditions(const std::vector<FuelRow>& table,
                                    const std::vector<FuelRow>& stored, const ReadNaming& naming);

}  // namespace quelt
