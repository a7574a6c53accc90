// Refresh end to end against the simulated analyser: the bytes on the wire,
// the log, the gas names by analyser type, the inserted H row and every
// failure path.
#include <time.h>

#include <algorithm>
#include <chrono>

#include "fuel/gas_names.h"
#include "sim/inprocess_line.h"
#include "tests/ops/ops_fixture.h"
#include "text/text_helpers.h"

namespace quelt::test {
namespace {

using Refresh = OpsTest;

TEST_F(Refresh, WorkedExampleEnglishWithThreeRows) {
  sim::Config c;
  c.type = "7";
  c.rows = RowsWithIds({1, 2, 7});
  Start(c);
  ASSERT_TRUE(ops.Refresh());

  EXPECT_EQ(Commands(), (std::vector<std::string>{"", "", "R001", "R005", "R004", "R002", "",
                                                  "R402", "R40101", "R40102", "R40103"}));
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 16, 7}));
  EXPECT_EQ(Ns(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(table.Row(0).Description, "Fuel 1");
  EXPECT_EQ(table.Row(1).Description, "Natural gas L");
  EXPECT_EQ(table.Row(2).Description, "Natural gas H");
  EXPECT_DOUBLE_EQ(table.Row(2).HU, 31.68);
  EXPECT_EQ(table.CurrentIndex(), 2) << "the H row is selected";

  ASSERT_EQ(view.log.size(), 14u);
  EXPECT_EQ(view.log[0], kTitleLine);
  EXPECT_EQ(view.log[1], "QUELT fuel list updater: 1.0,001");
  EXPECT_EQ(view.log[5], "[ Press Button \"Refresh\".           ]");
  EXPECT_EQ(view.log[9], "Found      :QUELT 300");
  EXPECT_EQ(view.log[10], "Type       :7");
  EXPECT_EQ(view.log[11], "Serial No. :08154711");
  EXPECT_EQ(view.log[12], "Version    :V 2.31");
  EXPECT_EQ(view.log[13], "");
  for (std::size_t i = 3; i < 9; ++i) EXPECT_EQ(view.log[i].size(), 37u) << view.log[i];
  EXPECT_TRUE(view.sendEnabled);
  EXPECT_TRUE(view.refreshEnabled);
  EXPECT_EQ(view.Progress(), 15);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_FALSE(link.port().isOpen()) << "Refresh closes the port";
  EXPECT_FALSE(view.transferActive);
}

TEST_F(Refresh, TypeCodePicksTheGasNames) {
  struct Case {
    std::string type;
    int lGasId;
    const char* lName;
    const char* hName;
  };
  const Case cases[] = {
      {" 20", 2, "Erdgas L", "Erdgas H"},
      {"40", 2, "Gaz ziemny L", "Gaz ziemny H"},
      {"39", 50, "Zemn\xED plyn L", "Zemn\xED plyn H"},
      {"129", 50, "Zemn\xED plyn L", "Zemn\xED plyn H"},
      {"133 CZ", 50, "Zemn\xED plyn L", "Zemn\xED plyn H"},
      {"$1E", 2, "Prirodni plin L", "Prirodni plin H"},  // hexadecimal 30
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.type);
    sim::Config c;
    c.type = k.type;
    c.rows = RowsWithIds({2, 50, 9});
    Start(c);
    ASSERT_TRUE(ops.Refresh());
    const auto l = std::find_if(table.Rows().begin(), table.Rows().end(),
                                [&](const FuelRow& r) { return r.ID == k.lGasId; });
    ASSERT_NE(l, table.Rows().end());
    EXPECT_EQ(l->Description, k.lName);
    EXPECT_EQ(table.Row(2).Description, k.hName);
    // The other candidate keeps the analyser's own name.
    const int other = k.lGasId == 2 ? 50 : 2;
    for (const auto& r : table.Rows()) {
      if (r.ID == other) {
        EXPECT_EQ(r.Description, "Fuel " + std::to_string(other));
      }
    }
  }
}

