// A send's safety steps through the operations: the backup belongs to the
// analyser that is attached now, and a row the wire cannot carry stops the
// send before its first byte.
#include <filesystem>
#include <limits>

#include "fuel/backup.h"
#include "tests/ops/ops_fixture.h"
#include "tests/support/test_files.h"

namespace quelt::test {
namespace {

class SendSafety : public OpsTest {
 protected:
  SendSafety() {
    backups = TestDir() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ops.SetBackupsFolder(backups);
  }
  ~SendSafety() override { std::filesystem::remove_all(backups); }

  std::vector<std::filesystem::path> BackupFiles() const {
    std::vector<std::filesystem::path> files;
    if (!std::filesystem::exists(backups)) return files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(backups)) {
      if (e.is_regular_file()) files.push_back(e.path());
    }
    return files;
  }

  std::filesystem::path backups;
};

// Another analyser plugged in after the Refresh: the user is asked, naming
// both; a yes writes it after a backup of its own table under its own
// serial number, a no sends nothing.
TEST_F(SendSafety, AnotherAnalyserPluggedInAfterTheRefreshIsWrittenOnlyWhenTheUserAgrees) {
  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes);
    std::filesystem::remove_all(backups);
    sim::Config first;
    first.rows = RowsWithIds({1, 2});
    Start(first);
    ASSERT_TRUE(ops.Refresh());

    sim::Config second;
    second.serialNumber = "0999";
    second.rows = RowsWithIds({7, 8, 9});
    Start(second);
    const auto before = analyser->Rows();
    view.questions.clear();
    view.answerYes = yes;
    const SendOutcome outcome = ops.SendTable();
    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_NE(view.questions[0].find("0999"), std::string::npos) << view.questions[0];
    EXPECT_NE(view.questions[0].find("08154711"), std::string::npos) << view.questions[0];
    if (!yes) {
      EXPECT_EQ(outcome.result, SendOutcome::Result::Declined);
      EXPECT_EQ(analyser->Rows(), before);
      EXPECT_TRUE(BackupFiles().empty());
      continue;
    }
    ASSERT_EQ(outcome.result, SendOutcome::Result::Sent);
    const auto files = BackupFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].parent_path().filename(), "0999");
    std::string error;
    const auto saved = ParseBackup(Slurp(files[0]), &error);
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(saved->rows, before);
    EXPECT_EQ(saved->serialNumber, "0999");
  }
}

// A checked send of more than 15 rows: what the check read back keeps the
// rows beyond the count apart, as the analyser stores them.
TEST_F(SendSafety, TheCheckKeepsTheRowsBeyondTheCountApart) {
  Start();
  ASSERT_TRUE(ops.Refresh());
  while (table.RowCount() < 20) table.AppendRow(table.Row(0));
  ASSERT_EQ(ops.SendTable().result, SendOutcome::Result::Sent);
  const StoredTable* known = ops.KnownStoredTable();
  ASSERT_NE(known, nullptr);
  EXPECT_EQ(known->rows.size(), 15u);
  EXPECT_EQ(known->rowsBeyondCount.size(), 5u);
  EXPECT_EQ(RestoreProblem(*known, false), std::nullopt);
}

TEST_F(SendSafety, ARowTheWireCannotCarryStopsTheSendBeforeItsFirstByte) {
  Start();
  ASSERT_TRUE(ops.Refresh());
  table.MoveTo(2);
  table.BeginEdit();
  table.SetDecimal(FuelField::Vaf, std::numeric_limits<double>::quiet_NaN());
  table.StoreEdit();
  analyser->ClearTranscript();

  const SendOutcome outcome = ops.SendTable();
  ShowMessages(view, outcome);
  EXPECT_EQ(outcome.result, SendOutcome::Result::Refused);
  EXPECT_EQ(outcome.problem, "Row 3: Vaf is not a number (NaN)");
  EXPECT_EQ(view.messages,
            std::vector<std::string>{"Row 3: Vaf is not a number (NaN)\nNothing was sent."});
  EXPECT_TRUE(Commands().empty());
  EXPECT_TRUE(BackupFiles().empty());
}

}  // namespace
}  // namespace quelt::test
