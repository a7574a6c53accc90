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

using lang::Format;
using lang::Tr;

std::string RowRange(int written, int total) {
  if (written == 1) return Format(Tr("Row 1 of {1} was written"), total);
  return Format(Tr("Rows 1 to {1} of {2} were written"), written, total);
}

// The name of the button that reads the analyser's table, as the window shows it.
std::string RefreshButton() { return Tr("Refresh"); }

constexpr const char* kNothingSent = lang::TrLater("Nothing was sent.");

// A refusal (UTF-8) as the log and the box end it.
std::string NothingSentLine(const std::string& problem) {
  return Format(Tr("{1}; nothing was sent."), problem);
}
std::string NothingSentMessage(const std::string& problem) {
  return Format(Tr("{1}.\nNothing was sent."), problem);
}

// The sentences for a write that changed nothing, or whose one row in
// flight may have landed: what the analyser held before it, `before` when a
// stopped write left that.
std::string NothingConfirmed(bool rowInFlight, const std::string& before,
                             const std::string& backup) {
  if (!rowInFlight) {
    const std::string text =
        before.empty() ? Tr("No row was written; the count was not changed. The analyser "
                            "should still hold its previous table.")
                       : Format(Tr("No row was written; the count was not changed. The "
                                   "analyser still holds what the stopped send left: {1}."),
                                before);
    return backup.empty() ? text : text + Format(Tr(" It is also in {1}."), backup);
  }
  return before.empty()
             ? Tr("No row was confirmed, but row 1 may have been written; the count was not "
                  "changed. The analyser holds its previous table, row 1 perhaps replaced.")
             : Format(Tr("No row was confirmed, but row 1 may have been written; the count "
                         "was not changed. The analyser holds what the stopped send left "
                         "({1}), row 1 perhaps replaced."),
                      before);
}

}  // namespace

std::string StoppedWriteLeft(const SendOutcome& o) {
  using R = SendOutcome::Result;
  if (o.result != R::NoReply && o.result != R::Interrupted) return {};
  if (o.rowsWritten == 0) {
    return o.rowInFlightLost ? Tr("the old table with row 1 perhaps replaced by the new one")
                             : std::string();
  }
  if (o.rowsWritten < o.rowsToSend) {
    if (o.rowsWritten == 1) {
      return o.rowInFlightLost
                 ? Tr("row 1 of the new table (row 2 perhaps too) over the old one, with "
                      "the old count")
                 : Tr("row 1 of the new table over the old one, with the old count");
    }
    return o.rowInFlightLost
               ? Format(Tr("rows 1 to {1} of the new table (row {2} perhaps too) over the "
                           "old one, with the old count"),
                        o.rowsWritten, o.rowsWritten + 1)
               : Format(Tr("rows 1 to {1} of the new table over the old one, with the old "
                           "count"),
                        o.rowsWritten);
  }
  return o.countInFlightLost ? Tr("the whole new table, with the old count or the new one")
                             : Tr("the whole new table, with the old count");
}

std::string DescribeStoppedWrite(const SendOutcome& o) {
  using R = SendOutcome::Result;
  if (o.result != R::NoReply && o.result != R::Interrupted) return {};
  const std::string backup = o.backupPath;
  // The command whose reply was lost may have been carried out: the
  // analyser can have stored it and only its answer went missing.
  std::string text;
  if (o.rowsWritten == 0 && !o.countWritten) {
    text = NothingConfirmed(o.rowInFlightLost, o.tableBefore, backup);
    if (!o.rowInFlightLost) return text;
  } else if (o.rowsWritten < o.rowsToSend) {
    std::string rows = RowRange(o.rowsWritten, o.rowsToSend);
    if (o.rowInFlightLost) {
      rows = Format(Tr("{1}, row {2} may have been written"), rows, o.rowsWritten + 1);
    }
    text = o.tableBefore.empty()
               ? Format(Tr("{1}; the count was not changed. The analyser now holds a mix of "
                           "the old and the new table."),
                        rows)
               : Format(Tr("{1}; the count was not changed. The analyser now holds these "
                           "rows over what the stopped send left: {2}."),
                        rows, o.tableBefore);
  } else {
    text = o.countInFlightLost
               ? Format(Tr("All {1} rows were written, but the count ({2}) was not "
                           "confirmed: the analyser may use its old count or the new one."),
                        o.rowsToSend, o.countSent)
               : Format(Tr("All {1} rows were written, but the count ({2}) was not sent: "
                           "the analyser may still use its old count."),
                        o.rowsToSend, o.countSent);
  }
  if (backup.empty()) return text + Tr(" No backup was made: send again.");
  return text + Format(Tr(" Your previous table is in {1}: send again, or restore it."), backup);
}

