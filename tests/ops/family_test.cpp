// The analyser family: every behaviour the protocol admits, each run through
// identify, read, write with its backup and check, and the restore of that
// backup. For each: the table read is the one held, the write's check
// passes, the backup brings the previous table back exactly, nothing cries
// wolf, and a value the analyser did not store is still caught.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "fuel/fuel_ops.h"
#include "fuel/row_compare.h"
#include "link/clock_pump.h"
#include "sim/inprocess_line.h"
#include "tests/ops/family.h"
#include "tests/ops/ops_fixture.h"

namespace quelt::test {
namespace {

class Family : public ::testing::TestWithParam<Member> {
 protected:
  ~Family() override {
    std::error_code ignored;
    std::filesystem::remove_all(backups, ignored);
  }
  // Every operation against `analyser` (in-process line or pseudo-terminal),
  // which `link` reaches.
  template <class Analyser>
  void Run(Analyser& analyser, AnalyserLink& link, const sim::Config& config);

  const Member& m = GetParam();
  const std::filesystem::path backups =
      std::filesystem::temp_directory_path() /
      ("quelt-family-" + std::string(m.name) + std::to_string(std::random_device{}()));
};

template <class Analyser>
void Family::Run(Analyser& analyser, AnalyserLink& link, const sim::Config& config) {
  const std::vector<std::string>& held = *config.rows;
  FuelTable table;
  RecordingView view;
  FuelOperations ops(link, table, view);
  ops.SetBackupsFolder(backups);
  // Lines a run that goes well writes; anything else is an alarm.
  const auto expectNoAlarm = [&view](std::size_t from) {
    for (std::size_t i = from; i < view.log.size(); ++i) {
      const std::string& l = view.log[i];
      EXPECT_TRUE(l.rfind("Backup of the analyser's table: ", 0) == 0 ||
                  l.rfind("Checked: ", 0) == 0 || l.rfind("Sent ", 0) == 0)
          << l;
    }
    EXPECT_EQ(view.messages, std::vector<std::string>{});
  };

  ASSERT_TRUE(ops.Refresh()) << ::testing::PrintToString(view.log);
  EXPECT_EQ(ops.Identity().serialNumber, "08154711");
  std::vector<std::string> read;
  for (int i = 0; i < table.RowCount(); ++i) read.push_back(WriteFuelRowText(table.Row(i), i + 1));
  EXPECT_EQ(read.size(), held.size());
  EXPECT_EQ(Differences(read, held), std::vector<std::string>{});

  table.Clear();
  std::vector<std::string> written;
  for (int n = 1; n <= m.rowsWritten; ++n) {
    written.push_back(RowText(n, 200 + n, "New " + std::to_string(n)) + ";");
    table.AppendRow(ReadFuelRowText(written.back()).ToRow());
  }
  std::size_t logFrom = view.log.size();
  const SendOutcome write = ops.SendTable();
  ShowMessages(view, write);
  ASSERT_EQ(write.result, SendOutcome::Result::Sent) << ::testing::PrintToString(view.log);
  EXPECT_TRUE(write.checked);
  EXPECT_EQ(Differences(written, analyser.Rows()), std::vector<std::string>{});
  expectNoAlarm(logFrom);

  // The backup: in the analyser's own folder (the path is ASCII: under the
  // temporary folder), read beyond the count up to the first position
  // without a row, and it brings the previous table back.
  const std::filesystem::path saved(write.backupPath);
  EXPECT_EQ(saved.parent_path().filename(), "08154711");
  std::ifstream in(saved, std::ios::binary);
  std::string error;
  const auto backup = ParseBackup(std::string{std::istreambuf_iterator<char>(in), {}}, &error);
  ASSERT_TRUE(backup) << error;
  EXPECT_EQ(backup->rowsBeyondCount.size(), m.endsBeyond ? 1u : m.rowsWritten - held.size());
  logFrom = view.log.size();
  const SendOutcome restored = ops.RestoreTable(*backup);
  ShowMessages(view, restored);
  ASSERT_EQ(restored.result, SendOutcome::Result::Sent) << ::testing::PrintToString(view.log);
  EXPECT_EQ(Differences(held, analyser.Rows()), std::vector<std::string>{});
  EXPECT_EQ(analyser.RowsInUse(), m.rowsHeld);
  expectNoAlarm(logFrom);

  // A value the analyser answers for but does not keep is caught.
  sim::Faults faults = config.faults;
  faults.dropHuAt = 2;
  analyser.SetFaults(faults);
  const SendOutcome lossy = ops.SendTable();
  EXPECT_EQ(lossy.result, SendOutcome::Result::CheckDiffers);
  EXPECT_EQ(lossy.differences,
            std::vector<std::string>{"Row 2, HU: sent \"42,70\", read back \"0\""});
}

TEST_P(Family, EveryOperationWorksAndAValueNotStoredIsCaught) {
  const sim::Config config = ConfigOf(m);
  ClockPump pump;
#ifndef _WIN32
  if (m.timed) {
    sim::Analyser analyser(config);
    AnalyserLink link(pump);
    link.SetPortOverride(analyser.DevicePath());
    Run(analyser, link, config);
    return;
  }
#endif
  sim::InProcessLine line(config);
  AnalyserLink link(pump);
  link.UseLine(line);
  link.SetPortOverride(line.DevicePath());
  Run(line, link, config);
}

INSTANTIATE_TEST_SUITE_P(Analysers, Family, ::testing::ValuesIn(kFamily),
                         [](const auto& member) { return std::string(member.param.name); });

}  // namespace
}  // namespace quelt::test
