#include "front/field_rules.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "fuel/row_check.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "text/cp1252.h"
#include "text/text_helpers.h"

namespace quelt::front {
namespace {

bool IsIntegerField(FuelField field) {
  return field == FuelField::N || field == FuelField::ID || field == FuelField::Soot;
}

// A control character would end the row early on the wire (CR) or garble it.
bool IsDescriptionChar(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == U';') return false;
  return IsCp1252Representable(c);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// %g exactly as C's printf writes it.
std::string PrintfG(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

// [+-]? (digits [.digits?] | .digits) ([eE][+-]?digits)?, '.' the separator.
bool IsNumberText(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t intDigits = 0, fracDigits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++intDigits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++fracDigits;
  }
  if (intDigits == 0 && fracDigits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  return i == s.size();
}

bool IsDecimalMark(char32_t c, char32_t separator) {
  return c == U'.' || c == U',' || c == separator;
}

bool ReadDecimal(std::u32string_view text, char32_t separator, double* value) {
  std::string ascii;
  for (char32_t c : text) {
    if (IsDecimalMark(c, separator)) {
      ascii.push_back('.');  // a second mark makes it no number below
    } else if (c > 0x7F) {
      return false;
    } else {
      ascii.push_back(static_cast<char>(c));
    }
  }
  if (!IsNumberText(ascii)) return false;
  if (ascii.front() == '+') ascii.erase(0, 1);  // from_chars takes no '+'
  double result = 0;
  const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), result);
  if (error != std::errc{} || end != ascii.data() + ascii.size() || !std::isfinite(result)) {
    return false;
  }
  *value = result;
  return true;
}

}  // namespace

std::u32string DecodeUtf8(std::string_view s, bool* valid) {
  std::u32string out;
  bool ok = true;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0 ? 1 : 0)) {
      ok = false;
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    bool good = true;
    for (int k = 1; k <= extra; ++k) {
      const auto t = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((t >> 6) != 2) good = false;
      c = (c << 6) | (t & 0x3F);
    }
    if (!good) {
      ok = false;
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    out.push_back(c);
    i += static_cast<std::size_t>(extra) + 1;
  }
  if (valid != nullptr) *valid = ok;
  return out;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  for (char32_t c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

bool EditorAcceptsChar(FuelField field, char32_t c, char32_t decimalSeparator) {
  if (field == FuelField::Description) return IsDescriptionChar(c);
  const bool signOrDigit = c == U'+' || c == U'-' || (c >= U'0' && c <= U'9');
  if (IsIntegerField(field)) return signOrDigit;
  return signOrDigit || c == U'E' || c == U'e' || IsDecimalMark(c, decimalSeparator);
}

std::string RefusalNote(char32_t c) {
  const std::string character = EncodeUtf8(std::u32string(1, c));
  std::string shown = c == U' ' ? lang::Tr("a blank") : "'" + character + "'";
  if (c < 0x20 || c == 0x7F) shown = lang::Tr("that character");
  return lang::Format(lang::Tr("{1} is not allowed here"), shown);
}

std::optional<char32_t> EditorRefusedChar(FuelField field, std::string_view utf8,
                                          char32_t decimalSeparator) {
  bool valid = true;
  const std::u32string text = DecodeUtf8(utf8, &valid);
  if (!valid) return U'?';
  for (char32_t c : text) {
    if (!EditorAcceptsChar(field, c, decimalSeparator)) return c;
  }
  return std::nullopt;
}

std::string FieldDisplayText(const FuelRow& row, FuelField field, char32_t decimalSeparator) {
  // A number without a value travels as 0: it shows as the 0 that is sent,
  // never as a blank the analyser does not get.
  if (field == FuelField::Description) {
    return row.IsNull(field) ? std::string() : Cp1252ToUtf8(row.Description);
  }
  if (IsIntegerField(field)) return std::to_string(row.Integer(field));
  // The wire text itself, rounded as it will be sent, with the workstation's
  // separator: what the grid shows is what the analyser gets.
  const std::string wire = FormatFixed(row.Decimal(field), InfoOf(field).wireDecimals);
  const std::string separator = EncodeUtf8(std::u32string(1, decimalSeparator));
  std::string text;
  for (char c : wire) {
    if (c == ',') {
      text += separator;
    } else {
      text.push_back(c);
    }
  }
  return text;
}

FieldInput ReadFieldText(FuelField field, std::string_view utf8, char32_t decimalSeparator) {
  FieldInput input;
  const std::string label = Cp1252ToUtf8(InfoOf(field).displayLabel);
  const std::u32string text = DecodeUtf8(utf8);
  if (field == FuelField::Description) {
    // The editor lets no character in that Windows-1252 lacks.
    input.kind = FieldInput::Kind::Text;
    for (char32_t c : text) input.text += static_cast<char>(CodePointToCp1252(c).value_or('?'));
    return input;
  }
  if (text.empty()) return input;  // no value
  const std::string shown(utf8);

  if (IsDecimalField(field)) {
    if (ReadDecimal(text, decimalSeparator, &input.decimal) &&
        !DecimalWireProblem(field, input.decimal)) {
      input.kind = FieldInput::Kind::Decimal;
    } else {
      input.kind = FieldInput::Kind::Invalid;
      // The analyser's own words, in German whatever the language.
      input.error = lang::Format(
          lang::Tr("'{1}' ist kein g\u00fcltiger Flie\u00dfkommawert f\u00fcr Feld '{2}'"), shown,
          label);
    }
    return input;
  }

  // Integers: the text must be a 32-bit integer, then fit the field's width.
  bool integer = !text.empty();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    const bool sign = i == 0 && (c == U'+' || c == U'-');
    if (!sign && !(c >= U'0' && c <= U'9')) integer = false;
  }
  if (integer && (text == U"+" || text == U"-")) integer = false;
  std::int64_t value = 0;
  if (integer) {
    std::string ascii(shown);
    if (ascii.front() == '+') ascii.erase(0, 1);
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    integer = error == std::errc{} && end == ascii.data() + ascii.size() &&
              value >= std::numeric_limits<std::int32_t>::min() &&
              value <= std::numeric_limits<std::int32_t>::max();
  }
  if (!integer) {
    input.kind = FieldInput::Kind::Invalid;
    input.error = lang::Format(
        lang::Tr("'{1}' ist kein g\u00fcltiger Integerwert f\u00fcr Feld '{2}'"), shown, label);
    return input;
  }
  const bool wide = field == FuelField::ID;
  const double low =
      wide ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int16_t>::min();
  const double high =
      wide ? std::numeric_limits<std::int32_t>::max() : std::numeric_limits<std::int16_t>::max();
  if (static_cast<double>(value) < low || static_cast<double>(value) > high) {
    input.kind = FieldInput::Kind::Invalid;
    input.error =
        lang::Format(lang::Tr("{1} ist kein g\u00fcltiger Wert f\u00fcr das Feld '{2}'. "
                              "Der zul\u00e4ssige Bereich ist {3} bis {4}"),
                     PrintfG(static_cast<double>(value)), label, PrintfG(low), PrintfG(high));
    return input;
  }
  input.kind = FieldInput::Kind::Integer;
  input.integer = value;
  return input;
}

}  // namespace quelt::front
