// Text and number helpers shared by the link, the fuel list and the front ends.
// Every helper is a pure function of its arguments (NextField also moves its
// position) and never throws: input that cannot be converted gives 0 or "".
// Texts are Windows-1252 byte strings, one byte per character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelt {

// Returns the characters from `pos` (1-based) up to the next ';' and moves
// `pos` just past that ';' (to length + 2 at the end of the text). Past the
// end it returns "" and moves `pos` on by one, stopping at INT32_MAX. A
// position below 1 reads from the start.
std::string NextField(std::string_view text, std::int32_t& pos);

// Decimal text of `value`, right-aligned with spaces in `width` characters
// (width 0 or less: no padding; a longer text is never cut). Widths above 255
// pad to 255.
std::string IntToStrWidth(std::int32_t value, std::int32_t width);

// IntToStrWidth with every space replaced by '0': (7, 2) gives "07".
std::string ZeroPadInt(std::int32_t value, std::int32_t width);

// Fixed-point text with ',' as decimal mark whatever the locale. The value is
// first rounded to 17 decimals (18-19 significant digits from 16 on) with a
// 64-bit mantissa, then to `decimals` places with halves away from zero; '-'
// whenever the sign bit is set. At most 30 characters: from 10^29 on (10^36
// included) that cuts integer digits. Negative `decimals` count as 0. NaN and
// infinities give "NAN", "INF" and "-INF".
std::string FormatFixed(double value, std::int32_t decimals);

// First integer in the text: decimal, or hexadecimal after a '$'. 0 when
// nothing converts or a decimal value does not fit 32 bits.
std::int32_t ParseIntLenient(std::string_view text);

// First decimal number in the text, ',' or '.' as decimal mark, no exponent.
// 0 when nothing converts, also for a number beyond the double range.
double ParseFloatLenient(std::string_view text);

// 'a'..'z' and the Windows-1252 umlauts 'ä' 'ö' 'ü' to upper case.
std::string UpperCaseGerman(std::string_view text);

// The value of one hexadecimal digit (either case); -1 for any other character.
int HexDigitValue(char c);

// Hexadecimal digits (either case, no prefix) as a number; nullopt when the
// text is empty, holds anything else or has more than `maxDigits` digits.
std::optional<std::uint32_t> ParseHexDigits(std::string_view text, std::size_t maxDigits = 8);

// The ';'-separated fields of a row text. The closing ';' of a row leaves no
// empty last field; an empty text is one empty field.
std::vector<std::string_view> SplitRowFields(std::string_view row);

// A byte as the four characters "\xNN" (upper-case digits): how logs, files
// and messages show a byte that is no printable character.
std::string HexEscape(unsigned char byte);

// A length in pixels at 96 dpi scaled to `dpi`, halves rounded to even so
// that every control lands on the same pixel at every resolution. Results
// beyond 32 bits saturate.
std::int32_t ScaleForDpi(std::int32_t value, std::int32_t dpi);

}  // namespace quelt
