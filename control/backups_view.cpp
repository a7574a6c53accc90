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
  const std::string serial = DeviceText(controller_.Identity().serialNumber);
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
  return entry != nullptr && entry->table && controller_.KnownStoredTable() != nullptr &&
         !controller_.TransferActive();
}

std::vector<std::string> BackupsView::Compare() {
  if (!CanCompare()) return {};
  const BackupEntry& entry = *Current();
  std::vector<std::string> lines;
  for (const std::string& line :
       TableDifferences(rows_, RowsOfBackup(*controller_.KnownStoredTable()))) {
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

}  // namespace quelt::control
