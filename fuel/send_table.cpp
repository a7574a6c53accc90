// Sending with its safety steps: nothing goes out that the analyser could not
// store as the grid shows it, its previous table is saved first, and the
// result is read back before anyone is told it worked. A write that stops
// part-way says what the analyser now holds.
#include <algorithm>

#include <ctime>

#include "fuel/fuel_ops.h"
#include "fuel/row_check.h"
#include "fuel/row_compare.h"
#include "fuel/transfer_scope.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "link/commands.h"
#include "text/cp1252.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

std::string RowRange(int written, int total) {
  if (written == 1) return "Row 1 of " + std::to_string(total) + " was written";
  return "Rows 1 to " + std::to_string(written) + " of " + std::to_string(total) + " were written";
}

// The sentences for a write that changed nothing, or whose one row in
// flight may have landed: what the analyser held before it, `before` when a
// stopped write left that.
std::string NothingConfirmed(const std::string& inFlight, const std::string& before,
                             const std::string& backup) {
  if (inFlight.empty()) {
    const std::string held = before.empty()
                                 ? "should still hold its previous table."
                                 : "still holds what the stopped send left: " + before + ".";
    return "No row was written; the count was not changed. The analyser " + held +
           (backup.empty() ? std::string() : " It is also in " + backup + ".");
  }
  return "No row was confirmed, but " + inFlight + "; the count was not changed. The analyser " +
         (before.empty()
              ? "holds its previous table, row 1 perhaps replaced."
              : "holds what the stopped send left (" + before + "), row 1 perhaps replaced.");
}

}  // namespace

std::string StoppedWriteLeft(const SendOutcome& o) {
  using R = SendOutcome::Result;
  if (o.result != R::NoReply && o.result != R::Interrupted) return {};
  const std::string maybeNext =
      o.rowInFlightLost ? " (row " + std::to_string(o.rowsWritten + 1) + " perhaps too)" : "";
  if (o.rowsWritten == 0) {
    return o.rowInFlightLost ? "the old table with row 1 perhaps replaced by the new one"
                             : std::string();
  }
  if (o.rowsWritten < o.rowsToSend) {
    const std::string rows =
        o.rowsWritten == 1 ? "row 1" : "rows 1 to " + std::to_string(o.rowsWritten);
    return rows + " of the new table" + maybeNext + " over the old one, with the old count";
  }
  return o.countInFlightLost ? "the whole new table, with the old count or the new one"
                             : "the whole new table, with the old count";
}

std::string DescribeStoppedWrite(const SendOutcome& o) {
  using R = SendOutcome::Result;
  if (o.result != R::NoReply && o.result != R::Interrupted) return {};
  const std::string backup = Wire(o.backupPath);
  // The command whose reply was lost may have been carried out: the
  // analyser can have stored it and only its answer went missing.
  const std::string inFlight =
      o.rowInFlightLost ? "row " + std::to_string(o.rowsWritten + 1) + " may have been written"
                        : std::string();
  std::string text;
  if (o.rowsWritten == 0 && !o.countWritten) {
    text = NothingConfirmed(inFlight, o.tableBefore, backup);
    if (inFlight.empty()) return text;
  } else if (o.rowsWritten < o.rowsToSend) {
    text = RowRange(o.rowsWritten, o.rowsToSend) + (inFlight.empty() ? "" : ", " + inFlight) +
           "; the count was not changed. The analyser now holds " +
           (o.tableBefore.empty()
                ? "a mix of the old and the new table."
                : "these rows over what the stopped send left: " + o.tableBefore + ".");
  } else {
    text =
        "All " + std::to_string(o.rowsToSend) + " rows were written, but the count (" +
        std::to_string(o.countSent) + ") was " +
        (o.countInFlightLost ? "not confirmed: the analyser may use its old count or the new one."
                             : "not sent: the analyser may still use its old count.");
  }
  if (backup.empty()) return text + " No backup was made: send again.";
  return text + " Your previous table is in " + backup + ": send again, or restore it.";
}

