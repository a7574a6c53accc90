#include "app/cli_tools.h"

#include <ctime>

#include "app/cli_io.h"
#include "fuel/atomic_file.h"
#include "fuel/backup_list.h"
#include "fuel/report.h"
#include "fuel/row_compare.h"
#include "fuel/table_diff.h"
#include "fuel/table_file.h"
#include "quelt/version.h"
#include "text/cp1252.h"

namespace quelt::cli {
namespace {

void Say(const std::string& utf8) { WriteStderr(utf8 + '\n'); }

int Out(const std::string& text) {
  std::string error;
  if (WriteStdout(text, &error)) return kOk;
  Say(error);
  return kLinkFailed;
}

// The folder of the analyser's backups below `root`; the demo's own one
// with --demo.
std::filesystem::path AnalyserFolder(const Options& options, const std::filesystem::path& root,
                                     const std::string& serialNumber) {
  return options.demo ? root / kDemoBackupsFolder : BackupFolderOf(root, serialNumber);
}

// Text from a file or the analyser as it may reach a terminal.
std::string Plain(const std::string& utf8) { return PlainDeviceText(utf8); }

}  // namespace

int Diff(const Options& options, const std::string& path) {
  std::string error;
  const auto text = ReadInputFile(path, &error);
  if (!text) {
    Say(error);
    return kUsage;
  }
  const RowFile file = ParseTableText(*text);
  if (file.error) {
    Say(WhereInFile(path, file.error->line) + ": " + file.error->message);
    return kUsage;
  }
  AnalyserTable analyser;
  if (const int status = ReadAnalyserTable(options, analyser, true); status != kOk) return status;
  // The rows the analyser stores against the file's; what `read` adds or
  // renames for display is a note, never a row the analyser holds.
  const AgainstStored held = SetAsideReadAdditions(file.rows, analyser.stored, analyser.naming);
  for (const std::string& note : held.notes) Say("Note: " + note + ".");
  const auto differences = TableDifferences(held.rows, analyser.stored);
  if (differences.empty()) {
    Say("Same: the analyser holds the " + std::to_string(analyser.stored.size()) + " rows of " +
        path + ".");
    return kOk;
  }
  std::string out;
  for (const std::string& line : differences) out += line + '\n';
  if (const int status = Out(out); status != kOk) return status;
  Say(std::to_string(differences.size()) + " difference(s) between the analyser and " + path + ".");
  return kMismatch;
}

int Backups(const Options& options) {
  AnalyserTable analyser;
  if (const int status = ReadAnalyserTable(options, analyser, false); status != kOk) {
    return status;
  }
  const StoredTable& identity = analyser.identity;
  const std::filesystem::path root = BackupsRoot();
  if (root.empty()) {
    Say("No folder for backups (neither XDG_DATA_HOME nor HOME is set).");
    return kLinkFailed;
  }
  const std::filesystem::path folder = AnalyserFolder(options, root, identity.serialNumber);
  const auto entries = ListBackups(folder);
  if (entries.empty()) {
    Say("No backups of the analyser with serial number \"" +
        Plain(Cp1252ToUtf8(identity.serialNumber)) + "\" in " + PathText(folder) + ".");
    return kOk;
  }
  std::string out;
  for (const BackupEntry& entry : entries) out += Plain(BackupListLine(entry)) + '\n';
  return Out(out);
}

int Report(const Options& options, const std::string& path) {
  if (auto problem = OutputFileProblem(path)) {
    Say(*problem + ".\nNothing was saved.");
    return kUsage;
  }
  ServiceReport report;
  AnalyserTable analyser;
  if (const int status = ReadAnalyserTable(options, analyser, true); status != kOk) return status;
  const StoredTable& identity = analyser.identity;
  report.rows = analyser.stored;
  // What `read` and the window show besides, so that the report matches the screen.
  for (const std::string& note : SetAsideReadAdditions(ShownTable(analyser.stored, analyser.naming),
                                                       analyser.stored, analyser.naming)
                                     .notes) {
    report.notes.push_back(note);
  }
  report.identification = identity.identification;
  report.type = identity.type;
  report.serialNumber = identity.serialNumber;
  report.version = identity.version;
  report.date = std::time(nullptr);
  report.tableSource = "as stored on the analyser";
  report.program = std::string("quelt-fuel-cli ") + QUELT_VERSION;
  report.workstation = WorkstationName();
  report.customer = options.customer;
  report.site = options.site;
  report.technician = options.technician;
  // The last backup holds the table before the work: the changes since.
  if (const auto root = BackupsRoot(); !root.empty()) {
    const auto last = ListBackups(AnalyserFolder(options, root, identity.serialNumber), 1);
    if (!last.empty()) {
      report.lastBackup = PathText(last.front().path) + " (" + last.front().saved + ")";
      if (last.front().table) {
        report.beforeKnown = true;
        report.before = StoredRows(last.front().table->rows);
      }
    }
  }
  const std::string html = FormatServiceReport(report);
  if (path == "-") return Out(html);
  std::string error;
  if (!WriteFileWhole(PathFromUtf8(path), html, &error)) {
    Say(error);
    return kLinkFailed;
  }
  Say("Wrote the report of " + std::to_string(report.rows.size()) + " rows to " + path);
  return kOk;
}

}  // namespace quelt::cli
