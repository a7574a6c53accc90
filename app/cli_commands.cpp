#include "app/cli_commands.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>

#include "app/cli_io.h"
#include "app/cli_view.h"
#include "fuel/backup.h"
#include "fuel/fuel_ops.h"
#include "fuel/row_check.h"
#include "fuel/row_file.h"
#include "link/clock_pump.h"
#include "link/discovery.h"
#include "link/exchange.h"
#include "sim/inprocess_line.h"
#include "text/cp1252.h"

namespace quelt::cli {
namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void NoteStopSignal(int signal) { g_stopSignal = signal; }

void Say(const std::string& utf8) { std::fputs((utf8 + '\n').c_str(), stderr); }

struct Tool {
  // --demo: the simulated analyser inside the program, at the real line's pace.
  std::unique_ptr<sim::InProcessLine> simulated;
  ClockPump pump;
  TGlb glb{pump};
  FuelTable table;
  CliView view;
  FuelListOps ops{glb, table, view};

  explicit Tool(const Options& options) {
    pump.SetTickHandler([this] { glb.Timer1Timer(); });
    glb.PortOverride = options.port;
    if (options.demo) {
      simulated = sim::InProcessLine::ForDemo();
      glb.UseLine(*simulated);
      glb.PortOverride = simulated->DevicePath();
    }
  }
  ~Tool() { glb.Disconnect(); }

  int LinkFailure() {
    Say(kCommunicationError);
    if (!glb.ConnectProblem().empty()) Say(glb.ConnectProblem());
    return kLinkFailed;
  }

  // A write is never cut off in the middle of a command: Ctrl+C and SIGTERM
  // only ask the write to stop after the command in flight.
  void CatchStopSignals() {
    std::signal(SIGINT, NoteStopSignal);
#ifdef SIGTERM
    std::signal(SIGTERM, NoteStopSignal);
#endif
    ops.StopRequested = [] { return g_stopSignal != 0; };
  }
};

int ExitFor(const SendOutcome& outcome, bool checked) {
  using R = SendOutcome::Result;
  switch (outcome.result) {
    case R::Sent:
      if (checked) Say(std::to_string(outcome.rowsToSend) + " row(s) verified");
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

}  // namespace

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
  t.glb.Disconnect();
  if (!ok) return t.LinkFailure();
  std::string error;
  if (!WriteStdout(lines, &error)) {
    Say(error);
    return kLinkFailed;
  }
  return kOk;
}

int Read(const Options& options) {
  Tool t(options);
  bool identified = false;
  const bool ok = t.ops.ReadAnalyser(&identified);
  t.glb.Disconnect();
  if (!identified) return t.LinkFailure();
  if (!ok) {
    if (t.glb.Failed) Say(kCommunicationError);
    return kLinkFailed;
  }
  std::string text;
  for (int i = 0; i < t.table.RecordCount(); ++i)
    text += FormatRowLine(t.table.Row(i), i + 1) + '\n';
  std::string error;
  if (!WriteStdout(text, &error)) {
    Say(error);
    return kLinkFailed;
  }
  return kOk;
}

int Write(const Options& options, const std::string& path) {
  std::string error;
  const auto text = ReadInputFile(path, &error);
  if (!text) {
    Say(error + "\nNothing was sent.");
    return kUsage;
  }
  const RowFile file = ParseRowFile(*text);
  if (file.error) {
    Say(path + ":" + std::to_string(file.error->line) + ": " + file.error->message +
        "\nNothing was sent.");
    return kUsage;
  }
  if (file.rows.empty() && !options.allowEmpty) {
    Say(path +
        ": nothing to write: the file holds no rows, and an empty table tells the "
        "analyser to use no fuel at all.\nNothing was sent. (--allow-empty sends it on "
        "purpose.)");
    return kUsage;
  }
  Tool t(options);
  for (const FuelRow& row : file.rows) t.table.AppendRow(row);
  t.CatchStopSignals();
  if (!t.ops.QueryIdentity()) return t.LinkFailure();
  const SendOutcome outcome = t.ops.SendTable({!options.noBackup, options.verify});
  return ExitFor(outcome, options.verify);
}

int Backup(const Options& options, const std::string& path) {
  // A FILE that is a link, a folder, a device or a pipe is refused before
  // the analyser is asked anything.
  if (path != "-") {
    if (auto problem = ReplaceProblem(PathFromUtf8(path))) {
      Say(path + ": " + *problem + ".\nNothing was saved.");
      return kUsage;
    }
  }
  Tool t(options);
  if (!t.ops.QueryIdentity()) return t.LinkFailure();
  StoredTable stored;
  const bool read = t.ops.ReadStoredTable(stored);
  if (!read && t.glb.Failed) {
    Say(kTransferError);
    return kLinkFailed;
  }
  // A count that is no number would save an empty table as if it were one.
  const auto count = stored.CountNumber();
  if (!read || !count) {
    Say("The analyser's row count \"" + ShowField(Cp1252ToUtf8(stored.countReply)) +
        "\" is no number; nothing was saved.");
    return kLinkFailed;
  }
  if (options.all && !t.ops.ReadRowsBeyondCount(stored, kMaxRowsSent)) {
    Say(kTransferError);
    return kLinkFailed;
  }
  t.glb.Disconnect();
  const std::string text = FormatBackup(stored, std::time(nullptr));
  std::string error;
  if (path == "-" ? !WriteStdout(text, &error)
                  : !WriteTextFileWhole(PathFromUtf8(path), text, &error)) {
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
  std::string error;
  const auto text = ReadInputFile(path, &error);
  if (!text) {
    Say(error + "\nNothing was sent.");
    return kUsage;
  }
  // Everything about the file is checked before the port is opened.
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
  if (const int count = *backup->CountNumber(); count > kMaxRowsUsed) {
    Say("The backup's count is " + std::to_string(count) +
        ": it is written back as it was; the analyser uses " + std::to_string(kMaxRowsUsed) +
        " rows.");
  }
  Tool t(options);
  t.CatchStopSignals();
  if (!t.ops.QueryIdentity()) return t.LinkFailure();
  if (const StoredTable& now = t.ops.Identity();
      now.serialNumber != backup->serialNumber && !options.anyAnalyser) {
    Say(path + ": this backup is of the analyser with serial number \"" +
        Cp1252ToUtf8(backup->serialNumber) + "\"; the one attached says \"" +
        Cp1252ToUtf8(now.serialNumber) +
        "\".\nNothing was sent. (--any-analyser restores it all the same.)");
    return kUsage;
  }
  const SendOutcome outcome = t.ops.RestoreTable(*backup, {!options.noBackup, true});
  return ExitFor(outcome, true);
}

}  // namespace quelt::cli
