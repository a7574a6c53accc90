// The window's log kept on disk: one UTF-8 file a day, each line with the
// time it was written ("10:42:07 Read 17 rows"), beside the backups
// (<data>/quelt-fuel/log/2026-12-10.log). Day files older than kKeepDays
// are removed when the first line of a run is written. Nothing here may
// make the program fail: a write that fails says why and is tried again
// with the next line.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

namespace quelt {

class SessionLog {
 public:
  static constexpr int kKeepDays = 90;

  // The folder the day files go to; empty: no file is kept.
  void SetFolder(std::filesystem::path folder);
  const std::filesystem::path& Folder() const { return folder_; }
  // The day file of `now` (local time); empty without a folder.
  std::filesystem::path FileOf(std::time_t now) const;
  // Appends `utf8` with the time of `now`; a line break inside it starts
  // an indented line. False, with `error` (UTF-8) saying why, when the file
  // could not be written.
  bool Write(const std::string& utf8, std::time_t now, std::string* error);
  // Removes the day files ("YYYY-MM-DD.log") of days more than kKeepDays
  // before `now`'s day; other files stay. The number removed.
  int RemoveOld(std::time_t now);

 private:
  std::filesystem::path folder_;
  bool cleaned_ = false;
};

// Where the window's day files go: beside the backups' folder `backups`.
std::filesystem::path SessionLogFolder(const std::filesystem::path& backups);

}  // namespace quelt
