// The files a table comes back from: a table file, the CSV the export wrote
// (also after a spreadsheet saved it again) and a backup, each told by its
// content; a backup says what it was made for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fuel/backup.h"
#include "fuel/report.h"
#include "fuel/table_file.h"

namespace quelt {
namespace {

FuelRow Row(int n, int id, const std::string& description) {
  FuelRow row;
  row.N = static_cast<std::int16_t>(n);
  row.ID = id;
  row.Description = description;
  row.Co2Max = 15.4;
  row.A2 = 0.68;
  row.B = 0.007;
  row.RefO2 = 3.0;
  row.Vatr = 10.5;
  row.Vaf = 11.2;
  row.HU = 42.7;
  row.Soot = 1;
  return row;
}

StoredTable Stored() {
  StoredTable t;
  t.serialNumber = "08154711";
  t.countReply = "2;";
  t.rows = {"1;101;Erdgas H;11,9;0,66;0,009;3,0;9,40;10,40;36,00;0;",
            "2;16;Heiz\xF6l EL;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1;"};
  return t;
}

TEST(TableFiles, EachKindIsToldByItsContentAndReadAsStrictly) {
  const std::string csv = FormatCsv({Row(1, 7, "Oil"), Row(2, 8, "Gas")});
  struct Case {
    const char* what;
    std::string text;
    TableFileKind kind;
    std::size_t rows;
    const char* error;  // "" for none; else the start of the message
    int line;
  } cases[] = {
      {"a table file", FormatTableFile({Row(1, 7, "Oil")}), TableFileKind::Rows, 1, "", 0},
      {"the CSV as exported", csv, TableFileKind::Csv, 2, "", 0},
      {"the CSV saved again by a spreadsheet: no BOM, LF, quotes, a closing ';'",
       "N;ID;Description;Co2Max;A2;B;Ref.O2;Vatr;Vaf;HU;Soot\n"
       "1;7;\"Oil \"\"light\"\"\";\"15.4\";0.68;0.007;3;10.5;11.2;42.7;1;\n\n",
       TableFileKind::Csv, 1, "", 0},
      {"a CSV value that is none",
       csv.substr(0, csv.rfind("\r\n1;")) + "\r\n1;7;Oil;x;1;1;1;1;1;1;1\r\n", TableFileKind::Csv,
       0, "Co2Max 'x' is not a number", 2},
      {"a CSV quote left open", csv + "3;9;\"Oil;1;1;1;1;1;1;1;1\r\n", TableFileKind::Csv, 0,
       "a quote that is not closed", 4},
      {"a backup: its rows in use", FormatBackup(Stored(), 0, BackupCause::Send),
       TableFileKind::Backup, 2, "", 0},
      {"a backup changed after it was saved",
       [] {
         std::string t = FormatBackup(Stored(), 0);
         t.replace(t.find("Erdgas"), 6, "Biogas");
         return t;
       }(),
       TableFileKind::Backup, 0, "the file's content does not match its check line", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TableFileKind kind = TableFileKind::Rows;
    const RowFile file = ParseTableText(c.text, &kind);
    EXPECT_EQ(kind, c.kind);
    EXPECT_EQ(file.rows.size(), c.rows);
    if (*c.error == '\0') {
      EXPECT_FALSE(file.error) << file.error->message;
    } else {
      ASSERT_TRUE(file.error);
      EXPECT_EQ(file.error->message.rfind(c.error, 0), 0u) << file.error->message;
      EXPECT_EQ(file.error->line, c.line);
    }
  }
}

TEST(TableFiles, ACsvExportReadsBackAsTheSameRows) {
  // Descriptions a spreadsheet would take for a formula, or that look like
  // the apostrophe that guards one.
  const std::vector<std::string> descriptions = {
      "Heiz\xF6l EL", "say \"hi\"", "=SUM(1)", "-Gas", "@x", "'=x", "''+1", "'plain", "",
  };
  std::vector<FuelRow> rows;
  for (const std::string& d : descriptions) {
    rows.push_back(Row(static_cast<int>(rows.size()) + 1, 100 + static_cast<int>(rows.size()), d));
  }
  const RowFile back = ParseTableText(FormatCsv(rows));
  ASSERT_FALSE(back.error) << back.error->line << ": " << back.error->message;
  EXPECT_EQ(back.rows, rows);
}

TEST(TableFiles, ABackupSaysWhatItWasMadeForAndOlderOnesDoNot) {
  for (const BackupCause cause :
       {BackupCause::Send, BackupCause::Restore, BackupCause::ByHand, BackupCause::Unknown}) {
    SCOPED_TRACE(static_cast<int>(cause));
    std::string error;
    BackupCause read = BackupCause::Send;
    bool checked = false;
    ASSERT_TRUE(ParseBackup(FormatBackup(Stored(), 0, cause), &error, &checked, &read)) << error;
    EXPECT_TRUE(checked);
    EXPECT_EQ(read, cause);
  }
  // The line is a comment: a reader that does not know it still checks the
  // file and takes its rows.
  const std::string text = FormatBackup(Stored(), 0, BackupCause::Restore);
  EXPECT_NE(text.find("\n# Made: before a restore\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace quelt
