// The files the window writes besides table files: the grid for
// spreadsheets, the service report with who and where (remembered between
// runs), and the session's trace for support. Each ends with a log line; a
// file not written is said in a box too.
#pragma once

#include <filesystem>

#include "control/file_choice.h"
#include "control/file_commands.h"
#include "control/report_parties.h"
#include "control/window_part.h"
#include "fuel/report.h"

namespace quelt::control {

class Exports : public WindowPart {
 public:
  Exports(const WindowPart& part, FileCommands& files) : WindowPart(part), files_(files) {}

  // Asks for the file and writes the export; the report's form first.
  void Export(ExportKind kind);
  // Writes to `path` without asking: false (and a message) when the file
  // was not written.
  bool ExportCsv(const std::filesystem::path& path);
  bool WriteReport(const std::filesystem::path& path);
  // The service report of the analyser, the grid, the last backup and the
  // last send's check.
  ServiceReport Report() const;

  // The report's parties as the settings keep them.
  void LoadParties();
  const ReportParties& Parties() const { return parties_; }
  // Each line cut to kPartyMaxChars characters, and remembered.
  void SetParties(const ReportParties& parties);

  // The session's trace to a file the user picks.
  void SaveTrace();

 private:
  FileCommands& files_;
  ReportParties parties_;
};

}  // namespace quelt::control
