// The window's exports: the grid for spreadsheets and the service report.
#include <ctime>

#include "control/window_controller.h"
#include "fuel/atomic_file.h"
#include "fuel/status_text.h"
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
      lastCheck_ = lang::Format(lang::Tr("The table read back differs from the table sent ({1} "
                                         "difference(s), first: {2})"),
                                outcome.differences.size(), outcome.differences.front());
      break;
    case R::CheckNoAnswer:
      lastCheck_ = lang::Tr("written; the analyser did not answer when it was read back");
      break;
    case R::NoReply:
    case R::Interrupted:
      lastCheck_ = DescribeStoppedWrite(outcome);
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
  report.workstation = WorkstationName();
  report.customer = reportParties_.customer;
  report.site = reportParties_.site;
  report.technician = reportParties_.technician;
  report.program = std::string(kProgramName) + " " + QUELT_VERSION;
  if (!marks_.Known()) {
    // Nothing read from the analyser: the grid is all there is, and no check
    // or backup speaks of it.
    report.rows = table_.Rows();
    report.tableSource = lang::Tr("as in the window; not read from the analyser");
    return report;
  }
  // What the analyser stores; the grid's unsent changes are not its table.
  report.rows = marks_.Stored();
  report.tableSource = lang::Tr("as stored on the analyser");
  for (const std::string& note : marks_.ReadAdditions(table_)) {
    report.notes.push_back(note);
  }
  if (marks_.RowsChanging(table_) > 0) {
    report.notes.push_back(
        lang::Format(lang::Tr("The window holds changes not sent to the analyser ({1}); "
                              "they are not in this report."),
                     ChangesText(marks_.RowsChanging(table_))));
  }
  if (beforeSend_) {
    report.beforeKnown = true;
    report.before = *beforeSend_;
    report.lastBackup = lastBackup_;
    report.checkResult = lastCheck_;
  }
  return report;
}

namespace {
constexpr const char* kCustomerKey = "report/customer";
constexpr const char* kSiteKey = "report/site";
constexpr const char* kTechnicianKey = "report/technician";
}  // namespace

void WindowController::LoadParties() {
  if (face_ == nullptr) return;
  reportParties_ = {face_->LoadSetting(kCustomerKey), face_->LoadSetting(kSiteKey),
                    face_->LoadSetting(kTechnicianKey)};
}

std::string PartyLine(std::string_view utf8) {
  int chars = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    // A character starts at every byte that does not continue one.
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && chars++ == kPartyMaxChars) {
      return std::string(utf8.substr(0, i));
    }
  }
  return std::string(utf8);
}

void WindowController::SetParties(const ReportParties& parties) {
  reportParties_ = {PartyLine(parties.customer), PartyLine(parties.site),
                    PartyLine(parties.technician)};
  if (face_ == nullptr) return;
  face_->StoreSetting(kCustomerKey, reportParties_.customer);
  face_->StoreSetting(kSiteKey, reportParties_.site);
  face_->StoreSetting(kTechnicianKey, reportParties_.technician);
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
  if (kind == ExportKind::Report) {
    // Who and where first: Cancel writes no report.
    ReportParties parties = reportParties_;
    if (face_ == nullptr || !face_->EditReportParties(parties)) return;
    SetParties(parties);
  }
  const std::filesystem::path path = PickFile(ExportFileChoice(kind));
  if (path.empty()) return;
  if (kind == ExportKind::Csv) {
    ExportCsv(path);
  } else {
    WriteReport(path);
  }
}

}  // namespace quelt::control
