// The command line's commands that compare, list and report: what a
// technician checks and hands over after the work.
#pragma once

#include <string>
#include <vector>

#include "app/cli_commands.h"
#include "fuel/backup.h"
#include "fuel/fuel_row.h"

namespace quelt::cli {

// The analyser's identity and, with `rows`, its table as `read` prints it
// (the natural gas names of its language and the H row). kOk, or the exit
// status of the failure, which is already reported.
int ReadAnalyserTable(const Options& options, StoredTable* identity, std::vector<FuelRow>* rows);

// The analyser's table against FILE, field by field: kOk same, kMismatch
// different (the differences on standard output).
int Diff(const Options& options, const std::string& path);
// The connected analyser's backups, newest first, one a line.
int Backups(const Options& options);
// The service report of the analyser's table as a web page into FILE ('-':
// standard output).
int Report(const Options& options, const std::string& path);

}  // namespace quelt::cli
