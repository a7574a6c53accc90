// What the simulated analyser answers, what W401/W402 leave in its table,
// its default table and its table files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "sim/sim.h"
#include "tests/sim/slave_port.h"

namespace quelt::test {
namespace {

std::vector<std::string> Fields(const std::string& row) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t semi; (semi = row.find(';', start)) != std::string::npos; start = semi + 1) {
    out.push_back(row.substr(start, semi - start));
  }
  if (start < row.size()) out.push_back(row.substr(start));
  return out;
}

TEST(SimAnswers, EachCommandGetsItsReplyLine) {
  sim::Config c;
  c.identification = "QUELT 300 X";
  c.type = " 39";
  c.serialNumber = "0042";
  c.version = "V 9.9";
  c.rows = {"1;1;Heiz\xF6l;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1", "2;2;Gas;1;2;3;4;5;6;7;0"};
  sim::Analyser analyser(c);
  SlavePort port(analyser.DevicePath());
  const std::pair<std::string, std::string> cases[] = {
      {"", "QUELT\r"},
      {"R001", "QUELT 300 X\r"},
      {"R005", " 39\r"},
      {"R004", "0042\r"},
      {"R002", "V 9.9\r"},
      {"R402", "2;\r"},
      {"R40101", "1;1;Heiz\xF6l;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1\r"},
      {"R40102", "2;2;Gas;1;2;3;4;5;6;7;0\r"},
      {"R40103", "3;0;;0;0;0;0;0;0;0;0\r"},
      {"R401100", "100;0;;0;0;0;0;0;0;0;0\r"},
      {"R40100", "0;0;;0;0;0;0;0;0;0;0\r"},
      {"R401", "?\r"},
      {"R4011x", "?\r"},
      {"r001", "?\r"},
      {"R001 ", "?\r"},
      {"W401x;1;A;1;1;1;1;1;1;1;1;", "?\r"},
      {"W4010;1;A;1;1;1;1;1;1;1;1;", "?\r"},
      {"W4011000;1;A;1;1;1;1;1;1;1;1;", "?\r"},
      {"W402;X;X;", "?\r"},
  };
  for (const auto& [command, reply] : cases) EXPECT_EQ(port.Ask(command), reply) << command;
  EXPECT_EQ(analyser.Rows(), *c.rows) << "refused writes leave the table alone";
  EXPECT_EQ(analyser.RowsInUse(), -1);

  c.countReply = "7;x";
  c.rows = std::vector<std::string>{};
  analyser.SetConfig(c);
  EXPECT_EQ(port.Ask("R402"), "7;x\r");
  c.countReply.reset();
  analyser.SetConfig(c);
  EXPECT_EQ(port.Ask("R402"), "0;\r");
}

TEST(SimAnswers, WritesReplaceAppendAndExtendTheTable) {
  sim::Config c;
  c.rows = {"1;1;A;1;1;1;1;1;1;1;1", "2;2;B;1;1;1;1;1;1;1;1"};
  sim::Analyser analyser(c);
  SlavePort port(analyser.DevicePath());
  const std::string r1 = "1;7;Neu \xD6l;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;";
  const std::string r3 = "3;9;C;1,0;1,00;1,000;1,0;1,00;1,00;1,00;0;";
  const std::string r5 = "5;4;E;1,0;1,00;1,000;1,0;1,00;1,00;1,00;0;";
  for (const auto& row : {r1, r3, r5}) EXPECT_EQ(port.Ask("W401" + row), "OK\r");
  EXPECT_EQ(port.Ask("W40215;X;X;"), "OK\r");

  EXPECT_EQ(analyser.Rows(), (std::vector<std::string>{r1, "2;2;B;1;1;1;1;1;1;1;1", r3,
                                                       "4;0;;0;0;0;0;0;0;0;0", r5}));
  EXPECT_EQ(analyser.RowsInUse(), 15);
  EXPECT_EQ(port.Ask("R402"), "15;\r");
  EXPECT_EQ(port.Ask("R40101"), r1 + "\r");

  c.rows.reset();
  c.type = "7";
  analyser.SetConfig(c);
  EXPECT_EQ(analyser.Rows().size(), 5u) << "a config without rows keeps the table";
  EXPECT_EQ(port.Ask("W4020;X;X;"), "OK\r");
  EXPECT_EQ(analyser.RowsInUse(), 0);
}

