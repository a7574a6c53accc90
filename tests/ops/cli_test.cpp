// quelt-fuel-cli as a user runs it: exit codes, what goes to stdout and
// stderr, and a faulty file that sends nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "link/discovery.h"
#include "sim/sim.h"
#include "tests/ops/cli_run.h"
#include "tests/ops/ops_fixture.h"

namespace quelt::test {
namespace {

TEST(Cli, IdentifyReadAndWriteAgainstTheSimulator) {
  sim::Config c;
  c.type = "39";
  c.rows = {"1;50;Methane;11,7;0,66;0,009;3,0;9,52;10,52;35,88;0",
            "2;2;Propan;13,7;0,63;0,008;3,0;23,8;25,8;93,2;0"};
  sim::Analyser analyser(c);
  const std::string port = "--port " + analyser.DevicePath();

  CliRun id = Cli(port + " identify");
  EXPECT_EQ(id.status, 0) << id.err;
  EXPECT_EQ(id.out,
            "Found      :QUELT 300\nType       :39\nSerial No. :08154711\nVersion    :V 2.31\n");

  CliRun read = Cli(port + " read");
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(read.out,
            "1;50;Zemní plyn L;11,7;0,66;0,009;3,0;9,52;10,52;35,88;0;\n"
            "2;16;Zemní plyn H;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;\n"
            "3;2;Propan;13,7;0,63;0,008;3,0;23,80;25,80;93,20;0;\n");
  EXPECT_NE(read.err.find("Found      :QUELT 300"), std::string::npos);

  // Edit a copy and write it back: the analyser gets Windows-1252 bytes, and
  // a read shows the edit.
  std::string edited = read.out;
  edited.replace(edited.find("Propan"), 6, "Propan-Ö");
  const std::string file = WriteFile("quelt-edited.txt", edited);
  analyser.ClearTranscript();
  CliRun write = Cli(port + " write " + file + " --verify");
  EXPECT_EQ(write.status, 0) << write.err;
  std::vector<std::string> cmds;
  for (const std::string& command : analyser.Transcript()) {
    if (command.rfind("W40", 0) == 0) cmds.push_back(command);
  }
  ASSERT_EQ(cmds.size(), 4u);
  EXPECT_EQ(cmds[0], "W4011;50;Zemn\xED plyn L;11,7;0,66;0,009;3,0;9,52;10,52;35,88;0;");
  EXPECT_EQ(cmds[2], "W4013;2;Propan-\xD6;13,7;0,63;0,008;3,0;23,80;25,80;93,20;0;");
  EXPECT_EQ(cmds[3], "W4023;X;X;");
  EXPECT_NE(write.err.find("3 row(s) verified"), std::string::npos);

  CliRun again = Cli(port + " read");
  EXPECT_NE(again.out.find("3;2;Propan-Ö;"), std::string::npos) << again.out;
}

TEST(Cli, FaultyFileSendsNothingAndNamesTheLine) {
  sim::Analyser analyser;
  const std::string port = "--port " + analyser.DevicePath();
  const std::string good = "1;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;\n";
  struct Case {
    std::string second;
    std::string says;
  };
  const Case cases[] = {
      {"2;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70\n", "found 10"},
      {"2;1;Oil;x;0,68;0,007;3,0;10,50;12,00;42,70;1\n", "Co2Max 'x'"},
      {"40000;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1\n", "N 40000"},
      {"2;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;70000\n", "Soot 70000"},
      {"2;1;" + std::string(31, 'a') + ";1;1;1;1;1;1;1;1\n", "longer than 30"},
      {"2;1;Gas \xE2\x82\xAC\xE2\x98\x83;1;1;1;1;1;1;1;1\n", "cannot store"},
      // A CR ends a command on the wire: the row would arrive cut short.
      {"2;1;Erd\rgas;1;1;1;1;1;1;1;1\n", "carriage return"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.says);
    const std::string file = WriteFile("quelt-bad.txt", good + k.second);
    CliRun r = Cli(port + " write " + file);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(file + ":2: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(k.says), std::string::npos) << r.err;
  }
  EXPECT_TRUE(analyser.Transcript().empty());
}

TEST(Cli, ExitCodesForUsageAndLinkFailures) {
  EXPECT_EQ(Cli("--help").status, 0);
  EXPECT_EQ(Cli("").status, 2);
  EXPECT_EQ(Cli("frobnicate").status, 2);
  EXPECT_EQ(Cli("--bogus read").status, 2);

  CliRun none = Cli("--port /dev/quelt-missing identify");
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("Communication error !"), std::string::npos);

  sim::Config c;
  c.faults.silentOnPrefix = "R40102";
  c.rows = RowsWithIds({1, 2, 3});
  sim::Analyser analyser(c);
  CliRun read = Cli("--port " + analyser.DevicePath() + " read");
  EXPECT_EQ(read.status, 1);
  EXPECT_NE(read.err.find("Transfer error"), std::string::npos);
  EXPECT_EQ(read.out, "");

  sim::Config w;
  w.faults.silentOnPrefix = "W402";
  sim::Analyser writer(w);
  const std::string file = WriteFile("quelt-one.txt", "1;1;Oil;1;1;1;1;1;1;1;1\n");
  CliRun write = Cli("--port " + writer.DevicePath() + " write " + file);
  EXPECT_EQ(write.status, 1);
  EXPECT_NE(write.err.find("Timeout"), std::string::npos);
}

TEST(Cli, DemoReadsTheSimulatedAnalyserInsideTheProgram) {
  CliRun read = Cli("--demo read");
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(std::count(read.out.begin(), read.out.end(), '\n'), 13);
  EXPECT_EQ(read.out.rfind("1;1;Heiz\xC3\xB6l EL;", 0), 0u) << read.out;
  EXPECT_EQ(Cli("--demo --port /dev/quelt-missing read").status, 2);
}

// Discovery as scripts use it. The answer must be the library's on this
// machine, whether or not a bridge is attached to it.
TEST(Cli, FindPortPrintsWhatDiscoveryFinds) {
  const FoundPort found = FindAnalyserPort();
  CliRun run = Cli("--find-port");
  if (found) {
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, found.name + "\n");
  } else {
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, std::string(kNoBridgeText) + "\n");
  }
  for (const char* mixed :
       {"--find-port read", "--find-port --demo", "--port /dev/null --find-port"}) {
    EXPECT_EQ(Cli(mixed).status, 2) << mixed;
  }
}

