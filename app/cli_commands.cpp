#include "app/cli_commands.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app/cli_io.h"
#include "app/cli_tools.h"
#include "app/cli_view.h"
#include "fuel/atomic_file.h"
#include "fuel/backup.h"
#include "fuel/field_ranges.h"
#include "fuel/fuel_ops.h"
#include "fuel/row_check.h"
#include "fuel/row_compare.h"
#include "fuel/table_check.h"
#include "fuel/table_file.h"
#include "link/analyser_link.h"
#include "link/clock_pump.h"
#include "link/discovery.h"
#include "sim/inprocess_line.h"
#include "text/cp1252.h"

namespace quelt::cli {
namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void NoteStopSignal(int signal) { g_stopSignal = signal; }

#ifdef _WIN32
// Ctrl+C, Ctrl+Break and closing the console window end the program like
// SIGINT, SIGBREAK and SIGHUP. Windows ends the process when the handler of
// a close returns: it waits, within the seconds Windows grants, until the
// command in flight is finished and the report is out.
HANDLE g_finished = nullptr;

BOOL WINAPI NoteConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
      g_stopSignal = SIGINT;
      return TRUE;
    case CTRL_BREAK_EVENT:
      g_stopSignal = SIGBREAK;
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      g_stopSignal = 1;  // as SIGHUP: the terminal went away
      if (g_finished != nullptr) WaitForSingleObject(g_finished, 4500);
      return TRUE;
    default:
      return FALSE;
  }
}
#endif

constexpr int kStopSignals[] = {
    SIGINT,   SIGTERM,
#ifdef SIGHUP
    SIGHUP,   SIGQUIT,
#endif
#ifdef SIGBREAK
    SIGBREAK,
#endif
};

void Say(const std::string& utf8) { WriteStderr(utf8 + '\n'); }

// The file a command sends from, whole; nothing after saying why it cannot
// be read and that nothing was sent.
std::optional<std::string> InputToSend(const std::string& path) {
  std::string error;
  auto text = ReadInputFile(path, &error);
  if (!text) Say(error + "\nNothing was sent.");
  return text;
}

struct Tool {
  // --demo: the simulated analyser inside the program, at the real line's pace.
  std::unique_ptr<sim::InProcessLine> simulated;
  ClockPump pump;
  AnalyserLink link{pump};
  FuelTable table;
  CliView view;
  FuelOperations ops{link, table, view};
  // A command that writes finishes the command on the line before it stops;
  // one that only reads gives up its wait at once.
  bool abortWaitOnStop = true;

  explicit Tool(const Options& options) {
    // After the link's own tick handler: the tick that sees the signal ends
    // the wait.
    pump.AddTickHandler([this] {
      if (g_stopSignal != 0 && abortWaitOnStop) link.Abort();
    });
    link.SetPortOverride(options.port);
    link.SetTrace(options.trace);
    if (options.demo) {
      simulated = sim::InProcessLine::ForDemo();
      link.UseLine(*simulated);
      link.SetPortOverride(simulated->DevicePath());
      ops.UseDemoBackups();
    }
    CatchStopSignals();
  }
  // Every way out closes the port, which gives it back its settings.
  ~Tool() { link.Disconnect(); }

  int LinkFailure() {
    if (g_stopSignal != 0) return Stopped();
    Say(kCommunicationError);
    if (!link.ConnectProblem().empty()) Say(link.ConnectProblem());
    return kLinkFailed;
  }

  // The identity came, the table did not: the count's or the replies' own
  // line is in the log already, a missing reply is a communication error.
  int ReadFailure(const ReadResult& read) {
    if (g_stopSignal != 0) return Stopped();
    if (link.failed() && read.problem.empty()) Say(kCommunicationError);
    return kLinkFailed;
  }

  int Stopped() {
    link.Disconnect();
    Say("Stopped; nothing was written to the analyser.");
    return 128 + g_stopSignal;
  }

  // Ctrl+C, SIGTERM, SIGHUP (terminal closed, ssh dropped) and SIGQUIT ask
  // the operation to stop after the command in flight; nothing cuts a write
  // off in the middle of a command.
  void CatchStopSignals() {
    for (const int signal : kStopSignals) std::signal(signal, NoteStopSignal);
#ifdef _WIN32
    if (g_finished == nullptr) g_finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(NoteConsoleEvent, TRUE);
#endif
    ops.SetStopRequest([] { return g_stopSignal != 0; });
  }
};

