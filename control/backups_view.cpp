#include "control/backups_view.h"

#include "control/window_controller.h"
#include "front/field_rules.h"
#include "front/texts.h"
#include "fuel/atomic_file.h"
#include "fuel/fuel_ops.h"
#include "fuel/link_texts.h"
#include "fuel/row_compare.h"
#include "fuel/table_diff.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "text/cp1252.h"

namespace quelt::control {

std::vector<FuelRow> RowsOfBackup(const StoredTable& backup) {
  std::vector<FuelRow> rows;
  for (const std::string& text : backup.rows) {
    const ParsedFuelRow parsed = ReadFuelRowText(text);
    // A restorable backup's rows all fit; one that does not shows as far as it goes.
    rows.push_back(parsed.FitsRow() ? parsed.ToRow() : FuelRow{});
  }
  return rows;
}

std::vector<std::string> BackupsView::ListTitles() {
  return {lang::Tr("Saved"), lang::Tr("Rows"), lang::Tr("Count"), lang::Tr("Check"),
          lang::Tr("Made")};
}

std::vector<std::string> BackupsView::Columns(const BackupEntry& entry) {
  const bool read = entry.table.has_value();
  std::string made = "\u2014";  // an earlier version's file does not say
  switch (entry.cause) {
    case BackupCause::Send:
      made = lang::Tr("before a send");
      break;
    case BackupCause::Restore:
      made = lang::Tr("before a restore");
      break;
    case BackupCause::ByHand:
      made = lang::Tr("by hand");
      break;
    case BackupCause::Unknown:
      break;
  }
  return {entry.saved, read ? std::to_string(entry.rows) : "",
          entry.count ? std::to_string(*entry.count) : "", PlainDeviceText(entry.check), made};
}

std::string BackupsView::Caption() {
  return lang::Tr(front::kBackupsCaption) + " - " + kProgramName;
}

std::string BackupsView::LoadWord() { return lang::TrIn("button", "&Load into grid"); }

std::string BackupsView::RestoreHint() {
  return lang::Tr("Write this backup back to the analyser exactly, then read it back");
}

std::string BackupsView::LoadHint() {
  return lang::Tr("Put this backup's rows into the grid, as a table not sent");
}

std::string BackupsView::CompareWord() { return lang::TrIn("button", "&Compare with analyser"); }

std::string BackupsView::CompareHint() {
  return lang::Tr("List what differs between this backup and the analyser's table last read");
}

std::vector<std::string> BackupsView::RowTitles() {
  std::vector<std::string> titles;
  for (const FuelFieldInfo& info : FuelFields()) titles.emplace_back(info.gridTitle);
  return titles;
}

std::vector<std::string> BackupsView::RowCells(std::size_t index) const {
  std::vector<std::string> cells;
  for (const FuelFieldInfo& info : FuelFields()) {
    cells.push_back(info.field == FuelField::N
                        ? std::to_string(index + 1)
                        : front::FieldDisplayText(rows_.at(index), info.field, separator_));
  }
  return cells;
}

BackupsView::BackupsView(WindowController& controller, char32_t separator)
    : controller_(controller), separator_(separator) {
  Reload();
}

void BackupsView::Reload() {
  folder_ = controller_.AnalyserBackupsFolder();
  entries_ = folder_.empty() ? std::vector<BackupEntry>{} : ListBackups(folder_);
  Select(entries_.empty() ? -1 : 0);
}

std::string BackupsView::Heading() const {
  const std::string serial = DeviceText(controller_.Ops().Identity().serialNumber);
  if (serial.empty()) {
    return lang::Tr("No analyser identified yet: press Refresh, then open the backups.");
  }
  if (entries_.empty()) {
    return lang::Format(lang::Tr("No backups of the analyser {1} yet ({2})."), serial,
                        PathText(folder_));
  }
  return lang::Format(lang::Tr("{1} backup(s) of the analyser {2} in {3}"), entries_.size(), serial,
                      PathText(folder_));
}

void BackupsView::Select(int index) {
  selected_ = index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
  const BackupEntry* entry = Current();
  rows_ = entry && entry->table ? RowsOfBackup(*entry->table) : std::vector<FuelRow>{};
}

const BackupEntry* BackupsView::Current() const {
  return selected_ < 0 ? nullptr : &entries_[static_cast<std::size_t>(selected_)];
}

std::string BackupsView::SelectedNote() const {
  const BackupEntry* entry = Current();
  if (entry == nullptr) return {};
  return PathText(entry->path) + ": " + PlainDeviceText(entry->check);
}

bool BackupsView::CanRestore() const {
  const BackupEntry* entry = Current();
  return entry != nullptr && entry->restorable && !controller_.TransferActive();
}

bool BackupsView::CanLoad() const {
  const BackupEntry* entry = Current();
  return entry != nullptr && entry->table && !rows_.empty() && !controller_.TransferActive();
}

bool BackupsView::CanCompare() const {
  const BackupEntry* entry = Current();
  return entry != nullptr && entry->table && controller_.Ops().KnownStoredTable() != nullptr &&
         !controller_.TransferActive();
}

std::vector<std::string> BackupsView::Compare() {
  if (!CanCompare()) return {};
  const BackupEntry& entry = *Current();
  std::vector<std::string> lines;
  for (const std::string& line :
       TableDifferences(rows_, RowsOfBackup(*controller_.Ops().KnownStoredTable()))) {
    lines.push_back(DeviceText(line));
  }
  std::string text;
  if (lines.empty()) {
    text = lang::Format(lang::Tr("The backup of {1} holds the same rows as the analyser's table "
                                 "last read."),
                        entry.saved);
  } else {
    // A box shows a screenful; the rest is counted.
    constexpr std::size_t kShown = 20;
    text = lang::Format(lang::Tr("{1} difference(s) between the backup of {2} (file) and the "
                                 "analyser's table last read (analyser):"),
                        lines.size(), entry.saved);
    for (std::size_t i = 0; i < lines.size() && i < kShown; ++i) {
      text += '\n';
      text += lines[i];
    }
    if (lines.size() > kShown) {
      text += '\n';
      text += lang::Format(lang::Tr("... and {1} more"), lines.size() - kShown);
    }
  }
  controller_.AskUser(FindingMessage(text));
  return lines;
}

bool BackupsView::Restore() {
  if (!CanRestore()) return false;
  const BackupEntry& entry = *Current();
  const std::string question =
      lang::Format(lang::Tr("Write the backup of {1} ({2} rows, count {3}) back to the analyser? "
                            "Its table now is saved as a backup first."),
                   entry.saved, entry.rows, entry.count ? std::to_string(*entry.count) : "?");
  if (controller_.AskUser(YesNoQuestion(question)) != Answer::Yes) return false;
  const std::filesystem::path path = entry.path;
  const bool done = controller_.RestoreBackup(path);
  Reload();  // the backup made before the restore is listed too
  return done;
}

bool BackupsView::Load() {
  if (!CanLoad()) return false;
  return controller_.LoadBackup(Current()->path);
}

// The controller's side of the view: the folder, the restore and the load.

std::filesystem::path WindowController::AnalyserBackupsFolder() const {
  const std::string& serial = ops_.Identity().serialNumber;
  if (serial.empty()) return {};
  return ops_.AnalyserBackupsFolder(serial);
}

bool WindowController::RestoreBackup(const std::filesystem::path& path,
                                     const std::string& tableBefore) {
  if (face_ == nullptr || transferActive_ || ops_.Busy()) return false;
  // The grid then shows what the analyser holds: changes not sent go first
  // to a file, or are given up, or the restore waits.
  if (!MayDropChanges() || transferActive_ || ops_.Busy()) return false;
  SetProgress(0);
  // The file is read and checked again: it may have changed since it was listed.
  BackupEntry entry = ReadBackupEntry(path, true);
  if (entry.restorable && entry.count == 0 &&
      Ask(YesNoQuestion(lang::Tr(kEmptyTableQuestion))) != Answer::Yes) {
    LogFinal(lang::Tr("Nothing was sent."));
    return false;
  }
  if (!entry.restorable) {
    const std::string text = lang::Format(lang::Tr("Not restored: {1}: {2}. Nothing was sent."),
                                          PathText(path), PlainDeviceText(entry.check));
    LogFinal(text);
    Ask(WarningMessage(text));
    return false;
  }
  if (*entry.count > kMaxRowsUsed) {
    Log(lang::Format(lang::Tr("The backup's count is {1}: it is written back as it was; the "
                              "analyser uses {2} rows."),
                     *entry.count, kMaxRowsUsed));
  }
  SendOptions options;
  options.allowEmpty = true;  // asked above
  options.tableBefore = tableBefore;
  // Only onto the analyser the backup was made of.
  const SendOutcome outcome = ops_.RestoreTable(*entry.table, options, true);
  if (!outcome.backupPath.empty()) lastBackup_ = outcome.backupPath;
  NoteCheck(outcome);
  Update();
  if (outcome.result != SendOutcome::Result::Sent) {
    if (!link_.ConnectProblem().empty()) LogFinal(LinkProblemText(link_));
    return false;
  }
  LogFinal(lang::Format(lang::Tr("Restored {1}: {2} rows and the count {3}, checked"),
                        PathText(path), entry.rows, outcome.countSent));
  ShowAnalysersTable();
  return true;
}

bool WindowController::LoadBackup(const std::filesystem::path& path) {
  if (face_ == nullptr || transferActive_ || ops_.Busy() || !MayDropChanges()) return false;
  const BackupEntry entry = ReadBackupEntry(path, true);
  if (!entry.table) {
    const std::string text = lang::Format(lang::Tr("Not loaded: {1}: {2}. The table is as it was."),
                                          PathText(path), PlainDeviceText(entry.check));
    LogFinal(text);
    Ask(WarningMessage(text));
    return false;
  }
  const std::vector<FuelRow> rows = RowsOfBackup(*entry.table);
  table_.HoldNotifications();
  table_.Clear();
  for (const FuelRow& row : rows) table_.AppendRow(row);
  table_.Renumber();
  table_.MoveToFirst();
  table_.ReleaseNotifications();
  unsent_.MarkLoaded(table_);
  sendEnabled_ = true;
  LogFinal(lang::Format(lang::Tr("Loaded {1} rows from the backup {2}: not sent yet"), rows.size(),
                        PathText(path)));
  Update();
  return true;
}

void WindowController::ShowDeferred(const SendOutcome& outcome) {
  std::vector<std::string> messages;
  messages.swap(deferred_);
  using R = SendOutcome::Result;
  const bool stopped = outcome.result == R::NoReply || outcome.result == R::Interrupted;
  if (stopped && !outcome.backupPath.empty() && !closePending_ && face_ != nullptr) {
    // The last message says what the analyser holds now; it becomes the question.
    std::string text = DescribeStoppedWrite(outcome);
    if (!messages.empty()) {
      text = messages.back();
      messages.pop_back();
    }
    for (const std::string& m : messages) AskOfferingTrace(ErrorMessage(m));
    text += "\n\n" +
            lang::Format(lang::Tr("Restore the previous table from {1} now?"), outcome.backupPath);
    // The trace first, then the question again: the backup is still there.
    Answer answer;
    while ((answer = Ask(OfferingTrace(RestoreQuestion(text)))) == Answer::SaveTrace) SaveTrace();
    if (answer == Answer::Restore) {
      const std::u8string utf8(outcome.backupPath.begin(), outcome.backupPath.end());
      RestoreBackup(std::filesystem::path(utf8), StoppedWriteLeft(outcome));
    }
    return;
  }
  for (const std::string& m : messages) AskOfferingTrace(ErrorMessage(m));
}

}  // namespace quelt::control
