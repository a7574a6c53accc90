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
  std::vector<std::optional<std::string>> rowsBeyondCount;

  // Field 1 of the count reply, as the list read takes it.
  int Count() const;
  // Field 1 of the count reply as a number 0..999; nullopt when the reply
  // holds no such number ("abc", "-5;", "", "1000").
  std::optional<int> CountNumber() const;
};

// The file's text (UTF-8; bytes that are no printable Windows-1252
// character, and '\', are written as \xNN so that every reply survives).
std::string FormatBackup(const StoredTable& table, std::time_t savedAt);
// nullopt with `error` set (UTF-8, names the line) when the text is no backup.
std::optional<StoredTable> ParseBackup(std::string_view text, std::string* error);

// Linux: $XDG_DATA_HOME/quelt-fuel/backups (~/.local/share/... without it);
// Windows: %LOCALAPPDATA%\quelt-fuel\backups. Empty when neither the
// variable nor a home folder is known.
std::filesystem::path BackupsRoot();

// Writes the backup into root/<serial number>/<date>_<time>.txt, never over
// an older file. Returns the file's path, or nullopt with `error` set.
std::optional<std::filesystem::path> SaveBackup(const StoredTable& table,
                                                const std::filesystem::path& root,
                                                std::time_t savedAt, std::string* error);

// Writes `bytes` to `path` through a temporary file in the same folder that
// is flushed and renamed into place: the file is either complete or absent.
bool WriteFileWhole(const std::filesystem::path& path, std::string_view bytes, std::string* error);
// The same for text made with '\n' line ends: written with the system's own,
// CR LF on Windows, so that every editor there shows the lines.
bool WriteTextFileWhole(const std::filesystem::path& path, std::string_view text,
                        std::string* error);
std::string PlatformLineEnds(std::string_view text);

// A path as text for messages (UTF-8 on every system).
std::string PathText(const std::filesystem::path& path);

}  // namespace quelt
