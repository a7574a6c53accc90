#include "control/exports.h"

#include <ctime>

#include "fuel/atomic_file.h"
#include "fuel/status_text.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "quelt/version.h"
#include "text/cp1252.h"

namespace quelt::control {

ServiceReport Exports::Report() const {
  ServiceReport report;
  const StoredTable& identity = state_.ops.Identity();
  report.identification = identity.identification;
  report.type = identity.type;
  report.serialNumber = identity.serialNumber;
  report.version = identity.version;
  report.date = std::time(nullptr);
  report.workstation = WorkstationName();
  report.customer = parties_.customer;
  report.site = parties_.site;
  report.technician = parties_.technician;
  report.program = std::string(kProgramName) + " " + QUELT_VERSION;
  if (!state_.marks.Known()) {
    // Nothing read from the analyser: the grid is all there is, and no check
    // or backup speaks of it.
    report.rows = state_.table.Rows();
    report.tableSource = lang::Tr("as in the window; not read from the analyser");
    return report;
  }
  // What the analyser stores; the grid's unsent changes are not its table.
  report.rows = state_.marks.Stored();
  report.tableSource = lang::Tr("as stored on the analyser");
  for (const std::string& note : state_.marks.ReadAdditions(state_.table)) {
    report.notes.push_back(note);
  }
  if (state_.marks.RowsChanging(state_.table) > 0) {
    report.notes.push_back(
        lang::Format(lang::Tr("The window holds changes not sent to the analyser ({1}); "
                              "they are not in this report."),
                     ChangesText(state_.marks.RowsChanging(state_.table))));
  }
  if (state_.beforeSend) {
    report.beforeKnown = true;
    report.before = *state_.beforeSend;
    report.lastBackup = state_.lastBackup;
    report.checkResult = state_.lastCheck;
  }
  return report;
}

namespace {
constexpr const char* kCustomerKey = "report/customer";
constexpr const char* kSiteKey = "report/site";
constexpr const char* kTechnicianKey = "report/technician";
}  // namespace

void Exports::LoadParties() {
  if (state_.face == nullptr) return;
  parties_ = {state_.face->LoadSetting(kCustomerKey), state_.face->LoadSetting(kSiteKey),
              state_.face->LoadSetting(kTechnicianKey)};
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

void Exports::SetParties(const ReportParties& parties) {
  parties_ = {PartyLine(parties.customer), PartyLine(parties.site), PartyLine(parties.technician)};
  if (state_.face == nullptr) return;
  state_.face->StoreSetting(kCustomerKey, parties_.customer);
  state_.face->StoreSetting(kSiteKey, parties_.site);
  state_.face->StoreSetting(kTechnicianKey, parties_.technician);
}

bool Exports::ExportCsv(const std::filesystem::path& path) {
  std::string error;
  if (!WriteFileWhole(path, FormatCsv(state_.table.Rows()), &error)) {
    record_.Failed(lang::Format(lang::Tr("Not exported: {1}"), error), ErrorMessage);
    return false;
  }
  record_.LogFinal(lang::Format(lang::Tr("Exported {1} rows to {2}"), state_.table.Rows().size(),
                                PathText(path)));
  return true;
}

bool Exports::WriteReport(const std::filesystem::path& path) {
  std::string error;
  if (!WriteFileWhole(path, FormatServiceReport(Report()), &error)) {
    record_.Failed(lang::Format(lang::Tr("No report: {1}"), error), ErrorMessage);
    return false;
  }
  record_.LogFinal(lang::Format(lang::Tr("Wrote the service report to {1}"), PathText(path)));
  return true;
}

void Exports::Export(ExportKind kind) {
  if (state_.transferActive) return;
  if (kind == ExportKind::Report) {
    // Who and where first: Cancel writes no report.
    ReportParties parties = parties_;
    if (state_.face == nullptr || !state_.face->EditReportParties(parties)) return;
    SetParties(parties);
  }
  const std::filesystem::path path = files_.PickFile(ExportFileChoice(kind));
  if (path.empty()) return;
  if (kind == ExportKind::Csv) {
    ExportCsv(path);
  } else {
    WriteReport(path);
  }
}

void Exports::SaveTrace() {
  const std::filesystem::path path = files_.PickFile(TraceFileChoice());
  if (path.empty()) return;
  if (const std::string error = state_.sessionTrace.SaveTo(path); !error.empty()) {
    record_.Failed(lang::Format(lang::Tr("The trace was not saved: {1}"), error), ErrorMessage);
    return;
  }
  record_.LogFinal(
      lang::Format(lang::Tr("Saved the trace of this session to {1}"), PathText(path)));
}

}  // namespace quelt::control
