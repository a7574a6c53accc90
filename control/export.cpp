// The window's exports: the grid for spreadsheets and the service report.
#include <ctime>

#include "control/window_controller.h"
#include "fuel/backup_file.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "quelt/version.h"
#include "text/cp1252.h"

namespace quelt::control {

void WindowController::NoteCheck(const SendOutcome& outcome) {
  using R = SendOutcome::Result;
  switch (outcome.result) {
    case R::Sent:
      lastCheck_ = outcome.checked ? lang::Format(lang::Tr("Checked: {1} rows and the count "
                                                           "read back as sent"),
                                                  outcome.rowsToSend)
                                   : lang::Tr("sent, not checked");
      break;
    case R::CheckDiffers:
      lastCheck_ =
          lang::Format(lang::Tr("The table read back differs from the table sent ({1} "
                                "difference(s), first: {2})"),
                       outcome.differences.size(), Cp1252ToUtf8(outcome.differences.front()));
      break;
    case R::CheckNoAnswer:
      lastCheck_ = lang::Tr("written; the analyser did not answer when it was read back");
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
  report.tableSource = Unsent()             ? lang::Tr("as in the window; not sent to the analyser")
                       : lastCheck_.empty() ? lang::Tr("as read from the analyser")
                                            : lang::Tr("as sent to the analyser");
  report.lastBackup = lastBackup_;
  report.checkResult = lastCheck_;
  report.program = std::string(kProgramName) + " " + QUELT_VERSION;
  return report;
}

bool WindowController::ExportCsv(const std::filesystem::path& path) {
  std::string error;
  if (!WriteFileWhole(path, FormatCsv(table_.Rows()), &error)) {
    const std::string text = lang::Format(lang::Tr("Not exported: {1}"), error);
    LogFinal(text);
    Ask(ErrorMessage(text));
    return false;
  }
  LogFinal(
      lang::Format(lang::Tr("Exported {1} rows to {2}"), table_.Rows().size(), PathText(path)));
  return true;
}

bool WindowController::WriteReport(const std::filesystem::path& path) {
  std::string error;
  if (!WriteFileWhole(path, FormatServiceReport(Report()), &error)) {
    const std::string text = lang::Format(lang::Tr("No report: {1}"), error);
    LogFinal(text);
    Ask(ErrorMessage(text));
    return false;
  }
  LogFinal(lang::Format(lang::Tr("Wrote the service report to {1}"), PathText(path)));
  return true;
}

void WindowController::Export(ExportKind kind) {
  if (transferActive_) return;
  const std::filesystem::path path = PickFile(ExportFileChoice(kind));
  if (path.empty()) return;
  if (kind == ExportKind::Csv) {
    ExportCsv(path);
  } else {
    WriteReport(path);
  }
}

}  // namespace quelt::control
