// What a technician hands over: the table as a spreadsheet file and a
// service report as a web page that any browser prints. One generator for
// both windows and the command line.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "fuel/fuel_row.h"

namespace quelt {

// The table for spreadsheets, UTF-8 with a byte order mark (so that a
// spreadsheet program takes it as UTF-8) and CR LF line ends: a header line
// of the column titles, then one row a line. Fields are separated by ';'
// and decimals carry ',' as their mark, at the wire's precision: the form
// spreadsheets read by default where ',' is the decimal mark, as in most of
// Europe. A description is quoted when it holds ';', '"' or a line end, and
// one that a spreadsheet would take for a formula (=, +, -, @, TAB or CR
// first) gets a leading apostrophe; control characters are written as \xNN.
// Rows are numbered 1.. as in the grid.
std::string FormatCsv(const std::vector<FuelRow>& rows);
// A description's cell text (control characters already as \xNN) that gets
// the leading apostrophe: one that starts like a formula, or one that starts
// with an apostrophe before such a start, so that a reader can always drop
// the apostrophe it finds before a formula's start (ParseCsv).
bool CsvCellGuarded(std::string_view cell);

struct ServiceReport {
  // The analyser's replies (Windows-1252), shown as text.
  std::string identification, type, serialNumber, version;
  std::time_t date = 0;
  std::string workstation;  // the computer's name (UTF-8)
  // Who and where, as the technician typed them (UTF-8); a blank line to
  // sign on when empty.
  std::string customer, site, technician;
  // Where the table comes from: "as stored on the analyser" (UTF-8).
  std::string tableSource;
  std::vector<FuelRow> rows;  // the table the analyser holds; descriptions Windows-1252
  // The table before the work (the backup made before the last write); its
  // differences with `rows` are marked. Without it nothing is marked.
  bool beforeKnown = false;
  std::vector<FuelRow> before;
  std::vector<std::string> notes;  // what the window shows besides (UTF-8)
  std::string lastBackup;          // UTF-8 path; empty: none
  std::string checkResult;         // UTF-8; empty: no check ran
  std::string program;             // "quelt-fuel 1.4.0"
};

// A whole HTML page, UTF-8, with its own print style; every text in it is
// escaped, so that no reply of the analyser becomes markup.
std::string FormatServiceReport(const ServiceReport& report);

// Text as HTML: & < > " ' as entities, control characters as \xNN.
std::string HtmlText(std::string_view utf8);

}  // namespace quelt
