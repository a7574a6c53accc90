// The backups an analyser has: the files of its folder below BackupsRoot(),
// newest first, each with what it holds and whether it may go back.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuel/backup.h"

namespace quelt {

struct BackupEntry {
  std::filesystem::path path;
  std::string saved;  // "2026-12-09 11:40:05 +0100" (UTF-8); the file's name without the line
  int rows = 0;       // rows in use (the count's rows)
  std::optional<int> count;
  // "ok", "ok, no checksum" (an earlier version's file), or why it must not
  // be restored: the check that failed, or what RestoreProblem says (UTF-8).
  std::string check;
  bool restorable = false;
  BackupCause cause = BackupCause::Unknown;  // what it was made for, as the file says
  std::optional<StoredTable> table;          // set when the file could be read as a backup
};

// The folder of an analyser's backups: root/BackupFolderName(serial).
std::filesystem::path BackupFolderOf(const std::filesystem::path& root,
                                     std::string_view serialNumber);

// One backup file read and checked as a restore would check it (an empty
// table counts as a problem unless `allowEmpty`).
BackupEntry ReadBackupEntry(const std::filesystem::path& path, bool allowEmpty = false);

// The ".txt" files of `folder` (no links, no folders), newest first by the
// moment their "Saved" line names (UTC offset included), then by name.
// Empty for a missing folder. At most `limit` files.
std::vector<BackupEntry> ListBackups(const std::filesystem::path& folder, std::size_t limit = 1000);

// "2026-12-09 11:40:05   17 rows, count 15   ok   /path": one line of a listing.
std::string BackupListLine(const BackupEntry& entry);

}  // namespace quelt
