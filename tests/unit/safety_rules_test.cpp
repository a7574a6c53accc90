// The rules that keep bad data off the wire and keep backups exact: the row
// check, the backup file's round trip, and the words for a stopped write.
// Pure functions: they run in the Windows build under Wine too.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <string>

#include "fuel/backup.h"
#include "fuel/fuel_ops.h"
#include "fuel/row_check.h"
#include "fuel/row_compare.h"

namespace quelt {
namespace {

TEST(RowCheck, DecimalsTheWireCannotCarry) {
  struct Case {
    FuelField field;
    double value;
    const char* problem;  // nullptr: accepted
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {FuelField::Co2Max, 12.1, nullptr},
      {FuelField::A2, 0.125, nullptr},  // rounds like the grid shows it
      {FuelField::HU, -99999999.99, nullptr},
      {FuelField::HU, 1e15,
       "HU 1e+15 has more digits before the decimal mark than "
       "the wire carries exactly"},
      {FuelField::HU, 99999999999999.0, nullptr},
      {FuelField::Co2Max, 99999999999999999999999999999.0,
       "Co2Max 1e+29 has more digits before the decimal mark than the wire carries exactly"},
      {FuelField::Co2Max, std::nan(""), "Co2Max is not a number (NaN)"},
      {FuelField::A2, inf, "A2 is infinite"},
      {FuelField::A2, -inf, "A2 is infinite"},
      {FuelField::HU, 1e30, "HU 1e+30 is too large for the analyser (its text would be cut)"},
      {FuelField::B, -1e30, "B -1e+30 is too large for the analyser (its text would be cut)"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.value);
    const auto problem = DecimalWireProblem(k.field, k.value);
    if (k.problem == nullptr) {
      EXPECT_FALSE(problem) << *problem;
    } else {
      EXPECT_EQ(problem.value_or("accepted"), k.problem);
    }
  }
}

TEST(RowCheck, RoundingForTheWireIsNamed) {
  EXPECT_EQ(RoundingNote(FuelField::Co2Max, 15.456).value_or("none"),
            "Co2Max 15.456 is sent as 15,5 (the wire carries 1 decimal)");
  EXPECT_EQ(RoundingNote(FuelField::B, 0.00725).value_or("none"),
            "B 0.00725 is sent as 0,007 (the wire carries 3 decimals)");
  EXPECT_FALSE(RoundingNote(FuelField::A2, 0.68));
  EXPECT_FALSE(RoundingNote(FuelField::ID, 0.5)) << "integers are not rounded";
}

// The analyser keeps values: a row read back in its own number format is
// the row that was sent; a value that did not arrive is not.
TEST(ValueCheck, RowsAreComparedAtTheWiresPrecision) {
  const std::string sent = "1;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;";
  struct Case {
    const char* back;
    std::vector<std::string> differences;
  };
  const Case cases[] = {
      {"1;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;", {}},
      {"1;1;Oil;15,40;0,680;0,0070;3;10,5;12;42,7;1", {}},  // its own format, no ';'
      {"01;1;Oil;15.4;0.68;0.007;3.0;10.5;12;42.7;1;", {}},
      {"9;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;", {}},   // its own N: the place counts
      {"1;1;Oil;15,4;0,68;0,0074;3,0;10,50;12,00;42,70;1;", {}},  // beyond the wire's decimals
      {"1;1;Oil;15,4;0,70;0,007;3,0;10,50;12,00;42,70;1;",
       {"Row 1, A2: sent \"0,68\", read back \"0,70\""}},
      {"1;1;Oil ;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;",
       {"Row 1, Description: sent \"Oil\", read back \"Oil \""}},
      {"1;1;Oil;0;0;0;0;0;0;0;0",
       {"Row 1, Co2Max: sent \"15,4\", read back \"0\"",
        "Row 1, A2: sent \"0,68\", read back \"0\"", "Row 1, B: sent \"0,007\", read back \"0\"",
        "Row 1, Ref.O2: sent \"3,0\", read back \"0\"",
        "Row 1, Vatr: sent \"10,50\", read back \"0\"",
        "Row 1, Vaf: sent \"12,00\", read back \"0\"", "Row 1, HU: sent \"42,70\", read back \"0\"",
        "Row 1, Soot: sent \"1\", read back \"0\""}},
      {"1;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00",
       {"Row 1, HU: sent \"42,70\", read back nothing",
        "Row 1, Soot: sent \"1\", read back nothing"}},
      {"1;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1;junk",
       {"Row 1, field 12: sent nothing, read back \"junk\""}},
      {"1;1;O\x1Bil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1",
       {"Row 1, Description: sent \"Oil\", read back \"O\\x1Bil\""}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.back);
    EXPECT_EQ(RowDifferences(1, sent, k.back), k.differences);
  }
}

TEST(ValueCheck, ACountIsANumberFrom0To999) {
  struct Case {
    std::string reply;
    std::optional<int> count;
  };
  const Case cases[] = {
      {"12;", 12},
      {" 7 ;", 7},
      {"0", 0},
      {"999;X;X;", 999},
      {"1000;", {}},
      {"-5;", {}},
      {"abc", {}},
      {"", {}},
      {"QUELT", {}},
      // The protocol's integer rule: a sign, leading and trailing text, hex.
      {"+12", 12},
      {"12 rows", 12},
      {"12abc;", 12},
      {"$0C;", 12},
      {"$3E8", {}},
      {"$;", {}},
      {"$FFFFFFFF", {}},
      {"0000012;", 12},
      {"99999999999;", {}},
      {"- 5;", {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(PlainDeviceText(k.reply));
    EXPECT_EQ(CountOfReply(k.reply), k.count);
  }
}

TEST(RowCheck, DescriptionsAndHowFieldsAreShown) {
  EXPECT_FALSE(DescriptionProblem("Heiz\xF6l EL"));
  EXPECT_FALSE(DescriptionProblem(std::string(30, 'x')));
  EXPECT_EQ(*DescriptionProblem(std::string(31, 'x')),
            "the description is longer than 30 characters");
  EXPECT_EQ(*DescriptionProblem("a;b"), "the description holds a ';', which would split the row");
  for (const char c : {'\t', '\x1B', '\b', '\x7F', '\0', '\n'}) {
    EXPECT_TRUE(DescriptionProblem(std::string("Erd") + c + "gas")) << int(c);
  }
  EXPECT_TRUE(DescriptionProblem("\x81")) << "undefined in Windows-1252";

  EXPECT_EQ(ShowField("a\tb"), "a\\x09b");
  EXPECT_EQ(ShowField(std::string(41, 'x')), std::string(40, 'x') + "...");
  EXPECT_EQ(ShowField("\xC3\xB6l"), "\xC3\xB6l") << "a UTF-8 character counts once";
}

TEST(Backup, EveryByteOfEveryReplySurvivesTheFile) {
  StoredTable t;
  t.identification = "QUELT 300";
  t.type = "20";
  t.serialNumber = "../08 15";
  t.version = "V 2.31";
  t.countReply = "3;";
  std::string allBytes;
  for (int b = 1; b < 256; ++b) {
    if (b != '\r') allBytes.push_back(static_cast<char>(b));
  }
  t.rows = {"1;1;Heiz\xF6l EL;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1", "2;2; pad  ;x\\x41;",
            allBytes + std::string(1, '\0')};
  // Rows beyond the count, one without an answer and one whose reply reads
  // like the mark for it.
  t.rowsBeyondCount = {"4;0;;0;0;0;0;0;0;0;0", std::nullopt, "no answer", allBytes};
  const std::string text = FormatBackup(t, 0);
  EXPECT_NE(text.find("\nRows read: 1 to 7 (1 to 3 by the count, 4 to 7 beyond it)\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nRow 5 beyond the count: no answer\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nCheck: 7 row lines, CRC-32 "), std::string::npos) << text;
  std::string error;
  bool checked = false;
  const auto back = ParseBackup(text, &error, &checked);
  ASSERT_TRUE(back) << error;
  EXPECT_TRUE(checked);
  EXPECT_EQ(back->rows, t.rows);
  EXPECT_EQ(back->rowsBeyondCount, t.rowsBeyondCount);
  // Windows' line ends and a byte order mark do not fail the check.
  std::string crlf = "\xEF\xBB\xBF";
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_TRUE(ParseBackup(crlf, &error)) << error;
  EXPECT_EQ(back->countReply, t.countReply);
  EXPECT_EQ(back->serialNumber, t.serialNumber);
  EXPECT_EQ(back->Count(), 3);
  // A row file or some other text is no backup.
  EXPECT_FALSE(ParseBackup("1;1;Oil;1;1;1;1;1;1;1;1\n", &error));
  EXPECT_FALSE(ParseBackup(text + "Row: \\xZZ\n", &error));
  EXPECT_NE(error.find("line "), std::string::npos);

  // The serial number names a folder, never a path outside the backups.
  const auto root = std::filesystem::temp_directory_path() /
                    ("quelt-backup-test-" + std::to_string(std::random_device{}()));
  std::filesystem::remove_all(root);
  const auto first = SaveBackup(t, root, 0, &error);
  const auto second = SaveBackup(t, root, 0, &error);
  ASSERT_TRUE(first && second) << error;
  EXPECT_NE(*first, *second) << "an older backup is never overwritten";
  EXPECT_EQ(first->parent_path().parent_path(), root);
  EXPECT_EQ(first->parent_path().filename(), BackupFolderName(t.serialNumber));
  std::filesystem::remove_all(root);
}

TEST(StoppedWrite, SaysWhatTheAnalyserHolds) {
  struct Case {
    SendOutcome::Result result;
    int written;
    bool count;
    const char* backup;
    const char* says;
    bool lost = false;  // the reply to the command in flight was lost
    // What a stopped send left before this write (the restore it offered).
    const char* before = "";
  };
  using R = SendOutcome::Result;
  const char* const mix = "rows 1 to 6 of the new table over the old one, with the old count";
  const Case cases[] = {
      // A restore after a stopped send does not make the mix it met harmless.
      {R::NoReply, 0, false, "",
       "No row was written; the count was not changed. The analyser still holds what the "
       "stopped send left: rows 1 to 6 of the new table over the old one, with the old count.",
       false, mix},
      {R::NoReply, 0, false, "",
       "No row was confirmed, but row 1 may have been written; the count was not changed. The "
       "analyser holds what the stopped send left (rows 1 to 6 of the new table over the old "
       "one, with the old count), row 1 perhaps replaced. No backup was made: send again.",
       true, mix},
      {R::NoReply, 3, false, "B.txt",
       "Rows 1 to 3 of 17 were written; the count was not changed. The analyser now holds these "
       "rows over what the stopped send left: rows 1 to 6 of the new table over the old one, "
       "with the old count. Your previous table is in B.txt: send again, or restore it.",
       false, mix},
      {R::NoReply, 7, false, "B.txt",
       "Rows 1 to 7 of 17 were written; the count was not changed. The analyser now holds a mix "
       "of the old and the new table. Your previous table is in B.txt: send again, or restore "
       "it."},
      {R::Interrupted, 1, false, "",
       "Row 1 of 17 was written; the count was not changed. The "
       "analyser now holds a mix of the old and the new table. No "
       "backup was made: send again."},
      {R::NoReply, 0, false, "B.txt",
       "No row was written; the count was not changed. The "
       "analyser should still hold its previous table. It is also "
       "in B.txt."},
      {R::NoReply, 17, false, "B.txt",
       "All 17 rows were written, but the count (15) was not sent: the analyser may still use its "
       "old count. Your previous table is in B.txt: send again, or restore it."},
      {R::Sent, 17, true, "B.txt", ""},
      // The analyser may have stored what it did not confirm.
      {R::NoReply, 7, false, "B.txt",
       "Rows 1 to 7 of 17 were written, row 8 may have been written; the count was not changed. "
       "The analyser now holds a mix of the old and the new table. Your previous table is in "
       "B.txt: send again, or restore it.",
       true},
      {R::NoReply, 0, false, "B.txt",
       "No row was confirmed, but row 1 may have been written; the count was not changed. The "
       "analyser holds its previous table, row 1 perhaps replaced. Your previous table is in "
       "B.txt: send again, or restore it.",
       true},
      {R::NoReply, 17, false, "B.txt",
       "All 17 rows were written, but the count (15) was not confirmed: the analyser may use its "
       "old count or the new one. Your previous table is in B.txt: send again, or restore it.",
       true},
  };
  for (const Case& k : cases) {
    SendOutcome o;
    o.result = k.result;
    o.rowsToSend = 17;
    o.rowsWritten = k.written;
    o.countWritten = k.count;
    o.countSent = 15;
    o.backupPath = k.backup;
    o.rowInFlightLost = k.lost && k.written < 17;
    o.countInFlightLost = k.lost && k.written == 17;
    o.tableBefore = k.before;
    EXPECT_EQ(DescribeStoppedWrite(o), k.says);
  }
}

// What a stopped send left, in the words the restore after it builds on.
TEST(StoppedWrite, SaysWhatItLeftForTheRestoreAfterIt) {
  struct Case {
    SendOutcome::Result result;
    int written;
    bool lost;
    const char* left;
  };
  using R = SendOutcome::Result;
  const Case cases[] = {
      {R::NoReply, 6, false, "rows 1 to 6 of the new table over the old one, with the old count"},
      {R::Interrupted, 1, true,
       "row 1 of the new table (row 2 perhaps too) over the old one, with the old count"},
      {R::NoReply, 0, true, "the old table with row 1 perhaps replaced by the new one"},
      {R::NoReply, 14, false, "the whole new table, with the old count"},
      {R::NoReply, 14, true, "the whole new table, with the old count or the new one"},
  };
  for (const Case& k : cases) {
    SendOutcome o;
    o.result = k.result;
    o.rowsToSend = 14;
    o.rowsWritten = k.written;
    o.rowInFlightLost = k.lost && k.written < 14;
    o.countInFlightLost = k.lost && k.written == 14;
    EXPECT_EQ(StoppedWriteLeft(o), k.left) << k.written;
  }
}

}  // namespace
}  // namespace quelt
