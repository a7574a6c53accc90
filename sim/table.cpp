// The analyser's fuel table as it comes out of the box, and table files.
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "sim/config.h"
#include "text/cp1252.h"

namespace quelt::sim {
namespace {

// Well-formed UTF-8: shortest forms only, no surrogates, nothing past
// U+10FFFF. Plain ASCII passes too.
bool IsUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len;
    char32_t cp;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      len = 2, cp = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
      len = 3, cp = b & 0x0Fu;
    } else if (b >= 0xF0 && b <= 0xF4) {
      len = 4, cp = b & 0x07u;
    } else {
      return false;
    }
    if (i + len > s.size()) return false;
    for (std::size_t k = 1; k < len; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0u) != 0x80u) return false;
      cp = (cp << 6) | (c & 0x3Fu);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += len;
  }
  return true;
}

bool HasNonAscii(std::string_view s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  }
  return false;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

std::vector<std::string> DefaultTable() {
  // Windows-1252 on the wire: "\xF6" is 'ö', "\xFC" is 'ü'. No natural gas H
  // (ID 16), so the tool inserts its own; one natural gas L (ID 2).
  return {
      "1;1;Heiz\xF6l EL;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1",
      "2;2;Erdgas L;11,8;0,65;0,009;3,0;8,20;9,10;31,80;0",
      "3;3;Fl\xFCssiggas;13,7;0,63;0,008;3,0;11,90;12,90;46,00;0",
      "4;4;Propan;13,7;0,63;0,008;3,0;23,80;25,80;93,20;0",
      "5;5;Butan;14,1;0,63;0,008;3,0;30,90;33,40;118,50;0",
      "6;6;Stadtgas;10,0;0,63;0,011;3,0;3,90;4,40;16,10;0",
      "7;7;Koksofengas;10,2;0,60;0,011;3,0;4,50;5,10;17,80;0",
      "8;8;Heiz\xF6l S;15,9;0,69;0,007;3,0;10,10;10,70;40,50;1",
      "9;10;Holz lufttrocken;20,3;0,66;0,009;13,0;4,20;4,80;15,00;1",
      "10;11;Holzpellets;20,3;0,66;0,009;13,0;4,60;5,20;17,50;1",
      "11;13;Braunkohlebrikett;19,3;0,75;0,008;8,0;5,10;5,60;19,60;1",
      "12;15;Steinkohle;18,7;0,70;0,008;7,0;7,70;8,10;29,30;1",
  };
}

std::vector<std::string> LoadTableFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot be read");
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  if (in.bad()) throw std::runtime_error(path + ": cannot be read");
  // One decision for the whole file: a Windows-1252 file is almost never
  // valid UTF-8 by chance once it holds bytes beyond ASCII.
  const bool utf8 = HasNonAscii(text) && IsUtf8(text);

  std::vector<std::string> rows;
  std::size_t start = 0;
  int lineNo = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsBlank(line) || line.front() == '#') continue;
    if (!utf8) {
      rows.emplace_back(line);
      continue;
    }
    auto converted = Utf8ToCp1252(line);
    if (!converted) {
      throw std::runtime_error(path + ":" + std::to_string(lineNo) +
                               ": a character that Windows-1252 cannot hold");
    }
    rows.push_back(std::move(*converted));
  }
  return rows;
}

}  // namespace quelt::sim
