// Refresh and Send as the window runs them, without a window: the
// controller against the simulated analyser, its face a recorder. The lock
// while a transfer runs, closing during one, and what a failed Send tells.
#include <gtest/gtest.h>

#include <array>

#include "fuel/status_text.h"
#include "tests/control/controller_fixture.h"

namespace quelt::test {
namespace {

using control::Answer;
using control::Command;
using control::Control;

class Transfers : public ControllerFixture {};

TEST_F(Transfers, SendIsEnabledOnlyOnceATableIsThere) {
  EXPECT_TRUE(face.Enabled(Control::Refresh));
  EXPECT_FALSE(face.Enabled(Control::Send)) << "at start";
  EXPECT_FALSE(face.Enabled(Control::BackupLine));

  link.SetPortOverride("/nonexistent/quelt-tty");
  window.Do(Command::Refresh);
  EXPECT_FALSE(face.Enabled(Control::Send)) << "after a failed refresh";
  window.Do(Command::Send);
  EXPECT_TRUE(face.boxes.empty()) << "a key reaches a disabled Send: nothing happens";

  const std::string file = WriteFile("three.txt",
                                     "1;101;Gas;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;\n"
                                     "2;16;Erdgas H;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;\n");
  ASSERT_TRUE(window.LoadTable(file));
  EXPECT_TRUE(face.Enabled(Control::Send)) << "after a load";

  Start();
  face.answers = {Answer::Discard};
  window.Do(Command::Refresh);
  EXPECT_TRUE(face.Enabled(Control::Send)) << "after a refresh that read the list";
  window.Shown();
  EXPECT_FALSE(face.Enabled(Control::Send)) << "the intro starts over";
}

TEST_F(Transfers, ATransferLocksEverythingThatChangesTheTable) {
  Start();
  window.Do(Command::Refresh);
  std::vector<std::array<bool, control::kControlCount>> duringLock;
  int deletedDuring = -1;
  face.onLock = [&](bool on) {
    if (!on) return;
    duringLock.push_back(face.enabled);
    // Keys and clicks reach the controller during the transfer.
    const int rows = Table().RowCount();
    for (Command c : {Command::Refresh, Command::Send, Command::MoveUp, Command::Edit,
                      Command::Delete, Command::Open, Command::Save}) {
      window.Do(c);
    }
    deletedDuring = rows - Table().RowCount();
  };
  window.Do(Command::Send);
  ASSERT_EQ(duringLock.size(), 1u);
  for (Control c : {Control::Refresh, Control::Send, Control::MoveUp, Control::MoveDown,
                    Control::Open, Control::Save, Control::EditMenu}) {
    EXPECT_FALSE(duringLock[0][static_cast<std::size_t>(c)]) << static_cast<int>(c);
  }
  EXPECT_EQ(deletedDuring, 0);
  EXPECT_EQ(face.edits, 0);
  EXPECT_TRUE(face.boxes.empty()) << "no question, no file dialog during a transfer";
  EXPECT_TRUE(face.fileDialogs.empty());
  EXPECT_FALSE(face.locked);
  EXPECT_TRUE(face.Enabled(Control::Send) && face.Enabled(Control::Refresh));
  EXPECT_TRUE(face.Enabled(Control::BackupLine)) << "the send made a backup";
}

TEST_F(Transfers, ClosingDuringATransferEndsItThenClosesWithoutAQuestion) {
  Start(RowsWithIds({101, 102, 103, 104, 105, 106}));
  bool mayCloseDuring = true;
  face.onLock = [&](bool on) {
    if (on) mayCloseDuring = window.CloseRequested();
  };
  window.Do(Command::Refresh);
  EXPECT_FALSE(mayCloseDuring);
  EXPECT_TRUE(window.Ops().Aborting());
  EXPECT_EQ(face.laterCloses, 1) << "asked to close once the operation returned";
  EXPECT_TRUE(face.boxes.empty()) << "no Timeout for a transfer the user ended";
  EXPECT_EQ(Table().RowCount(), 0);
  EXPECT_TRUE(window.CloseRequested());
}

// A Send's lines stand in the log in the order the operations wrote them,
// and its box comes once the transfer has ended, after all of them.
TEST_F(Transfers, AFailedSendLogsInOrderAndTellsOnceTheTransferEnded) {
  sim::Faults differs;
  differs.dropHuAt = 2;
  sim::Faults silent;
  silent.silentOnPrefix = "W4012";
  const struct {
    const char* what;
    sim::Faults faults;
    std::vector<std::string> lines;  // the send's log, each line by its start
    std::string box;                 // the one box, by its start
  } cases[] = {
      {"read back differs",
       differs,
       {"Backup of the analyser's table: ", "The table read back differs from the table sent:",
        "Row 2, HU: sent \"42,70\", read back \"0\""},
       "The table read back differs from the table sent (1 difference, first: Row 2, HU"},
      {"no reply",
       silent,
       {"Backup of the analyser's table: ",
        "Row 1 of 3 was written, row 2 may have been written; the count was not changed."},
       std::string(kTimeout) + "\n\nRow 1 of 3 was written"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Start();
    window.Do(Command::Refresh);
    Change();
    analyser->SetFaults(c.faults);
    face.log.clear();
    face.boxes.clear();
    std::size_t boxesWhileLocked = 0;
    face.onLock = [&](bool on) {
      if (!on) boxesWhileLocked = face.boxes.size();
    };
    window.Do(Command::Send);
    face.onLock = nullptr;
    ASSERT_EQ(face.log.size(), c.lines.size()) << ::testing::PrintToString(face.log);
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      EXPECT_EQ(face.log[i].rfind(c.lines[i], 0), 0u) << face.log[i];
    }
    EXPECT_EQ(boxesWhileLocked, 0u) << "no box during the transfer";
    ASSERT_EQ(face.boxes.size(), 1u);
    EXPECT_EQ(face.boxes[0].text.rfind(c.box, 0), 0u) << face.boxes[0].text;
  }
}

}  // namespace
}  // namespace quelt::test
