// The words a window shows besides the operations' own: its caption, the
// status line, the colour legend and the notes on marked rows, the question
// before unsent changes are dropped, the last line of a Refresh and the
// About text. Shared by every window; texts are UTF-8 unless said otherwise.
#pragma once

#include <filesystem>
#include <string>

#include "fuel/fuel_row.h"
#include "lang/tr.h"
#include "link/analyser_link.h"

namespace quelt {

// Title of every message box: short, so that no box cuts it.
inline constexpr const char* kProgramName = "quelt-fuel";
inline constexpr const char* kCommandLineName = "quelt-fuel-cli";

// The caption, with a mark while the grid holds changes not sent.
std::string WindowCaption(bool unsent);

// The grid's colour marks: beyond the rows the analyser uses wins over the
// natural gas H row.
enum class RowMarkKind { None, NaturalGasH, Unused };
RowMarkKind MarkKindOf(const FuelRow& row);
inline constexpr const char* kLegendNaturalGasH = lang::TrLater("natural gas H");
inline constexpr const char* kLegendUnused =
    lang::TrLater("beyond row 15: stored, not used by the analyser");
// The tool tip of a marked row; empty for an unmarked one.
std::string RowMarkNote(const FuelRow& row);

inline constexpr const char* kUnsentQuestion = lang::TrLater(
    "The table has changes that were not sent to the analyser. Save them to a file "
    "before they are dropped?");
// When the program ends: the table may be in a file already, it is not on the
// analyser.
inline constexpr const char* kCloseUnsentQuestion = lang::TrLater(
    "The table has changes that were not sent to the analyser. Save them to a file before the "
    "program ends? (Cancel keeps the program open to send them.)");

// The port in use: "simulated analyser", the device given, or the port
// found ("COM7" on Windows, "/dev/ttyUSB0" on Linux); before the first look
// "looked for on Refresh".
std::string PortText(const AnalyserLink& link, bool demo);

struct StatusFacts {
  std::string port;          // PortText
  std::string serialNumber;  // Windows-1252, empty while unknown
  std::string type;          // Windows-1252, empty while unknown
  int rows = 0;              // rows in the grid
  // Rows the analyser stores, once known (-1: not known), and whether the
  // grid shows the natural gas H row a read adds, which it does not store.
  int storedRows = -1;
  bool hRowShown = false;
  std::string lastBackup;  // path of the last backup; empty: none yet
};
// "Port: /dev/ttyUSB0   Serial 08154711, type 20   17 rows, 15 used"; once
// the analyser's table is known its rows: "12 rows stored, 12 used, natural
// gas H shown"
std::string StatusText(const StatusFacts& facts);
// "Backup: 2024-05-02_101500.txt": the file's name; its folder is the
// analyser's serial number.
std::string BackupText(const std::string& lastBackup);

// The last line of a Refresh: the rows read, or why nothing was read.
// `rowsRead`: rows the analyser sent; `rows`: rows in the grid afterwards
// (the natural gas H row may have been added). UTF-8.
std::string RefreshResultLine(bool listRead, int rowsRead, int rows, int hRowIndex,
                              const AnalyserLink& link, const std::string& port);

std::string AboutText(const std::string& version, const std::string& port,
                      const std::filesystem::path& backups);

}  // namespace quelt
