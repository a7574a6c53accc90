// A table kept in a file, in the command line's row format: one fuel row
// text a line, UTF-8, positions as the first field. What the window saves
// can be sent by quelt-fuel-cli write, and the other way round. Unlike the
// analyser's replies, a file is checked strictly before anything is sent, so
// that a typing error never reaches the instrument as a silent 0.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuel/fuel_row.h"

namespace quelt {

struct RowFileError {
  int line = 0;         // 1-based line of the file
  std::string message;  // UTF-8, names the field
};

struct RowFile {
  std::vector<FuelRow> rows;
  std::optional<RowFileError> error;  // the first fault; rows is empty then
};

// Blank lines and lines starting with '#' are skipped. Each other line holds
// eleven fields (a closing ';' is allowed): integers for N, ID and Soot (N
// and Soot within 16 bits), numbers with ',' or '.' for the seven constants,
// and a description of at most 30 Windows-1252 characters without ';'.
RowFile ParseRowFile(std::string_view utf8Text);

// The row as the command line prints it: the wire form with `position` as
// the first field, in UTF-8.
std::string FormatRowLine(const FuelRow& row, int position);

// The file's text for `rows`, positions 1.., a header line naming the format.
std::string FormatTableFile(const std::vector<FuelRow>& rows);

// Reads (through ReadInputFile: a regular file of at most 1 MB) and checks
// the whole file; nullopt with `error` (UTF-8, naming the file and, for a
// faulty row, its line and field) on any fault. The rows keep the N the file
// gave; a table they are loaded into numbers them 1.. (FuelTable::Renumber).
std::optional<std::vector<FuelRow>> ReadTableFile(const std::filesystem::path& path,
                                                  std::string* error);

}  // namespace quelt
