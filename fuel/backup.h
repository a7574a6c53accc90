// Backups of the analyser's table. Before anything is written to the
// analyser, its table as it stores it (the count reply and every row reply,
// byte for byte: no renaming, no inserted row, no rounding) goes into a file
// in the user's backups folder, one subfolder per analyser serial number.
#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuel/atomic_file.h"

namespace quelt {

// The analyser's own words about itself and its table (Windows-1252).
struct StoredTable {
  std::string identification;     // reply to R001
  std::string type;               // reply to R005
  std::string serialNumber;       // reply to R004
  std::string version;            // reply to R002
  std::string countReply;         // reply to R402
  std::vector<std::string> rows;  // replies to R401 for positions 1..rows.size()
  // Positions after `rows` that were read too because a write overwrites
  // them (rows.size()+1, ...); nullopt where the analyser gave no answer.
  // The first entry that is nullopt or no fuel row (HasFuelRowShape) ends
  // the rows the analyser stores: it and what follows it are not rows.
  std::vector<std::optional<std::string>> rowsBeyondCount;

  // Field 1 of the count reply, as the list read takes it.
  int Count() const;
  // Field 1 of the count reply as a number 0..999; nullopt when the reply
  // holds no such number ("abc", "-5;", "", "1000").
  std::optional<int> CountNumber() const;
};

// What a backup was made for: before a send, before a restore, or by hand
// (the command line's backup). Files of earlier versions do not say: Unknown.
enum class BackupCause { Unknown, Send, Restore, ByHand };

// The file's text (UTF-8; bytes that are no printable Windows-1252
// character, and '\', are written as \xNN so that every reply survives).
// It says which rows were read, holds each row line with its position (rows
// beyond the count marked as such, "no answer" where none came) and ends
// with a check line: "Check: 17 row lines, CRC-32 1a2b3c4d", the checksum
// taken over every line before it with '\n' line ends. The cause, when
// known, is a comment line ("# Made: before a send"), which readers of
// earlier versions skip as they skip every comment.
std::string FormatBackup(const StoredTable& table, std::time_t savedAt,
                         BackupCause cause = BackupCause::Unknown);

// `t` in the workstation's local time, written by strftime's `format`; ""
// when the text would not fit 63 characters. The backup's "Saved" line and
// file name and the service report's date use it.
std::string LocalTimeText(std::time_t t, const char* format);
// nullopt with `error` set (UTF-8, names the line) when the text is no
// backup, fails its check line, or has row lines missing, doubled or out of
// order. A backup of an earlier version has no check line: `checked` then
// says false. `cause`: what the file says it was made for.
std::optional<StoredTable> ParseBackup(std::string_view text, std::string* error,
                                       bool* checked = nullptr, BackupCause* cause = nullptr);

// Why a backup must not be written back (UTF-8, for the user), or nullopt.
std::optional<std::string> RestoreProblem(const StoredTable& backup, bool allowEmpty);
// The W401 row texts a restore sends, in order: each stored row with its
// position as first field; rows beyond the count up to the first one
// without an answer or that is no fuel row; at most 30.
std::vector<std::string> RestoreRowTexts(const StoredTable& backup);
// Whether a reply is shaped like a fuel row: eleven fields (the last ';'
// may be missing), the first an integer. "?" and "ERR" are not.
bool HasFuelRowShape(std::string_view reply);
// How many of `rowsBeyondCount` are rows the analyser stores: those before
// the first without an answer or without a fuel row's shape.
std::size_t StoredRowsBeyondCount(const StoredTable& table);
// Why a stored row text (Windows-1252) is no row the analyser keeps: not
// eleven fields, a number that is none, a control character, or what the
// row check refuses (UTF-8), or nullopt.
std::optional<std::string> StoredRowProblem(std::string_view row);

// Linux: $XDG_DATA_HOME/quelt-fuel/backups (~/.local/share/... without it);
// Windows: %LOCALAPPDATA%\quelt-fuel\backups. Empty when neither the
// variable nor a home folder is known.
std::filesystem::path BackupsRoot();

// The folder of an analyser's backups, the same on every system: the serial
// number itself when it is a short, plain name; else a readable part of it
// and a hash of the whole, so that two serial numbers never share a folder.
// Never a path, never one of Windows' device names, at most 32 characters.
std::string BackupFolderName(std::string_view serialNumber);

// The folder below the backups root that the demo's simulated analyser's
// backups go to: its serial number may be a real analyser's, whose backups
// must not be mixed with a demo's. No serial number's folder has this name
// (BackupFolderName keeps no lower-case letters as they are).
inline constexpr const char* kDemoBackupsFolder = "demo";

// Writes the backup into root/<folder name>/<date>_<time>-<nnn>.txt (nnn
// counts from 001 within a second), never over a file, also when another
// program saves at the same moment; names sort in time order. Returns the
// file's path, or nullopt with `error` set.
std::optional<std::filesystem::path> SaveBackup(const StoredTable& table,
                                                const std::filesystem::path& root,
                                                std::time_t savedAt, std::string* error,
                                                BackupCause cause = BackupCause::Unknown);
// The same into `folder` itself (made when missing).
std::optional<std::filesystem::path> SaveBackupIn(const StoredTable& table,
                                                  const std::filesystem::path& folder,
                                                  std::time_t savedAt, std::string* error,
                                                  BackupCause cause = BackupCause::Unknown);

}  // namespace quelt
