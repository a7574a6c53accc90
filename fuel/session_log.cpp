#include "fuel/session_log.h"

#include <cerrno>
#include <fstream>
#include <system_error>

#include "fuel/atomic_file.h"
#include "fuel/backup.h"

namespace quelt {
namespace {

constexpr const char* kDayFormat = "%Y-%m-%d";
constexpr const char* kExtension = ".log";

// "2026-12-10": the stem of a day file, nothing else; "" for any other
// name (taken in the system's own characters: any name may lie there).
std::string DayOf(const std::filesystem::path& stem) {
  const auto& name = stem.native();
  if (name.size() != 10) return {};
  std::string day;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = name[i];
    const bool fits = (i == 4 || i == 7) ? c == '-' : (c >= '0' && c <= '9');
    if (!fits) return {};
    day += static_cast<char>(c);
  }
  return day;
}

}  // namespace

std::filesystem::path SessionLogFolder(const std::filesystem::path& backups) {
  // Beside the backups, not among them: a folder there is an analyser's.
  return backups.empty() ? std::filesystem::path() : backups.parent_path() / "log";
}

void SessionLog::SetFolder(std::filesystem::path folder) {
  if (folder != folder_) cleaned_ = false;
  folder_ = std::move(folder);
}

std::filesystem::path SessionLog::FileOf(std::time_t now) const {
  if (folder_.empty()) return {};
  return folder_ / (LocalTimeText(now, kDayFormat) + kExtension);
}

bool SessionLog::Write(const std::string& utf8, std::time_t now, std::string* error) {
  if (folder_.empty()) return true;
  std::error_code ec;
  std::filesystem::create_directories(folder_, ec);
  if (!cleaned_) {
    cleaned_ = true;
    RemoveOld(now);
  }
  const std::filesystem::path file = FileOf(now);
  const std::string time = LocalTimeText(now, "%H:%M:%S");
  std::string text = utf8.empty() ? time : time + ' ';
  for (const char c : utf8) {
    if (c == '\r') continue;
    text += c;
    if (c == '\n') text.append(time.size() + 1, ' ');
  }
  text += '\n';
  std::ofstream out(file, std::ios::binary | std::ios::app);
  if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (out) out.flush();
  if (out) return true;
  if (error != nullptr) {
    *error = PathText(file) + ": " +
             (ec ? ec.message() : std::error_code(errno, std::generic_category()).message());
  }
  return false;
}

int SessionLog::RemoveOld(std::time_t now) {
  if (folder_.empty()) return 0;
  // The calendar day kKeepDays before today's, at noon: a change of
  // summer time does not move it to another day.
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  tm.tm_mday -= kKeepDays;
  tm.tm_hour = 12;
  tm.tm_min = tm.tm_sec = 0;
  tm.tm_isdst = -1;
  const std::string oldestKept = LocalTimeText(std::mktime(&tm), kDayFormat);
  int removed = 0;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder_, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::filesystem::path& path = it->path();
    const std::string day = DayOf(path.stem());
    // Day stems compare as dates.
    if (path.extension() != kExtension || day.empty() || day >= oldestKept) continue;
    std::error_code gone;
    if (it->is_regular_file(gone) && std::filesystem::remove(path, gone)) ++removed;
  }
  return removed;
}

}  // namespace quelt