SendOutcome FuelOperations::SendTable(const SendOptions& options) {
  SendOutcome outcome;
  outcome.result = SendOutcome::Result::Declined;
  if (busy_) return outcome;
  if (table_.IsEmpty() && !view_.Confirm(lang::TrCp1252(kEmptyTableQuestion))) return outcome;
  outcome.result = SendOutcome::Result::Sent;

  std::vector<std::string> texts;
  const int rows = table_.RecordCount();
  for (int i = 0; i < std::min(rows, kMaxRowsSent); ++i) {
    if (auto problem = RowProblem(table_.Row(i))) {
      outcome.result = SendOutcome::Result::Refused;
      outcome.problem = "Row " + std::to_string(i + 1) + ": " + *problem;
      view_.AddLogLine(Wire(outcome.problem));
      ShowMessage(Wire(outcome.problem) + "\nNothing was sent.");
      return outcome;
    }
    texts.push_back(WriteFuelRowText(table_.Row(i), i + 1));
  }
  if (rows > kMaxRowsSent) {
    view_.AddLogLine(lang::Format(
        lang::TrCp1252("Rows {1} to {2} are not sent: the analyser takes at most {3} rows."),
        kMaxRowsSent + 1, rows, kMaxRowsSent));
  }
  // The grid's selection follows the row being sent, and goes back to the
  // row the user was on once the send is over.
  const int current = table_.CurrentIndex();
  followTable_ = true;
  outcome = WriteChecked(texts, std::min(rows, kMaxRowsUsed), options);
  followTable_ = false;
  if (current >= 0 && current < table_.RecordCount()) table_.MoveTo(current);
  return outcome;
}

SendOutcome FuelOperations::RestoreTable(const StoredTable& backup, const SendOptions& options,
                                         bool sameAnalyserOnly) {
  SendOutcome refused;
  if (busy_) {
    refused.result = SendOutcome::Result::Declined;
    return refused;
  }
  // A damaged backup never reaches the analyser, whoever asks for it. An
  // empty one was asked for on purpose when the caller let it through.
  if (auto problem = RestoreProblem(backup, options.allowEmpty)) {
    refused.result = SendOutcome::Result::Refused;
    refused.problem = *problem;
    view_.AddLogLine(Wire(*problem));
    ShowMessage(Wire(*problem) + "\nNothing was sent.");
    return refused;
  }
  // The count goes back as the file holds it, also above 15.
  tableBefore_ = options.tableBefore;
  backupCause_ = BackupCause::Restore;
  Finally forget([&] {
    tableBefore_.clear();
    backupCause_ = BackupCause::Send;
  });
  SendOutcome outcome = WriteChecked(RestoreRowTexts(backup), backup.CountNumber().value_or(0),
                                     options, sameAnalyserOnly ? &backup.serialNumber : nullptr);
  outcome.tableBefore = options.tableBefore;
  return outcome;
}

SendOutcome FuelOperations::WriteChecked(const std::vector<std::string>& rowTexts, int count,
                                         const SendOptions& options,
                                         const std::string* serialNumber) {
  SendOutcome outcome;
  outcome.rowsInTable = static_cast<int>(rowTexts.size());
  outcome.rowsToSend = static_cast<int>(rowTexts.size());
  outcome.countSent = count;
  if (followTable_) outcome.rowsInTable = table_.RecordCount();

  TransferScope transfer(*this);
  view_.SetBusyCursor(true);
  view_.SetProgress(0);
  Finally closing([&] {
    view_.SetBusyCursor(false);
    ReportOutcome(outcome);
  });

  // A failure of an earlier transfer must not fail this one at once: start
  // over, with discovery, on a fresh connection.
  if (glb_.failed()) {
    glb_.Disconnect();
    glb_.ClearFailure();
  }
  StartInStep();
  glb_.Drain();
  if (!AttachedAnalyserMayBeWritten(serialNumber, outcome)) return outcome;
  if (options.backup && !SaveBackupBeforeWrite(outcome)) return outcome;
  if (StopWanted()) {
    outcome.result = SendOutcome::Result::Interrupted;
    return outcome;
  }
  storedKnown_ = false;  // from the first W command on, only a check can tell
  WriteRows(rowTexts, count, outcome);
  outcome.checked = options.check;
  if (outcome.result == SendOutcome::Result::Sent && options.check) {
    CheckWritten(rowTexts, count, outcome);
  }
  return outcome;
}

