#include "control/window_record.h"

#include <algorithm>
#include <charconv>

#include "fuel/atomic_file.h"
#include "fuel/backup.h"
#include "lang/format.h"
#include "lang/tr.h"

namespace quelt::control {
namespace {

// The longest log a split may ask for, at 96 dpi: more than any screen has.
constexpr int kMaxLogHeight = 4000;

}  // namespace

void WindowRecord::Log(const std::string& utf8) {
  lastLine_ = utf8;
  ++logLines_;
  if (state_.face != nullptr) state_.face->AddLogLine(utf8);
  KeepInFile(utf8);
}

void WindowRecord::LogFinal(const std::string& utf8) {
  if (utf8 != lastLine_) Log(utf8);
}

void WindowRecord::Failed(const std::string& utf8, Message (*box)(const std::string& text)) {
  LogFinal(utf8);
  state_.Ask(box(utf8));
}

void WindowRecord::StartAfresh() {
  lastLine_.clear();
  if (logLines_ == 0) return;
  Log(lang::Format(lang::Tr("---- Refresh {1} ----"), LocalTimeText(clock_(), "%H:%M:%S")));
  lastLine_.clear();
}

void WindowRecord::KeepInFile(const std::string& utf8) {
  sessionLog_.SetFolder(SessionLogFolder(state_.ops.BackupsFolder()));
  std::string error;
  if (sessionLog_.Write(utf8, clock_(), &error) || sessionLogFailed_) return;
  // Said once, in the window only: the file is no reason to stop working.
  sessionLogFailed_ = true;
  if (state_.face != nullptr) {
    state_.face->AddLogLine(lang::Format(lang::Tr("The log file is not written: {1}"), error));
  }
}

std::filesystem::path WindowRecord::TodaysLogFile() const {
  SessionLog log;
  log.SetFolder(SessionLogFolder(state_.ops.BackupsFolder()));
  return log.FileOf(clock_());
}

void WindowRecord::OpenTodaysLog() {
  const std::filesystem::path file = TodaysLogFile();
  std::error_code ec;
  if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
    state_.Ask(WarningMessage(
        lang::Format(lang::Tr("There is no log file of today: {1}"),
                     file.empty() ? lang::Tr("(no folder known)") : PathText(file))));
  } else if (state_.face != nullptr && !state_.face->OpenWithSystem(file)) {
    state_.Ask(WarningMessage(lang::Format(
        lang::Tr("The system has no program to show the log file {1}."), PathText(file))));
  }
}

void WindowRecord::LoadLogHeight() {
  if (state_.face == nullptr) return;
  const std::string kept = state_.face->LoadSetting(kLogHeightSettingKey);
  int height = 0;
  const auto [end, ec] = std::from_chars(kept.data(), kept.data() + kept.size(), height);
  const bool valid = ec == std::errc() && end == kept.data() + kept.size() &&
                     height >= front::kMinLogHeight && height <= kMaxLogHeight;
  logHeight_ = valid ? height : front::kDefaultLogHeight;
}

void WindowRecord::SplitMoved(int height96) {
  const int height = std::clamp(height96, front::kMinLogHeight, kMaxLogHeight);
  if (height == logHeight_) return;
  logHeight_ = height;
  if (state_.face != nullptr)
    state_.face->StoreSetting(kLogHeightSettingKey, std::to_string(height));
}

}  // namespace quelt::control