TEST_F(Refresh, UnknownTypeKeepsTheLastLanguageAndRenamesNothing) {
  sim::Config c;
  c.type = "7";
  c.rows = RowsWithIds({2, 5});
  Start(c);
  ASSERT_TRUE(ops.Refresh());
  EXPECT_EQ(ops.languageIndex(), 3);

  for (const char* type : {"18", "", "-5", "100", "145"}) {
    SCOPED_TRACE(type);
    c.type = type;
    analyser->SetConfig(c);
    ASSERT_TRUE(ops.Refresh());
    EXPECT_EQ(ops.languageIndex(), 3);
    EXPECT_EQ(ops.lGasFuelId(), -1);
    EXPECT_EQ(Ids(), (std::vector<int>{2, 16, 5}));
    EXPECT_EQ(table.Row(0).Description, "Fuel 2");
    EXPECT_EQ(table.Row(1).Description, "Natural gas H");
  }
}

TEST_F(Refresh, BeforeAnyKnownTypeTheInsertedRowKeepsItsBuiltInName) {
  sim::Config c;
  c.type = "99";
  c.rows = RowsWithIds({2});
  Start(c);
  ASSERT_TRUE(ops.Refresh());
  EXPECT_EQ(ops.languageIndex(), 0);
  EXPECT_EQ(table.Row(0).Description, "Erdgas H");
  EXPECT_EQ(table.Row(1).Description, "Fuel 2");
}

TEST_F(Refresh, EveryKnownTypeCodeHasALanguage) {
  int known = 0;
  for (int code = -5; code <= 200; ++code) {
    const auto lang = LanguageOfType(code);
    const bool gap = code < 1 || code == 18 || code == 37 || code == 38 ||
                     (code >= 43 && code <= 100) || code > 144;
    EXPECT_EQ(lang.has_value(), !gap) << code;
    if (lang) {
      ++known;
      EXPECT_EQ(lang->lGasFuelId, lang->languageIndex == 1 ? 50 : 2);
    }
  }
  EXPECT_EQ(known, 83);
  EXPECT_EQ(LanguageOfType(30)->languageIndex, 6);
  EXPECT_EQ(LanguageOfType(40)->languageIndex, 7);
  EXPECT_EQ(LanguageOfType(21)->languageIndex, 8);
  EXPECT_EQ(LanguageOfType(138)->languageIndex, 9);
  EXPECT_EQ(LanguageOfType(142)->languageIndex, 5);
  EXPECT_EQ(LanguageOfType(141)->languageIndex, 4);
}

TEST_F(Refresh, TheHRowGoesInAtItsPlace) {
  struct Case {
    std::vector<int> read;
    std::vector<int> shown;
  };
  const Case cases[] = {
      {{}, {16}},
      {{5}, {16, 5}},
      {{1, 2}, {1, 16, 2}},
      {{1, 2, 3}, {1, 2, 16, 3}},
      {{1, 2, 3, 4}, {1, 2, 3, 16, 4}},
      {{1, 2, 3, 4, 5}, {1, 2, 3, 16, 4, 5}},
      {{1, 16, 3, 16}, {1, 16, 3, 16}},
  };
  for (const Case& k : cases) {
    sim::Config c;
    c.type = "7";
    c.rows = RowsWithIds(k.read);
    Start(c);
    ASSERT_TRUE(ops.Refresh());
    EXPECT_EQ(Ids(), k.shown);
    const int h = static_cast<int>(std::find(k.shown.begin(), k.shown.end(), 16) - k.shown.begin());
    EXPECT_EQ(table.CurrentIndex(), h) << "the first H row is selected";
    for (int i = 0; i < table.RowCount(); ++i) EXPECT_EQ(table.Row(i).N, i + 1);
  }
}

TEST_F(Refresh, AnalyserNumbersAreReplacedAndCountsBeyond99UseThreeDigits) {
  std::vector<std::string> rows;
  for (int k = 1; k <= 120; ++k) rows.push_back(RowText(900 + k, k == 4 ? 16 : 100 + k));
  sim::Config c;
  c.rows = rows;
  Start(c);
  ASSERT_TRUE(ops.Refresh());
  const auto cmds = Commands();
  const auto at99 = std::find(cmds.begin(), cmds.end(), "R40199");
  ASSERT_NE(at99, cmds.end());
  EXPECT_EQ(*(at99 + 1), "R401100");
  EXPECT_EQ(cmds.back(), "R401120");
  EXPECT_EQ(table.RowCount(), 120);
  EXPECT_EQ(table.Row(0).N, 1);
  EXPECT_EQ(table.Row(119).N, 120);
}

