#include "fuel/table_check.h"

#include "fuel/row_check.h"
#include "text/cp1252.h"

namespace quelt {

int RowWithId(const std::vector<FuelRow>& rows, std::int64_t id, int self) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (static_cast<int>(i) != self && rows[i].ID == id) return static_cast<int>(i);
  }
  return -1;
}

std::vector<std::string> TableDoubts(const std::vector<FuelRow>& rows) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const FuelRow& row = rows[i];
    const std::string at = "Row " + std::to_string(i + 1) + ": ";
    const std::string id = std::to_string(row.ID);
    if (row.ID == 0) {
      lines.push_back(at + "no ID (0); an ID is " + std::to_string(kIdMin) + " to " +
                      std::to_string(kIdMax));
    } else if (!IdInRange(row.ID)) {
      lines.push_back(at + "ID " + id + " is outside " + std::to_string(kIdMin) + " to " +
                      std::to_string(kIdMax));
    }
    // The row an earlier one shares its ID with; a missing ID is said above.
    if (const int other = RowWithId(rows, row.ID); row.ID != 0 && other < static_cast<int>(i)) {
      const FuelRow& first = rows[static_cast<std::size_t>(other)];
      lines.push_back(at + "ID " + id + " is used by row " + std::to_string(other + 1) + " (" +
                      ShowField(Cp1252ToUtf8(first.Description)) + ") too");
    }
    if (!SootIsFlag(row.Soot)) {
      lines.push_back(at + "Soot " + std::to_string(row.Soot) + " is neither 0 nor 1");
    }
  }
  return lines;
}

}  // namespace quelt
