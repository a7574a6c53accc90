#include "control/backup_actions.h"

#include "fuel/atomic_file.h"
#include "fuel/backup_list.h"
#include "fuel/row_compare.h"
#include "lang/format.h"
#include "lang/tr.h"

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

std::filesystem::path BackupActions::AnalyserBackupsFolder() const {
  const std::string& serial = state_.ops.Identity().serialNumber;
  if (serial.empty()) return {};
  return state_.ops.AnalyserBackupsFolder(serial);
}

bool BackupActions::Load(const std::filesystem::path& path) {
  if (state_.face == nullptr || state_.transferActive || state_.ops.Busy() ||
      !files_.MayDropChanges()) {
    return false;
  }
  const BackupEntry entry = ReadBackupEntry(path, true);
  if (!entry.table) {
    record_.Failed(lang::Format(lang::Tr("Not loaded: {1}: {2}. The table is as it was."),
                                PathText(path), PlainDeviceText(entry.check)),
                   WarningMessage);
    return false;
  }
  const std::vector<FuelRow> rows = RowsOfBackup(*entry.table);
  files_.TakeRows(rows);
  record_.LogFinal(lang::Format(lang::Tr("Loaded {1} rows from the backup {2}: not sent yet"),
                                rows.size(), PathText(path)));
  display_.Update();
  return true;
}

}  // namespace quelt::control
