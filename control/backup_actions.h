// What the Backups view asks of the window (control/backups_view.h): the
// folder of the analyser last identified, a backup written back exactly,
// and one taken into the grid as a table not sent.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "control/file_commands.h"
#include "control/transfer_commands.h"
#include "control/window_part.h"

namespace quelt::control {

// The rows a backup stores in use, as the grid takes them.
std::vector<FuelRow> RowsOfBackup(const StoredTable& backup);

class BackupActions : public WindowPart {
 public:
  BackupActions(const WindowPart& part, FileCommands& files, TransferCommands& transfers)
      : WindowPart(part), files_(files), transfers_(transfers) {}

  // Empty while no analyser has been identified.
  std::filesystem::path AnalyserBackupsFolder() const;
  // TransferCommands::Restore.
  bool Restore(const std::filesystem::path& path, const std::string& tableBefore = {}) {
    return transfers_.Restore(path, tableBefore);
  }
  // True when the grid holds the backup's rows now; unsent changes are
  // asked about first.
  bool Load(const std::filesystem::path& path);

 private:
  FileCommands& files_;
  TransferCommands& transfers_;
};

}  // namespace quelt::control
