#include "fuel/backup.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "fuel/row_compare.h"
#include "text/cp1252.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

constexpr const char* kHeader = "# QUELT fuel table backup";
constexpr const char* kIdentification = "Identification";
constexpr const char* kType = "Type";
constexpr const char* kSerialNumber = "Serial number";
constexpr const char* kVersion = "Version";
constexpr const char* kCount = "Count reply";
constexpr const char* kRow = "Row";
constexpr const char* kSaved = "Saved";

bool Printable(unsigned char b) {
  if (b < 0x20 || b == 0x7F || b == '\\') return false;
  return !(b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D);
}

std::string Escape(std::string_view cp1252) {
  std::string out;
  for (const char c : cp1252) {
    const auto b = static_cast<unsigned char>(c);
    if (Printable(b)) {
      out += Cp1252ToUtf8(std::string_view(&c, 1));
    } else {
      out += HexEscape(b);
    }
  }
  return out;
}

std::optional<std::string> Unescape(std::string_view utf8) {
  std::string plain;
  std::size_t i = 0;
  while (i < utf8.size()) {
    if (utf8[i] != '\\') {
      const std::size_t next = utf8.find('\\', i);
      const auto bytes =
          Utf8ToCp1252(utf8.substr(i, next == std::string_view::npos ? next : next - i));
      if (!bytes) return std::nullopt;
      plain += *bytes;
      i = next == std::string_view::npos ? utf8.size() : next;
      continue;
    }
    if (i + 4 > utf8.size() || utf8[i + 1] != 'x') return std::nullopt;
    const auto byte = ParseHexDigits(utf8.substr(i + 2, 2));
    if (!byte) return std::nullopt;
    plain.push_back(static_cast<char>(*byte));
    i += 4;
  }
  return plain;
}

std::tm LocalTime(std::time_t t) {
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  return tm;
}

std::string TimeText(std::time_t t, const char* format) {
  const std::tm tm = LocalTime(t);
  char text[64];
  const std::size_t n = std::strftime(text, sizeof text, format, &tm);
  return std::string(text, n);
}

// A serial number as a folder name: whatever the analyser says, never a path.
std::string FolderName(std::string_view serial) {
  std::string name;
  for (const char c : serial) {
    const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.';
    name.push_back(keep ? c : '_');
  }
  while (!name.empty() && (name.back() == '_' || name.back() == '.')) name.pop_back();
  while (!name.empty() && (name.front() == '_' || name.front() == '.')) name.erase(0, 1);
  return name.empty() ? "unknown-serial-number" : name;
}

}  // namespace

int StoredTable::Count() const {
  std::int32_t pos = 1;
  return ParseIntLenient(NextField(countReply, pos));
}

std::optional<int> StoredTable::CountNumber() const { return CountOfReply(countReply); }

std::string FormatBackup(const StoredTable& table, std::time_t savedAt) {
  std::string text = std::string(kHeader) + ": the analyser's table as it stored it.\n";
  text += "# Restore it with: quelt-fuel-cli restore <this file>\n";
  auto line = [&](const char* key, std::string_view value) {
    text += key;
    text += ": ";
    text += Escape(value);
    text += '\n';
  };
  text += std::string(kSaved) + ": " + TimeText(savedAt, "%Y-%m-%d %H:%M:%S %z") + "\n";
  line(kIdentification, table.identification);
  line(kType, table.type);
  line(kSerialNumber, table.serialNumber);
  line(kVersion, table.version);
  line(kCount, table.countReply);
  for (const std::string& row : table.rows) line(kRow, row);
  return text;
}