int ExitFor(const SendOutcome& outcome) {
  using R = SendOutcome::Result;
  switch (outcome.result) {
    case R::Sent:
      if (outcome.checked) Say(std::to_string(outcome.rowsToSend) + " row(s) verified");
      return kOk;
    case R::Declined:
    case R::Refused:
      return kUsage;
    case R::Interrupted:
      return 128 + g_stopSignal;
    case R::CheckDiffers:
      return kMismatch;
    case R::BackupFailed:
    case R::NoReply:
    case R::CheckNoAnswer:
      break;
  }
  return kLinkFailed;
}

// Values outside their plausible range, missing or shared IDs and Soot other
// than 0 or 1 go out as they are, with a warning.
void WarnImplausible(const std::vector<FuelRow>& rows) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (const std::string& line : ImplausibleValues(rows[i], static_cast<int>(i) + 1)) {
      Say("Warning: " + line);
    }
  }
  // Missing and shared IDs, Soot other than 0 or 1.
  for (const std::string& line : TableDoubts(rows)) Say("Warning: " + line);
}

// Values the wire carries rounded, named before anything is sent.
void NoteRounding(const std::vector<FuelRow>& rows) {
  for (std::size_t i = 0; i < rows.size() && i < static_cast<std::size_t>(kMaxRowsSent); ++i) {
    for (const FuelFieldInfo& info : FuelFields()) {
      if (!IsDecimalField(info.field)) continue;
      if (auto note = RoundingNote(info.field, rows[i].Decimal(info.field))) {
        Say("Row " + std::to_string(i + 1) + ": " + *note);
      }
    }
  }
}

}  // namespace

void FinishReports() {
#ifdef _WIN32
  if (g_finished != nullptr) SetEvent(g_finished);
#endif
}

int FindPort() {
  const FoundPort found = FindAnalyserPort();
  if (!found) {
    Say(kNoBridgeText);
    return kLinkFailed;
  }
  std::string error;
  if (!WriteStdout(found.name + '\n', &error)) {
    Say(error);
    return kLinkFailed;
  }
  return kOk;
}

int Identify(const Options& options) {
  Tool t(options);
  std::string lines;
  t.view.CaptureLog(&lines);
  const bool ok = t.ops.QueryIdentity();
  t.view.CaptureLog(nullptr);
  t.link.Disconnect();
  // The lines that did arrive show how far the analyser got.
  std::string error;
  if (!WriteStdout(lines, &error)) {
    Say(error);
    return kLinkFailed;
  }
  if (!ok) return t.LinkFailure();
  return kOk;
}

int Read(const Options& options) {
  Tool t(options);
  bool identified = false;
  const ReadResult read = t.ops.ReadAnalyser(&identified);
  t.link.Disconnect();
  if (!identified) return t.LinkFailure();
  if (!read) return t.ReadFailure(read);
  std::string text;
  for (int i = 0; i < t.table.RowCount(); ++i)
    text += PlainDeviceText(FormatRowLine(t.table.Row(i), i + 1)) + '\n';
  std::string error;
  if (!WriteStdout(text, &error)) {
    Say(error);
    return kLinkFailed;
  }
  return kOk;
}

int Write(const Options& options, const std::string& path) {
  const auto text = InputToSend(path);
  if (!text) return kUsage;
  const RowFile file = ParseTableText(*text);
  if (file.error) {
    Say(WhereInFile(path, file.error->line) + ": " + file.error->message + "\nNothing was sent.");
    return kUsage;
  }
  if (file.rows.empty() && !options.allowEmpty) {
    Say(path +
        ": nothing to write: the file holds no rows, and an empty table tells the "
        "analyser to use no fuel at all.\nNothing was sent. (--allow-empty sends it on "
        "purpose.)");
    return kUsage;
  }
  NoteRounding(file.rows);
  WarnImplausible(file.rows);
  Tool t(options);
  t.abortWaitOnStop = false;
  for (const FuelRow& row : file.rows) t.table.AppendRow(row);
  if (!t.ops.QueryIdentity()) return t.LinkFailure();
  const SendOutcome outcome = t.ops.SendTable({!options.noBackup, options.verify});
  ShowMessages(t.view, outcome);
  return ExitFor(outcome);
}

