// The editor dialog's behaviour on the table's current row: what each
// editor shows, the row going into edit at the user's first change (a new
// row, with every field empty, when the table has none), each editor's text
// stored by the field rules when the user leaves it or presses OK, and the
// row posted or dropped when the dialog closes, with N its position. A value
// outside its field's plausible range (fuel/field_ranges.h), an ID another
// row uses and Soot other than 0 or 1 (fuel/table_check.h) are kept only
// when the user says so; an ID outside 1 to 999 is refused. The dialogs only
// map it onto their editors.
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
  // The user may change this field. The ID names the fuel on the analyser:
  // a row that has one keeps it. A row without one (0 or empty when the
  // editor opened: a row made by Insert or Ctrl+D, the first row of an empty
  // table) takes its ID here, and OK needs one from 1 to 999.
  bool Editable(FuelField field) const { return !readOnly_ && (field != FuelField::ID || newId_); }
  // A character the field takes.
  bool Accepts(FuelField field, char32_t c) const;
  // The first character of a text (a paste) the field does not take; '?'
  // for a text that is no UTF-8.
  std::optional<char32_t> FirstRefused(FuelField field, std::string_view utf8) const;
  // The note the dialog shows when an editor refused `c`: "Co2Max: 'x' is
  // not allowed here".
  std::string RefusalNote(FuelField field, char32_t c) const;
  // The note for a key typed into a field the user may not change.
  std::string LockedNote(FuelField field) const;
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
  // OK: Store, and a row that takes its ID here must have one, 1 to 999,
  // asked about when another row uses it, whether or not it was typed.
  Stored Check(FuelField field, std::string_view utf8);
  // The user answered Yes to the question about this text (range, shared ID,
  // Soot): the next Store of the same text keeps it.
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
  // A row is shown (the table has one, or the user began a new one).
  bool HasRow() const;
  // The ID refused (outside 1 to 999) or asked about (another row uses it,
  // unless the user kept `utf8`); nullopt: fine.
  std::optional<Stored> IdDoubt(std::int64_t id, std::string_view utf8);
  Stored Question(const std::string& doubt) const;

  FuelTable& table_;
  bool readOnly_;
  char32_t separator_;
  bool newId_;  // the row had no ID when the editor opened
  std::array<State, kFuelFieldCount> states_{};
};

}  // namespace quelt::control
