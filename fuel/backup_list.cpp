#include "fuel/backup_list.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "fuel/backup_file.h"

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
  auto table = ParseBackup(*text, &error, &checked);
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
  std::sort(files.begin(), files.end(),
            [](const auto& a, const auto& b) { return a.filename() > b.filename(); });
  if (files.size() > limit) files.resize(limit);
  std::vector<BackupEntry> entries;
  entries.reserve(files.size());
  for (const auto& file : files) entries.push_back(ReadBackupEntry(file, true));
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