int Backup(const Options& options, const std::string& path) {
  if (auto problem = OutputFileProblem(path)) {
    Say(*problem + ".\nNothing was saved.");
    return kUsage;
  }
  // A backup typed where a prepared table's name belonged must not destroy it.
  const Existing existing = options.force ? Existing::Replace : Existing::Keep;
  if (existing == Existing::Keep && OutputFileExists(path)) {
    Say(path +
        ": the file exists; backup does not replace it (--force replaces it).\n"
        "Nothing was saved.");
    return kUsage;
  }
  Tool t(options);
  if (!t.ops.QueryIdentity()) return t.LinkFailure();
  StoredTable stored;
  if (const ReadResult read = t.ops.ReadStoredTable(stored, options.all ? kMaxRowsSent : 0);
      !read) {
    if (g_stopSignal != 0) return t.Stopped();
    if (!read.problem.empty()) {
      Say(read.problem + "; nothing was saved.");
    } else {
      Say(kTransferError);
    }
    return kLinkFailed;
  }
  t.link.Disconnect();
  const std::string text = FormatBackup(stored, std::time(nullptr), BackupCause::ByHand);
  std::string error;
  if (path == "-" ? !WriteStdout(text, &error)
                  : !WriteTextFileWhole(PathFromUtf8(path), text, &error, existing)) {
    Say(error);
    return kLinkFailed;
  }
  if (path != "-") {
    std::string beyond;
    if (!stored.rowsBeyondCount.empty()) {
      const std::size_t first = stored.rows.size() + 1;
      const std::size_t last = stored.rows.size() + stored.rowsBeyondCount.size();
      const auto silent = static_cast<std::size_t>(
          std::count(stored.rowsBeyondCount.begin(), stored.rowsBeyondCount.end(), std::nullopt));
      beyond = ", and rows " + std::to_string(first) + " to " + std::to_string(last) +
               " beyond the count" +
               (silent == 0 ? "" : " (" + std::to_string(silent) + " without an answer)") + ",";
    }
    Say("Saved " + std::to_string(stored.rows.size()) + " rows and the count" + beyond + " to " +
        path);
  }
  return kOk;
}

int Restore(const Options& options, const std::string& path) {
  const auto text = InputToSend(path);
  if (!text) return kUsage;
  // Everything about the file is checked before the port is opened.
  std::string error;
  bool checked = false;
  const auto backup = ParseBackup(*text, &error, &checked);
  if (!backup) {
    Say(path + ": " + error + "\nNothing was sent.");
    return kUsage;
  }
  if (auto problem = RestoreProblem(*backup, options.allowEmpty)) {
    Say(path + ": " + *problem + ".\nNothing was sent.");
    return kUsage;
  }
  if (!checked) {
    Say(path +
        ": no checksum: a backup of an earlier version. Its rows and count agree, so it is "
        "restored as it stands.");
  }
  std::vector<FuelRow> rows;
  for (const std::string& row : RestoreRowTexts(*backup)) {
    rows.push_back(ReadFuelRowText(row).ToRow());
  }
  WarnImplausible(rows);
  if (const int count = *backup->CountNumber(); count > kMaxRowsUsed) {
    Say("The backup's count is " + std::to_string(count) +
        ": it is written back as it was; the analyser uses " + std::to_string(kMaxRowsUsed) +
        " rows.");
  }
  Tool t(options);
  if (!t.ops.QueryIdentity()) return t.LinkFailure();
  if (const StoredTable& now = t.ops.Identity();
      now.serialNumber != backup->serialNumber && !options.anyAnalyser) {
    Say(path + ": this backup is of the analyser with serial number \"" +
        Cp1252ToUtf8(backup->serialNumber) + "\"; the one attached says \"" +
        Cp1252ToUtf8(now.serialNumber) +
        "\".\nNothing was sent. (--any-analyser restores it all the same.)");
    return kUsage;
  }
  t.abortWaitOnStop = false;
  const SendOutcome outcome =
      t.ops.RestoreTable(*backup, {!options.noBackup, true, options.allowEmpty});
  ShowMessages(t.view, outcome);
  return ExitFor(outcome);
}

int ReadAnalyserTable(const Options& options, AnalyserTable& table, bool withRows) {
  Tool t(options);
  bool identified = false;
  ReadResult read = ReadResult::Read();
  if (withRows) {
    read = t.ops.ReadAnalyser(&identified);
  } else {
    identified = t.ops.QueryIdentity();
  }
  t.link.Disconnect();
  if (!identified) return t.LinkFailure();
  if (!read) return t.ReadFailure(read);
  table.identity = t.ops.Identity();
  table.naming = t.ops.Naming();
  if (const StoredTable* stored = t.ops.KnownStoredTable(); withRows && stored != nullptr) {
    table.stored = StoredRows(stored->rows);
  }
  return kOk;
}

}  // namespace quelt::cli
