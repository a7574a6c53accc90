// The window's record: the log lines as the face shows them, each kept in
// today's log file too (fuel/session_log.h), the last line of an operation
// said once, and the separator a Refresh starts below.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "control/window_state.h"
#include "front/layout.h"
#include "fuel/session_log.h"

namespace quelt::control {

// Where the split between the log and the grid is kept (the log's height at
// 96 dpi), the same name in both windows' settings.
inline constexpr const char* kLogHeightSettingKey = "window/logHeight";

class WindowRecord {
 public:
  explicit WindowRecord(WindowState& state) : state_(state) {}

  void Log(const std::string& utf8);
  // Logs `utf8` unless the operations just logged it themselves.
  void LogFinal(const std::string& utf8);
  // A command that failed: `utf8` in the log and in a box made by `box`
  // (ErrorMessage, WarningMessage).
  void Failed(const std::string& utf8, Message (*box)(const std::string& text));
  // The operations start their log afresh: what the log said about backups,
  // sends and restores stays, and a Refresh starts below a line with its time.
  void StartAfresh();

  // The clock of the log's times (tests set their own).
  void SetClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }
  // Today's log file; empty while no folder is known.
  std::filesystem::path TodaysLogFile() const;
  // Shows today's log file with the system's program, or says why not.
  void OpenTodaysLog();

  // The log's height at 96 dpi: the one the face's settings kept from the
  // last run (read when a face is attached), or the default.
  void LoadLogHeight();
  int LogHeight() const { return logHeight_; }
  // The split bar let go at `height96`: kept for the next run.
  void SplitMoved(int height96);

 private:
  // The line into today's log file; a failed write is said once in the log.
  void KeepInFile(const std::string& utf8);

  WindowState& state_;
  std::string lastLine_;
  // Lines shown since the start: a Refresh then separates rather than clears.
  int logLines_ = 0;
  SessionLog sessionLog_;
  bool sessionLogFailed_ = false;
  int logHeight_ = front::kDefaultLogHeight;
  std::function<std::time_t()> clock_ = [] { return std::time(nullptr); };
};

}  // namespace quelt::control
