// Compares rows and counts as the analyser keeps them: numbers, not texts.
// The analyser may answer a row in its own number format ("15,40" for the
// "15,4" it was sent, "3" for "3,0", no closing ';'), so decimals are
// compared at the wire's precision (both sides rounded as the wire rounds),
// integers as integers and the description as text. A row's N (its first
// field) is never compared: the row's place is its number.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelt {

// The differences between a row as sent (or expected) and a row as read back,
// one line each in UTF-8 ("Row 3, A2: sent "0,68", read back "0,70"");
// empty when the analyser holds the same values.
std::vector<std::string> RowDifferences(int position, std::string_view sent, std::string_view back);
// The same with other names for the two sides ("file", "analyser").
std::vector<std::string> RowDifferences(int position, std::string_view sent, std::string_view back,
                                        const char* sentName, const char* backName);

// Field 1 of a count reply as the protocol's integer rule reads it (leading
// text and a '+' skipped, trailing text ignored, "$0C" hexadecimal), when
// that is a number 0..999; nullopt for a field without a digit, a negative
// or a larger number: "abc", "-5;", "", "$;", "1000;".
std::optional<int> CountOfReply(std::string_view reply);

// Text from the analyser as it may reach a terminal or the log: every control
// character (and DEL) shown as \xNN, so that no reply can clear a screen,
// ring a bell or hide what follows. The bytes above 0x7F stay as they are.
std::string PlainDeviceText(std::string_view text);
// The analyser's Windows-1252 text made plain, in UTF-8: for the log lines,
// notes and messages, which are UTF-8.
std::string DeviceText(std::string_view cp1252);
// The same between double quotes, for messages: "\"15,40\"".
std::string QuotedDeviceText(std::string_view cp1252);

}  // namespace quelt