std::optional<StoredTable> ParseBackup(std::string_view text, std::string* error) {
  StoredTable table;
  bool header = false, count = false, serial = false;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    if (error) *error = "line " + std::to_string(lineNo) + ": " + why;
    return std::nullopt;
  };
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lineNo == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    if (line.substr(0, std::string_view(kHeader).size()) == kHeader) header = true;
    if (line.empty() || line.front() == '#') continue;
    const std::size_t colon = line.find(": ");
    if (colon == std::string_view::npos) return fail("expected 'Key: value'");
    const std::string_view key = line.substr(0, colon);
    const auto value = Unescape(line.substr(colon + 2));
    if (!value) return fail("a malformed \\x escape or a character the analyser cannot hold");
    if (key == kSaved) {
      continue;
    } else if (key == kIdentification) {
      table.identification = *value;
    } else if (key == kType) {
      table.type = *value;
    } else if (key == kSerialNumber) {
      table.serialNumber = *value, serial = true;
    } else if (key == kVersion) {
      table.version = *value;
    } else if (key == kCount) {
      table.countReply = *value, count = true;
    } else if (key == kRow) {
      if (value->find('\r') != std::string::npos) return fail("a row holds a carriage return");
      table.rows.push_back(*value);
    } else {
      return fail("unknown key '" + std::string(key) + "'");
    }
  }
  lineNo = 0;
  if (!header || !count || !serial) {
    if (error) *error = "not a backup of this tool (no header, serial number or count)";
    return std::nullopt;
  }
  return table;
}

std::filesystem::path BackupsRoot() {
#ifdef _WIN32
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (local == nullptr || *local == 0) return {};
  return std::filesystem::path(local) / L"quelt-fuel" / L"backups";
#else
  const char* data = std::getenv("XDG_DATA_HOME");
  std::filesystem::path base;
  if (data != nullptr && *data == '/') {
    base = data;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0) {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    return {};
  }
  return base / "quelt-fuel" / "backups";
#endif
}

std::string PathText(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

bool WriteFileWhole(const std::filesystem::path& path, std::string_view bytes, std::string* error) {
  std::filesystem::path temp = path;
  temp += ".partial";
  auto fail = [&](const std::string& why) {
    if (error) *error = PathText(path) + ": " + why;
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    return false;
  };
#ifdef _WIN32
  std::FILE* f = _wfopen(temp.c_str(), L"wb");
#else
  std::FILE* f = std::fopen(temp.c_str(), "wb");
#endif
  if (f == nullptr) return fail(std::error_code(errno, std::generic_category()).message());
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0;
  int err = ok ? 0 : errno;
  // On the disk, not only in the cache: a backup is kept for a bad day.
#ifdef _WIN32
  if (ok && _commit(_fileno(f)) != 0) ok = false, err = errno;
#else
  if (ok && ::fsync(fileno(f)) != 0) ok = false, err = errno;
#endif
  if (std::fclose(f) != 0 && ok) ok = false, err = errno;
  if (!ok) return fail(std::error_code(err, std::generic_category()).message());
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) return fail(ec.message());
  return true;
}

std::string PlatformLineEnds(std::string_view text) {
#ifdef _WIN32
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
#else
  return std::string(text);
#endif
}

bool WriteTextFileWhole(const std::filesystem::path& path, std::string_view text,
                        std::string* error) {
  return WriteFileWhole(path, PlatformLineEnds(text), error);
}

std::optional<std::filesystem::path> SaveBackup(const StoredTable& table,
                                                const std::filesystem::path& root,
                                                std::time_t savedAt, std::string* error) {
  if (root.empty()) {
    if (error) *error = "no folder for backups (neither XDG_DATA_HOME nor HOME is set)";
    return std::nullopt;
  }
  const std::filesystem::path folder = root / FolderName(table.serialNumber);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    if (error) *error = PathText(folder) + ": " + ec.message();
    return std::nullopt;
  }
  const std::string stem = TimeText(savedAt, "%Y-%m-%d_%H%M%S");
  std::filesystem::path path = folder / (stem + ".txt");
  for (int n = 2; std::filesystem::exists(path, ec); ++n) {
    path = folder / (stem + "-" + std::to_string(n) + ".txt");
  }
  if (!WriteTextFileWhole(path, FormatBackup(table, savedAt), error)) return std::nullopt;
  return path;
}

}  // namespace quelt
