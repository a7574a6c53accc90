// A table kept in a file, in the command line's row format (one row a line,
// UTF-8, positions as the first field): what the window saves can be sent by
// quelt-fuel-cli write, and the other way round.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fuel/fuel_row.h"

namespace quelt {

// The file's text for `rows`, positions 1.., a header line naming the format.
std::string FormatTableFile(const std::vector<FuelRow>& rows);

// Reads and checks the whole file; nullopt with `error` (UTF-8, naming the
// file's line and field) on any fault. The rows keep the N the file gave;
// a table they are loaded into numbers them 1.. (FuelTable::Renumber).
std::optional<std::vector<FuelRow>> ReadTableFile(const std::filesystem::path& path,
                                                  std::string* error);

}  // namespace quelt
