// The one check a row passes before it may go to the analyser, shared by the
// command line's file check, the window's editor and every send: whatever
// the wire text could not carry is refused here, never sent.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fuel/fuel_row.h"

namespace quelt {

// Why a decimal value cannot travel in its field's wire text, in English
// (UTF-8): NaN, an infinity, or a value whose fixed-point text would be cut
// or would not read back as the value the grid shows, or one with more
// digits before the decimal mark than travel exactly. nullopt: fine.
std::optional<std::string> DecimalWireProblem(FuelField field, double value);

// A value the wire carries rounded: "Co2Max 15.456 is sent as 15,5 (the
// wire carries 1 decimal)"; nullopt when it travels as it stands.
std::optional<std::string> RoundingNote(FuelField field, double value);

// Why a description cannot be stored: a character that ends or garbles the
// row on the wire (';', CR and every other control character, the five
// bytes Windows-1252 leaves undefined) or more than 30 characters. Takes
// Windows-1252 bytes.
std::optional<std::string> DescriptionProblem(std::string_view cp1252);

// The first problem of the row, naming its field; nullopt when the row can
// be sent as it stands.
std::optional<std::string> RowProblem(const FuelRow& row);

// A field's text for an error message: at most the first 40 characters
// (UTF-8 in, UTF-8 out), "..." when cut, control characters shown as \xNN.
std::string ShowField(std::string_view utf8);

}  // namespace quelt
