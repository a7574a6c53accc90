// The Backups view and the restore a stopped send offers, without a window:
// the controller against the simulated analyser, its face a recorder.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>

#include "control/backups_view.h"
#include "fuel/backup.h"
#include "tests/control/controller_fixture.h"

namespace quelt::test {
namespace {

using control::Answer;
using control::BackupsView;
using control::Buttons;
using control::Command;
using control::Control;

class Backups : public ControllerFixture {
 protected:
  Backups() { std::filesystem::remove_all(TestDir() / "backups"); }

  // The IDs the analyser holds now, read by a fresh Refresh.
  std::vector<int> AnalyserIds() {
    face.answers = {Answer::Discard};
    window.Do(Command::Refresh);
    std::vector<int> ids;
    for (const FuelRow& r : window.Table().Rows()) ids.push_back(r.ID);
    return ids;
  }
  bool Logged(const std::string& part) const {
    return std::any_of(face.log.begin(), face.log.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
  }
  std::size_t Writes() const {
    const auto t = analyser->Transcript();
    return static_cast<std::size_t>(
        std::count_if(t.begin(), t.end(), [](const std::string& c) { return c[0] == 'W'; }));
  }
  void LoadIds(const std::vector<int>& ids) {
    std::string text;
    for (std::size_t i = 0; i < ids.size(); ++i) {
      text += RowText(static_cast<int>(i) + 1, ids[i], "New " + std::to_string(ids[i])) + "\n";
    }
    ASSERT_TRUE(window.LoadTable(WriteFile("new.txt", text)));
  }
};

TEST_F(Backups, CtrlBOpensTheViewExceptDuringATransfer) {
  EXPECT_TRUE(window.KeyPressed(control::Key::B, true, false));
  EXPECT_TRUE(window.KeyPressed(control::Key::B, true, true)) << "in the grid too";
  EXPECT_FALSE(window.KeyPressed(control::Key::B, false, false));
  EXPECT_EQ(face.backupViews, 2);
  // Before any analyser was identified there is no folder to list.
  BackupsView none(window);
  EXPECT_TRUE(none.Entries().empty());
  EXPECT_NE(none.Heading().find("press Refresh"), std::string::npos);
  EXPECT_FALSE(none.CanRestore() || none.CanLoad());

  Start(RowsWithIds({101, 16, 103}));
  window.Do(Command::Refresh);
  int during = -1;
  face.onLock = [&](bool on) {
    if (!on) return;
    window.Do(Command::Backups);
    during = face.backupViews;
  };
  window.Do(Command::Send);
  EXPECT_EQ(during, 2) << "no view while the transfer runs";
}

TEST_F(Backups, TheViewListsChecksRestoresAndLoads) {
  Start(RowsWithIds({101, 16, 103}));
  window.Do(Command::Refresh);
  LoadIds({201, 202});
  window.Do(Command::Send);  // backup 1: 101 16 103
  LoadIds({301});
  window.Do(Command::Send);  // backup 2: 201 202
  face.boxes.clear();

  BackupsView view(window);
  ASSERT_EQ(view.Entries().size(), 2u) << view.Heading();
  const std::filesystem::path folder = view.Folder();
  // A damaged copy of the oldest, planted: its check line fails.
  std::string damaged = Slurp(view.Entries()[1].path);
  damaged.replace(damaged.find("Fuel 101"), 8, "Fuel 999");
  std::ofstream(folder / "2000-01-01_000000-001.txt", std::ios::binary) << damaged;
  view.Reload();
  ASSERT_EQ(view.Entries().size(), 3u);

  struct Row {
    int index;
    const char* rows;
    bool restorable;
  } rows[] = {{0, "2", true}, {1, "3", true}, {2, "", false}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.index);
    view.Select(r.index);
    const auto columns = BackupsView::Columns(view.Entries()[static_cast<std::size_t>(r.index)]);
    EXPECT_EQ(columns[1], r.rows);
    EXPECT_EQ(view.CanRestore(), r.restorable);
    EXPECT_EQ(view.Entries()[static_cast<std::size_t>(r.index)].restorable, r.restorable)
        << columns[3];
  }
  view.Select(2);
  EXPECT_FALSE(view.Restore()) << "a damaged backup is never restored";