// R402 reports what W402 set; rows past that count stay stored and
// readable. A configured count reply and a W402 the analyser ignores
// override that.
TEST(SimAnswers, CountReplyFollowsTheLastW402) {
  struct Case {
    const char* name;
    sim::Faults faults;
    std::optional<std::string> countReply;
    std::vector<std::pair<std::string, std::string>> steps;  // command, reply
    int rowsInUse;
  };
  const std::string row12 = sim::DefaultTable()[11] + "\r";
  sim::Faults ignore;
  ignore.ignoreW402 = true;
  const Case cases[] = {
      {"before any W402", {}, {}, {{"R402", "12;\r"}}, -1},
      {"fewer in use",
       {},
       {},
       {{"W4025;X;X;", "OK\r"}, {"R402", "5;\r"}, {"R40112", row12}, {"R402", "5;\r"}},
       5},
      {"more in use than stored", {}, {}, {{"W40215;X;X;", "OK\r"}, {"R402", "15;\r"}}, 15},
      {"none in use", {}, {}, {{"W4020;X;X;", "OK\r"}, {"R402", "0;\r"}}, 0},
      {"unusable W402 changes nothing",
       {},
       {},
       {{"W4025;X;X;", "OK\r"}, {"W402x;X;X;", "?\r"}, {"R402", "5;\r"}},
       5},
      {"W402 ignored", ignore, {}, {{"W4025;X;X;", "OK\r"}, {"R402", "12;\r"}}, -1},
      {"count reply wins",
       {},
       "2147483647;",
       {{"W4025;X;X;", "OK\r"}, {"R402", "2147483647;\r"}},
       5},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    sim::Config c;
    c.faults = k.faults;
    c.countReply = k.countReply;
    sim::Analyser analyser(c);
    SlavePort port(analyser.DevicePath());
    for (const auto& [command, reply] : k.steps) EXPECT_EQ(port.Ask(command), reply) << command;
    EXPECT_EQ(analyser.RowsInUse(), k.rowsInUse);
    EXPECT_EQ(analyser.Rows(), sim::DefaultTable()) << "no row is dropped";
  }

  // A table loaded anew has no count in use until the next W402.
  sim::Analyser analyser;
  SlavePort port(analyser.DevicePath());
  EXPECT_EQ(port.Ask("W4023;X;X;"), "OK\r");
  sim::Config c;
  c.rows = std::vector<std::string>{"1;1;A;1;1;1;1;1;1;1;1"};
  analyser.SetConfig(c);
  EXPECT_EQ(port.Ask("R402"), "1;\r");
  EXPECT_EQ(analyser.RowsInUse(), -1);
}

TEST(SimTable, DefaultTableIsPlausibleAndLeavesTheHRowOut) {
  const auto rows = sim::DefaultTable();
  ASSERT_EQ(rows.size(), 12u);
  std::set<int> ids;
  int lGas = 0;
  bool umlaut = false;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto f = Fields(rows[i]);
    ASSERT_EQ(f.size(), 11u) << rows[i];
    EXPECT_EQ(f[0], std::to_string(i + 1));
    const int id = std::stoi(f[1]);
    EXPECT_TRUE(id >= 1 && id <= 15) << rows[i];
    EXPECT_TRUE(ids.insert(id).second) << "IDs are unique";
    lGas += id == 2;
    EXPECT_LE(f[2].size(), 30u);
    umlaut |= f[2].find('\xF6') != std::string::npos;
    for (std::size_t k = 3; k < 10; ++k) EXPECT_EQ(f[k].find('.'), std::string::npos) << rows[i];
  }
  EXPECT_EQ(lGas, 1);
  EXPECT_EQ(ids.count(16), 0u);
  EXPECT_TRUE(umlaut) << "Windows-1252 bytes on the wire";

  sim::Analyser analyser;
  SlavePort port(analyser.DevicePath());
  EXPECT_EQ(port.Ask("R402"), "12;\r");
  EXPECT_EQ(port.Ask("R40101"), rows[0] + "\r");
}

TEST(SimTable, TableFilesInEitherEncoding) {
  const auto dir = std::filesystem::temp_directory_path();
  const auto write = [&](const std::string& name, const std::string& text) {
    const auto path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  };
  const std::string utf8 = write("quelt-sim-utf8.txt",
                                 "# fuels\r\n1;1;Heiz\xC3\xB6l \xE2\x82\xAC;1;1;1;1;1;1;1;1\r\n"
                                 "\r\n   \n2;2;Gas;1;1;1;1;1;1;1;0");
  EXPECT_EQ(
      sim::LoadTableFile(utf8),
      (std::vector<std::string>{"1;1;Heiz\xF6l \x80;1;1;1;1;1;1;1;1", "2;2;Gas;1;1;1;1;1;1;1;0"}));
  // Windows-1252 bytes that are no UTF-8 pass unchanged.
  const std::string cp = write("quelt-sim-cp.txt", "1;1;Heiz\xF6l;1;1;1;1;1;1;1;1\n");
  EXPECT_EQ(sim::LoadTableFile(cp), std::vector<std::string>{"1;1;Heiz\xF6l;1;1;1;1;1;1;1;1"});
  const std::string snow = write("quelt-sim-snow.txt", "1;1;Fl\xC3\xBC\n2;2;\xE2\x98\x83\n");
  EXPECT_THROW(sim::LoadTableFile(snow), std::runtime_error);
  EXPECT_THROW(sim::LoadTableFile((dir / "quelt-sim-missing.txt").string()), std::runtime_error);
}

}  // namespace
}  // namespace quelt::test
