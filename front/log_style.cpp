#include "front/log_style.h"

namespace quelt::front {
namespace {

struct Keyword {
  std::u16string_view upper;  // A-Z already upper-cased
  LogStyle style;
};

constexpr LogStyle Bold() { return {}; }
constexpr LogStyle Bold(Rgb colour) { return {true, false, true, colour}; }
constexpr LogStyle Fixed(Rgb colour) { return {true, true, true, colour}; }

constexpr Keyword kKeywords[] = {
    {u"ERGEBNIS", Bold()}, {u"OK", Bold(kDarkGreen)}, {u"NICHT", Bold(kRed)}, {u"TYPE", Bold()},
    {u"VERSION", Bold()},  {u"SERIAL", Bold()},       {u"FOUND", Bold()},     {u"NO.", Bold()},
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

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t'; }

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
  for (const Keyword& k : kKeywords) {
    const std::size_t len = k.upper.size();
    for (std::size_t i = 0; i + len <= n; ++i) {
      std::size_t j = 0;
      while (j < len && Fold(line[i + j]) == k.upper[j]) ++j;
      if (j == len) spans.push_back({i, len, k.style});
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
