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

// The kinds of file a table is read from, told apart by their content: the
// row format above, the CSV the export writes (its first line the column
// titles), and a backup (its first line the backup's header).
enum class TableFileKind { Rows, Csv, Backup };
TableFileKind KindOfTableText(std::string_view utf8Text);

// The CSV as FormatCsv writes it, and as a spreadsheet saves it again: a
// header line of the column titles, then one row a line, fields separated by
// ';' (quoted with '"' where they hold one), decimals with ',' or '.'. The
// apostrophe that keeps a description from being taken for a formula is
// dropped again. Each row is checked as strictly as in the row format.
RowFile ParseCsv(std::string_view utf8Text);

// Any of the three kinds, recognised by KindOfTableText (`kind` says which).
// A backup gives the rows it stores in use, as the Backups view loads them;
// a backup that fails its own check is refused.
RowFile ParseTableText(std::string_view utf8Text, TableFileKind* kind = nullptr);

// The row as the command line prints it: the wire form with `position` as
// the first field, in UTF-8.
std::string FormatRowLine(const FuelRow& row, int position);

// The file's text for `rows`, positions 1.., a header line naming the format.
std::string FormatTableFile(const std::vector<FuelRow>& rows);

// Reads (through ReadInputFile: a regular file of at most 1 MB) and checks
// the whole file, of any kind (ParseTableText); nullopt with `error` (UTF-8, naming the file and,
// for a faulty row, its line and field) on any fault. The rows keep the N the file gave; a table
// they are loaded into numbers them 1.. (FuelTable::Renumber).
std::optional<std::vector<FuelRow>> ReadTableFile(const std::filesystem::path& path,
                                                  std::string* error,
                                                  TableFileKind* kind = nullptr);

}  // namespace quelt
