// The command line never loses the analyser's table and never claims a
// success it has not seen: refused input sends nothing, output that cannot
// be written fails, a stopped write says what the analyser holds, and a
// backup restores the table byte for byte.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <optional>
#include <thread>

#include "fuel/backup.h"
#include "sim/sim.h"
#include "tests/ops/cli_run.h"
#include "tests/ops/ops_fixture.h"

namespace quelt::test {
namespace {

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
  // A backup file in a folder that cannot take it.
  const std::filesystem::path locked = TestDir() / "locked";
  std::filesystem::create_directories(locked);
  std::filesystem::permissions(
      locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const CliRun nowhere = Cli(port + " backup " + (locked / "b.txt").string());
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
  EXPECT_EQ(nowhere.status, ::geteuid() == 0 ? 0 : 1) << nowhere.err;
}

// A file-size limit (ulimit -f) is a write error like a full disk: said,
// exit status 1, no partial file left, nothing sent after a failed backup.
TEST(CliSafety, AFileSizeLimitIsAWriteError) {
  sim::Analyser analyser;
  const std::string port = "--port " + analyser.DevicePath();
  const std::filesystem::path folder = TestDir() / "limited";
  struct Case {
    const char* name;
    std::string args;
    std::string says;
  };
  const Case cases[] = {
      {"backup", " backup --all " + (folder / "b.txt").string(), "File too large"},
      {"report", " report " + (folder / "r.html").string(), "File too large"},
      {"write", " write " + WriteFile("twenty.txt", Rows(20)),
       "No backup of the analyser's table could be made"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::remove_all(DataHome());
    std::filesystem::create_directories(BackupsOf("08154711"));
    analyser.ClearTranscript();
    // 512 bytes a file: the messages fit, the backup and the report do not.
    const CliRun r = Cli(port + k.args, "", "ulimit -f 1; ");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(k.says), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_TRUE(std::filesystem::is_empty(BackupsOf("08154711")));
    EXPECT_TRUE(WritesOf(analyser).empty());
  }
}

TEST(CliSafety, WriteKeepsABackupAndRestoreBringsTheTableBack) {
  sim::Config c;
  c.rows = {"1;1;Heiz\xF6l EL;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1",
            "2;2;Erdgas L  ;11,8;0,650;0,009;3,0;8,20;9,10;31,80;0;",
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

// A table as the simulated analyser (serial number 08154711) stores it.
StoredTable Stored(int rows, const std::string& countReply) {
  StoredTable t;
  t.identification = "QUELT 300";
  t.type = "20";
  t.serialNumber = "08154711";
  t.version = "V 2.31";
  t.countReply = countReply;
  for (int i = 1; i <= rows; ++i)
    t.rows.push_back(RowText(i, 100 + i, "Fuel " + std::to_string(i)));
  return t;
}

// A backup as the version before the check line wrote it.
std::string EarlierBackup(const StoredTable& t) {
  std::string text =
      "# QUELT fuel table backup: the analyser's table as it stored it.\n"
      "Saved: 2025-11-02 09:14:00 +0100\nIdentification: QUELT 300\nType: 20\n"
      "Serial number: " +
      t.serialNumber + "\nVersion: V 2.31\nCount reply: " + t.countReply + "\n";
  for (const std::string& row : t.rows) text += "Row: " + row + "\n";
  return text;
}

std::string Without(std::string text, const std::string& from) {
  return text.substr(0, text.find(from));
}

std::string Replaced(std::string text, const std::string& what, const std::string& with) {
  const std::size_t at = text.find(what);
  return at == std::string::npos ? text : text.replace(at, what.size(), with);
}

TEST(CliSafety, BackupRefusesATargetItCannotOwnAndACountThatIsNoNumber) {
  const std::string victim = WriteFile("victim.txt", "precious");
  const std::filesystem::path link = TestDir() / "link.txt";
  std::filesystem::create_symlink(victim, link);
  const std::filesystem::path fifo = TestDir() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string fresh = (TestDir() / "fresh.txt").string();
  // A prepared table, its name typed where `write` belonged.
  const std::string prepared = WriteFile("customer-a.txt", "precious");
  struct Case {
    const char* name;
    std::optional<std::string> countReply;
    std::string target;
    int status;
    std::string says;
  };
  const auto noNumber = [](const std::string& shown) {
    return "The analyser's row count \"" + shown + "\" is no number; nothing was saved.";
  };
  const Case cases[] = {
      {"a symbolic link", {}, link.string(), 2, "is a symbolic link"},
      {"a pipe", {}, fifo.string(), 2, "is not a regular file"},
      {"a device", {}, "/dev/null", 2, "is not a regular file"},
      {"a folder", {}, TestDir().string(), 2, "is a folder"},
      {"an existing file",
       {},
       prepared,
       2,
       prepared + ": the file exists; backup does not replace it (--force replaces it)."},
      {"count abc", "abc", fresh, 1, noNumber("abc")},
      {"count -5", "-5;", fresh, 1, noNumber("-5;")},
      {"count empty", "", fresh, 1, noNumber("")},
      {"count 1000", "1000;", fresh, 1, noNumber("1000;")},
      {"count with a control character", "\x1B;", fresh, 1, noNumber("\\x1B;")},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    sim::Config c;
    c.countReply = k.countReply;
    sim::Analyser analyser(c);
    const CliRun r = Cli("--port " + analyser.DevicePath() + " backup " + k.target);
    EXPECT_EQ(r.status, k.status) << r.err;
    EXPECT_NE(r.err.find(k.says), std::string::npos) << r.err;
    if (k.status == 2) {
      EXPECT_TRUE(analyser.Transcript().empty()) << "asked before refusing";
    }
    EXPECT_FALSE(std::filesystem::exists(fresh));
  }
  EXPECT_EQ(Slurp(victim), "precious");
  EXPECT_EQ(Slurp(prepared), "precious");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  sim::Analyser analyser;
  EXPECT_EQ(Cli("--port " + analyser.DevicePath() + " backup --force " + prepared).status, 0);
  EXPECT_NE(Slurp(prepared), "precious");
}

TEST(CliSafety, RestoreRefusesADamagedBackupBeforeThePortIsOpened) {
  const std::string good = FormatBackup(Stored(3, "3;"), 0);
  StoredTable garbled = Stored(3, "3;");
  garbled.rows[1] = "2;102;Fuel 2;abc;0,68;0,007;3,0;10,50;12,00;42,70;1";
  StoredTable garbage = Stored(2, "3;");
  garbage.rows.push_back("garbage");
  // Rows that no write would send: each refuses the whole restore.
  auto withRow2 = [](const std::string& row) {
    StoredTable t = Stored(3, "3;");
    t.rows[1] = row;
    return FormatBackup(t, 0);
  };
  StoredTable implausible = Stored(1, "1;");
  implausible.rows[0] = "1;101;Fuel 1;999,9;0,68;0,007;3,0;10,50;12,00;42,70;1";
  struct Case {
    const char* name;
    std::string text;
    const char* options;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {"truncated backup (3 of 15 rows, count 15)",
       Without(FormatBackup(Stored(15, "15;"), 0), "Row 4: "), "", 2,
       "the check line is missing: the file ends early"},
      {"truncated backup of the earlier version",
       Without(EarlierBackup(Stored(15, "15;")), "Row: 4;"), "", 2,
       "the count is 15 but the file holds only 3 rows in use"},
      {"no row lines", EarlierBackup(Stored(0, "12;")), "", 2,
       "the count is 12 but the file holds only 0 rows"},
      {"Row: garbage", EarlierBackup(garbage), "", 2,
       "row 3: 'garbage' is no fuel row: 1 field, 11 expected"},
      {"a row that is no row, checked", FormatBackup(garbled, 0), "", 2,
       "row 2: Co2Max 'abc' is not a number"},
      {"count 0", FormatBackup(Stored(0, "0;"), 0), "", 2,
       "the backup's count is 0: restoring it tells the analyser to use no fuel at all"},
      {"count empty", FormatBackup(Stored(3, ""), 0), "", 2,
       "the count reply \"\" holds no row count from 0 to 999"},
      {"count negative", FormatBackup(Stored(3, "-5;"), 0), "", 2, "\"-5;\" holds no row count"},
      {"count 1000", FormatBackup(Stored(3, "1000;"), 0), "", 2, "\"1000;\" holds no row count"},
      {"count \"40;\"", FormatBackup(Stored(12, "40;"), 0), "", 2,
       "the count is 40 but the file holds only 12 rows in use"},
      {"40 rows", FormatBackup(Stored(40, "40;"), 0), "", 2,
       "it holds 40 rows to write; a write sends at most 30"},
      {"a tampered digit", Replaced(good, "2;102;Fuel 2;15,4", "2;102;Fuel 2;15,5"), "", 2,
       "the file's content does not match its check line"},
      {"a duplicated row line",
       Replaced(good, "Row 3: ", "Row 2: " + RowText(2, 102, "Fuel 2") + "\nRow 3: "), "", 2,
       "row 2 where row 3 belongs: a row line is missing, doubled or out of order"},
      {"a lost row line", Replaced(good, "Row 2: ", "# Row 2: "), "", 2,
       "row 3 where row 2 belongs"},
      {"a line after the check line", good + "Row 4: " + RowText(4, 104) + "\n", "", 2,
       "a line after the check line"},
      {"earlier version, consistent", EarlierBackup(Stored(3, "3;")), "", 0,
       "no checksum: a backup of an earlier version"},
      {"count 0 on purpose", FormatBackup(Stored(0, "0;"), 0), " --allow-empty", 0,
       "0 row(s) verified"},
      {"count above 15", FormatBackup(Stored(20, "20;"), 0), "", 0,
       "The backup's count is 20: it is written back as it was; the analyser uses 15 rows."},
      {"count above 15, the last line", FormatBackup(Stored(20, "20;"), 0), "", 0,
       "Sent 20 rows, the analyser uses 15 (the count stored is 20)\n"},
      {"a number with 400 leading zeros",
       withRow2("2;102;Fuel 2;" + std::string(400, '0') +
                "15,4;0,68;0,007;3,0;10,50;12,00;42,70;1"),
       "", 2, "row 2: Co2Max '" + std::string(40, '0') + "...' is longer than 30 characters"},
      {"fields 12 to 14 filled", withRow2(RowText(2, 102, "Fuel 2") + ";x;y;z"), "", 2,
       "row 2: field 12 'x' is beyond the eleven fields of a row"},
      {"a description of 31 characters", withRow2(RowText(2, 102, std::string(31, 'd'))), "", 2,
       "row 2: the description is longer than 30 characters"},
      {"an ID beyond 32 bits", withRow2(RowText(2, 102).replace(2, 3, "99999999999")), "", 2,
       "row 2: ID 99999999999 is outside -2147483648..2147483647"},
      {"an implausible value", FormatBackup(implausible, 0), "", 0,
       "Warning: Row 1, Co2Max: 999,9 % is outside 0 to 30 %\n"},
  };
  sim::Analyser analyser;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    analyser.ClearTranscript();
    const std::string file = WriteFile("damaged.txt", k.text);
    const CliRun r =
        Cli("--port " + analyser.DevicePath() + " restore --no-backup" + k.options + " " + file);
    EXPECT_EQ(r.status, k.status) << r.err;
    EXPECT_NE(r.err.find(k.says), std::string::npos) << r.err;
    if (k.status == 2) {
      EXPECT_NE(r.err.find("Nothing was sent."), std::string::npos) << r.err;
      EXPECT_TRUE(analyser.Transcript().empty()) << "the port was opened";
    } else {
      const auto count = ParseBackup(k.text, nullptr)->countReply;
      ASSERT_FALSE(WritesOf(analyser).empty());
      EXPECT_EQ(WritesOf(analyser).back(), "W402" + count + "X;X;");
    }
  }
}

TEST(CliSafety, BackupOfAllRowsKeepsThoseBeyondTheCountForRestore) {
  // 18 rows stored, 12 in use after a write of 12: rows 13 to 18 stay
  // stored beyond the count. Row 20 gets no answer, which ends the read.
  sim::Config c;
  c.rows = RowsWithIds({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
  c.faults.silentOnPrefix = "R40120";
  sim::Analyser analyser(c);
  const std::string port = "--port " + analyser.DevicePath();
  ASSERT_EQ(Cli(port + " write --no-backup " + WriteFile("twelve.txt", Rows(12))).status, 0);
  const auto before = analyser.Rows();
  ASSERT_EQ(before.size(), 18u);

  const std::string all = (TestDir() / "all.txt").string();
  const CliRun backup = Cli(port + " backup --all " + all);
  ASSERT_EQ(backup.status, 0) << backup.err;
  EXPECT_NE(backup.err.find("Saved 12 rows and the count, and rows 13 to 20 beyond the count (1 "
                            "without an answer), to "),
            std::string::npos)
      << backup.err;
  const std::string text = Slurp(all);
  EXPECT_NE(text.find("\nRows read: 1 to 20 (1 to 12 by the count, 13 to 20 beyond it)\n"),
            std::string::npos);
  EXPECT_NE(text.find("\nRow 13 beyond the count: " + before[12] + "\n"), std::string::npos);
  EXPECT_NE(text.find("\nRow 20 beyond the count: no answer\n"), std::string::npos);

  // A write of 25 rows replaces the rows beyond the count; the restore
  // brings back rows 1 to 19 (up to the row without an answer) and the count.
  ASSERT_EQ(Cli(port + " write --no-backup --no-verify " + WriteFile("more.txt", Rows(25))).status,
            0);
  analyser.ClearTranscript();
  const CliRun restore = Cli(port + " restore --no-backup " + all);
  ASSERT_EQ(restore.status, 0) << restore.err;
  EXPECT_NE(restore.err.find("19 row(s) verified"), std::string::npos) << restore.err;
  const auto writes = WritesOf(analyser);
  ASSERT_EQ(writes.size(), 20u);
  EXPECT_EQ(writes.back(), "W40212;X;X;");
  const auto after = analyser.Rows();
  EXPECT_EQ(std::vector<std::string>(after.begin(), after.begin() + 18), before);
  EXPECT_EQ(analyser.RowsInUse(), 12);
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
  // Commands: two wake-ups, four identity queries, the write's four identity
  // queries, two rows, the count, then the check's wake-up and R402, whose
  // reply comes twice: every later reply is one behind.
  duplicated.duplicateReplyOn = 15;
  echoing.echo = true;
  const Case cases[] = {
      {"count answered, not applied", ignored, 3, "Count: sent 2, the analyser reported 12"},
      {"a duplicated reply", duplicated, 3, "Row 1, ID: sent \"101\", read back "},
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

// A value outside its plausible range (125 typed for 12,5), a missing,
// shared or out-of-range ID and Soot other than 0 or 1 are written as they
// are, each with a warning line naming the row, given before the analyser is
// even asked who it is; the exit status stays what the write made it.
TEST(CliSafety, WriteWarnsOfValuesOutsideTheirRange) {
  sim::Analyser analyser;
  const std::string file = WriteFile("implausible.txt",
                                     "1;101;Gas;125;0,64;0,009;3,0;7,70;9,40;31,68;0\n"
                                     "2;102;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1\n"
                                     "3;103;Wood;20,3;2,5;0,010;25,0;4,60;5,20;17,60;1\n"
                                     "4;102;Oil 2;15,4;0,68;0,007;3,0;10,50;12,00;42,70;2\n"
                                     "5;0;;0;0;0;0;0;0;0;0\n"
                                     "6;1200;Gas;12,1;0,64;0,009;3,0;7,70;9,40;31,68;-1\n");
  const CliRun r = Cli("--port " + analyser.DevicePath() + " write --no-backup " + file);
  EXPECT_EQ(r.status, 0) << r.err;
  for (const char* line : {"Warning: Row 1, Co2Max: 125 % is outside 0 to 30 %\n",
                           "Warning: Row 3, A2: 2,5 is outside 0 to 2\n",
                           "Warning: Row 3, RefO2: 25 % is outside 0 to 21 %\n",
                           "Warning: Row 4: ID 102 is used by row 2 (Oil) too\n",
                           "Warning: Row 4: Soot 2 is neither 0 nor 1\n",
                           "Warning: Row 5: no ID (0); an ID is 1 to 999\n",
                           "Warning: Row 6: ID 1200 is outside 1 to 999\n",
                           "Warning: Row 6: Soot -1 is neither 0 nor 1\n"}) {
    EXPECT_NE(r.err.find(line), std::string::npos) << line << r.err;
    EXPECT_LT(r.err.find(line), r.err.find("Found")) << line;
  }
  EXPECT_EQ(r.err.find("Row 2"), std::string::npos) << r.err;
  EXPECT_EQ(WritesOf(analyser).size(), 7u) << "the rows went out as they are";
}

}  // namespace
}  // namespace quelt::test
