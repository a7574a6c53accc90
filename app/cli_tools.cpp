#include "app/cli_tools.h"

#include <ctime>

#include "app/cli_io.h"
#include "fuel/backup_file.h"
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
    Say(path + (file.error->line > 0 ? ":" + std::to_string(file.error->line) : "") + ": " +
        file.error->message);
    return kUsage;
  }
  StoredTable identity;
  std::vector<FuelRow> rows;
  if (const int status = ReadAnalyserTable(options, &identity, &rows); status != kOk) {
    return status;
  }
  const auto differences = TableDifferences(file.rows, rows);
  if (differences.empty()) {
    Say("Same: the analyser holds the " + std::to_string(rows.size()) + " rows of " + path + ".");
    return kOk;
  }
  std::string out;
  for (const std::string& line : differences) out += Cp1252ToUtf8(line) + '\n';
  if (const int status = Out(out); status != kOk) return status;
  Say(std::to_string(differences.size()) + " difference(s) between the analyser and " + path + ".");
  return kMismatch;
}

int Backups(const Options& options) {
  StoredTable identity;
  if (const int status = ReadAnalyserTable(options, &identity, nullptr); status != kOk) {
    return status;
  }
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
  StoredTable identity;
  if (const int status = ReadAnalyserTable(options, &identity, &report.rows); status != kOk) {
    return status;
  }
  report.identification = identity.identification;
  report.type = identity.type;
  report.serialNumber = identity.serialNumber;
  report.version = identity.version;
  report.date = std::time(nullptr);
  report.tableSource = "as read from the analyser";
  report.program = std::string("quelt-fuel-cli ") + QUELT_VERSION;
  if (const auto root = BackupsRoot(); !root.empty()) {
    const auto last = ListBackups(AnalyserFolder(options, root, identity.serialNumber), 1);
    if (!last.empty()) report.lastBackup = PathText(last.front().path);
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
