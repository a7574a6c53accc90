#include "fuel/backup.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <system_error>

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
constexpr const char* kRowsRead = "Rows read";
constexpr const char* kBeyond = " beyond the count";
constexpr const char* kNoAnswer = "no answer";
constexpr const char* kCheck = "Check";
constexpr std::string_view kMade = "# Made: ";
constexpr const char* kCauseWords[] = {"", "before a send", "before a restore", "by hand"};

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

// CRC-32 (the polynomial of zip and PNG), over the text as written.
std::uint32_t Crc32(std::string_view text, std::uint32_t crc = 0) {
  crc = ~crc;
  for (const char c : text) {
    crc ^= static_cast<unsigned char>(c);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string Hex8(std::uint32_t value) {
  static const char* const kDigits = "0123456789abcdef";
  std::string hex(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) hex[static_cast<std::size_t>(i)] = kDigits[value & 15];
  return hex;
}

std::string Range(std::size_t first, std::size_t last) {
  if (first == last) return std::to_string(first);
  return std::to_string(first) + " to " + std::to_string(last);
}

// "Rows read: ..." : which positions were asked for, and why.
std::string RowsReadText(const StoredTable& table) {
  const std::size_t inUse = table.rows.size(), beyond = table.rowsBeyondCount.size();
  const std::size_t last = inUse + beyond;
  if (last == 0) return "none (the count is 0)";
  if (beyond == 0) return Range(1, last) + " (the count)";
  return Range(1, last) + " (" + (inUse == 0 ? std::string("none") : Range(1, inUse)) +
         " by the count, " + Range(inUse + 1, last) + " beyond it)";
}

std::optional<std::size_t> Digits(std::string_view text) {
  if (text.empty() || text.size() > 6) return std::nullopt;
  std::size_t n = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<std::size_t>(c - '0');
  }
  return n;
}

// The last position a "Rows read" value names ("none ...", "1 ...",
// "1 to 17 ..."); nullopt when it names none.
std::optional<std::size_t> LastRowRead(std::string_view value) {
  if (value.rfind("none", 0) == 0) return 0;
  if (value.rfind("1 to ", 0) == 0) return Digits(value.substr(5, value.find(' ', 5) - 5));
  if (value == "1" || value.rfind("1 ", 0) == 0) return 1;
  return std::nullopt;
}

// A check line's value: "17 row lines, CRC-32 1a2b3c4d".
struct CheckFigures {
  std::size_t rowLines = 0;
  std::uint32_t crc = 0;
};

std::optional<CheckFigures> ReadCheck(std::string_view value) {
  constexpr std::string_view kMiddle = " row lines, CRC-32 ";
  const std::size_t at = value.find(kMiddle);
  if (at == std::string_view::npos) return std::nullopt;
  const auto rows = Digits(value.substr(0, at));
  const std::string_view sum = value.substr(at + kMiddle.size());
  const auto crc = sum.size() == 8 ? ParseHexDigits(sum, 8) : std::nullopt;
  if (!rows || !crc) return std::nullopt;
  return CheckFigures{*rows, *crc};
}

// A row line's key: "Row" (earlier versions: the position is the line's
// place), "Row 7", or "Row 17 beyond the count".
struct RowKey {
  bool numbered = false;
  std::size_t position = 0;
  bool beyond = false;
};

std::optional<RowKey> ReadRowKey(std::string_view key) {
  if (key == kRow) return RowKey{};
  if (key.rfind("Row ", 0) != 0) return std::nullopt;
  RowKey k{true, 0, false};
  std::size_t i = 4;
  while (i < key.size() && key[i] >= '0' && key[i] <= '9') ++i;
  const auto position = Digits(key.substr(4, i - 4));
  if (!position) return std::nullopt;
  k.position = *position;
  const std::string_view rest = key.substr(i);
  if (rest == kBeyond) {
    k.beyond = true;
  } else if (!rest.empty()) {
    return std::nullopt;
  }
  return k;
}

// The first field of a row text as a plain number, when it is one.
std::optional<std::size_t> FirstFieldNumber(std::string_view row) {
  return Digits(row.substr(0, row.find(';')));
}

// A serial number's characters that a folder name keeps as they are:
// upper-case letters, digits, '-', '_' and '.', the same on every system
// (a lower-case letter would meet its capital in one folder on Windows).
bool PlainNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
}

}  // namespace

int StoredTable::Count() const {
  std::int32_t pos = 1;
  return ParseIntLenient(NextField(countReply, pos));
}

std::optional<int> StoredTable::CountNumber() const { return CountOfReply(countReply); }

std::string LocalTimeText(std::time_t t, const char* format) {
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  // %z is the offset from UTC, "+0100". Windows' strftime writes the
  // zone's name there instead, in the system's language and code page
  // ("W. Europe Standard Time"): the offset is written here for every system.
  std::string pattern = format;
  if (const auto at = pattern.find("%z"); at != std::string::npos) {
    std::tm asUtc = tm;
#ifdef _WIN32
    const long long offset = static_cast<long long>(_mkgmtime(&asUtc)) - t;
#else
    const long long offset = static_cast<long long>(timegm(&asUtc)) - t;
#endif
    // Offsets lie within a day; the clamp keeps the text to its five characters.
    const int minutes = static_cast<int>(std::min(std::llabs(offset) / 60, 99LL * 60 + 59));
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%02d%02d", offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    pattern.replace(at, 2, zone);
  }
  char text[64];
  const std::size_t n = std::strftime(text, sizeof text, pattern.c_str(), &tm);
  return std::string(text, n);
}

