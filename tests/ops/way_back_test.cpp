// The way back, as a technician meets it on the command line: the backup
// before a write holds every row the write overwrites, a count that is no
// number stops everything, a line out of step is put back in step or the
// read fails, the check compares values, and every report tells the truth.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <algorithm>

#include <chrono>
#include <thread>

#include "fuel/backup.h"
#include "sim/sim.h"
#include "tests/ops/cli_run.h"
#include "tests/ops/ops_fixture.h"

namespace quelt::test {
namespace {

std::string Rows(int count, const std::string& prefix) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += RowText(i, i, prefix + std::to_string(i)) + ";\n";
  return text;
}

std::vector<std::filesystem::path> BackupFiles(const std::string& serial) {
  std::vector<std::filesystem::path> files;
  if (!std::filesystem::exists(BackupsOf(serial))) return files;
  for (const auto& e : std::filesystem::directory_iterator(BackupsOf(serial)))
    files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(WayBack, TheBackupHoldsTheRowsBeyondTheCountThatTheWriteOverwrites) {
  sim::Analyser analyser;
  const std::string port = "--port " + analyser.DevicePath();
  std::filesystem::remove_all(BackupsOf("08154711"));
  // 20 rows of which the analyser uses 15: A16..A20 are stored beyond the count.
  ASSERT_EQ(Cli(port + " write " + WriteFile("a.txt", Rows(20, "A"))).status, 0);
  const CliRun second = Cli(port + " write " + WriteFile("b.txt", Rows(20, "B")));
  ASSERT_EQ(second.status, 0) << second.err;

  const auto files = BackupFiles("08154711");
  ASSERT_EQ(files.size(), 2u);
  std::string error;
  const auto saved = ParseBackup(Slurp(files.back()), &error);
  ASSERT_TRUE(saved) << error;
  ASSERT_EQ(saved->rows.size(), 15u);
  ASSERT_EQ(saved->rowsBeyondCount.size(), 5u);
  EXPECT_EQ(saved->rowsBeyondCount[4].value_or("no answer"), RowText(20, 20, "A20") + ";");

  // Restoring it brings A16..A20 back too.
  const CliRun restore = Cli(port + " restore " + files.back().string());
  ASSERT_EQ(restore.status, 0) << restore.err;
  EXPECT_EQ(analyser.Rows()[19], RowText(20, 20, "A20") + ";");
}

TEST(WayBack, ACountThatIsNoNumberStopsWriteBackupAndRead) {
  const std::string file = WriteFile("one.txt", Rows(1, "A"));
  for (const char* reply : {"abc", "-5;", "", "QUELT", "1000;"}) {
    SCOPED_TRACE(reply);
    sim::Config c;
    c.countReply = reply;
    sim::Analyser analyser(c);
    const std::string port = "--port " + analyser.DevicePath();
    const std::string says = "The analyser's row count \"" + std::string(reply) + "\" is no number";

    const CliRun write = Cli(port + " write " + file);
    EXPECT_EQ(write.status, 1) << write.err;
    EXPECT_NE(write.err.find(says + "; nothing was sent."), std::string::npos) << write.err;
    const CliRun backup = Cli(port + " backup -");
    EXPECT_EQ(backup.status, 1) << backup.err;
    EXPECT_NE(backup.err.find(says + "; nothing was saved."), std::string::npos) << backup.err;
    EXPECT_EQ(backup.out, "");
    const CliRun read = Cli(port + " read");
    EXPECT_EQ(read.status, 1) << read.err;
    EXPECT_NE(read.err.find(says), std::string::npos) << read.err;
    EXPECT_EQ(read.out, "");
    EXPECT_TRUE(WritesOf(analyser).empty());
  }
}

TEST(WayBack, ALineOutOfStepIsPutBackOrTheReadFails) {
  // A reply left on the line by a session that was killed is drained
  // before the first command: the identity is the analyser's own.
  {
    sim::Analyser analyser;
    analyser.Inject("20\r");
    const CliRun id = Cli("--port " + analyser.DevicePath() + " identify");
    EXPECT_EQ(id.status, 0) << id.err;
    EXPECT_EQ(id.out,
              "Found      :QUELT 300\nType       :20\nSerial No. :08154711\nVersion    :V 2.31\n");
  }
  // A reply that comes twice while the table is read for the backup: the
  // backup would hold a row twice and miss the last one. Nothing is sent.
  // Commands: two wake-ups, four identity queries, the write's four identity
  // queries, the wake-up, R402, R40101...
  {
    sim::Faults faults;
    faults.duplicateReplyOn = 15;  // R40103
    sim::Config c;
    c.faults = faults;
    sim::Analyser analyser(c);
    const CliRun write =
        Cli("--port " + analyser.DevicePath() + " write " + WriteFile("two.txt", Rows(2, "A")));
    EXPECT_EQ(write.status, 1) << write.err;
    EXPECT_NE(write.err.find("fell out of step"), std::string::npos) << write.err;
    EXPECT_NE(write.err.find("Nothing was sent."), std::string::npos) << write.err;
    EXPECT_TRUE(WritesOf(analyser).empty());
  }
}

TEST(WayBack, TheCheckComparesValues) {
  struct Case {
    const char* name;
    bool ownNumbers;
    bool ignoreW402;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {"verbatim analyser", false, false, 0, "3 row(s) verified"},
      {"analyser with its own number format", true, false, 0, "3 row(s) verified"},
      {"own format, count not set", true, true, 3, "Count: sent 3, the analyser reported 12"},
  };
  const std::string file = WriteFile("values.txt",
                                     "1;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;\n"
                                     "2;2;Gas;11,8;0,650;0,009;3;8,2;9,1;31,8;0\n"
                                     "3;3;Wood;20;0,5;0,01;13;4;5;18,5;1;\n");
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    sim::Config c;
    c.ownNumberFormat = k.ownNumbers;
    c.faults.ignoreW402 = k.ignoreW402;
    sim::Analyser analyser(c);
    const CliRun r = Cli("--port " + analyser.DevicePath() + " write --no-backup " + file);
    EXPECT_EQ(r.status, k.status) << r.err;
    EXPECT_NE(r.err.find(k.says), std::string::npos) << r.err;
    if (k.ownNumbers) {
      EXPECT_EQ(analyser.Rows()[0], "1;1;Oil;15,40;0,680;0,0070;3;10,5;12;42,7;1");
    }
  }
}

TEST(WayBack, ReportsSayWhatHappenedAndNoMore) {
  sim::Analyser analyser;
  const std::string port = "--port " + analyser.DevicePath();
  struct Case {
    const char* name;
    std::string args;
    int status;
    std::string says;
  };
  std::string many;
  for (int i = 1; i <= 35; ++i) many += RowText(i, i, "F" + std::to_string(i)) + ";\n";
  const Case cases[] = {
      {"not checked", " write --no-backup --no-verify " + WriteFile("n.txt", Rows(2, "A")), 0,
       "Sent 2 rows, the analyser uses 2; sent, not checked"},
      {"rows beyond 30", " write --no-backup " + WriteFile("many.txt", many), 0,
       "Rows 31 to 35 are not sent: the analyser takes at most 30 rows."},
      {"rounded for the wire",
       " write --no-backup " + WriteFile("r.txt", "1;1;Oil;15,456;0,68;0,007;3;10,5;12;42,7;1\n"),
       0, "Row 1: Co2Max 15.456 is sent as 15,5 (the wire carries 1 decimal)"},
      {"29 nines",
       " write " + WriteFile("nines.txt",
                             "1;1;Oil;" + std::string(29, '9') + ";0,68;0,007;3;10,5;12;42,7;1\n"),
       2, "has more digits before the decimal mark than the wire carries exactly"},
      {"unknown command", " frobnicate", 2, "unknown command 'frobnicate'\nUsage:"},
      {"unknown option", " --frob read", 2, "unknown option '--frob'\nUsage:"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const CliRun r = Cli(port + k.args);
    EXPECT_EQ(r.status, k.status) << r.err;
    EXPECT_NE(r.err.find(k.says), std::string::npos) << r.err;
  }
  // --help and --version to a full disk fail; so does a report to one.
  EXPECT_EQ(Cli("--help", "/dev/full").status, 1);
  EXPECT_EQ(Cli("--version", "/dev/full").status, 1);
  const std::string quiet = std::string(QUELT_CLI_PATH) + " " + port + " write --no-backup " +
                            WriteFile("q.txt", Rows(1, "A")) + " 2>/dev/full";
  EXPECT_EQ(StatusOf(std::system(quiet.c_str())), 1);
}

TEST(WayBack, IdentifyShowsHowFarTheAnalyserGotAndNoControlCharacters) {
  sim::Config c;
  c.identification = "QUELT\x1B[2J\a 300";
  c.faults.silentOnPrefix = "R004";
  sim::Analyser analyser(c);
  const CliRun r = Cli("--port " + analyser.DevicePath() + " identify");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "Found      :QUELT\\x1B[2J\\x07 300\nType       :20\n");
  EXPECT_NE(r.err.find("Communication error !"), std::string::npos) << r.err;
}

TEST(WayBack, StopSignalsFinishTheCommandInFlight) {
  // During the write: the rows so far, and what the analyser holds. During
  // the backup read before it: nothing written at all. During the read of
  // report or diff: the stop's own message, no transfer error.
  struct Case {
    int signal;
    const char* waitFor;  // the command after which the signal comes
    bool inBackup;
    std::string command = " write ";
  };
  const std::string report = " report " + (TestDir() / "r.html").string() + " ";
  const Case cases[] = {{SIGHUP, "W4013", false},
                        {SIGQUIT, "W4013", false},
                        {SIGINT, "R40103", true},
                        {SIGINT, "R40101", true, report},
                        {SIGINT, "R40101", true, " diff "}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.signal);
    sim::Config c;
    c.latencyMs = 150;
    sim::Analyser analyser(c);
    const std::string file = WriteFile("ten.txt", Rows(10, "A"));
    const std::string err = (TestDir() / "signal.err").string();
    const std::string cmd = "XDG_DATA_HOME=" + DataHome().string() + " exec " + QUELT_CLI_PATH +
                            " --port " + analyser.DevicePath() + k.command +
                            (k.command == report ? "" : file) + " >/dev/null 2>" + err;
    pid_t pid = 0;
    const char* argv[] = {"sh", "-c", cmd.c_str(), nullptr};
    ASSERT_EQ(::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    auto seen = [&] {
      for (const std::string& command : analyser.Transcript()) {
        if (command.rfind(k.waitFor, 0) == 0) return true;
      }
      return false;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!seen() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(pid, k.signal);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    EXPECT_EQ(StatusOf(raw), 128 + k.signal);
    const std::string said = Slurp(err);
    EXPECT_EQ(said.find("Transfer error"), std::string::npos) << said;
    if (k.command != " write ") {
      EXPECT_NE(said.find("Stopped; nothing was written to the analyser."), std::string::npos)
          << said;
    } else if (k.inBackup) {
      EXPECT_TRUE(WritesOf(analyser).empty());
      EXPECT_NE(said.find("No row was written; the count was not changed."), std::string::npos)
          << said;
    } else {
      EXPECT_NE(said.find(" of 10 were written; the count was not changed."), std::string::npos)
          << said;
    }
    EXPECT_EQ(analyser.PendingInput(), "") << "a fragment of a command is on the line";
  }
}

TEST(WayBack, AReadStoppedByCtrlCGivesThePortItsSettingsBack) {
  for (const char* command : {" identify", " read"}) {
    SCOPED_TRACE(command);
    sim::Config c;
    c.latencyMs = 300;
    sim::Analyser analyser(c);
    auto settings = [&] {
      termios t{};
      const int fd = ::open(analyser.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
      EXPECT_GE(fd, 0);
      ::tcgetattr(fd, &t);
      ::close(fd);
      return t;
    };
    const termios before = settings();
    const std::string cmd = std::string("exec ") + QUELT_CLI_PATH + " --port " +
                            analyser.DevicePath() + command + " >/dev/null 2>&1";
    pid_t pid = 0;
    const char* argv[] = {"sh", "-c", cmd.c_str(), nullptr};
    ASSERT_EQ(::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    ASSERT_TRUE(analyser.WaitForCommands(3, 30000));
    ::kill(pid, SIGINT);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    EXPECT_EQ(StatusOf(raw), 130);
    const termios after = settings();
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(::cfgetispeed(&after), ::cfgetispeed(&before));
  }
}

}  // namespace
}  // namespace quelt::test
