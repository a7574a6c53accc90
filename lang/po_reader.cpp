#include "lang/po_reader.h"

#include <cctype>
#include <map>
#include <utility>

namespace quelt::lang {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One quoted string, `s` starting at its opening quote, with nothing but
// blanks after it. Appends the decoded bytes to `out`; "" or what is wrong.
std::string ReadQuoted(std::string_view s, std::string& out) {
  if (s.empty() || s.front() != '"') return "a string in double quotes is expected";
  std::size_t i = 1;
  for (;;) {
    if (i >= s.size()) return "the string has no closing quote";
    const char c = s[i++];
    if (c == '"') break;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i >= s.size()) return "the string has no closing quote";
    const char e = s[i++];
    switch (e) {
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 'a':
        out += '\a';
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'v':
        out += '\v';
        break;
      case '\\':
        out += '\\';
        break;
      case '"':
        out += '"';
        break;
      case '\'':
        out += '\'';
        break;
      case '?':
        out += '?';
        break;
      case 'x': {
        int value = 0, digits = 0;
        while (i < s.size() && digits < 2 && HexValue(s[i]) >= 0) {
          value = value * 16 + HexValue(s[i++]);
          ++digits;
        }
        if (digits == 0) return "\\x without hexadecimal digits";
        out += static_cast<char>(value);
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          int value = e - '0', digits = 1;
          while (i < s.size() && digits < 3 && s[i] >= '0' && s[i] <= '7') {
            value = value * 8 + (s[i++] - '0');
            ++digits;
          }
          if (value > 0xFF) return "an octal escape beyond \\377";
          out += static_cast<char>(value);
          break;
        }
        return std::string("an unknown escape \\") + e;
    }
  }
  if (!Trim(s.substr(i)).empty()) return "text after the closing quote";
  return {};
}

enum class Part { None, Context, Id, Text };

struct Reader {
  PoFile file;
  std::map<std::pair<std::string, std::string>, int> seen;  // (context, id) -> line
  PoEntry entry;
  bool hasContext = false, hasId = false, hasText = false;
  bool pendingFuzzy = false;
  bool hasHeader = false;
  Part last = Part::None;
  int lineNo = 0;
  int textLine = 0;
  std::string error;

  bool Fail(int line, std::string what) {
    error = "line " + std::to_string(line) + ": " + std::move(what);
    return false;
  }

  // Ends the entry being read, if any: it must have come to its msgstr.
  bool Finish() {
    if (!hasContext && !hasId) return true;
    if (!hasText) return Fail(entry.line, "msgid without msgstr");
    if (!IsUtf8(entry.context) || !IsUtf8(entry.id) || !IsUtf8(entry.text)) {
      return Fail(entry.line, "the entry is not UTF-8");
    }
    const auto key = std::make_pair(entry.context, entry.id);
    if (const auto it = seen.find(key); it != seen.end()) {
      return Fail(entry.line,
                  "this msgid is given on line " + std::to_string(it->second) + " already");
    }
    seen.emplace(key, entry.line);
    if (entry.context.empty() && entry.id.empty()) {
      if (!ReadHeader()) return false;
    } else {
      file.entries.push_back(std::move(entry));
    }
    entry = {};
    hasContext = hasId = hasText = false;
    last = Part::None;
    return true;
  }

  bool ReadHeader() {
    std::string_view rest = entry.text;
    while (!rest.empty()) {
      const std::size_t end = rest.find('\n');
      const std::string_view line = rest.substr(0, end);
      rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
      const std::size_t colon = line.find(':');
      if (colon == std::string_view::npos) continue;
      file.header.emplace_back(std::string(Trim(line.substr(0, colon))),
                               std::string(Trim(line.substr(colon + 1))));
    }
    hasHeader = true;
    const std::string type = file.HeaderField("Content-Type");
    const std::size_t at = type.find("charset=");
    if (at != std::string::npos) {
      std::string charset = type.substr(at + 8);
      for (char& c : charset) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (charset != "UTF-8") {
        return Fail(textLine, "the charset is " + type.substr(at + 8) + ", not UTF-8");
      }
    }
    return true;
  }

