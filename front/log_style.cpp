#include "front/log_style.h"

namespace quelt::front {
namespace {

// Where a keyword is marked: anywhere (the result words), or only as the
// label an identity line starts with ("Found      :QUELT 300"), never in a
// sentence ("No analyser found"). "No." counts only in "Serial No.".
enum class Where { Anywhere, LineStart, AfterSerial };

struct Keyword {
  std::u16string_view upper;  // A-Z already upper-cased
  LogStyle style;
  Where where = Where::Anywhere;
};

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t'; }

constexpr LogStyle Bold() { return {}; }
constexpr LogStyle Bold(Rgb colour) { return {true, false, true, colour}; }
constexpr LogStyle Fixed(Rgb colour) { return {true, true, true, colour}; }

constexpr Keyword kKeywords[] = {
    {u"ERGEBNIS", Bold()},
    {u"OK", Bold(kDarkGreen)},
    {u"NICHT", Bold(kRed)},
    {u"TYPE", Bold(), Where::LineStart},
    {u"VERSION", Bold(), Where::LineStart},
    {u"SERIAL", Bold(), Where::LineStart},
    {u"FOUND", Bold(), Where::LineStart},
    {u"NO.", Bold(), Where::AfterSerial},
};

struct Bracket {
  char16_t open, close;
  LogStyle style;
};
constexpr Bracket kBrackets[] = {
    {u'{', u'}', Fixed(kRed)},
    {u'[', u']', Fixed(kDarkGreen)},
    {u'\\', u'\\', Fixed(kMagenta)},
};

// Only A-Z fold: the keywords are ASCII and umlauts stay as they are.
char16_t Fold(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

// A path's separator: a backslash between two characters of a word.
bool InsideWord(std::u16string_view line, std::size_t i) {
  return i > 0 && i + 1 < line.size() && !IsSpace(line[i - 1]) && !IsSpace(line[i + 1]);
}

bool Opens(std::u16string_view line, std::size_t i, const Bracket& b) {
  return line[i] == b.open && !(b.open == u'\\' && InsideWord(line, i));
}

std::size_t FindClose(std::u16string_view line, std::size_t from, const Bracket& b) {
  for (std::size_t i = line.find(b.close, from); i != std::u16string_view::npos;
       i = line.find(b.close, i + 1)) {
    if (b.close != u'\\' || !InsideWord(line, i)) return i;
  }
  return std::u16string_view::npos;
}

}  // namespace

std::vector<LogSpan> StyleLogLine(std::u16string_view line) {
  std::vector<LogSpan> spans;
  const std::size_t n = line.size();
  auto matches = [line, n](const Keyword& k, std::size_t i) {
    const std::size_t len = k.upper.size();
    if (i + len > n) return false;
    for (std::size_t j = 0; j < len; ++j) {
      if (Fold(line[i + j]) != k.upper[j]) return false;
    }
    return true;
  };
  auto skipSpaces = [line, n](std::size_t i) {
    while (i < n && IsSpace(line[i])) ++i;
    return i;
  };
  const std::size_t labelStart = skipSpaces(0);
  // Where "No." of "Serial No." stands, if the line starts with that label.
  constexpr std::u16string_view kSerial = u"SERIAL";
  const std::size_t afterSerial = matches(Keyword{kSerial, {}}, labelStart)
                                      ? skipSpaces(labelStart + kSerial.size())
                                      : std::u16string_view::npos;
  for (const Keyword& k : kKeywords) {
    for (std::size_t i = 0; i < n; ++i) {
      if (k.where == Where::LineStart && i != labelStart) continue;
      if (k.where == Where::AfterSerial && i != afterSerial) continue;
      if (matches(k, i)) spans.push_back({i, k.upper.size(), k.style});
    }
  }

  constexpr int kNone = -1;
  int current = kNone;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < n) {
    if (current == kNone) {
      for (int b = 0; b < static_cast<int>(std::size(kBrackets)); ++b) {
        if (Opens(line, i, kBrackets[b])) {
          current = b;
          start = i;
          break;
        }
      }
      ++i;
      continue;
    }
    const std::size_t close = FindClose(line, i, kBrackets[current]);
    if (close == std::u16string_view::npos) break;
    spans.push_back({start, close + 1 - start, kBrackets[current].style});
    current = kNone;
    i = close + 1;
  }
  if (current != kNone) spans.push_back({start, n - start, kBrackets[current].style});
  return spans;
}

}  // namespace quelt::front
