// The command line never loses the analyser's table and never claims a
// success it has not seen: refused input sends nothing, output that cannot
// be written fails, a stopped write says what the analyser holds, and a
// backup restores the table byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fuel/backup.h"
#include "sim/sim.h"
#include "tests/ops/cli_run.h"
#include "tests/ops/ops_fixture.h"

namespace quelt::test {
namespace {

std::vector<std::string> WritesOf(const sim::Analyser& analyser) {
  std::vector<std::string> out;
  for (const std::string& c : analyser.Transcript()) {
    if (c.rfind("W40", 0) == 0) out.push_back(c);
  }
  return out;
}

std::string Rows(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) text += RowText(i, 100 + i, "Fuel " + std::to_string(i)) + "\n";
  return text;
}

TEST(CliSafety, RefusedInputSendsNothing) {
  sim::Analyser analyser;
  const std::string port = "--port " + analyser.DevicePath();
  const std::string good = "1;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;\n";
  const std::string big = WriteFile("big.txt", std::string(1024 * 1024 + 1, '#'));
  struct Case {
    std::string file;
    std::string says;
  };
  const Case cases[] = {
      {WriteFile("empty.txt", ""), "nothing to write"},
      {WriteFile("comments.txt", "# only a comment\n\n"), "nothing to write"},
      {"/dev/null", "not a regular file"},
      {"/dev/zero", "not a regular file"},
      {TestDir().string(), "is a folder"},
      {(TestDir() / "missing.txt").string(), "cannot be read"},
      {big, "larger than 1 MB"},
      {WriteFile("nan.txt", good + "2;1;Oil;nan;1;1;1;1;1;1;1\n"), "Co2Max is not a number"},
      {WriteFile("inf.txt", good + "2;1;Oil;1;-inf;1;1;1;1;1;1\n"), "A2 is infinite"},
      {WriteFile("huge.txt", good + "2;1;Oil;1;1;1;1;1;1;1" + std::string(30, '0') + ";1\n"),
       "HU 1e+30 is too large"},
      {WriteFile("tab.txt", good + "2;1;Erd\tgas;1;1;1;1;1;1;1;1\n"), "control character \\x09"},
      {WriteFile("esc.txt", good + "2;1;Erd\x1Bgas;1;1;1;1;1;1;1;1\n"), "\\x1B"},
      {WriteFile("bs.txt", good + "2;1;Erd\bgas;1;1;1;1;1;1;1;1\n"), "\\x08"},
      {WriteFile("del.txt", good + "2;1;Erd\x7Fgas;1;1;1;1;1;1;1;1\n"), "\\x7F"},
      {WriteFile("nul.txt", good + std::string("2;1;Erd\0gas;1;1;1;1;1;1;1;1\n", 27)), "\\x00"},
      // Long junk is shown cut to its first 40 characters.
      {WriteFile("junk.txt", good + "2;1;Oil;" + std::string(60, 'x') + ";1;1;1;1;1;1;1\n"),
       "Co2Max '" + std::string(40, 'x') + "...' is not a number"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.file);
    const CliRun r = Cli(port + " write " + k.file);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find(k.says), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Nothing was sent."), std::string::npos) << r.err;
  }
  EXPECT_TRUE(analyser.Transcript().empty());

  // An empty table on purpose, and a file saved with a byte order mark.
  EXPECT_EQ(Cli(port + " write --no-backup --allow-empty /dev/null").status, 2)
      << "a device is no file, even when empty";
  const std::string none = WriteFile("none.txt", "");
  EXPECT_EQ(Cli(port + " write --no-backup --allow-empty " + none).status, 0);
  EXPECT_EQ(WritesOf(analyser), std::vector<std::string>{"W4020;X;X;"});
  const std::string bom = WriteFile("bom.txt", "\xEF\xBB\xBF" + good);
  EXPECT_EQ(Cli(port + " write --no-backup " + bom).status, 0);
  EXPECT_EQ(analyser.RowsInUse(), 1);
}

TEST(CliSafety, OutputThatCannotBeWrittenFails) {
  sim::Analyser analyser;
  const std::string port = "--port " + analyser.DevicePath();
  for (const char* command : {" identify", " read", " backup -"}) {
    SCOPED_TRACE(command);
    const CliRun full = Cli(port + command, "/dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("cannot write the output"), std::string::npos) << full.err;
    const CliRun closed = Cli(port + command, "&-");
    EXPECT_EQ(closed.status, 1) << closed.err;
  }
  // A backup file on a folder that cannot take it.
  const CliRun nowhere = Cli(port + " backup " + (TestDir() / "no" / "such" / "b.txt").string());
  EXPECT_EQ(nowhere.status, 1);
}

TEST(CliSafety, WriteKeepsABackupAndRestoreBringsTheTableBack) {
  sim::Config c;
  c.rows = {"1;1;Heiz\xF6l EL;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1",
            "2;2;Erdgas L  ;11,8;0,650;0,009;3,0;8,20;9,10;31,80;0;junk",
            "3;7;With\\back;1;1;1;1;1;1;1;1"};
  sim::Analyser analyser(c);
  const std::string port = "--port " + analyser.DevicePath();
  const auto rowsBefore = analyser.Rows();

  // The write saves the table as the analyser stores it, then replaces it.
  std::filesystem::remove_all(BackupsOf("08154711"));
  const CliRun write = Cli(port + " write " + WriteFile("two.txt", Rows(2)));
  ASSERT_EQ(write.status, 0) << write.err;
  std::vector<std::filesystem::path> backups;
  for (const auto& e : std::filesystem::directory_iterator(BackupsOf("08154711")))
    backups.push_back(e.path());
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_NE(write.err.find("Backup of the analyser's table: " + backups[0].string()),
            std::string::npos)
      << write.err;
  std::string error;
  const auto saved = ParseBackup(Slurp(backups[0]), &error);
  ASSERT_TRUE(saved) << error;
  EXPECT_EQ(saved->rows, rowsBefore);
  EXPECT_EQ(saved->countReply, "3;");
  EXPECT_EQ(saved->serialNumber, "08154711");
  ASSERT_NE(analyser.Rows(), rowsBefore);

  // Restore puts back every row and the count exactly, and checks them.
  analyser.ClearTranscript();
  const CliRun restore = Cli(port + " restore " + backups[0].string());
  ASSERT_EQ(restore.status, 0) << restore.err;
  EXPECT_EQ(analyser.Rows(), rowsBefore);
  EXPECT_EQ(analyser.RowsInUse(), 3);
  EXPECT_NE(restore.err.find("3 row(s) verified"), std::string::npos) << restore.err;

  // The on-demand backup says the same as the automatic one.
  const CliRun backup = Cli(port + " backup -");
  ASSERT_EQ(backup.status, 0) << backup.err;
  const auto again = ParseBackup(backup.out, &error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(again->rows, rowsBefore);

  // Another analyser's backup is not restored by mistake.
  sim::Config other;
  other.serialNumber = "0999";
  sim::Analyser stranger(other);
  const CliRun refused = Cli("--port " + stranger.DevicePath() + " restore " + backups[0].string());
  EXPECT_EQ(refused.status, 2);
  EXPECT_TRUE(WritesOf(stranger).empty());
}

TEST(CliSafety, AFailedBackupStopsTheWrite) {
  sim::Analyser analyser;
  // The data folder is a file: no backup can be made below it.
  std::filesystem::remove_all(DataHome());
  WriteFile("data", "not a folder");
  const CliRun r =
      Cli("--port " + analyser.DevicePath() + " write " + WriteFile("one.txt", Rows(1)));
  std::filesystem::remove(DataHome());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("No backup of the analyser's table could be made"), std::string::npos)
      << r.err;
  EXPECT_TRUE(WritesOf(analyser).empty());
}

TEST(CliSafety, HugeCountFailsTheReadInsteadOfAskingForever) {
  sim::Config c;
  c.countReply = "2147483647;";
  sim::Analyser analyser(c);
  const CliRun r = Cli("--port " + analyser.DevicePath() + " read");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("The analyser's row count \"2147483647;\" is no number (0 to 999)."),
            std::string::npos)
      << r.err;
  for (const std::string& command : analyser.Transcript()) EXPECT_NE(command.rfind("R401", 0), 0u);
}

TEST(CliSafety, VerifyCatchesWhatTheWriteDidNotDo) {
  struct Case {
    const char* name;
    sim::Faults faults;
    int status;
    const char* says;
  };
  sim::Faults ignored, duplicated, echoing;
  ignored.ignoreW402 = true;
  // Commands: two wake-ups, four identity queries, two rows, the count, then
  // the check's wake-up and R402, whose reply comes twice: every later
  // reply is one behind.
  duplicated.duplicateReplyOn = 11;
  echoing.echo = true;
  const Case cases[] = {
      {"count answered, not applied", ignored, 3, "Count: sent 2, the analyser reported 12"},
      {"a duplicated reply", duplicated, 3, "Row 1, N: sent \"1\", read back \"2\""},
      {"a loopback plug", echoing, 1,
       "The reply to R001 repeats the command: a loopback plug or an echoing device answers, "
       "not the analyser."},
  };
  const std::string file = WriteFile("verify.txt", Rows(2));
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    sim::Config c;
    c.faults = k.faults;
    sim::Analyser analyser(c);
    const CliRun r = Cli("--port " + analyser.DevicePath() + " write --no-backup --verify " + file);
    EXPECT_EQ(r.status, k.status) << r.err;
    EXPECT_NE(r.err.find(k.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("verified"), std::string::npos) << r.err;
  }
}

TEST(CliSafety, StopSignalFinishesTheCommandInFlightAndReports) {
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    sim::Config c;
    c.latencyMs = 150;
    sim::Analyser analyser(c);
    const std::string file = WriteFile("ten.txt", Rows(10));
    const std::string err = (TestDir() / "signal.err").string();
    const std::string cmd = std::string("exec ") + QUELT_CLI_PATH + " --port " +
                            analyser.DevicePath() + " write --no-backup " + file + " 2>" + err;
    pid_t pid = 0;
    const char* argv[] = {"sh", "-c", cmd.c_str(), nullptr};
    ASSERT_EQ(::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    // Stop it once the third row is on its way.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (WritesOf(analyser).size() < 3 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(pid, signal);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    EXPECT_EQ(StatusOf(raw), 128 + signal);

    const auto writes = WritesOf(analyser);
    ASSERT_GE(writes.size(), 3u);
    ASSERT_LT(writes.size(), 10u);
    for (const std::string& w : writes) EXPECT_EQ(w.rfind("W401", 0), 0u) << "no count was sent";
    const std::string report = "Rows 1 to " + std::to_string(writes.size()) +
                               " of 10 were written; the count was not changed.";
    EXPECT_NE(Slurp(err).find(report), std::string::npos) << Slurp(err);
    EXPECT_EQ(analyser.PendingInput(), "") << "a fragment of a command is on the line";
  }
}

}  // namespace
}  // namespace quelt::test