// A /dev/serial/by-id/ link opens the tty it points at (relative, as udev
// makes them), and a message names the link the user gave.
TEST(Cli, PortThroughASymlink) {
  sim::Analyser analyser;
  const std::filesystem::path byId = TestDir() / "by-id";
  std::filesystem::create_directories(byId);
  const std::filesystem::path link = byId / "usb-QUELT_Bridge_0001-if00-port0";
  std::filesystem::create_symlink(std::filesystem::relative(analyser.DevicePath(), byId), link);
  CliRun id = Cli("--port " + link.string() + " identify");
  EXPECT_EQ(id.status, 0) << id.err;
  EXPECT_EQ(id.out.rfind("Found      :QUELT 300\n", 0), 0u) << id.out;

  const std::filesystem::path dangling = byId / "usb-QUELT_Bridge_0002-if00-port0";
  std::filesystem::create_symlink("../quelt-unplugged-tty", dangling);
  CliRun gone = Cli("--port " + dangling.string() + " identify");
  EXPECT_EQ(gone.status, 1);
  EXPECT_NE(gone.err.find("Cannot open " + dangling.string() + ": device not found"),
            std::string::npos)
      << gone.err;
}

TEST(Cli, VerifyReportsADifference) {
  // An analyser that keeps reporting one row, whatever it was told.
  sim::Config c;
  c.countReply = "1;";
  sim::Analyser analyser(c);
  const std::string file =
      WriteFile("quelt-v.txt", "1;1;Oil;1;1;1;1;1;1;1;1\n2;3;Gas;2;2;2;2;2;2;2;0\n");
  CliRun r = Cli("--port " + analyser.DevicePath() + " write " + file + " --verify");
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_NE(r.err.find("Count: sent 2, the analyser reported 1"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace quelt::test
