#include "control/row_editor.h"

#include "front/field_rules.h"
#include "fuel/field_ranges.h"
#include "fuel/table_check.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "text/cp1252.h"

namespace quelt::control {

RowEditor::RowEditor(FuelTable& table, bool readOnly, char32_t decimalSeparator)
    : table_(table),
      readOnly_(readOnly),
      separator_(decimalSeparator),
      newId_(table.Current().ID == 0) {}

bool RowEditor::Accepts(FuelField field, char32_t c) const {
  return front::EditorAcceptsChar(field, c, separator_);
}

std::optional<char32_t> RowEditor::FirstRefused(FuelField field, std::string_view utf8) const {
  return front::EditorRefusedChar(field, utf8, separator_);
}

std::string RowEditor::RefusalNote(FuelField field, char32_t c) const {
  return std::string(InfoOf(field).name) + ": " + front::RefusalNote(c);
}

std::string RowEditor::LockedNote(FuelField field) const {
  if (field != FuelField::ID || readOnly_) return {};
  return lang::Tr("ID: a fuel keeps its ID; a new row (Insert, Ctrl+D) takes one");
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

bool RowEditor::HasRow() const {
  return !table_.IsEmpty() || table_.GetState() != FuelTable::State::Viewing;
}

std::string RowEditor::Text(FuelField field) const {
  // A row without an ID shows none: 0 is no ID, the user types one.
  const bool noId = field == FuelField::ID && table_.Current().ID == 0;
  return !HasRow() || noId ? std::string()
                           : front::FieldDisplayText(table_.Current(), field, separator_);
}

RowEditor::Stored RowEditor::Question(const std::string& doubt) const {
  Stored stored;
  stored.ok = false;
  stored.question = true;
  stored.refusal = YesNoQuestion(lang::Format(
      lang::Tr("{1}. Keep it?\n\nNo (the default): back to the field to correct it."), doubt));
  return stored;
}

std::optional<RowEditor::Stored> RowEditor::IdDoubt(std::int64_t id, std::string_view utf8) {
  if (!IdInRange(id)) {
    Stored stored;
    stored.ok = false;
    stored.refusal = WarningMessage(
        id == 0
            ? lang::Format(lang::Tr("The row needs an ID: a number from {1} to {2}."), kIdMin,
                           kIdMax)
            : lang::Format(lang::Tr("ID {1} is not allowed: an ID is a number from {2} to {3}."),
                           id, kIdMin, kIdMax));
    return stored;
  }
  // The row being edited is still in the table as it was: not another one.
  const int self = table_.GetState() == FuelTable::State::Editing ? table_.CurrentIndex() : -1;
  const int other = RowWithId(table_.Rows(), id, self);
  if (other < 0 || Of(FuelField::ID).keep == std::string(utf8)) return std::nullopt;
  const std::string name = Cp1252ToUtf8(table_.Row(other).Description);
  return Question(
      lang::Format(lang::Tr("ID {1} is used by row {2} ({3}) too"), id, other + 1, name));
}

void RowEditor::Changed(FuelField field) {
  Of(field).modified = true;
  Of(field).pending = true;
  if (table_.GetState() != FuelTable::State::Viewing) return;
  if (!table_.IsEmpty()) {
    table_.BeginEdit();
    return;
  }
  // A new row holds no value until the user gives it one.
  table_.BeginAppend();
  for (const FuelFieldInfo& info : FuelFields()) table_.SetNull(info.field);
}

RowEditor::Stored RowEditor::Store(FuelField field, std::string_view utf8) {
  Stored stored;
  if (!Of(field).pending || table_.GetState() == FuelTable::State::Viewing) return stored;
  const front::FieldInput input = front::ReadFieldText(field, utf8, separator_);
  switch (input.kind) {
    case front::FieldInput::Kind::Null:
      table_.SetNull(field);
      // Show the value the analyser will get instead of a blank (an ID
      // stays blank: OK asks for one).
      if (field != FuelField::Description) stored.show = Text(field);
      break;
    case front::FieldInput::Kind::Integer:
      if (field == FuelField::ID) {
        if (auto doubt = IdDoubt(input.integer, utf8)) return *doubt;
      }
      if (field == FuelField::Soot && !SootIsFlag(input.integer) &&
          Of(field).keep != std::string(utf8)) {
        return Question(
            lang::Format(lang::Tr("Soot {1} is neither 0 nor 1"), std::to_string(input.integer)));
      }
      table_.SetInteger(field, input.integer);
      break;
    case front::FieldInput::Kind::Decimal:
      if (OutsideRange(field, input.decimal) && Of(field).keep != std::string(utf8)) {
        return Question(RangeText(field, input.decimal, separator_ == U'.' ? '.' : ','));
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

RowEditor::Stored RowEditor::Check(FuelField field, std::string_view utf8) {
  Stored stored = Store(field, utf8);
  if (!stored.ok || field != FuelField::ID || !Editable(field) || !HasRow()) return stored;
  if (auto doubt = IdDoubt(table_.Current().ID, utf8)) return *doubt;
  return stored;
}

void RowEditor::Finish(bool accepted) {
  bool modified = false;
  for (const State& s : states_) modified = modified || s.modified;
  const bool editing = table_.GetState() != FuelTable::State::Viewing;
  if (accepted && editing && modified) {
    // N is the row's position, whatever the row held before.
    table_.SetInteger(FuelField::N, table_.CurrentIndex() + 1);
    table_.StoreEdit();
  } else if (editing) {
    table_.CancelEdit();
  }
  states_ = {};
}

}  // namespace quelt::control