SendOutcome FuelOperations::SendTable(const SendOptions& options) {
  SendOutcome outcome;
  outcome.result = SendOutcome::Result::Declined;
  if (busy_) return outcome;
  if (table_.IsEmpty() && !view_.Confirm(lang::Tr(kEmptyTableQuestion))) return outcome;
  outcome.result = SendOutcome::Result::Sent;

  std::vector<std::string> texts;
  const int rows = table_.RowCount();
  for (int i = 0; i < std::min(rows, kMaxRowsSent); ++i) {
    if (auto problem = RowProblem(table_.Row(i))) {
      outcome.result = SendOutcome::Result::Refused;
      outcome.problem = Format(lang::Tr("Row {1}: {2}"), i + 1, *problem);
      view_.AddLogLine(outcome.problem);
      Tell(outcome, outcome.problem + "\n" + Tr(kNothingSent));
      return outcome;
    }
    texts.push_back(WriteFuelRowText(table_.Row(i), i + 1));
  }
  if (rows > kMaxRowsSent) {
    view_.AddLogLine(
        lang::Format(lang::Tr("Rows {1} to {2} are not sent: the analyser takes at most {3} rows."),
                     kMaxRowsSent + 1, rows, kMaxRowsSent));
  }
  // The grid's selection follows the row being sent, and goes back to the
  // row the user was on once the send is over.
  const int current = table_.CurrentIndex();
  followTable_ = true;
  outcome = WriteChecked(texts, std::min(rows, kMaxRowsUsed), options);
  followTable_ = false;
  if (current >= 0 && current < table_.RowCount()) table_.MoveTo(current);
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
    view_.AddLogLine(*problem);
    Tell(refused, *problem + "\n" + Tr(kNothingSent));
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
  outcome.sent = rowTexts;
  outcome.rowsInTable = static_cast<int>(rowTexts.size());
  outcome.rowsToSend = static_cast<int>(rowTexts.size());
  outcome.countSent = count;
  if (followTable_) outcome.rowsInTable = table_.RowCount();
  {
    TransferScope transfer(*this);
    view_.SetBusyCursor(true);
    view_.SetProgress(0);
    // The report, its messages included, is part of the outcome returned.
    Finally closing([&] {
      view_.SetBusyCursor(false);
      ReportOutcome(outcome);
    });
    WriteSteps(rowTexts, count, options, serialNumber, outcome);
  }
  return outcome;
}

void FuelOperations::WriteSteps(const std::vector<std::string>& rowTexts, int count,
                                const SendOptions& options, const std::string* serialNumber,
                                SendOutcome& outcome) {
  // A failure of an earlier transfer must not fail this one at once: start
  // over, with discovery, on a fresh connection.
  if (link_.failed()) {
    link_.Disconnect();
    link_.ClearFailure();
  }
  StartInStep();
  link_.Drain();
  if (!AttachedAnalyserMayBeWritten(serialNumber, outcome)) return;
  if (options.backup && !SaveBackupBeforeWrite(outcome)) return;
  if (StopWanted()) {
    outcome.result = SendOutcome::Result::Interrupted;
    return;
  }
  storedKnown_ = false;  // from the first W command on, only a check can tell
  WriteRows(rowTexts, count, outcome);
  outcome.checked = options.check;
  if (outcome.result == SendOutcome::Result::Sent && options.check) {
    CheckWritten(rowTexts, count, outcome);
  }
}

