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
  if (file.rows.size() > 32767) {
    *error = PathText(path.filename()) + ": more than 32767 rows";
    return std::nullopt;
  }
  for (std::size_t i = 0; i < file.rows.size(); ++i) {
    file.rows[i].N = static_cast<std::int16_t>(i + 1);
  }
  return std::move(file.rows);
}

}  // namespace quelt