  bool Keyword(std::string_view line) {
    const std::size_t space = line.find_first_of(" \t\"");
    const std::string_view word = line.substr(0, space);
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view{} : Trim(line.substr(space));
    std::string* target = nullptr;
    if (word == "msgctxt") {
      if (hasText && !Finish()) return false;
      if (hasContext || hasId) return Fail(lineNo, "msgctxt inside an entry");
      hasContext = true;
      entry.line = lineNo;
      target = &entry.context;
      last = Part::Context;
    } else if (word == "msgid") {
      if (hasText && !Finish()) return false;
      if (hasId) return Fail(entry.line, "msgid without msgstr");
      hasId = true;
      entry.line = lineNo;
      entry.fuzzy = pendingFuzzy;
      pendingFuzzy = false;
      target = &entry.id;
      last = Part::Id;
    } else if (word == "msgstr") {
      if (!hasId) return Fail(lineNo, "msgstr without msgid");
      if (hasText) return Fail(lineNo, "a second msgstr");
      hasText = true;
      textLine = lineNo;
      target = &entry.text;
      last = Part::Text;
    } else if (word == "msgid_plural" || word.starts_with("msgstr[")) {
      return Fail(lineNo, "plural forms are not supported; write one text for every number");
    } else {
      return Fail(lineNo, "unknown keyword '" + std::string(word) + "'");
    }
    const std::string problem = ReadQuoted(rest, *target);
    return problem.empty() || Fail(lineNo, problem);
  }

  bool Continuation(std::string_view line) {
    std::string* target = last == Part::Context ? &entry.context
                          : last == Part::Id    ? &entry.id
                          : last == Part::Text  ? &entry.text
                                                : nullptr;
    if (target == nullptr) return Fail(lineNo, "a string outside an entry");
    const std::string problem = ReadQuoted(line, *target);
    return problem.empty() || Fail(lineNo, problem);
  }

  bool Comment(std::string_view line) {
    // After its msgstr a comment starts the next entry.
    if (hasText && !Finish()) return false;
    if (hasContext || hasId) return Fail(lineNo, "a comment inside an entry");
    if (line.starts_with("#,") && line.find("fuzzy") != std::string_view::npos) {
      pendingFuzzy = true;
    }
    return true;
  }

  bool Line(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (line.empty()) {
      last = hasText ? Part::None : last;
      return !hasText || Finish();
    }
    if (line.front() == '#') return Comment(line);
    if (line.front() == '"') return Continuation(line);
    return Keyword(line);
  }
};

}  // namespace

std::string PoFile::HeaderField(std::string_view name) const {
  for (const auto& [key, value] : header) {
    if (key == name) return value;
  }
  return {};
}

std::optional<PoFile> ReadPo(std::string_view text, std::string* error) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  Reader reader;
  while (!text.empty() || reader.lineNo == 0) {
    const std::size_t end = text.find('\n');
    ++reader.lineNo;
    const bool ok = reader.Line(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!ok) break;
  }
  if (reader.error.empty()) reader.Finish();
  if (!reader.error.empty()) {
    if (error != nullptr) *error = reader.error;
    return std::nullopt;
  }
  return std::move(reader.file);
}

bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    int more = 0;
    char32_t value = 0, least = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      more = 1, value = c & 0x1F, least = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      more = 2, value = c & 0x0F, least = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      more = 3, value = c & 0x07, least = 0x10000;
    } else {
      return false;
    }
    if (i + more >= text.size()) return false;
    for (int k = 1; k <= more; ++k) {
      const auto d = static_cast<unsigned char>(text[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      value = (value << 6) | (d & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    i += more + 1;
  }
  return true;
}

}  // namespace quelt::lang