bool FuelOperations::AttachedAnalyserMayBeWritten(const std::string* backupSerial,
                                                  SendOutcome& outcome) {
  StoredTable attached;
  if (!AskIdentity(attached, false)) {
    outcome.result = SendOutcome::Result::NoReply;
    return false;
  }
  const auto named = [](const StoredTable& t) {
    return lang::Format(lang::Tr("serial number {1}, type {2}"), DeviceText(t.serialNumber),
                        DeviceText(t.type));
  };
  if (backupSerial != nullptr && attached.serialNumber != *backupSerial) {
    outcome.result = SendOutcome::Result::Refused;
    outcome.problem = Format(lang::Tr("The analyser attached has the serial number \"{1}\", not "
                                      "\"{2}\""),
                             DeviceText(attached.serialNumber), DeviceText(*backupSerial));
    view_.AddLogLine(NothingSentLine(outcome.problem));
    Tell(outcome, NothingSentMessage(outcome.problem));
    return false;
  }
  // Another analyser plugged in since the table was read: writing to it
  // without a word would overwrite a table nobody looked at.
  const bool another =
      backupSerial == nullptr && !stored_.serialNumber.empty() &&
      (attached.serialNumber != stored_.serialNumber || attached.type != stored_.type);
  if (another) {
    const std::string both =
        lang::Format(lang::Tr("Another analyser is attached ({1}) than the one last read "
                              "({2})."),
                     named(attached), named(stored_));
    view_.AddLogLine(both);
    if (aborting_ || StopWanted() ||
        !view_.Confirm(both + "\n" + lang::Tr("Write the table to the analyser attached?"))) {
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
                          ? lang::Tr(
                                "the analyser did not answer while its table was read for "
                                "the backup")
                          : read.problem;
    return false;
  }
  std::string error;
  const auto path = SaveBackupIn(table, AnalyserBackupsFolder(table.serialNumber),
                                 std::time(nullptr), &error, backupCause_);
  if (!path) {
    outcome.result = SendOutcome::Result::BackupFailed;
    outcome.problem = Format(lang::Tr("the backup could not be saved: {1}"), error);
    return false;
  }
  outcome.backupPath = PathText(*path);
  view_.AddLogLine(
      lang::Format(lang::Tr("Backup of the analyser's table: {1}"), outcome.backupPath));
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
    if (followTable_ && position <= table_.RowCount()) table_.MoveTo(position - 1);
    if (!link_.Ask(std::string(cmd::kWriteRow) + text)) {
      outcome.result = SendOutcome::Result::NoReply;
      outcome.rowInFlightLost = true;
      return;
    }
    ++outcome.rowsWritten;
  }
  if (stop()) return;
  if (!link_.Ask(std::string(cmd::kWriteCount) + IntToStrWidth(count, 0) + cmd::kWriteCountTail)) {
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
    diffs.push_back(
        Format(Tr("Count: sent {1}, the analyser reported {2}"), count,
               countBack >= 0 ? std::to_string(countBack) : QuotedDeviceText(countReply)));
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
  view_.AddLogLine(
      lang::Format(lang::Tr("Checked: {1} rows and the count read back as sent"), rowTexts.size()));
}

void FuelOperations::Tell(SendOutcome& outcome, const std::string& text) const {
  // Once the window is closing nobody is there to answer a box.
  if (!aborting_) outcome.messages.push_back(text);
}

void ShowMessages(FuelView& view, const SendOutcome& outcome) {
  for (const std::string& text : outcome.messages) view.ShowMessage(text);
}

void FuelOperations::ReportOutcome(SendOutcome& o) {
  using R = SendOutcome::Result;
  const std::string backup = o.backupPath.empty()
                                 ? std::string()
                                 : Format(Tr(" Your previous table is in {1}."), o.backupPath);
  switch (o.result) {
    case R::Sent:
      view_.SetProgress(kProgressFullScale);
      // A restored count above 15 is stored as it was; the analyser uses 15.
      if (o.countSent > kMaxRowsUsed) {
        view_.AddLogLine(lang::Format(
            o.checked ? lang::Tr("Sent {1} rows, the analyser uses {2} (the count stored "
                                 "is {3})")
                      : lang::Tr("Sent {1} rows, the analyser uses {2} (the count stored "
                                 "is {3}); sent, not checked"),
            o.rowsToSend, kMaxRowsUsed, o.countSent));
        return;
      }
      view_.AddLogLine(lang::Format(o.checked
                                        ? lang::Tr("Sent {1} rows, the analyser uses {2}")
                                        : lang::Tr("Sent {1} rows, the analyser uses {2}; sent, "
                                                   "not checked"),
                                    o.rowsToSend, o.countSent));
      return;
    case R::Declined:
    case R::Refused:
      break;
    case R::BackupFailed:
      if (o.countRefused) {
        // The count's own line is already in the log.
        view_.AddLogLine(NothingSentLine(o.problem));
        Tell(o, NothingSentMessage(o.problem));
        break;
      }
      view_.AddLogLine(lang::Format(lang::Tr("No backup: {1}. Nothing was sent."), o.problem));
      Tell(o, lang::Format(lang::Tr("No backup of the analyser's table could be made: "
                                    "{1}.\nNothing was sent."),
                           o.problem));
      break;
    case R::NoReply:
    case R::Interrupted: {
      SendOutcome shown = o;
      shown.tableBefore = tableBefore_;
      const std::string report = DescribeStoppedWrite(shown);
      view_.AddLogLine(report);
      if (o.result == R::NoReply) Tell(o, lang::Tr(kTimeout) + "\n\n" + report);
      break;
    }
    case R::CheckNoAnswer: {
      // TRANSLATORS: {1} is the name of the button that reads the analyser's table.
      const std::string text = Format(Tr("The table was written, but the analyser did not "
                                         "answer when it was read back: {1} to see what "
                                         "it holds."),
                                      RefreshButton()) +
                               backup;
      view_.AddLogLine(text);
      Tell(o, lang::Tr(kTransferError) + "\n\n" + text);
      break;
    }
    case R::CheckDiffers: {
      view_.AddLogLine(lang::Tr("The table read back differs from the table sent:"));
      for (const std::string& d : o.differences) view_.AddLogLine(d);
      std::string text =
          (o.differences.size() == 1
               ? Format(Tr("The table read back differs from the table sent (1 difference, "
                           "first: {1})."),
                        o.differences.front())
               : Format(Tr("The table read back differs from the table sent ({1} "
                           "differences, first: {2})."),
                        o.differences.size(), o.differences.front())) +
          backup;
      Tell(o, text);
      break;
    }
  }
  view_.SetProgress(0);
}

}  // namespace quelt