  // Restore the oldest good one: asked first; No sends nothing.
  view.Select(1);
  EXPECT_EQ(view.SelectedRows().size(), 3u);
  EXPECT_EQ(view.RowCells(1).size(), BackupsView::RowTitles().size());
  EXPECT_EQ(view.RowCells(1)[0], "2") << "N is the row's place";
  EXPECT_EQ(view.RowCells(1)[2], "Fuel 16");
  EXPECT_EQ(view.RowCells(1)[3], "15,4") << "as the wire has it";
  const std::size_t before = Writes();
  face.answers = {Answer::No};
  EXPECT_FALSE(view.Restore());
  EXPECT_EQ(Writes(), before);
  const std::filesystem::path restored = view.Entries()[1].path;
  face.answers = {Answer::Yes};
  EXPECT_TRUE(view.Restore());
  EXPECT_TRUE(Logged("Restored " + PathText(restored) + ": 3 rows and the count 3, checked"));
  EXPECT_EQ(view.Entries().size(), 4u) << "the table before the restore was backed up";
  EXPECT_EQ(AnalyserIds(), (std::vector<int>{101, 16, 103}));

  // Load into grid: the backup's rows, not sent.
  BackupsView again(window);
  ASSERT_GE(again.Entries().size(), 4u);
  const auto older = std::find_if(again.Entries().begin(), again.Entries().end(),
                                  [&](const BackupEntry& e) { return e.rows == 2; });
  ASSERT_NE(older, again.Entries().end());
  again.Select(static_cast<int>(older - again.Entries().begin()));
  ASSERT_TRUE(again.Load());
  EXPECT_EQ(window.Table().RowCount(), 2);
  EXPECT_EQ(window.Table().Row(0).ID, 201);
  EXPECT_TRUE(window.Unsent());
  EXPECT_TRUE(face.Enabled(Control::Send));
  EXPECT_TRUE(Logged("Loaded 2 rows from the backup "));
}

TEST_F(Backups, ARestoreGoesOnlyToTheAnalyserTheBackupIsOf) {
  Start(RowsWithIds({101, 16, 103}));
  window.Do(Command::Refresh);
  LoadIds({201});
  window.Do(Command::Send);
  BackupsView view(window);
  ASSERT_EQ(view.Entries().size(), 1u);
  const std::filesystem::path backup = view.Entries()[0].path;

  // Another analyser on the line: the same folder is still listed (the
  // serial number of the last Refresh), but nothing is written to it.
  sim::Config other;
  other.serialNumber = "77777777";
  other.rows = RowsWithIds({501});
  Start(other);
  face.boxes.clear();
  EXPECT_FALSE(window.RestoreBackup(backup));
  EXPECT_EQ(Writes(), 0u);
  ASSERT_FALSE(face.boxes.empty());
  EXPECT_NE(face.boxes.back().text.find("77777777"), std::string::npos) << face.boxes.back().text;
}

TEST_F(Backups, AStoppedSendOffersToRestoreTheBackupMadeBeforeIt) {
  struct Case {
    Answer answer;
    std::vector<int> holds;  // what the analyser holds afterwards
    bool gone = false;       // the analyser answers nothing from the lost row on
  } cases[] = {
      {Answer::Restore, {101, 16, 103}},
      {Answer::Close, {201}},  // row 1 of the new table went out, the count did not change
      // The failed restore says what the stopped send left, not an intact table.
      {Answer::Restore, {201}, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(static_cast<int>(k.answer));
    sim::Config config;
    config.rows = RowsWithIds({101, 16, 103});
    config.faults.silentOnPrefix = "W4012;202;";  // the new table's row 2 gets no answer
    Start(config);
    if (k.gone) {
      analyser->OnCommand([this](const std::string& command) {
        sim::Faults silent;
        silent.silentFrom = 1;
        if (command.rfind("W4012;202;", 0) == 0) analyser->SetFaults(silent);
      });
    }
    face = RecordingFace{};
    window.Attach(&face);
    window.Do(Command::Refresh);
    LoadIds({201, 202});
    face.answers = {k.answer};
    window.Do(Command::Send);
    // The question only: the grid's table is in the file it was loaded from,
    // so the restore that replaces it asks nothing more.
    const std::size_t questions = 1;
    if (k.gone) {
      ASSERT_EQ(face.boxes.size(), questions + 1) << "then the failed restore";
      EXPECT_NE(face.boxes[questions].text.find(
                    "No row was written; the count was not changed. The analyser still holds "
                    "what the stopped send left: row 1 of the new table (row 2 perhaps too) over "
                    "the old one, with the old count."),
                std::string::npos)
          << face.boxes[questions].text;
      face.boxes.resize(questions);
    }
    ASSERT_EQ(face.boxes.size(), questions);
    EXPECT_EQ(face.boxes[0].buttons, Buttons::RestoreSaveTraceClose);
    EXPECT_EQ(face.boxes[0].defaultAnswer, Answer::Close);
    EXPECT_NE(face.boxes[0].text.find("Row 1 of 2 was written"), std::string::npos)
        << face.boxes[0].text;
    EXPECT_EQ(Logged("Restored "), k.answer == Answer::Restore && !k.gone);
    std::vector<int> holds = AnalyserIds();
    holds.resize(k.holds.size());
    EXPECT_EQ(holds, k.holds);
  }
}

// Every write from the window saves what it overwrites, read just before it:
// the analyser's table may have changed since the Refresh (another
// workstation, the command line, someone at the analyser).
TEST_F(Backups, AWriteBacksUpTheTableItOverwritesNotTheLastRefresh) {
  enum class Write { Send, RestoreFromView };
  for (const Write write : {Write::Send, Write::RestoreFromView}) {
    SCOPED_TRACE(static_cast<int>(write));
    std::filesystem::remove_all(TestDir() / "backups");
    Start(RowsWithIds({101, 16, 103}));
    face = RecordingFace{};
    window.Attach(&face);
    window.Do(Command::Refresh);
    std::filesystem::path restoring;
    if (write == Write::RestoreFromView) {
      LoadIds({201});
      window.Do(Command::Send);  // backup of 101 16 103, to be restored below
      BackupsView view(window);
      ASSERT_EQ(view.Entries().size(), 1u);
      restoring = view.Entries()[0].path;
    }
    sim::Config changed;
    changed.rows = RowsWithIds({301, 302, 303, 304});
    analyser->SetConfig(changed);  // changed behind the window's back
    if (write == Write::Send) {
      LoadIds({401, 402});
      window.Do(Command::Send);
    } else {
      face.answers = {Answer::Discard};
      ASSERT_TRUE(window.RestoreBackup(restoring));
    }
    BackupsView view(window);
    ASSERT_FALSE(view.Entries().empty());
    const BackupEntry& newest = view.Entries()[0];
    ASSERT_TRUE(newest.table && newest.restorable) << newest.check;
    std::vector<int> saved;
    for (const FuelRow& r : control::RowsOfBackup(*newest.table)) saved.push_back(r.ID);
    EXPECT_EQ(saved, (std::vector<int>{301, 302, 303, 304}));
  }
}

// A write onto another analyser than the one last read goes out only when
// the user says so, and its backup names the analyser it was read from.
TEST_F(Backups, AnotherAnalyserIsWrittenOnlyWhenTheUserAgrees) {
  for (const Answer answer : {Answer::No, Answer::Yes}) {
    SCOPED_TRACE(static_cast<int>(answer));
    std::filesystem::remove_all(TestDir() / "backups");
    Start(RowsWithIds({101, 16, 103}));
    face = RecordingFace{};
    window.Attach(&face);
    window.Do(Command::Refresh);
    LoadIds({201});
    sim::Config other;
    other.serialNumber = "77777777";
    other.type = "22";
    other.rows = RowsWithIds({501});
    Start(other);
    face.answers = {answer};
    window.Do(Command::Send);
    ASSERT_FALSE(face.boxes.empty());
    EXPECT_EQ(face.boxes[0].defaultAnswer, Answer::No);
    EXPECT_NE(face.boxes[0].text.find("77777777"), std::string::npos) << face.boxes[0].text;
    EXPECT_NE(face.boxes[0].text.find("08154711"), std::string::npos) << face.boxes[0].text;
    EXPECT_EQ(Writes() > 0, answer == Answer::Yes);
    if (answer == Answer::Yes) {
      const BackupsView view(window);
      ASSERT_EQ(view.Entries().size(), 1u);
      EXPECT_EQ(view.Entries()[0].table->serialNumber, "77777777");
      EXPECT_EQ(view.Entries()[0].table->type, "22");
    } else {
      EXPECT_TRUE(Logged("Nothing was sent."));
    }
  }
}

// After a restore the grid is what the analyser holds, in step with it, and
// the log counts the rows as the question did.
TEST_F(Backups, AfterARestoreTheGridShowsWhatTheAnalyserHolds) {
  Start(RowsWithIds({101, 16, 103}));
  window.Do(Command::Refresh);
  LoadIds({201, 202, 203, 204});
  window.Do(Command::Send);
  BackupsView view(window);
  ASSERT_EQ(view.Entries().size(), 1u);
  face.answers = {Answer::Yes};
  ASSERT_TRUE(view.Restore());
  EXPECT_NE(face.boxes.back().text.find("3 rows, count 3"), std::string::npos);
  EXPECT_TRUE(Logged("3 rows and the count 3, checked"));
  std::vector<int> shown;
  for (const FuelRow& r : window.Table().Rows()) shown.push_back(r.ID);
  EXPECT_EQ(shown, (std::vector<int>{101, 16, 103}));
  EXPECT_FALSE(window.Unsent());
  EXPECT_EQ(window.Status().rows, 3);
}

// The system ends the window during a write: the command in flight is
// finished, nothing more is sent, the log says what the analyser holds and
// the window closes without a question.
TEST_F(Backups, TheSystemEndingTheWindowStopsAWriteAfterTheCommandInFlight) {
  Start(RowsWithIds({101, 16, 103}));
  window.Do(Command::Refresh);
  LoadIds({201, 202, 203, 204});
  face.onProgress = [&](int row) {
    if (row == 2) window.Terminate();
  };
  window.Do(Command::Send);
  EXPECT_EQ(Writes(), 2u) << "rows 1 and 2, no count";
  EXPECT_TRUE(Logged("Rows 1 to 2 of 4 were written"));
  EXPECT_TRUE(face.boxes.empty());
  EXPECT_EQ(face.laterCloses, 1);
  EXPECT_TRUE(window.Unsent());
  EXPECT_TRUE(window.CloseRequested()) << "no question: the session is ending";
}

// Ctrl+E and Ctrl+P: the file asked for, then the grid as a spreadsheet
// file or the service report with what the last send's check found; a file
// that cannot be written says so and changes nothing.
TEST_F(Backups, EachBackupSaysWhatItWasMadeForAndComparesWithTheAnalyser) {
  Start(RowsWithIds({101, 16, 103}));
  window.Do(Command::Refresh);
  LoadIds({201, 202});
  window.Do(Command::Send);  // before a send: 101 16 103
  {
    BackupsView view(window);
    face.answers = {Answer::Yes};
    ASSERT_TRUE(view.Restore());  // before a restore: 201 202; the analyser holds 101 16 103
  }
  BackupsView view(window, U'.');
  ASSERT_EQ(view.Entries().size(), 2u);
  // The same tables, once as the command line's backup and once as an
  // earlier version wrote them, without the line.
  for (const BackupEntry& e : std::vector<BackupEntry>(view.Entries())) {
    const bool sent = e.cause == BackupCause::Send;
    std::ofstream(
        view.Folder() / (sent ? "2000-01-02_000000-001.txt" : "2000-01-01_000000-001.txt"),
        std::ios::binary)
        << FormatBackup(*e.table, 0, sent ? BackupCause::ByHand : BackupCause::Unknown);
  }
  view.Reload();
  ASSERT_EQ(view.Entries().size(), 4u);

  struct Case {
    std::string made;  // the list's column
    std::size_t rows;
    bool same;  // as the analyser's table last read
  } cases[] = {
      {"before a send", 3, true},
      {"before a restore", 2, false},
      {"by hand", 3, true},
      {"\u2014", 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.made);
    int index = -1;
    for (std::size_t i = 0; i < view.Entries().size(); ++i) {
      if (BackupsView::Columns(view.Entries()[i]).at(4) == c.made) index = static_cast<int>(i);
    }
    ASSERT_GE(index, 0);
    view.Select(index);
    ASSERT_EQ(view.SelectedRows().size(), c.rows);
    EXPECT_EQ(view.RowCells(0)[3], "15.4") << "decimals as the grid shows them";
    ASSERT_TRUE(view.CanCompare());
    face.boxes.clear();
    const std::vector<std::string> differences = view.Compare();
    EXPECT_EQ(differences.empty(), c.same);
    ASSERT_EQ(face.boxes.size(), 1u);
    const std::string& shown = face.boxes[0].text;
    if (c.same) {
      EXPECT_NE(shown.find("holds the same rows as the analyser's table last read"),
                std::string::npos)
          << shown;
    } else {
      EXPECT_NE(shown.find(differences.front()), std::string::npos) << shown;
    }
  }
}

}  // namespace
}  // namespace quelt::test
