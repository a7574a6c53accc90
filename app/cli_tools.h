// The command line's commands that compare, list and report: what a
// technician checks and hands over after the work.
#pragma once

#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "fuel/backup.h"
#include "fuel/fuel_row.h"
#include "fuel/table_pictures.h"

namespace quelt::cli {

// The analyser's identity and its table in both pictures.
struct AnalyserTable {
  StoredTable identity;
  std::vector<FuelRow> stored;  // the rows the analyser stores
  ReadNaming naming;            // how `read` shows them
};
// The identity and, with `withRows`, the table. kOk, or the exit status of
// the failure, which is already reported.
int ReadAnalyserTable(const Options& options, AnalyserTable& table, bool withRows);

// The analyser's table against FILE, field by field: kOk same, kMismatch
// different (the differences on standard output).
int Diff(const Options& options, const std::string& path);
// The connected analyser's backups, newest first, one a line.
int Backups(const Options& options);
// The service report of the analyser's table as a web page into FILE ('-':
// standard output).
int Report(const Options& options, const std::string& path);

}  // namespace quelt::cli
