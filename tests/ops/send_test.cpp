// Writing the table through the send the window and the command line run,
// without its backup and read-back (what goes on the wire is asserted here):
// the W401 lines with positions, the 30-row and 15-count limits, "Timeout"
// on a missing reply, and a send that follows a failed one.
#include "tests/ops/ops_fixture.h"

namespace quelt::test {
namespace {

class Send : public OpsTest {
 protected:
  // True when every W401 and the W402 had their reply.
  bool SendRows() {
    const SendOutcome outcome = ops.SendTable(SendOptions{false, false});
    ShowMessages(view, outcome);
    return outcome.result == SendOutcome::Result::Sent;
  }
  // The one message box, which names the time-out first.
  void ExpectTimeoutMessage() {
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].rfind(kTimeout, 0), 0u) << view.messages[0];
  }
};

FuelRow MakeRow(int n, int id) {
  FuelRow r = ReadFuelRowText(RowText(n, id)).ToRow();
  r.Description = "Fuel " + std::to_string(id);
  return r;
}

void Fill(FuelTable& table, int rows) {
  for (int i = 1; i <= rows; ++i) table.AppendRow(MakeRow(i, 100 + i));
}

std::vector<std::string> Writes(const std::vector<std::string>& cmds) {
  std::vector<std::string> out;
  for (const auto& c : cmds) {
    if (c.rfind("W40", 0) == 0) out.push_back(c);
  }
  return out;
}

TEST_F(Send, RowCountsAndLimits) {
  struct Case {
    int rows;
    int rowCommands;
    const char* count;
    int maxProgress;
  };
  for (const Case k : {Case{0, 0, "W4020;X;X;", 0}, Case{10, 10, "W40210;X;X;", 10},
                       Case{20, 20, "W40215;X;X;", 20}, Case{35, 30, "W40215;X;X;", 30}}) {
    SCOPED_TRACE(k.rows);
    Start();
    table.Clear();
    Fill(table, k.rows);
    view.progress = {0};
    ASSERT_TRUE(SendRows());
    ASSERT_TRUE(analyser->WaitForCommands(static_cast<std::size_t>(k.rowCommands + 1), 5000));
    const auto writes = Writes(Commands());
    ASSERT_EQ(writes.size(), static_cast<std::size_t>(k.rowCommands + 1));
    for (int i = 0; i < k.rowCommands; ++i) {
      EXPECT_EQ(writes[static_cast<std::size_t>(i)],
                "W401" + std::to_string(i + 1) + ";" + std::to_string(101 + i) + ";Fuel " +
                    std::to_string(101 + i) + ";15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;");
    }
    EXPECT_EQ(writes.back(), k.count);
    EXPECT_EQ(*std::max_element(view.progress.begin(), view.progress.end() - 1), k.maxProgress);
    EXPECT_EQ(view.Progress(), 15);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(link.port().isOpen()) << "a send leaves the port open";
  }
}

TEST_F(Send, PositionsNotStoredNumbersAndWindows1252OnTheWire) {
  Start();
  for (int n : {1, 2, 5, 6}) table.AppendRow(MakeRow(n, n));
  FuelRow gas = MakeRow(9, 16);
  gas.Description = "Zemn\xED plyn H";
  gas.A2 = 0.6;
  gas.Vatr = 10.5;
  table.AppendRow(gas);
  ASSERT_TRUE(SendRows());
  const auto writes = Writes(Commands());
  ASSERT_EQ(writes.size(), 6u);
  EXPECT_EQ(writes[2].substr(0, 7), "W4013;5");
  EXPECT_EQ(writes[3].substr(0, 7), "W4014;6");
  EXPECT_EQ(writes[4], "W4015;16;Zemn\xED plyn H;15,4;0,60;0,007;3,0;10,50;12,00;42,70;1;");
  EXPECT_EQ(writes[5], "W4025;X;X;");
  EXPECT_EQ(table.CurrentIndex(), 4) << "the last row sent stays current";
}

TEST_F(Send, NoReplyToTheThirdRowStopsWithTimeout) {
  sim::Config c;
  c.faults.silentOnPrefix = "W4013;";
  Start(c);
  Fill(table, 6);
  EXPECT_FALSE(SendRows());
  const auto writes = Writes(Commands());
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[2].substr(0, 6), "W4013;");
  ExpectTimeoutMessage();
  EXPECT_EQ(view.Progress(), 0);
  EXPECT_EQ(table.CurrentIndex(), 5) << "back on the row it was on";

  // The next send starts afresh instead of failing at once.
  analyser->SetFaults({});
  analyser->ClearTranscript();
  view.messages.clear();
  EXPECT_TRUE(SendRows());
  EXPECT_EQ(Writes(Commands()).size(), 7u);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(analyser->RowsInUse(), 6);
}

TEST_F(Send, NoReplyToTheCountIsATimeoutToo) {
  sim::Config c;
  c.faults.silentOnPrefix = "W402";
  Start(c);
  Fill(table, 2);
  EXPECT_FALSE(SendRows());
  ExpectTimeoutMessage();
  EXPECT_EQ(Writes(Commands()).size(), 3u);
}

TEST_F(Send, UnreachableAnalyserSendsNothing) {
  link.SetPortOverride("/dev/quelt-missing");
  Fill(table, 3);
  EXPECT_FALSE(SendRows());
  ExpectTimeoutMessage();
  EXPECT_EQ(view.Progress(), 0);
  EXPECT_FALSE(link.port().isOpen());
}

TEST_F(Send, WrittenTableReadsBackTheSame) {
  Start();
  Fill(table, 4);
  ASSERT_TRUE(SendRows());
  StoredTable back;
  ASSERT_TRUE(ops.ReadStoredTable(back));
  ASSERT_GE(back.rows.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(back.rows[static_cast<std::size_t>(i)], WriteFuelRowText(table.Row(i), i + 1));
  }
}

}  // namespace
}  // namespace quelt::test
