#include "control/backups_view.h"

#include "control/window_controller.h"
#include "fuel/backup_file.h"
#include "fuel/fuel_ops.h"
#include "fuel/row_compare.h"
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

const std::array<const char*, BackupsView::kColumns>& BackupsView::ColumnTitles() {
  static const std::array<const char*, kColumns> titles = {"Saved", "Rows", "Count", "Check"};
  return titles;
}

std::array<std::string, BackupsView::kColumns> BackupsView::Columns(const BackupEntry& entry) {
  const bool read = entry.table.has_value();
  return {entry.saved, read ? std::to_string(entry.rows) : "",
          entry.count ? std::to_string(*entry.count) : "", PlainDeviceText(entry.check)};
}

BackupsView::BackupsView(WindowController& controller) : controller_(controller) { Reload(); }

void BackupsView::Reload() {
  folder_ = controller_.AnalyserBackupsFolder();
  entries_ = folder_.empty() ? std::vector<BackupEntry>{} : ListBackups(folder_);
  Select(entries_.empty() ? -1 : 0);
}

std::string BackupsView::Heading() const {
  const std::string serial =
      Cp1252ToUtf8(PlainDeviceText(controller_.Ops().Identity().serialNumber));
  if (serial.empty()) return "No analyser identified yet: press Refresh, then open the backups.";
  if (entries_.empty()) {
    return "No backups of the analyser " + serial + " yet (" + PathText(folder_) + ").";
  }
  return std::to_string(entries_.size()) + " backup(s) of the analyser " + serial + " in " +
         PathText(folder_);
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

bool BackupsView::Restore() {
  if (!CanRestore()) return false;
  const BackupEntry& entry = *Current();
  const std::string question = "Write the backup of " + entry.saved + " (" +
                               std::to_string(entry.rows) + " rows, count " +
                               (entry.count ? std::to_string(*entry.count) : "?") +
                               ") back to the analyser? Its table now is saved as a backup first.";
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
  const std::filesystem::path root = ops_.BackupsFolder();
  return root.empty() ? root : BackupFolderOf(root, serial);
}

bool WindowController::RestoreBackup(const std::filesystem::path& path) {
  if (face_ == nullptr || transferActive_ || ops_.Busy()) return false;
  SetProgress(0);
  // The file is read and checked again: it may have changed since it was listed.
  BackupEntry entry = ReadBackupEntry(path, true);
  if (entry.restorable && entry.count == 0 &&
      Ask(YesNoQuestion(kEmptyTableQuestion)) != Answer::Yes) {
    LogFinal("Nothing was sent.");
    return false;
  }
  if (!entry.restorable) {
    const std::string text = "Not restored: " + PathText(path) + ": " +
                             PlainDeviceText(entry.check) + ". Nothing was sent.";
    LogFinal(text);
    Ask(WarningMessage(text));
    return false;
  }
  if (*entry.count > kMaxRowsUsed) {
    Log("The backup's count is " + std::to_string(*entry.count) +
        ": it is written back as it was; the analyser uses " + std::to_string(kMaxRowsUsed) +
        " rows.");
  }
  SendOptions options;
  options.allowEmpty = true;  // asked above
  // Only onto the analyser the backup was made of.
  const SendOutcome outcome = ops_.RestoreTable(*entry.table, options, true);
  if (!outcome.backupPath.empty()) lastBackup_ = outcome.backupPath;
  NoteCheck(outcome);
  Update();
  if (outcome.result != SendOutcome::Result::Sent) {
    if (!glb_.ConnectProblem().empty()) LogFinal(Cp1252ToUtf8(glb_.ConnectProblem()));
    return false;
  }
  LogFinal("Restored " + PathText(path) + ": " + std::to_string(outcome.rowsToSend) +
           " rows and the count " + std::to_string(outcome.countSent) + ", checked");
  return true;
}

bool WindowController::LoadBackup(const std::filesystem::path& path) {
  if (face_ == nullptr || transferActive_ || ops_.Busy() || !MayDropChanges()) return false;
  const BackupEntry entry = ReadBackupEntry(path, true);
  if (!entry.table) {
    const std::string text = "Not loaded: " + PathText(path) + ": " + PlainDeviceText(entry.check) +
                             ". The table is as it was.";
    LogFinal(text);
    Ask(WarningMessage(text));
    return false;
  }
  const std::vector<FuelRow> rows = RowsOfBackup(*entry.table);
  table_.DisableControls();
  table_.EmptyTable();
  for (const FuelRow& row : rows) table_.AppendRow(row);
  table_.Renumber();
  table_.First();
  table_.EnableControls();
  unsent_.MarkLoaded(table_);
  sendEnabled_ = true;
  LogFinal("Loaded " + std::to_string(rows.size()) + " rows from the backup " + PathText(path) +
           ": not sent yet");
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
    std::string text = Cp1252ToUtf8(DescribeStoppedWrite(outcome));
    if (!messages.empty()) {
      text = messages.back();
      messages.pop_back();
    }
    for (const std::string& m : messages) Ask(ErrorMessage(m));
    text += "\n\nRestore the previous table from " + outcome.backupPath + " now?";
    if (Ask(RestoreQuestion(text)) == Answer::Restore) {
      const std::u8string utf8(outcome.backupPath.begin(), outcome.backupPath.end());
      RestoreBackup(std::filesystem::path(utf8));
    }
    return;
  }
  for (const std::string& m : messages) Ask(ErrorMessage(m));
}

}  // namespace quelt::control
