#include "fuel/backup_list.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "fuel/atomic_file.h"

namespace quelt {
namespace {

// A backup is a few kilobytes; anything much larger is no backup of this tool.
constexpr std::uintmax_t kMaxBackupBytes = 1024 * 1024;

std::optional<std::string> ReadSmallFile(const std::filesystem::path& path, std::string* error) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) {
    *error = "cannot be read: " + ec.message();
    return std::nullopt;
  }
  if (size > kMaxBackupBytes) {
    *error = "larger than 1 MB: no backup of this tool";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot be read";
    return std::nullopt;
  }
  std::string text{std::istreambuf_iterator<char>(in), {}};
  if (in.bad()) {
    *error = "cannot be read";
    return std::nullopt;
  }
  return text;
}

// The "Saved:" line's value, or "" without one.
std::string SavedLine(std::string_view text) {
  constexpr std::string_view kKey = "\nSaved: ";
  const std::size_t at = text.find(kKey);
  if (at == std::string_view::npos) return {};
  const std::size_t start = at + kKey.size();
  std::size_t end = text.find('\n', start);
  if (end == std::string_view::npos) end = text.size();
  std::string value(text.substr(start, end - start));
  if (!value.empty() && value.back() == '\r') value.pop_back();
  return value;
}

// "2026-12-09_114005-001.txt" -> "2026-12-09 11:40:05"; the name as it is
// when it has another form.
std::string TimeOfName(const std::string& name) {
  if (name.size() < 17 || name[10] != '_') return name;
  return name.substr(0, 10) + " " + name.substr(11, 2) + ":" + name.substr(13, 2) + ":" +
         name.substr(15, 2);
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// The moment a "Saved" value names ("2026-12-09 11:40:05 +0100") in seconds
// since 1970 UTC; nullopt for any other text. The file names and the local
// time in the line repeat an hour in autumn and move with the time zone;
// the moment does not.
std::optional<std::int64_t> SavedMoment(const std::string& saved) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, offset = 0;
  char sign = 0;
  int used = 0;
  if (std::sscanf(saved.c_str(), "%4d-%2d-%2d %2d:%2d:%2d %c%4d%n", &y, &mo, &d, &h, &mi, &sec,
                  &sign, &offset, &used) != 8 ||
      static_cast<std::size_t>(used) != saved.size() || (sign != '+' && sign != '-')) {
    return std::nullopt;
  }
  const int offsetSeconds = (offset / 100 * 60 + offset % 100) * 60 * (sign == '-' ? -1 : 1);
  return DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + sec - offsetSeconds;
}

}  // namespace

std::filesystem::path BackupFolderOf(const std::filesystem::path& root,
                                     std::string_view serialNumber) {
  return root / BackupFolderName(serialNumber);
}

BackupEntry ReadBackupEntry(const std::filesystem::path& path, bool allowEmpty) {
  BackupEntry entry;
  entry.path = path;
  entry.saved = TimeOfName(PathText(path.filename()));
  std::string error;
  const auto text = ReadSmallFile(path, &error);
  if (!text) {
    entry.check = error;
    return entry;
  }
  if (std::string saved = SavedLine(*text); !saved.empty()) entry.saved = saved;
  bool checked = false;
  auto table = ParseBackup(*text, &error, &checked, &entry.cause);
  if (!table) {
    entry.check = error;
    return entry;
  }
  entry.rows = static_cast<int>(table->rows.size());
  entry.count = table->CountNumber();
  if (auto problem = RestoreProblem(*table, allowEmpty)) {
    entry.check = *problem;
  } else {
    entry.check = checked ? "ok" : "ok, no checksum";
    entry.restorable = true;
  }
  entry.table = std::move(*table);
  return entry;
}

std::vector<BackupEntry> ListBackups(const std::filesystem::path& folder, std::size_t limit) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code kind;
    // A link or anything but a regular file is nothing this tool made.
    if (!it->is_regular_file(kind) || it->is_symlink(kind)) continue;
    if (it->path().extension() != ".txt") continue;
    files.push_back(it->path());
  }
  // Newest first by the moment each file says it was saved; a file that
  // says none comes after those that do, by its name.
  std::vector<std::pair<std::optional<std::int64_t>, BackupEntry>> read;
  read.reserve(files.size());
  for (const auto& file : files) {
    BackupEntry entry = ReadBackupEntry(file, true);
    read.emplace_back(SavedMoment(entry.saved), std::move(entry));
  }
  std::sort(read.begin(), read.end(), [](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first > b.first;
    return a.second.path.filename() > b.second.path.filename();
  });
  if (read.size() > limit) read.resize(limit);
  std::vector<BackupEntry> entries;
  entries.reserve(read.size());
  for (auto& [moment, entry] : read) entries.push_back(std::move(entry));
  return entries;
}

std::string BackupListLine(const BackupEntry& entry) {
  std::string facts;
  if (entry.table) {
    facts = std::to_string(entry.rows) + " rows, count " +
            (entry.count ? std::to_string(*entry.count) : std::string("?"));
  } else {
    facts = "unreadable";
  }
  return entry.saved + "   " + facts + "   " + entry.check + "   " + PathText(entry.path);
}

}  // namespace quelt
