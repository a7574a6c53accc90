#include "control/transfer_commands.h"

#include <algorithm>

#include "fuel/atomic_file.h"
#include "fuel/backup_list.h"
#include "fuel/gas_names.h"
#include "fuel/link_texts.h"
#include "fuel/row_compare.h"
#include "fuel/status_text.h"
#include "lang/format.h"
#include "lang/tr.h"

namespace quelt::control {

void TransferCommands::Refresh() {
  WindowState& s = state_;
  if (s.transferActive || !s.refreshEnabled) return;
  // The question runs a loop of its own: a key may have started a transfer.
  if (!files_.MayDropChanges() || s.transferActive || s.ops.Busy()) return;
  s.SetProgress(0);
  const std::string portGone = ports_.Prepare();
  s.sessionTrace.Trace().Operation("Refresh");
  const bool read = s.ops.Refresh();
  if (!portGone.empty()) record_.Log(portGone);
  // A failed read empties the grid: nothing is left to lose.
  if (read || s.table.IsEmpty()) s.unsent.MarkInSync(s.table);
  // A check belongs to the table it checked, not to one read later.
  s.lastCheck.clear();
  StartFromRead(read);

  const StoredTable* stored = s.ops.KnownStoredTable();
  const int rowsRead = read && stored ? static_cast<int>(stored->rows.size()) : 0;
  const auto& rows = s.table.Rows();
  const auto hRow = std::find_if(rows.begin(), rows.end(),
                                 [](const FuelRow& r) { return r.ID == kNaturalGasHId; });
  const int hRowIndex = hRow == rows.end() ? -1 : static_cast<int>(hRow - rows.begin());
  const std::string result =
      RefreshResultLine(read, rowsRead, s.table.RowCount(), hRowIndex, s.link, s.Port());
  s.sessionTrace.Trace().Outcome(result);
  record_.LogFinal(result);
}

void TransferCommands::Send() {
  WindowState& s = state_;
  if (s.transferActive || !s.sendEnabled || s.ops.Busy()) return;
  s.SetProgress(0);
  if (const std::string gone = ports_.Prepare(); !gone.empty()) record_.Log(gone);
  s.sessionTrace.Trace().Operation("Send");
  const SendOutcome outcome = s.ops.SendTable();
  s.sessionTrace.NoteSend(outcome);
  if (!outcome.backupPath.empty()) s.lastBackup = outcome.backupPath;
  NoteCheck(outcome);
  ShowSendMessages(outcome);
  using R = SendOutcome::Result;
  switch (outcome.result) {
    case R::Sent:
      s.unsent.MarkSent(outcome.sent);
      s.history.Clear();
      if (outcome.checked && s.ops.KnownStoredTable() != nullptr) {
        s.NoteStoredRows();
      } else {
        // Not read back: the analyser holds what was sent, as far as anyone knows.
        s.marks.SetStored(StoredRows(outcome.sent), s.ops.Naming());
      }
      s.beforeSend.reset();
      if (!outcome.backupPath.empty()) {
        if (const auto backup = ReadBackupEntry(outcome.backupPath).table) {
          s.beforeSend = StoredRows(backup->rows);
        }
      }
      s.RedrawGrid();
      break;
    case R::Declined:
      record_.LogFinal(lang::Tr("Nothing was sent."));
      break;
    case R::Refused:
    case R::CheckDiffers:
      break;
    case R::BackupFailed:
    case R::NoReply:
    case R::Interrupted:
    case R::CheckNoAnswer:
      LogLinkProblem();
      break;
  }
}

void TransferCommands::ShowSendMessages(const SendOutcome& outcome) {
  using R = SendOutcome::Result;
  const bool stopped = outcome.result == R::NoReply || outcome.result == R::Interrupted;
  std::vector<std::string> messages = outcome.messages;
  if (!stopped || outcome.backupPath.empty() || state_.closePending || state_.face == nullptr) {
    state_.ShowFailures(messages);
    return;
  }
  // The last message says what the analyser holds now; it becomes the question.
  std::string text = messages.empty() ? DescribeStoppedWrite(outcome) : messages.back();
  if (!messages.empty()) messages.pop_back();
  state_.ShowFailures(messages);
  text += "\n\n" +
          lang::Format(lang::Tr("Restore the previous table from {1} now?"), outcome.backupPath);
  // The trace first, then the question again: the backup is still there.
  Answer answer;
  while ((answer = state_.Ask(OfferingTrace(RestoreQuestion(text)))) == Answer::SaveTrace) {
    exports_.SaveTrace();
  }
  if (answer == Answer::Restore) {
    const std::u8string utf8(outcome.backupPath.begin(), outcome.backupPath.end());
    Restore(std::filesystem::path(utf8), StoppedWriteLeft(outcome));
  }
}

bool TransferCommands::Restore(const std::filesystem::path& path, const std::string& tableBefore) {
  WindowState& s = state_;
  if (s.face == nullptr || s.transferActive || s.ops.Busy()) return false;
  // The grid then shows what the analyser holds: changes not sent go first
  // to a file, or are given up, or the restore waits.
  if (!files_.MayDropChanges() || s.transferActive || s.ops.Busy()) return false;
  s.SetProgress(0);
  // The file is read and checked again: it may have changed since it was listed.
  BackupEntry entry = ReadBackupEntry(path, true);
  if (entry.restorable && entry.count == 0 &&
      s.Ask(YesNoQuestion(lang::Tr(kEmptyTableQuestion))) != Answer::Yes) {
    record_.LogFinal(lang::Tr("Nothing was sent."));
    return false;
  }
  if (!entry.restorable) {
    record_.Failed(lang::Format(lang::Tr("Not restored: {1}: {2}. Nothing was sent."),
                                PathText(path), PlainDeviceText(entry.check)),
                   WarningMessage);
    return false;
  }
  if (*entry.count > kMaxRowsUsed) {
    record_.Log(lang::Format(lang::Tr("The backup's count is {1}: it is written back as it was; "
                                      "the analyser uses {2} rows."),
                             *entry.count, kMaxRowsUsed));
  }
  SendOptions options;
  options.allowEmpty = true;  // asked above
  options.tableBefore = tableBefore;
  // Only onto the analyser the backup was made of.
  const SendOutcome outcome = s.ops.RestoreTable(*entry.table, options, true);
  s.ShowFailures(outcome.messages);
  if (!outcome.backupPath.empty()) s.lastBackup = outcome.backupPath;
  NoteCheck(outcome);
  display_.Update();
  if (outcome.result != SendOutcome::Result::Sent) {
    LogLinkProblem();
    return false;
  }
  record_.LogFinal(lang::Format(lang::Tr("Restored {1}: {2} rows and the count {3}, checked"),
                                PathText(path), entry.rows, outcome.countSent));
  ShowAnalysersTable();
  return true;
}

void TransferCommands::ShowAnalysersTable() {
  WindowState& s = state_;
  const bool read = s.ops.ReadFuelList().ok;
  s.link.Disconnect();
  // A failed read empties the grid: nothing is left to lose.
  s.unsent.MarkInSync(s.table);
  StartFromRead(read);
  if (read) {
    record_.LogFinal(lang::Format(lang::Tr("The grid shows the analyser's table: {1} rows read"),
                                  s.ops.KnownStoredTable()->rows.size()));
  }
  display_.Update();
}

void TransferCommands::StartFromRead(bool read) {
  WindowState& s = state_;
  s.history.Clear();
  if (read) {
    s.NoteStoredRows();
  } else {
    s.marks.Forget();
  }
  s.beforeSend.reset();
  s.RedrawGrid();
}

void TransferCommands::NoteCheck(const SendOutcome& outcome) {
  std::string& check = state_.lastCheck;
  using R = SendOutcome::Result;
  switch (outcome.result) {
    case R::Sent:
      check = outcome.checked ? lang::Format(lang::Tr("Checked: {1} rows and the count "
                                                      "read back as sent"),
                                             outcome.rowsToSend)
                              : lang::Tr("sent, not checked");
      break;
    case R::CheckDiffers:
      check = lang::Format(lang::Tr("The table read back differs from the table sent ({1} "
                                    "difference(s), first: {2})"),
                           outcome.differences.size(), outcome.differences.front());
      break;
    case R::CheckNoAnswer:
      check = lang::Tr("written; the analyser did not answer when it was read back");
      break;
    case R::NoReply:
    case R::Interrupted:
      check = DescribeStoppedWrite(outcome);
      break;
    case R::Declined:
    case R::Refused:
    case R::BackupFailed:
      break;  // nothing was written: the last check still holds
  }
}

void TransferCommands::LogLinkProblem() {
  if (!state_.link.ConnectProblem().empty()) record_.LogFinal(LinkProblemText(state_.link));
}

}  // namespace quelt::control