bool FuelOperations::AttachedAnalyserMayBeWritten(const std::string* backupSerial,
                                                  SendOutcome& outcome) {
  StoredTable attached;
  if (!AskIdentity(attached, false)) {
    outcome.result = SendOutcome::Result::NoReply;
    return false;
  }
  const auto named = [](const StoredTable& t) {
    return lang::Format(lang::TrCp1252("serial number {1}, type {2}"),
                        PlainDeviceText(t.serialNumber), PlainDeviceText(t.type));
  };
  if (backupSerial != nullptr && attached.serialNumber != *backupSerial) {
    outcome.result = SendOutcome::Result::Refused;
    outcome.problem = "The analyser attached has the serial number \"" +
                      Cp1252ToUtf8(PlainDeviceText(attached.serialNumber)) + "\", not \"" +
                      Cp1252ToUtf8(PlainDeviceText(*backupSerial)) + "\"";
    view_.AddLogLine(Wire(outcome.problem) + "; nothing was sent.");
    ShowMessage(Wire(outcome.problem) + ".\nNothing was sent.");
    return false;
  }
  // Another analyser plugged in since the table was read: writing to it
  // without a word would overwrite a table nobody looked at.
  const bool another =
      backupSerial == nullptr && !stored_.serialNumber.empty() &&
      (attached.serialNumber != stored_.serialNumber || attached.type != stored_.type);
  if (another) {
    const std::string both =
        lang::Format(lang::TrCp1252("Another analyser is attached ({1}) than the one last read "
                                    "({2})."),
                     named(attached), named(stored_));
    view_.AddLogLine(both);
    if (aborting_ || StopWanted() ||
        !view_.Confirm(both + "\n" + lang::TrCp1252("Write the table to the analyser attached?"))) {
      outcome.result = SendOutcome::Result::Declined;
      return false;
    }
  }
  // From here on the backup, the check and the window speak of this analyser.
  stored_.identification = attached.identification;
  stored_.type = attached.type;
  stored_.serialNumber = attached.serialNumber;
  stored_.version = attached.version;
  storedKnown_ = false;
  return true;
}

bool FuelOperations::SaveBackupBeforeWrite(SendOutcome& outcome) {
  // Read now, not taken from the last Refresh: the table may have been
  // changed since (another workstation, a restore, someone at the analyser),
  // and the backup must hold what this write overwrites: the rows in use and
  // the stored rows beyond the count that the new rows land on.
  StoredTable table;
  const ReadResult read = ReadStoredTable(table, outcome.rowsToSend);
  if (!read) {
    if (read.stopped) {
      outcome.result = SendOutcome::Result::Interrupted;
      return false;
    }
    outcome.result = SendOutcome::Result::BackupFailed;
    outcome.countRefused = read.countRefused;
    outcome.problem = read.problem.empty()
                          ? "the analyser did not answer while its table was read for the backup"
                          : Cp1252ToUtf8(read.problem);
    return false;
  }
  std::string error;
  const auto path = SaveBackupIn(table, AnalyserBackupsFolder(table.serialNumber),
                                 std::time(nullptr), &error, backupCause_);
  if (!path) {
    outcome.result = SendOutcome::Result::BackupFailed;
    outcome.problem = "the backup could not be saved: " + error;
    return false;
  }
  outcome.backupPath = PathText(*path);
  view_.AddLogLine(lang::Format(lang::TrCp1252("Backup of the analyser's table: {1}"),
                                Wire(outcome.backupPath)));
  return true;
}

void FuelOperations::WriteRows(const std::vector<std::string>& rowTexts, int count,
                               SendOutcome& outcome) {
  auto stop = [&] {
    if (!StopWanted()) return false;
    outcome.result = SendOutcome::Result::Interrupted;
    return true;
  };
  int position = 0;
  for (const std::string& text : rowTexts) {
    if (stop()) return;
    ++position;
    view_.SetProgress(position);
    // The grid's selection follows the row being sent.
    if (followTable_ && position <= table_.RecordCount()) table_.MoveTo(position - 1);
    if (!glb_.Ask(std::string(cmd::kWriteRow) + text)) {
      outcome.result = SendOutcome::Result::NoReply;
      outcome.rowInFlightLost = true;
      return;
    }
    ++outcome.rowsWritten;
  }
  if (stop()) return;
  if (!glb_.Ask(std::string(cmd::kWriteCount) + IntToStrWidth(count, 0) + cmd::kWriteCountTail)) {
    outcome.result = SendOutcome::Result::NoReply;
    outcome.countInFlightLost = true;
    return;
  }
  outcome.countWritten = true;
}

