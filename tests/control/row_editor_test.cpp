// The editor's behaviour on a table, without a dialog: the row goes into
// edit at the first change (a new row when there is none), each text is
// stored by the field rules, and the row is posted or dropped at the end.
#include <gtest/gtest.h>

#include "control/row_editor.h"
#include "text/text_helpers.h"

namespace quelt::control {
namespace {

FuelTable TableOf(int rows) {
  FuelTable table;
  for (int i = 1; i <= rows; ++i) {
    FuelRow row;
    row.N = static_cast<std::int16_t>(i);
    row.ID = 100 + i;
    row.Description = "Fuel " + std::to_string(i);
    row.Co2Max = 12.1;
    table.AppendRow(row);
  }
  table.MoveTo(0);
  return table;
}

TEST(RowEditor, StoresPostsOrDrops) {
  struct Case {
    const char* what;
    int rows;
    FuelField field;
    const char* typed;  // nullptr: no change
    bool ok;
    int rowsAfter;
    double co2After;  // of the current row
    int nAfter;
  } cases[] = {
      {"OK without a change keeps the row", 3, FuelField::Co2Max, nullptr, true, 3, 12.1, 1},
      {"OK after a change numbers the row by its place", 3, FuelField::Co2Max, "15,5", true, 3,
       15.5, 1},
      {"Cancel drops the change", 3, FuelField::Co2Max, "15,5", false, 3, 12.1, 1},
      {"a change in an empty table makes a row", 0, FuelField::Co2Max, "9", true, 1, 9, 1},
      {"an emptied number is sent as 0", 3, FuelField::Co2Max, "", true, 3, 0, 1},
  };
  for (const Case& c : cases) {
    FuelTable table = TableOf(c.rows);
    RowEditor editor(table, false, U',');
    if (c.typed != nullptr) {
      editor.Changed(c.field);
      const RowEditor::Stored stored = editor.Store(c.field, c.typed);
      EXPECT_TRUE(stored.ok) << c.what;
      if (std::string(c.typed).empty()) {
        EXPECT_TRUE(stored.show.has_value()) << c.what;
      }
    }
    editor.Finish(c.ok);
    EXPECT_EQ(table.GetState(), FuelTable::State::Viewing) << c.what;
    ASSERT_EQ(table.RowCount(), c.rowsAfter) << c.what;
    EXPECT_DOUBLE_EQ(table.Current().Co2Max, c.co2After) << c.what;
    EXPECT_EQ(table.Current().N, c.nAfter) << c.what;
  }
}

TEST(RowEditor, ARefusedTextIsAWarningAndKeepsTheRowInEdit) {
  FuelTable table = TableOf(2);
  RowEditor editor(table, false, U',');
  EXPECT_FALSE(editor.Accepts(FuelField::Description, U';'));
  EXPECT_FALSE(editor.Editable(FuelField::ID));
  EXPECT_EQ(editor.LockedNote(FuelField::ID),
            "ID: a fuel keeps its ID; a new row (Insert, Ctrl+D) takes one");
  editor.Changed(FuelField::Co2Max);
  const RowEditor::Stored stored = editor.Store(FuelField::Co2Max, "1e999");
  EXPECT_FALSE(stored.ok);
  EXPECT_EQ(stored.refusal.kind, MessageKind::Warning);
  EXPECT_EQ(stored.refusal.title, "quelt-fuel");
  EXPECT_FALSE(stored.refusal.text.empty());
  EXPECT_EQ(table.GetState(), FuelTable::State::Editing);
  editor.Finish(false);
  EXPECT_DOUBLE_EQ(table.Current().Co2Max, 12.1);
  RowEditor readOnly(table, true, U',');
  EXPECT_FALSE(readOnly.Editable(FuelField::Description));
}

// Both '.' and ',' are a decimal mark on every workstation: "12,5" typed
// where the workstation uses '.' was 125 once, the ',' refused unheard.
TEST(RowEditor, EitherDecimalMarkWhateverTheWorkstationUses) {
  struct Case {
    char32_t workstation;
    const char* typed;
    bool ok;
    double stored;
  } cases[] = {
      {U'.', "12,5", true, 12.5},  {U'.', "12.5", true, 12.5}, {U',', "12.5", true, 12.5},
      {U',', "12,5", true, 12.5},  {U'.', "1,5E1", true, 15},  {U',', "1.2,5", false, 0},
      {U'.', "1,234.5", false, 0}, {U'.', ",5", true, 0.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    FuelTable table = TableOf(1);
    RowEditor editor(table, false, c.workstation);
    EXPECT_EQ(editor.FirstRefused(FuelField::Co2Max, c.typed), std::nullopt)
        << "every character is taken";
    editor.Changed(FuelField::Co2Max);
    const RowEditor::Stored stored = editor.Store(FuelField::Co2Max, c.typed);
    EXPECT_EQ(stored.ok, c.ok);
    EXPECT_FALSE(stored.question);
    editor.Finish(c.ok);
    if (c.ok) {
      EXPECT_DOUBLE_EQ(table.Current().Co2Max, c.stored);
    }
  }
  FuelTable table = TableOf(1);
  RowEditor editor(table, false, U'.');
  EXPECT_EQ(editor.RefusalNote(FuelField::A2, U'x'), "A2: 'x' is not allowed here");
  EXPECT_EQ(editor.FirstRefused(FuelField::A2, "1x;"), U'x');
  EXPECT_EQ(editor.FirstRefused(FuelField::A2, "1\xff"), U'?') << "no UTF-8";
  EXPECT_EQ(editor.RefusalNote(FuelField::Description, U';'),
            "Description: ';' is not allowed here");
  EXPECT_FALSE(editor.Accepts(FuelField::Soot, U','));
}

// A value outside its plausible range is asked about, No the default; only
// a Yes for that very text keeps it. Bounds hold as the wire rounds.
TEST(RowEditor, AValueOutsideItsRangeIsKeptOnlyOnTheUsersWord) {
  struct Case {
    FuelField field;
    const char* typed;
    bool asked;
  } cases[] = {
      {FuelField::Co2Max, "30", false},  {FuelField::Co2Max, "30,04", false},
      {FuelField::Co2Max, "30,1", true}, {FuelField::Co2Max, "-0,1", true},
      {FuelField::RefO2, "21", false},   {FuelField::RefO2, "21,5", true},
      {FuelField::A2, "2", false},       {FuelField::A2, "2,5", true},
      {FuelField::B, "0,1", false},      {FuelField::B, "0,101", true},
      {FuelField::Vatr, "50", false},    {FuelField::Vaf, "51", true},
      {FuelField::HU, "200", false},     {FuelField::HU, "250", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    FuelTable table = TableOf(1);
    RowEditor editor(table, false, U',');
    editor.Changed(c.field);
    RowEditor::Stored stored = editor.Store(c.field, c.typed);
    EXPECT_EQ(stored.question, c.asked);
    EXPECT_EQ(stored.ok, !c.asked);
    if (!c.asked) continue;
    EXPECT_EQ(stored.refusal.buttons, Buttons::YesNo);
    EXPECT_EQ(stored.refusal.defaultAnswer, Answer::No);
    EXPECT_EQ(stored.refusal.escapeAnswer, Answer::No);
    EXPECT_NE(stored.refusal.text.find(InfoOf(c.field).name), std::string::npos);
    editor.KeepOutOfRange(c.field, "another text");
    EXPECT_FALSE(editor.Store(c.field, c.typed).ok) << "a Yes for another text keeps nothing";
    EXPECT_FALSE(editor.Answered(c.field, c.typed, stored, Answer::No)) << "No corrects it";
    EXPECT_TRUE(editor.Answered(c.field, c.typed, stored, Answer::Yes));
    editor.Finish(true);
    EXPECT_DOUBLE_EQ(table.Current().Decimal(c.field), ParseFloatLenient(c.typed));
  }
}

}  // namespace
}  // namespace quelt::control
