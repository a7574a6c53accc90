// The colouring rule of the message log: a line in, styled spans out.
// Keywords are bold (some coloured), matched without regard to the case of
// A-Z, also inside longer words; the identity labels ("Found", "Type",
// "Serial No.", "Version") only where a line starts with them; a span from an opening bracket to
// the next closing one is bold in the fixed-pitch alternate font. Spans come out in the order they
// are to be applied: a later one wins where two overlap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quelt::front {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kDarkGreen{0, 128, 64};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kMagenta{255, 0, 255};
// A link (the backup line): it must not look disabled.
inline constexpr Rgb kLinkColour{0, 102, 204};

struct LogStyle {
  bool bold = true;
  bool alternateFont = false;  // "Courier New" 8 pt bold
  bool coloured = false;       // false: the text colour
  Rgb colour;
  friend bool operator==(const LogStyle&, const LogStyle&) = default;
};

struct LogSpan {
  std::size_t start = 0;  // UTF-16 code units into the line
  std::size_t length = 0;
  LogStyle style;
  friend bool operator==(const LogSpan&, const LogSpan&) = default;
};

// Each line is styled by its own text only: a bracket left open ends with
// its line, and nothing carries into the next. A backslash inside a word
// (a Windows path) is no bracket.
std::vector<LogSpan> StyleLogLine(std::u16string_view line);

}  // namespace quelt::front
