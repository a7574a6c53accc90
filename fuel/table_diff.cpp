#include "fuel/table_diff.h"

#include <algorithm>

#include "fuel/row_compare.h"

namespace quelt {

std::vector<std::string> TableDifferences(const std::vector<FuelRow>& file,
                                          const std::vector<FuelRow>& analyser) {
  std::vector<std::string> out;
  const std::size_t rows = std::max(file.size(), analyser.size());
  for (std::size_t i = 0; i < rows; ++i) {
    const int position = static_cast<int>(i) + 1;
    const std::string row = "Row " + std::to_string(position) + ": ";
    if (i >= analyser.size()) {
      out.push_back(row + "only in the file: " + DeviceText(WriteFuelRowText(file[i], file[i].N)));
      continue;
    }
    // The analyser's rows are numbered by their place, as a read prints them.
    const std::string theirs = WriteFuelRowText(analyser[i], position);
    if (i >= file.size()) {
      out.push_back(row + "only in the analyser: " + DeviceText(theirs));
      continue;
    }
    // Compared as the write's check compares: a row's number is its place.
    const auto lines =
        RowDifferences(position, WriteFuelRowText(file[i], file[i].N), theirs, "file", "analyser");
    out.insert(out.end(), lines.begin(), lines.end());
  }
  return out;
}

}  // namespace quelt