std::string FormatBackup(const StoredTable& table, std::time_t savedAt, BackupCause cause) {
  std::string text = std::string(kHeader) + ": the analyser's table as it stored it.\n";
  text += "# Restore it with: quelt-fuel-cli restore <this file>\n";
  if (cause != BackupCause::Unknown) {
    text += std::string(kMade) + kCauseWords[static_cast<int>(cause)] + "\n";
  }
  auto line = [&](const std::string& key, std::string_view value) {
    text += key;
    text += ": ";
    text += Escape(value);
    text += '\n';
  };
  text += std::string(kSaved) + ": " + LocalTimeText(savedAt, "%Y-%m-%d %H:%M:%S %z") + "\n";
  line(kIdentification, table.identification);
  line(kType, table.type);
  line(kSerialNumber, table.serialNumber);
  line(kVersion, table.version);
  line(kCount, table.countReply);
  text += std::string(kRowsRead) + ": " + RowsReadText(table) + "\n";
  std::size_t position = 0;
  for (const std::string& row : table.rows) line("Row " + std::to_string(++position), row);
  const std::size_t stored = table.rows.size() + StoredRowsBeyondCount(table);
  for (const auto& row : table.rowsBeyondCount) {
    const std::string key = "Row " + std::to_string(++position) + kBeyond;
    // For the reader: the answer that ends the rows the analyser stores.
    if (position == stored + 1) {
      text += "# " + key + " is no stored row: the analyser's rows end before it.\n";
    }
    if (!row) {
      text += key + ": " + kNoAnswer + "\n";
    } else if (*row == kNoAnswer) {
      // A reply that reads like the mark: its first letter escaped.
      text += key + ": " + HexEscape(static_cast<unsigned char>(row->front())) +
              Escape(std::string_view(*row).substr(1)) + "\n";
    } else {
      line(key, *row);
    }
  }
  text += std::string(kCheck) + ": " + std::to_string(position) + " row lines, CRC-32 " +
          Hex8(Crc32(text)) + "\n";
  return text;
}

std::optional<StoredTable> ParseBackup(std::string_view text, std::string* error, bool* checked,
                                       BackupCause* cause) {
  StoredTable table;
  BackupCause made = BackupCause::Unknown;
  bool header = false, identification = false, type = false, serial = false, version = false,
       count = false, numbered = false, plain = false;
  std::optional<std::size_t> rowsRead;
  int rowsReadLine = 0;
  std::size_t rowLines = 0;
  std::optional<CheckFigures> check;
  std::uint32_t crc = 0;  // of the lines before the check line, with '\n' line ends
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    if (error) *error = (lineNo > 0 ? "line " + std::to_string(lineNo) + ": " : "") + why;
    return std::nullopt;
  };
  auto misplaced = [&](const std::string& what) {
    return fail(what + " where row " + std::to_string(rowLines) +
                " belongs: a row line is missing, doubled or out of order");
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
    if (check) {
      if (!line.empty()) return fail("a line after the check line");
      continue;
    }
    if (line.substr(0, std::string_view(kHeader).size()) == kHeader) header = true;
    const std::size_t colon = line.find(": ");
    const std::string_view key = line.substr(0, colon);
    const std::string_view raw = colon == std::string_view::npos ? "" : line.substr(colon + 2);
    if (key == kCheck) {
      check = ReadCheck(raw);
      if (!check) return fail("a check line that cannot be read");
      continue;
    }
    crc = Crc32("\n", Crc32(line, crc));
    if (line.rfind(kMade, 0) == 0) {
      for (int c = 1; c < 4; ++c) {
        if (line.substr(kMade.size()) == kCauseWords[c]) made = static_cast<BackupCause>(c);
      }
    }
    if (line.empty() || line.front() == '#') continue;
    if (colon == std::string_view::npos) return fail("expected 'Key: value'");
    const auto rowKey = ReadRowKey(key);
    if (rowKey) {
      ++rowLines;
      if (rowKey->numbered ? plain : numbered) return fail("row lines of two different forms");
      (rowKey->numbered ? numbered : plain) = true;
      if (rowKey->numbered && rowKey->position != rowLines) {
        return misplaced("row " + std::to_string(rowKey->position));
      }
      if (rowKey->beyond && raw == kNoAnswer) {
        table.rowsBeyondCount.push_back(std::nullopt);
        continue;
      }
    }
    const auto value = Unescape(raw);
    if (!value) return fail("a malformed \\x escape or a character the analyser cannot hold");
    auto once = [&](bool& seen, std::string& field) {
      if (seen) return false;
      seen = true;
      field = *value;
      return true;
    };
    bool known = true;
    if (key == kSaved) {
      continue;
    } else if (key == kIdentification) {
      known = once(identification, table.identification);
    } else if (key == kType) {
      known = once(type, table.type);
    } else if (key == kSerialNumber) {
      known = once(serial, table.serialNumber);
    } else if (key == kVersion) {
      known = once(version, table.version);
    } else if (key == kCount) {
      known = once(count, table.countReply);
    } else if (key == kRowsRead) {
      rowsRead = LastRowRead(raw);
      rowsReadLine = lineNo;
      if (!rowsRead) return fail("a 'Rows read' line that cannot be read");
    } else if (rowKey) {
      if (value->find('\r') != std::string::npos) return fail("a row holds a carriage return");
      // Without numbers, a row's own first field is all that tells its place.
      const auto first = rowKey->numbered ? std::nullopt : FirstFieldNumber(*value);
      if (first && *first != rowLines) {
        return misplaced("a row that begins with " + std::to_string(*first));
      }
      if (rowKey->beyond) {
        table.rowsBeyondCount.emplace_back(*value);
      } else if (!table.rowsBeyondCount.empty()) {
        return fail("a row in use after the rows beyond the count");
      } else {
        table.rows.push_back(*value);
      }
    } else {
      return fail("unknown key '" + std::string(key) + "'");
    }
    if (!known) return fail("a second '" + std::string(key) + "' line");
  }
  lineNo = 0;
  if (!header || !count || !serial) {
    return fail("not a backup of this tool (no header, serial number or count)");
  }
  // Only backups of earlier versions have no check line, and no row numbers.
  if (!check && (numbered || rowsRead))
    return fail("the check line is missing: the file ends early");
  if (check && check->rowLines != rowLines) {
    return fail("the file holds " + std::to_string(rowLines) + " row lines, its check line says " +
                std::to_string(check->rowLines) + ": lines were lost or added after it was saved");
  }
  if (check && check->crc != crc) {
    return fail("the file's content does not match its check line (CRC-32 " + Hex8(crc) +
                ", the check line says " + Hex8(check->crc) +
                "): it was changed or damaged after it was saved");
  }
  if (rowsRead && *rowsRead != rowLines) {
    lineNo = rowsReadLine;
    return fail("it says rows were read up to " + std::to_string(*rowsRead) + ", the file holds " +
                std::to_string(rowLines) + " row lines");
  }
  if (checked) *checked = check.has_value();
  if (cause) *cause = made;
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

