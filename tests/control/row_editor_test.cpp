// The editor's behaviour on a table, without a dialog: the row goes into
// edit at the first change (a new row when there is none), each text is
// stored by the field rules, and the row is posted or dropped at the end.
#include <gtest/gtest.h>

#include "control/row_editor.h"

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
      {"OK after a change numbers the row last", 3, FuelField::Co2Max, "15,5", true, 3, 15.5, 4},
      {"Cancel drops the change", 3, FuelField::Co2Max, "15,5", false, 3, 12.1, 1},
      {"a change in an empty table makes a row", 0, FuelField::Co2Max, "9", true, 1, 9, 1},
      {"an emptied number is sent as 0", 3, FuelField::Co2Max, "", true, 3, 0, 4},
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
    EXPECT_EQ(table.GetState(), FuelTable::State::Browse) << c.what;
    ASSERT_EQ(table.RecordCount(), c.rowsAfter) << c.what;
    EXPECT_DOUBLE_EQ(table.Current().Co2Max, c.co2After) << c.what;
    EXPECT_EQ(table.Current().N, c.nAfter) << c.what;
  }
}

TEST(RowEditor, ARefusedTextIsAWarningAndKeepsTheRowInEdit) {
  FuelTable table = TableOf(2);
  RowEditor editor(table, false, U',');
  EXPECT_FALSE(editor.Accepts(FuelField::Co2Max, U'.')) << "the separator here is ','";
  EXPECT_FALSE(editor.Accepts(FuelField::Description, U';'));
  EXPECT_FALSE(editor.Editable(FuelField::ID));
  editor.Changed(FuelField::Co2Max);
  const RowEditor::Stored stored = editor.Store(FuelField::Co2Max, "1e999");
  EXPECT_FALSE(stored.ok);
  EXPECT_EQ(stored.refusal.kind, MessageKind::Warning);
  EXPECT_EQ(stored.refusal.title, "quelt-fuel");
  EXPECT_FALSE(stored.refusal.text.empty());
  EXPECT_EQ(table.GetState(), FuelTable::State::Edit);
  editor.Finish(false);
  EXPECT_DOUBLE_EQ(table.Current().Co2Max, 12.1);
  RowEditor readOnly(table, true, U',');
  EXPECT_FALSE(readOnly.Editable(FuelField::Description));
}

}  // namespace
}  // namespace quelt::control
