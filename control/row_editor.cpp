#include "control/row_editor.h"

#include "front/field_rules.h"
#include "fuel/field_ranges.h"
#include "lang/format.h"
#include "lang/tr.h"

namespace quelt::control {

RowEditor::RowEditor(FuelTable& table, bool readOnly, char32_t decimalSeparator)
    : table_(table), readOnly_(readOnly), separator_(decimalSeparator) {}

bool RowEditor::Accepts(FuelField field, char32_t c) const {
  return front::EditorAcceptsChar(field, c, separator_);
}

std::optional<char32_t> RowEditor::FirstRefused(FuelField field, std::string_view utf8) const {
  return front::EditorRefusedChar(field, utf8, separator_);
}

std::string RowEditor::RefusalNote(FuelField field, char32_t c) const {
  return std::string(InfoOf(field).name) + ": " + front::RefusalNote(c);
}

void RowEditor::KeepOutOfRange(FuelField field, std::string_view utf8) {
  Of(field).keep = std::string(utf8);
}

bool RowEditor::Answered(FuelField field, std::string_view utf8, const Stored& stored,
                         Answer answer) {
  if (!stored.question || answer != Answer::Yes) return false;
  KeepOutOfRange(field, utf8);
  return Store(field, utf8).ok;
}

std::string RowEditor::Text(FuelField field) const {
  const bool noRow = table_.IsEmpty() && table_.GetState() == FuelTable::State::Browse;
  return noRow ? std::string() : front::FieldDisplayText(table_.Current(), field, separator_);
}

void RowEditor::Changed(FuelField field) {
  Of(field).modified = true;
  Of(field).pending = true;
  if (table_.GetState() != FuelTable::State::Browse) return;
  if (!table_.IsEmpty()) {
    table_.Edit();
    return;
  }
  // A new row holds no value until the user gives it one.
  table_.Append();
  for (const FuelFieldInfo& info : FuelFields()) table_.SetNull(info.field);
}

RowEditor::Stored RowEditor::Store(FuelField field, std::string_view utf8) {
  Stored stored;
  if (!Of(field).pending || table_.GetState() == FuelTable::State::Browse) return stored;
  const front::FieldInput input = front::ReadFieldText(field, utf8, separator_);
  switch (input.kind) {
    case front::FieldInput::Kind::Null:
      table_.SetNull(field);
      // Show the value the analyser will get instead of a blank.
      if (field != FuelField::Description) stored.show = Text(field);
      break;
    case front::FieldInput::Kind::Integer:
      table_.SetInteger(field, input.integer);
      break;
    case front::FieldInput::Kind::Decimal:
      if (OutsideRange(field, input.decimal) && Of(field).keep != std::string(utf8)) {
        stored.ok = false;
        stored.question = true;
        stored.refusal = YesNoQuestion(lang::Format(
            lang::Tr("{1}. Keep it?\n\nNo (the default): back to the field to correct it."),
            RangeText(field, input.decimal, separator_ == U'.' ? '.' : ',')));
        return stored;
      }
      table_.SetDecimal(field, input.decimal);
      break;
    case front::FieldInput::Kind::Text:
      table_.SetDescription(input.text);
      break;
    case front::FieldInput::Kind::Invalid:
      stored.ok = false;
      stored.refusal = WarningMessage(input.error);
      return stored;
  }
  Of(field).pending = false;
  return stored;
}

void RowEditor::Finish(bool accepted) {
  bool modified = false;
  for (const State& s : states_) modified = modified || s.modified;
  const bool editing = table_.GetState() != FuelTable::State::Browse;
  if (accepted && editing && modified) {
    // N is the row's position, whatever the row held before.
    table_.SetInteger(FuelField::N, table_.CurrentIndex() + 1);
    table_.Post();
  } else if (editing) {
    table_.Cancel();
  }
  states_ = {};
}

}  // namespace quelt::control