void FuelOperations::CheckWritten(const std::vector<std::string>& rowTexts, int count,
                                  SendOutcome& outcome) {
  auto& diffs = outcome.differences;
  std::int32_t countBack = 0;
  std::string countReply;
  if (const ReadResult read = RequestRowCount(countBack, countReply); !read) {
    if (!read.countRefused) {
      outcome.result = SendOutcome::Result::CheckNoAnswer;
      return;
    }
    // A count that is no number differs from every count sent; the rows
    // are still compared.
    countBack = -1;
  }
  StoredTable now = stored_;
  now.countReply = countReply;
  now.rows.clear();
  now.rowsBeyondCount.clear();
  if (countBack != count) {
    diffs.push_back("Count: sent " + std::to_string(count) + ", the analyser reported " +
                    (countBack >= 0 ? std::to_string(countBack) : QuotedDeviceText(countReply)));
  }
  for (std::size_t i = 0; i < rowTexts.size(); ++i) {
    const int position = static_cast<int>(i + 1);
    const auto reply = RequestRow(position);
    if (!reply) {
      outcome.result = SendOutcome::Result::CheckNoAnswer;
      return;
    }
    // Rows beyond the count stay rows beyond the count: a later backup
    // taken from this picture must restore as it was stored.
    if (position <= std::max(count, 0)) {
      now.rows.push_back(*reply);
    } else {
      now.rowsBeyondCount.push_back(*reply);
    }
    for (std::string& d : RowDifferences(position, rowTexts[i], *reply)) {
      diffs.push_back(std::move(d));
    }
  }
  if (!diffs.empty()) {
    outcome.result = SendOutcome::Result::CheckDiffers;
    return;
  }
  stored_ = std::move(now);
  storedKnown_ = true;
  view_.AddLogLine(lang::Format(lang::TrCp1252("Checked: {1} rows and the count read back as sent"),
                                rowTexts.size()));
}

void FuelOperations::ReportOutcome(const SendOutcome& o) {
  using R = SendOutcome::Result;
  const std::string backup = o.backupPath.empty()
                                 ? std::string()
                                 : " Your previous table is in " + Wire(o.backupPath) + ".";
  switch (o.result) {
    case R::Sent:
      view_.SetProgress(kProgressFullScale);
      // A restored count above 15 is stored as it was; the analyser uses 15.
      if (o.countSent > kMaxRowsUsed) {
        view_.AddLogLine(lang::Format(
            o.checked ? lang::TrCp1252("Sent {1} rows, the analyser uses {2} (the count stored "
                                       "is {3})")
                      : lang::TrCp1252("Sent {1} rows, the analyser uses {2} (the count stored "
                                       "is {3}); sent, not checked"),
            o.rowsToSend, kMaxRowsUsed, o.countSent));
        return;
      }
      view_.AddLogLine(
          lang::Format(o.checked ? lang::TrCp1252("Sent {1} rows, the analyser uses {2}")
                                 : lang::TrCp1252("Sent {1} rows, the analyser uses {2}; sent, "
                                                  "not checked"),
                       o.rowsToSend, o.countSent));
      return;
    case R::Declined:
    case R::Refused:
      break;
    case R::BackupFailed:
      if (o.countRefused) {
        // The count's own line is already in the log.
        view_.AddLogLine(Wire(o.problem) + "; nothing was sent.");
        ShowMessage(Wire(o.problem) + ".\nNothing was sent.");
        break;
      }
      view_.AddLogLine(
          lang::Format(lang::TrCp1252("No backup: {1}. Nothing was sent."), Wire(o.problem)));
      ShowMessage(lang::Format(lang::TrCp1252("No backup of the analyser's table could be made: "
                                              "{1}.\nNothing was sent."),
                               Wire(o.problem)));
      break;
    case R::NoReply:
    case R::Interrupted: {
      SendOutcome shown = o;
      shown.tableBefore = tableBefore_;
      const std::string report = DescribeStoppedWrite(shown);
      view_.AddLogLine(report);
      if (o.result == R::NoReply) ShowMessage(lang::TrCp1252(kTimeout) + "\n\n" + report);
      break;
    }
    case R::CheckNoAnswer: {
      const std::string text =
          "The table was written, but the analyser did not answer when it was read back: "
          "Refresh to see what it holds." +
          backup;
      view_.AddLogLine(text);
      ShowMessage(lang::TrCp1252(kTransferError) + "\n\n" + text);
      break;
    }
    case R::CheckDiffers: {
      view_.AddLogLine(lang::TrCp1252("The table read back differs from the table sent:"));
      for (const std::string& d : o.differences) view_.AddLogLine(d);
      std::string text = "The table read back differs from the table sent (" +
                         std::to_string(o.differences.size()) + " difference" +
                         (o.differences.size() == 1 ? "" : "s") +
                         ", first: " + o.differences.front() + ")." + backup;
      ShowMessage(text);
      break;
    }
  }
  view_.SetProgress(0);
}

}  // namespace quelt
