// The editor dialog's behaviour on the table's current row: what each
// editor shows, the row going into edit at the user's first change (a new
// row, with every field empty, when the table has none), each editor's text
// stored by the field rules when the user leaves it or presses OK, and the
// row posted or dropped when the dialog closes, with N its position. A value
// outside its field's plausible range (fuel/field_ranges.h) is kept only when
// the user says so. The dialogs only map it onto their editors.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "control/messages.h"
#include "fuel/fuel_table.h"

namespace quelt::control {

class RowEditor {
 public:
  RowEditor(FuelTable& table, bool readOnly, char32_t decimalSeparator);

  bool ReadOnly() const { return readOnly_; }
  // The user may change this field (ID never: it names the fuel).
  bool Editable(FuelField field) const { return !readOnly_ && field != FuelField::ID; }
  // A character the field takes.
  bool Accepts(FuelField field, char32_t c) const;
  // The first character of a text (a paste) the field does not take; '?'
  // for a text that is no UTF-8.
  std::optional<char32_t> FirstRefused(FuelField field, std::string_view utf8) const;
  // The note the dialog shows when an editor refused `c`: "Co2Max: 'x' is
  // not allowed here".
  std::string RefusalNote(FuelField field, char32_t c) const;
  // What an editor shows: the value as it will be sent; "" without a row.
  std::string Text(FuelField field) const;

  // The user changed the editor's text.
  void Changed(FuelField field);
  struct Stored {
    bool ok = true;
    std::optional<std::string> show;  // the editor shows this instead
    Message refusal;                  // !ok: the message for the user
    // !ok: `refusal` asks whether to keep a value outside its plausible
    // range (No, the default, goes back to the field to correct it).
    bool question = false;
  };
  // The editor of `field` is left, or OK pressed: its text, if changed,
  // into the row.
  Stored Store(FuelField field, std::string_view utf8);
  // The user answered Yes to the range question for this text: the next
  // Store of the same text keeps it.
  void KeepOutOfRange(FuelField field, std::string_view utf8);
  // The user's answer to the message of a refused `utf8`: true when it kept
  // a value outside its range (Yes to the question), which is now stored;
  // false: the dialog goes back to the editor to have it corrected.
  bool Answered(FuelField field, std::string_view utf8, const Stored& stored, Answer answer);
  // The dialog closed (OK: `accepted`): posts the row when OK follows a
  // change, else drops every pending change.
  void Finish(bool accepted);

 private:
  struct State {
    bool modified = false;            // changed by the user; kept until the dialog closes
    bool pending = false;             // the text differs from what the field holds
    std::optional<std::string> keep;  // out of range, kept on the user's word
  };
  State& Of(FuelField field) { return states_[static_cast<std::size_t>(field)]; }

  FuelTable& table_;
  bool readOnly_;
  char32_t separator_;
  std::array<State, kFuelFieldCount> states_{};
};

}  // namespace quelt::control
