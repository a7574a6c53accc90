// The window's exports: the grid for spreadsheets and the service report.
#include <ctime>

#include "control/window_controller.h"
#include "fuel/backup_file.h"
#include "quelt/version.h"
#include "text/cp1252.h"

namespace quelt::control {

void WindowController::NoteCheck(const SendOutcome& outcome) {
  using R = SendOutcome::Result;
  switch (outcome.result) {
    case R::Sent:
      lastCheck_ = outcome.checked ? "Checked: " + std::to_string(outcome.rowsToSend) +
                                         " rows and the count read back as sent"
                                   : "sent, not checked";
      break;
    case R::CheckDiffers:
      lastCheck_ = "The table read back differs from the table sent (" +
                   std::to_string(outcome.differences.size()) +
                   " difference(s), first: " + Cp1252ToUtf8(outcome.differences.front()) + ")";
      break;
    case R::CheckNoAnswer:
      lastCheck_ = "written; the analyser did not answer when it was read back";
      break;
    case R::NoReply:
    case R::Interrupted:
      lastCheck_ = Cp1252ToUtf8(DescribeStoppedWrite(outcome));
      break;
    case R::Declined:
    case R::Refused:
    case R::BackupFailed:
      break;  // nothing was written: the last check still holds
  }
}

ServiceReport WindowController::Report() const {
  ServiceReport report;
  const StoredTable& identity = ops_.Identity();
  report.identification = identity.identification;
  report.type = identity.type;
  report.serialNumber = identity.serialNumber;
  report.version = identity.version;
  report.date = std::time(nullptr);
  report.rows = table_.Rows();
  report.tableSource = Unsent()             ? "as in the window; not sent to the analyser"
                       : lastCheck_.empty() ? "as read from the analyser"
                                            : "as sent to the analyser";
  report.lastBackup = lastBackup_;
  report.checkResult = lastCheck_;
  report.program = std::string(kProgramName) + " " + QUELT_VERSION;
  return report;
}

bool WindowController::ExportCsv(const std::filesystem::path& path) {
  std::string error;
  if (!WriteFileWhole(path, FormatCsv(table_.Rows()), &error)) {
    const std::string text = "Not exported: " + error;
    LogFinal(text);
    Ask(ErrorMessage(text));
    return false;
  }
  LogFinal("Exported " + std::to_string(table_.Rows().size()) + " rows to " + PathText(path));
  return true;
}

bool WindowController::WriteReport(const std::filesystem::path& path) {
  std::string error;
  if (!WriteFileWhole(path, FormatServiceReport(Report()), &error)) {
    const std::string text = "No report: " + error;
    LogFinal(text);
    Ask(ErrorMessage(text));
    return false;
  }
  LogFinal("Wrote the service report to " + PathText(path));
  return true;
}

void WindowController::Export(ExportKind kind) {
  if (transferActive_ || face_ == nullptr) return;
  const std::filesystem::path path = face_->PickExportFile(kind);
  if (path.empty()) return;
  if (kind == ExportKind::Csv) {
    ExportCsv(path);
  } else {
    WriteReport(path);
  }
}

}  // namespace quelt::control
