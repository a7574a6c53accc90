#include "fuel/table_file.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "fuel/backup.h"
#include "fuel/row_file.h"

namespace quelt {

std::string FormatTableFile(const std::vector<FuelRow>& rows) {
  std::string text = "# QUELT fuel table: N;ID;Description;Co2Max;A2;B;RefO2;Vatr;Vaf;HU;Soot\n";
  int position = 0;
  for (const FuelRow& row : rows) text += FormatRowLine(row, ++position) + "\n";
  return text;
}

std::optional<std::vector<FuelRow>> ReadTableFile(const std::filesystem::path& path,
                                                  std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot open " + PathText(path);
    return std::nullopt;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) {
    *error = "cannot read " + PathText(path);
    return std::nullopt;
  }
  RowFile file = ParseRowFile(bytes.str());
  if (file.error) {
    *error = PathText(path.filename()) + ", line " + std::to_string(file.error->line) + ": " +
             file.error->message;
    return std::nullopt;
  }
  // Rows are numbered 1.. in N.
  const std::int64_t maxRows = RangeOf(FuelField::N).hi;
  if (static_cast<std::int64_t>(file.rows.size()) > maxRows) {
    *error = PathText(path.filename()) + ": more than " + std::to_string(maxRows) + " rows";
    return std::nullopt;
  }
  return std::move(file.rows);
}

}  // namespace quelt
