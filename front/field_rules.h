// The editor's field rules, shared by both windows: which characters each
// field takes, how a value is shown (with the workstation's decimal
// separator), and how an editor's text is read back, with the messages the
// user sees for a text that is no value of its field. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuel/fuel_row.h"

namespace quelt::front {

// Soot (and N, ID) take signs and digits; the decimal fields also 'E',
// 'e' and a decimal mark: '.' and ',' both, whatever the workstation uses
// (and its own separator), so "12,5" is never read as 125; the description
// every printable Windows-1252 character except ';', which would split the
// row on the wire.
bool EditorAcceptsChar(FuelField field, char32_t c, char32_t decimalSeparator);
// The first character of a UTF-8 text (a paste) the field does not take;
// '?' for invalid UTF-8.
std::optional<char32_t> EditorRefusedChar(FuelField field, std::string_view utf8,
                                          char32_t decimalSeparator);

// The note beside an editor that refused a character: "'x' is not allowed
// here" (a beep alone goes unheard in a workshop).
std::string RefusalNote(char32_t c);

// What an editor and the grid show: the text that will be sent, so a number
// without a value shows as 0; decimal fields as the wire carries them, with
// the given separator.
std::string FieldDisplayText(const FuelRow& row, FuelField field, char32_t decimalSeparator);

// An editor's text read as a value of its field.
struct FieldInput {
  enum class Kind { Null, Integer, Decimal, Text, Invalid };
  Kind kind = Kind::Null;
  std::int64_t integer = 0;
  double decimal = 0;
  std::string text;   // Text: Windows-1252
  std::string error;  // Invalid: the message for the user
};
FieldInput ReadFieldText(FuelField field, std::string_view utf8, char32_t decimalSeparator);

// UTF-8 helpers for the edges.
std::u32string DecodeUtf8(std::string_view utf8, bool* valid = nullptr);
std::string EncodeUtf8(std::u32string_view text);

}  // namespace quelt::front
