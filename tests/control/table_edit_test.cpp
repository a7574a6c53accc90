// The table's changes in the window, without a window: N is always the
// position, rows are added and duplicated, every change can be undone and
// redone, and the cells a Send would change are marked. The controller runs
// against the simulated analyser; its face records and plays the editor.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "control/row_editor.h"
#include "fuel/atomic_file.h"
#include "fuel/backup.h"
#include "tests/control/controller_fixture.h"

namespace quelt::test {
namespace {

using control::Answer;
using control::Command;

class TableEdit : public ControllerFixture {
 public:
  // A refresh of the analyser's four rows, IDs 101, 16 (natural gas H, so none is added), 103, 104.
  void Refresh() {
    Start(RowsWithIds({101, 16, 103, 104}));
    face.answers = {Answer::Discard};
    window.Do(Command::Refresh);
    face.answers.clear();
    ASSERT_EQ(Table().RowCount(), 4);
  }
  // The editor as the user fills it: `typed` into `field`, then OK (or Cancel).
  void EditWith(FuelField field, const std::string& typed, bool ok = true) {
    face.onEdit = [field, typed, ok](control::RowEditor& editor) {
      editor.Changed(field);
      EXPECT_TRUE(editor.Store(field, typed).ok);
      return ok;
    };
  }
  std::vector<int> Ids() {
    std::vector<int> ids;
    for (const FuelRow& r : Table().Rows()) ids.push_back(r.ID);
    return ids;
  }
  void ExpectNumberedByPosition() {
    for (int i = 0; i < Table().RowCount(); ++i) EXPECT_EQ(Table().Row(i).N, i + 1) << i;
  }
};

// After every change N counts 1..n and the row acted on stays current. An
// edit used to number its row count + 1 (two rows read 14), a delete left a
// gap, and a row moved after an edit lost the selection to the last row.
TEST_F(TableEdit, NIsThePositionAndTheRowActedOnStaysCurrent) {
  struct Case {
    const char* what;
    std::function<void(TableEdit&)> act;
    std::vector<int> ids;
    int current;
  };
  const Case cases[] = {
      {"an edit that changes a value",
       [](TableEdit& t) {
         t.Table().MoveTo(1);
         t.EditWith(FuelField::Co2Max, "9");
         t.window.Do(Command::Edit);
       },
       {101, 16, 103, 104},
       1},
      {"a delete",
       [](TableEdit& t) {
         t.Table().MoveTo(1);
         t.face.answers = {Answer::Ok};
         t.window.Do(Command::Delete);
       },
       {101, 103, 104},
       1},
      {"an edited last row moved up twice",
       [](TableEdit& t) {
         t.Table().MoveTo(3);
         t.EditWith(FuelField::A2, "0,5");
         t.window.Do(Command::Edit);
         t.window.Do(Command::MoveUp);
         t.window.Do(Command::MoveUp);
       },
       {101, 104, 16, 103},
       1},
      {"a row added below the current one",
       [](TableEdit& t) {
         t.Table().MoveTo(1);
         t.EditWith(FuelField::Description, "Biogas");
         t.window.Do(Command::Add);
       },
       {101, 16, 0, 103, 104},
       2},
      {"an added row whose editor was cancelled",
       [](TableEdit& t) {
         t.Table().MoveTo(1);
         t.EditWith(FuelField::Description, "Biogas", false);
         t.window.Do(Command::Add);
       },
       {101, 16, 103, 104},
       1},
      // The copy's ID is left for the user: two rows with ID 104 went out
      // unasked once.
      {"a duplicate of the last row, given ID 7 in the editor",
       [](TableEdit& t) {
         t.Table().MoveTo(3);
         t.EditWith(FuelField::ID, "7");
         t.window.Do(Command::Duplicate);
       },
       {101, 16, 103, 104, 7},
       4},
      {"a duplicate whose editor was cancelled",
       [](TableEdit& t) {
         t.Table().MoveTo(1);
         t.EditWith(FuelField::ID, "7", false);
         t.window.Do(Command::Duplicate);
       },
       {101, 16, 103, 104},
       1},
      {"a file numbered 5, 9, 2",
       [](TableEdit& t) {
         t.face.answers = {Answer::Discard};
         ASSERT_TRUE(t.window.LoadTable(WriteFile(
             "odd.txt", RowText(5, 201) + "\n" + RowText(9, 202) + "\n" + RowText(2, 203) + "\n")));
       },
       {201, 202, 203},
       0},
      {"an undone delete",
       [](TableEdit& t) {
         t.Table().MoveTo(2);
         t.face.answers = {Answer::Ok};
         t.window.Do(Command::Delete);
         t.window.Do(Command::Undo);
       },
       {101, 16, 103, 104},
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Refresh();
    c.act(*this);
    EXPECT_EQ(Ids(), c.ids);
    EXPECT_EQ(Table().CurrentIndex(), c.current);
    EXPECT_EQ(Table().GetState(), FuelTable::State::Viewing);
    ExpectNumberedByPosition();
  }
  Refresh();
  Table().MoveTo(1);
  EditWith(FuelField::Co2Max, "9");
  window.Do(Command::Add);
  EXPECT_DOUBLE_EQ(Table().Row(2).Co2Max, 9) << "the editor opened on the new row";
  EXPECT_EQ(Table().Row(2).Description, "") << "a new row starts neutral";
}

// Undo and redo walk every kind of change back and forth; the unsent mark
// follows (back to what the analyser holds is nothing unsent); a Refresh or
// a successful Send starts a new history; a new change drops the redo steps.
TEST_F(TableEdit, UndoAndRedoEveryChange) {
  Refresh();
  window.Do(Command::Send);  // a backup of the table read, to load below
  const std::filesystem::path backup = window.LastBackup();
  ASSERT_FALSE(backup.empty());
  const std::vector<FuelRow> read = Table().Rows();
  const std::string file = WriteFile("two.txt", RowText(1, 301) + "\n" + RowText(2, 302) + "\n");
  struct Step {
    const char* what;
    std::function<void(TableEdit&)> act;
  };
  const Step steps[] = {
      {"edit", [](TableEdit& t) { t.EditWith(FuelField::HU, "40"), t.window.Do(Command::Edit); }},
      {"move", [](TableEdit& t) { t.window.Do(Command::MoveDown); }},
      {"add", [](TableEdit& t) { t.EditWith(FuelField::ID, "7"), t.window.Do(Command::Add); }},
      {"duplicate",
       [](TableEdit& t) { t.EditWith(FuelField::ID, "8"), t.window.Do(Command::Duplicate); }},
      {"delete",
       [](TableEdit& t) {
         t.face.answers = {Answer::Ok};
         t.window.Do(Command::Delete);
       }},
      {"load",
       [&file](TableEdit& t) {
         t.face.answers = {Answer::Discard};
         t.window.LoadTable(file);
       }},
      {"load a backup",
       [&backup](TableEdit& t) {
         t.face.answers = {Answer::Discard};
         t.window.LoadBackup(backup);
       }},
  };
  std::vector<std::vector<FuelRow>> tables{Table().Rows()};
  for (const Step& s : steps) {
    s.act(*this);
    ASSERT_NE(Table().Rows(), tables.back()) << s.what;
    tables.push_back(Table().Rows());
  }
  EXPECT_TRUE(window.Unsent());
  for (std::size_t i = tables.size() - 1; i > 0; --i) {
    ASSERT_TRUE(window.CanDo(Command::Undo)) << steps[i - 1].what;
    window.Do(Command::Undo);
    EXPECT_EQ(Table().Rows(), tables[i - 1]) << "undo " << steps[i - 1].what;
    ExpectNumberedByPosition();
  }
  EXPECT_FALSE(window.CanDo(Command::Undo));
  EXPECT_EQ(Table().Rows(), read);
  EXPECT_FALSE(window.Unsent()) << "back to what the analyser holds";
  for (std::size_t i = 1; i < tables.size(); ++i) {
    window.Do(Command::Redo);
    EXPECT_EQ(Table().Rows(), tables[i]) << "redo " << steps[i - 1].what;
  }
  EXPECT_TRUE(window.Unsent()) << "the loaded backup again";
  EXPECT_FALSE(window.CanDo(Command::Redo));

  window.Do(Command::Undo);
  EditWith(FuelField::ID, "9");
  window.Do(Command::Duplicate);
  EXPECT_FALSE(window.CanDo(Command::Redo)) << "a new change drops the redo steps";

  face.answers = {Answer::Discard};
  Refresh();
  EXPECT_FALSE(window.CanDo(Command::Undo)) << "a Refresh starts a new history";
  window.Do(Command::MoveDown);
  window.Do(Command::Send);
  ASSERT_FALSE(window.Unsent());
  EXPECT_FALSE(window.CanDo(Command::Undo)) << "a checked Send starts a new history";
}

TEST_F(TableEdit, TheNewCommandsWaitForATransferToEnd) {
  Refresh();
  window.Do(Command::MoveDown);
  std::vector<std::vector<bool>> canDo;
  std::vector<FuelRow> during;
  bool menuDuring = true;
  face.onLock = [&](bool on) {
    if (!on) return;
    // The row menu runs a loop of its own: none opens while a transfer waits.
    menuDuring = window.RowMenuNow().has_value();
    for (Command c : {Command::Add, Command::Duplicate, Command::Undo, Command::Redo}) {
      canDo.push_back({window.CanDo(c)});
      window.Do(c);
    }
    during = Table().Rows();
  };
  const std::vector<FuelRow> before = Table().Rows();
  window.Do(Command::Send);
  EXPECT_EQ(during, before);
  for (const auto& c : canDo) EXPECT_FALSE(c[0]);
  EXPECT_EQ(face.edits, 0);
  EXPECT_FALSE(menuDuring);
  EXPECT_TRUE(window.RowMenuNow().has_value()) << "and opens again after it";
}

// The cells a Send would change are marked, compared with what the analyser
// reported at the wire's precision; the status line counts the rows.
TEST_F(TableEdit, ChangeMarksShowWhatASendWouldChange) {
  struct Case {
    const char* what;
    std::function<void(TableEdit&)> act;
    std::vector<std::pair<int, FuelField>> marked;  // of the cells of rows 0..3
    int rows;
  };
  using F = FuelField;
  const Case cases[] = {
      {"nothing changed", [](TableEdit&) {}, {}, 0},
      {"a value",
       [](TableEdit& t) {
         t.Table().MoveTo(1);
         t.EditWith(F::Co2Max, "15,5");
         t.window.Do(Command::Edit);
       },
       {{1, F::Co2Max}},
       1},
      {"the same value at the wire's precision",
       [](TableEdit& t) {
         t.Table().MoveTo(1);
         t.EditWith(F::Co2Max, "15,40");
         t.window.Do(Command::Edit);
       },
       {},
       0},
      // Rows are matched by what they hold, not by place: a move marks the
      // moved row's place alone, an insert or a delete no row below it.
      {"a row moved down",
       [](TableEdit& t) {
         t.Table().MoveTo(0);
         t.window.Do(Command::MoveDown);
       },
       {{1, F::N}},
       1},
      {"a row inserted at the top",
       [](TableEdit& t) {
         t.Table().MoveTo(0);
         t.EditWith(F::Description, "Biogas");
         t.window.Do(Command::Add);
       },
       {{1, F::ID},
        {1, F::Description},
        {1, F::Co2Max},
        {1, F::A2},
        {1, F::B},
        {1, F::RefO2},
        {1, F::Vatr},
        {1, F::Vaf},
        {1, F::HU},
        {1, F::Soot}},
       1},
      {"the first row deleted",
       [](TableEdit& t) {
         t.Table().MoveTo(0);
         t.face.answers = {Answer::Ok};
         t.window.Do(Command::Delete);
       },
       {},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Refresh();
    c.act(*this);
    for (int row = 0; row < Table().RowCount() && row < 4; ++row) {
      for (const FuelFieldInfo& info : FuelFields()) {
        const bool want = std::find(c.marked.begin(), c.marked.end(),
                                    std::make_pair(row, info.field)) != c.marked.end();
        EXPECT_EQ(window.CellChanged(row, info.field), want) << row << " " << info.name;
      }
    }
    EXPECT_EQ(window.RowsChanging(), c.rows);
    const bool counted =
        face.status.find(c.rows == 1 ? "1 row changes" : " rows change") != std::string::npos;
    EXPECT_EQ(counted, c.rows > 0) << face.status;
  }
  // An added row is marked whole, N aside (a send numbers by position).
  Refresh();
  Table().MoveTo(3);
  EditWith(F::Description, "Biogas");
  window.Do(Command::Add);
  EXPECT_FALSE(window.CellChanged(4, F::N));
  EXPECT_TRUE(window.CellChanged(4, F::Description) && window.CellChanged(4, F::HU));
  // A checked Send is the new reference: nothing is marked, the grid redraws.
  const int redraws = face.redraws;
  window.Do(Command::Send);
  EXPECT_EQ(window.RowsChanging(), 0);
  EXPECT_FALSE(window.CellChanged(4, F::Description));
  EXPECT_GT(face.redraws, redraws);
}

// The status line counts the rows the analyser stores and names the H row
// the read adds; a backup of the stored table taken into the grid changes
// nothing, although the grid then lacks that H row.
TEST_F(TableEdit, TheStatusLineAndTheMarksCountTheRowsTheAnalyserStores) {
  Start(RowsWithIds({101, 102, 103, 104, 105}));
  window.Do(Command::Refresh);
  ASSERT_EQ(Ids(), (std::vector<int>{101, 102, 103, 16, 104, 105}));
  EXPECT_NE(face.status.find("5 rows stored, 5 used, natural gas H shown, not stored"),
            std::string::npos)
      << face.status;
  EXPECT_EQ(window.RowsChanging(), 0);
  EXPECT_FALSE(window.CellChanged(3, FuelField::Description));

  StoredTable stored = window.Ops().Identity();
  stored.countReply = "5";
  stored.rows = RowsWithIds({101, 102, 103, 104, 105});
  const auto backup = TestDir() / "identical.txt";
  ASSERT_TRUE(WriteTextFileWhole(backup, FormatBackup(stored, 0), nullptr));
  ASSERT_TRUE(window.LoadBackup(backup));
  EXPECT_EQ(Ids(), (std::vector<int>{101, 102, 103, 104, 105}));
  EXPECT_EQ(window.RowsChanging(), 0);
  EXPECT_EQ(face.status.find("change"), std::string::npos) << face.status;
  EXPECT_NE(face.status.find("5 rows stored, 5 used"), std::string::npos) << face.status;
}

TEST_F(TableEdit, NoChangeMarksWithoutAReportFromTheAnalyser) {
  ASSERT_TRUE(window.LoadTable(WriteFile("one.txt", RowText(1, 401) + "\n")));
  EXPECT_FALSE(window.CellChanged(0, FuelField::ID));
  EXPECT_EQ(window.RowsChanging(), 0);
  EXPECT_EQ(face.status.find("change"), std::string::npos);
}

}  // namespace
}  // namespace quelt::test