std::string BackupFolderName(std::string_view serial) {
  constexpr std::size_t kPlainMax = 32, kReadableMax = 23;
  bool plain = !serial.empty() && serial.size() <= kPlainMax && serial.front() != '.' &&
               serial.back() != '.' && !IsWindowsDeviceName(serial);
  for (const char c : serial) plain = plain && PlainNameChar(c);
  if (plain) return std::string(serial);
  // A readable part (no '.', so that no device name can come out of it)
  // and the hash of the whole serial number.
  std::string readable;
  for (const char c : serial) {
    if (readable.size() == kReadableMax) break;
    const bool keep = (PlainNameChar(c) && c != '.') || (c >= 'a' && c <= 'z');
    if (keep || (!readable.empty() && readable.back() != '_')) readable.push_back(keep ? c : '_');
  }
  while (!readable.empty() && readable.back() == '_') readable.pop_back();
  if (readable.empty()) readable = serial.empty() ? "no-serial-number" : "serial";
  return readable + "-" + Hex8(Crc32(serial));
}

std::optional<std::filesystem::path> SaveBackup(const StoredTable& table,
                                                const std::filesystem::path& root,
                                                std::time_t savedAt, std::string* error,
                                                BackupCause cause) {
  return SaveBackupIn(table, root.empty() ? root : root / BackupFolderName(table.serialNumber),
                      savedAt, error, cause);
}

std::optional<std::filesystem::path> SaveBackupIn(const StoredTable& table,
                                                  const std::filesystem::path& folder,
                                                  std::time_t savedAt, std::string* error,
                                                  BackupCause cause) {
  if (folder.empty()) {
    if (error) *error = "no folder for backups (neither XDG_DATA_HOME nor HOME is set)";
    return std::nullopt;
  }
  const std::string stem = LocalTimeText(savedAt, "%Y-%m-%d_%H%M%S");
  auto name = [&](int n) { return stem + "-" + ZeroPadInt(n, 3) + ".txt"; };
#ifdef _WIN32
  // The longest name the folder will see is the temporary one.
  const std::size_t longest = (folder / (name(1) + ".0123456789abcdef.partial")).native().size();
  if (longest > kWindowsMaxPath) {
    if (error) {
      *error = PathText(folder) + ": the backups folder's path is too long for Windows (" +
               std::to_string(longest) + " characters with a file name, at most " +
               std::to_string(kWindowsMaxPath) + ")";
    }
    return std::nullopt;
  }
#endif
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    if (error) *error = PathText(folder) + ": " + ec.message();
    return std::nullopt;
  }
  return WriteNewFile(folder, name, 999, PlatformLineEnds(FormatBackup(table, savedAt, cause)),
                      error);
}

}  // namespace quelt
