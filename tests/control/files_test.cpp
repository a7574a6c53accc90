// Files that come back, and what the window asks and proposes around them:
// Open takes a table file, the CSV export and a backup alike; closing asks
// while the analyser lacks the grid's changes; a send leaves the selection
// where it was; saves propose a name; the demo keeps its backups apart.
#include <gtest/gtest.h>

#include <ctime>
#include <optional>

#include "fuel/backup.h"
#include "fuel/status_text.h"
#include "fuel/table_state.h"
#include "sim/inprocess_line.h"
#include "tests/control/controller_fixture.h"

namespace quelt::test {
namespace {

using control::Answer;
using control::Command;

class Files : public ControllerFixture {
 protected:
  void Start() { ControllerFixture::Start(RowsWithIds({101, 102, 103})); }
  void Refresh() {
    face.answers = {Answer::Discard};
    window.Do(Command::Refresh);
  }
  // A change the analyser has not got: the last row goes.
  void Change() {
    face.answers = {Answer::Ok};
    window.Do(Command::Delete);
  }
  bool Logged(const std::string& part) const {
    return !face.log.empty() && face.log.back().find(part) != std::string::npos;
  }
};

TEST_F(Files, OpenTakesATableFileTheCsvExportAndABackup) {
  Start();
  Refresh();
  const std::vector<std::string> read = WireTexts(Table());
  const auto txt = TestDir() / "open.txt", csv = TestDir() / "open.csv";
  ASSERT_TRUE(window.SaveTable(txt));
  ASSERT_TRUE(window.ExportCsv(csv));
  Change();
  window.Do(Command::Send);  // the backup holds the three rows read
  ASSERT_FALSE(window.LastBackup().empty());
  const auto backup =
      std::filesystem::path(std::u8string(window.LastBackup().begin(), window.LastBackup().end()));
  std::string badCsv = Slurp(csv);
  badCsv.replace(badCsv.find("15,4"), 4, "x");
  const auto bad = WriteFile("bad.csv", badCsv);

  // A backup holds the rows the analyser stores, without the natural gas H
  // row a read adds to the grid.
  std::vector<std::string> stored;
  for (const std::string& row : RowsWithIds({101, 102, 103})) stored.push_back(row + ";");
  struct Case {
    const char* what;
    std::filesystem::path file;
    std::optional<std::vector<std::string>> rows;  // none: the grid stays
    std::string logged;
  } cases[] = {
      {"a table file", txt, read, "Loaded 4 rows from "},
      {"the CSV the export wrote", csv, read, "Loaded 4 rows from "},
      {"a backup", backup, stored, "Loaded 3 rows from the backup "},
      {"a faulty CSV", bad, std::nullopt,
       "Not loaded: bad.csv, line 2: Co2Max 'x' is not a number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Change();
    const std::vector<std::string> before = WireTexts(Table());
    face.answers = {Answer::Discard, Answer::Ok};
    face.files = {c.file};
    window.Do(Command::Open);
    EXPECT_EQ(WireTexts(Table()), c.rows.value_or(before));
    EXPECT_TRUE(Logged(c.logged)) << face.log.back();
    EXPECT_TRUE(window.Unsent());
  }
}

TEST_F(Files, ClosingAsksWhileTheAnalyserLacksTheChanges) {
  struct Case {
    const char* what;
    bool saved, sent;
    bool closeAsks, refreshAsks;  // Refresh (and Open) ask only for what no file holds
  } cases[] = {{"changed", false, false, true, true},
               {"changed and saved to a file", true, false, true, false},
               {"changed and sent", false, true, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Start();
    Refresh();
    Change();
    if (c.saved) {
      ASSERT_TRUE(window.SaveTable(TestDir() / "saved.txt"));
    }
    if (c.sent) window.Do(Command::Send);
    face.boxes.clear();
    face.answers = {Answer::Cancel};
    EXPECT_EQ(window.CloseRequested(), !c.closeAsks);
    face.answers = {Answer::Cancel};
    window.Do(Command::Refresh);
    std::vector<std::string> asked;
    for (const control::Message& m : face.boxes) asked.push_back(m.text);
    std::vector<std::string> expected;
    if (c.closeAsks) expected.push_back(kCloseUnsentQuestion);
    if (c.refreshAsks) expected.push_back(kUnsentQuestion);
    EXPECT_EQ(asked, expected);
  }
}

TEST_F(Files, AfterASendTheSelectionStaysOnItsRow) {
  for (const int row : {0, 1, 2}) {
    SCOPED_TRACE(row);
    Start();
    Refresh();
    window.Table().MoveTo(row);
    std::vector<int> during;
    face.onProgress = [&](int) { during.push_back(window.Table().CurrentIndex()); };
    window.Do(Command::Send);
    face.onProgress = nullptr;
    EXPECT_EQ(window.Table().CurrentIndex(), row);
    EXPECT_NE(std::find(during.begin(), during.end(), 2), during.end())
        << "the selection followed the rows being sent";
  }
}

TEST_F(Files, SavesProposeTheSerialNumberAndTheDate) {
  const std::string date = LocalTimeText(std::time(nullptr), "%Y-%m-%d");
  struct Case {
    const char* what;
    bool identified;
    Command command;
    std::string name;
  } cases[] = {
      {"no analyser identified yet", false, Command::Save, date + ".txt"},
      {"the table", true, Command::Save, "08154711_" + date + ".txt"},
      {"the CSV export", true, Command::ExportCsv, "08154711_" + date + ".csv"},
      {"the report", true, Command::Report, "08154711_" + date + ".html"},
      {"Open proposes nothing", true, Command::Open, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.identified && window.Ops().Identity().serialNumber.empty()) {
      Start();
      Refresh();
    }
    face.fileDialogs.clear();
    face.answers = {Answer::Discard};
    window.Do(c.command);
    ASSERT_EQ(face.fileDialogs.size(), 1u);
    EXPECT_EQ(face.fileDialogs[0].name, c.name);
  }
  // A serial number's characters that no file name holds everywhere.
  EXPECT_EQ(control::ProposedFileName("A/B:C\x01", 0, "txt"),
            "A_B_C_" + LocalTimeText(0, "%Y-%m-%d") + ".txt");
}

TEST_F(Files, DemoBackupsGoToTheirOwnFolder) {
  std::filesystem::remove_all(TestDir() / "backups");
  sim::InProcessLine line;
  window.AttachSimulated(line, line.DevicePath());
  Refresh();
  Change();
  window.Do(Command::Send);
  const auto demo = TestDir() / "backups" / kDemoBackupsFolder;
  ASSERT_FALSE(window.LastBackup().empty());
  EXPECT_EQ(std::filesystem::path(window.LastBackup()).parent_path(), demo);
  EXPECT_EQ(window.AnalyserBackupsFolder(), demo) << "the Backups view lists it";
  EXPECT_FALSE(std::filesystem::exists(TestDir() / "backups" / "08154711"));
  link.Disconnect();
}

}  // namespace
}  // namespace quelt::test