TEST_F(Refresh, ACountThatIsNoNumberIsNoAnswer) {
  // A count of 0 is a table without rows: the H row alone. A reply that is
  // no number 0..999 (an identity reply, a garbled line) is no count: the
  // read fails instead of showing an empty table the analyser does not hold.
  struct Case {
    const char* reply;
    bool read;
  };
  const Case cases[] = {{"0;", true},   {" 7 ;", true},   {"", false},     {"abc", false},
                        {"-3;", false}, {"1000;", false}, {"QUELT", false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.reply);
    sim::Config c;
    c.type = "20";
    c.countReply = k.reply;
    Start(c);
    view.messages.clear();
    EXPECT_EQ(ops.Refresh(), k.read);
    if (k.read) {
      EXPECT_EQ(table.RowCount(), ParseIntLenient(k.reply) + 1);
      continue;
    }
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(view.messages, std::vector<std::string>{kTransferError});
    EXPECT_NE(std::find(view.log.begin(), view.log.end(),
                        "The analyser's row count \"" + std::string(k.reply) +
                            "\" is no number (0 to 999)."),
              view.log.end());
    EXPECT_EQ(Commands().back(), "R402") << "no row is asked on the strength of it";
  }
}

TEST_F(Refresh, NoAnalyserGivesCommunicationErrorAndKeepsTheTable) {
  table.AppendRow(FuelRow{});
  link.SetPortOverride("/dev/quelt-missing");
  EXPECT_FALSE(ops.Refresh());
  ASSERT_EQ(view.log.size(), 11u);
  EXPECT_EQ(view.log[9], kCommunicationError);
  EXPECT_EQ(view.log[10], "Cannot open /dev/quelt-missing: device not found");
  EXPECT_EQ(table.RowCount(), 1);
  EXPECT_FALSE(view.sendEnabled);
  EXPECT_TRUE(view.refreshEnabled);
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(Refresh, MissingIdentityReplyStopsBeforeTheList) {
  // Silent on command number n: the identity lines that arrived stay.
  struct Case {
    int silentOn;
    std::size_t identityLines;
  };
  for (const Case k : {Case{1, 0}, Case{2, 0}, Case{3, 0}, Case{4, 1}, Case{5, 2}, Case{6, 3}}) {
    SCOPED_TRACE(k.silentOn);
    sim::Config c;
    c.faults.silentOn = {k.silentOn};
    Start(c);
    table.Clear();
    table.AppendRow(FuelRow{});
    view.sendEnabled = true;
    EXPECT_FALSE(ops.Refresh());
    ASSERT_EQ(view.log.size(), 9 + k.identityLines + 1);
    if (k.identityLines >= 2) {
      EXPECT_EQ(view.log[10].substr(0, 12), "Type       :");
    }
    EXPECT_EQ(view.log.back(), kCommunicationError);
    EXPECT_EQ(table.RowCount(), 1) << "the previous table stays";
    EXPECT_FALSE(view.sendEnabled);
    EXPECT_TRUE(view.refreshEnabled);
    for (const auto& cmd : Commands()) EXPECT_NE(cmd, "R402");
  }
}

TEST_F(Refresh, MissingListReplyEmptiesTheTable) {
  // Silent on the read's wake-up, on R402, and on row 5 of 8.
  for (const std::string silent : {"7", "8", "13"}) {
    SCOPED_TRACE(silent);
    sim::Config c;
    c.rows = RowsWithIds({1, 2, 3, 4, 5, 6, 7, 8});
    c.faults.silentOn = {std::stoi(silent)};
    Start(c);
    view.messages.clear();
    std::vector<int> rowsSeen;
    view.onMessage = [&](const std::string&) { rowsSeen.push_back(table.RowCount()); };
    EXPECT_FALSE(ops.Refresh());
    EXPECT_EQ(view.messages, std::vector<std::string>{kTransferError});
    EXPECT_EQ(rowsSeen, std::vector<int>{silent == "13" ? 4 : 0});
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(view.Progress(), 0);
    EXPECT_FALSE(view.sendEnabled);
    ASSERT_GE(view.log.size(), 2u);
    EXPECT_EQ(view.log[view.log.size() - 2], "");
    EXPECT_EQ(view.log.back(), kCommunicationError);
    EXPECT_EQ(Commands().size(), static_cast<std::size_t>(std::stoi(silent)));
  }
}

// A row's reply sent twice puts every later answer one behind; the last
// row's own reply then follows the read. It starts within the analyser's
// response time, quick or slow, and fails the read.
TEST_F(Refresh, AReplySentTwiceFailsTheReadWhateverTheAnalysersPace) {
  for (const int latencyMs : {0, 60}) {
    SCOPED_TRACE(latencyMs);
    sim::Config c;
    c.rows = RowsWithIds({1, 2, 3, 4, 5});
    c.baud = 9600;
    c.latencyMs = latencyMs;
    c.faults.duplicateReplyOn = 11;  // R40103, after six identity commands, wake-up, R402
    Start(c);
    view.log.clear();
    view.messages.clear();
    EXPECT_FALSE(ops.Refresh());
    EXPECT_EQ(view.messages, std::vector<std::string>{kTransferError});
    EXPECT_EQ(table.RowCount(), 0);
    const bool named = std::any_of(view.log.begin(), view.log.end(), [](const std::string& l) {
      return l.find("fell out of step") != std::string::npos;
    });
    EXPECT_TRUE(named);
  }
}

TEST_F(Refresh, RowBeyondSixteenBitsFailsTheReadAndNamesTheRow) {
  sim::Config c;
  c.rows = RowsWithIds({1, 2, 3});
  (*c.rows)[1] = "2;2;Big;1;1;1;1;1;1;1;40000";
  Start(c);
  EXPECT_FALSE(ops.Refresh());
  EXPECT_EQ(view.messages, std::vector<std::string>{kTransferError});
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_FALSE(view.sendEnabled);
  const bool named = std::any_of(view.log.begin(), view.log.end(), [](const std::string& l) {
    return l.rfind("Row 2 refused", 0) == 0;
  });
  EXPECT_TRUE(named);
}

TEST_F(Refresh, ClosingTheWindowEndsTheReadWithoutABox) {
  sim::Config c;
  c.rows = RowsWithIds({1, 2, 3, 4, 5, 6});
  c.latencyMs = 30;
  Start(c);
  pump.AddTickHandler([this] {
    if (table.RowCount() >= 2) ops.AbortTransfer();
  });
  EXPECT_FALSE(ops.Refresh());
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(table.RowCount(), 0);
  EXPECT_FALSE(ops.Busy());
  EXPECT_FALSE(view.transferActive);
  EXPECT_TRUE(view.refreshEnabled);
  EXPECT_LT(Commands().size(), 15u);
}

// The demo's line: the default table at a real line's pace, read through
// the clock pump's waits without keeping a core busy and without a tick of
// delay on each reply. Bounds are sanity only; bench/ has the figures.
TEST(RefreshInProcess, ReadsTheDefaultTableAtTheLinesPaceWithoutSpinning) {
  sim::Config config;
  config.baud = 9600;
  sim::InProcessLine line(config);
  ClockPump pump;
  AnalyserLink link(pump);
  link.UseLine(line);
  link.SetPortOverride(line.DevicePath());
  FuelTable table;
  RecordingView view;
  FuelOperations ops(link, table, view);

  const auto cpu = [] {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
  };
  const double cpu0 = cpu();
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(ops.Refresh());
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double busy = cpu() - cpu0;

  std::vector<std::string> commands = {"", "", "R001", "R005", "R004", "R002", "", "R402"};
  for (int k = 1; k <= 12; ++k) commands.push_back((k < 10 ? "R4010" : "R401") + std::to_string(k));
  EXPECT_EQ(line.Transcript(), commands);
  EXPECT_EQ(table.RowCount(), 13);
  EXPECT_EQ(view.log[9], "Found      :QUELT 300");
  EXPECT_EQ(view.Progress(), 15);
  EXPECT_FALSE(link.port().isOpen());

  const double wire = static_cast<double>(link.bytesReceived()) * 10 / 9600;
  EXPECT_GT(wire, 0.5) << link.bytesReceived() << " bytes";
  EXPECT_GE(wall, 0.9 * wire) << "the bytes came paced";
  // A tick of delay on each of the 20 replies would add 2 s.
  EXPECT_LT(wall, wire + 1.0);
  EXPECT_LT(busy, 0.5 * wall) << "cpu " << busy << " s in " << wall << " s";
}

}  // namespace
}  // namespace quelt::test
