// The analyser family: every behaviour the protocol admits, each run through
// identify, read, write with its backup and check, and the restore of that
// backup. For each: the table read is the one held, the write's check
// passes, the backup brings the previous table back exactly, nothing cries
// wolf, and a value the analyser did not store is still caught.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "fuel/backup.h"
#include "fuel/fuel_ops.h"
#include "fuel/row_compare.h"
#include "link/clock_pump.h"
#include "sim/inprocess_line.h"
#include "tests/ops/ops_fixture.h"
#include "tests/support/recording_view.h"

namespace quelt::test {
namespace {

struct Member {
  const char* name;
  sim::Config config;
  int rowsHeld = 3;         // rows stored, all in use
  int rowsWritten = 5;      // more than held: the backup reads beyond the count
  bool timed = false;       // on a pseudo-terminal where there is one
  bool endsBeyond = false;  // holds no row past its own: the backup reads one position
};

void PrintTo(const Member& m, std::ostream* os) { *os << m.name; }

Member With(const char* name, void (*tweak)(Member&)) {
  Member m{name, {}};
  tweak(m);
  return m;
}

// A count reply fixed whatever W402 sets: the table keeps its 12 rows.
Member CountReply(const char* name, const char* reply) {
  Member m{name, {}, 12, 12};
  m.config.countReply = reply;
  return m;
}

const Member kFamily[] = {
    With("plain", [](Member&) {}),
    With("crlf", [](Member& m) { m.config.faults.lfAfterCr = true; }),
    With("own_n", [](Member& m) { m.config.ownRowNumbers = true; }),
    With("beyond_question_mark",
         [](Member& m) {
           m.config.beyondRowsReply = "?";
           m.endsBeyond = true;
         }),
    With("beyond_err",
         [](Member& m) {
           m.config.beyondRowsReply = "ERR";
           m.endsBeyond = true;
         }),
    With("beyond_silent",
         [](Member& m) {
           m.config.silentBeyondRows = true;
           m.endsBeyond = true;
           m.timed = true;
         }),
    CountReply("count_plus", "+12"),
    CountReply("count_words", "12 rows"),
    CountReply("count_hex", "$0C;"),
    With("own_numbers", [](Member& m) { m.config.ownNumberFormat = true; }),
    With("latency",
         [](Member& m) {
           m.config.latencyMs = 150;
           m.timed = true;
         }),
    With("trickle",
         [](Member& m) {
           m.config.trickleMs = 8;  // a 55-byte row takes under half the time-out
           m.timed = true;
         }),
};

// The held rows: the natural gas H row among them, so the read inserts none.
std::vector<std::string> HeldRows(int count) {
  std::vector<std::string> rows{RowText(1, 16, "Erdgas H")};
  for (int n = 2; n <= count; ++n) rows.push_back(RowText(n, 100 + n, "Held " + std::to_string(n)));
  return rows;
}

// The analyser on the line a member needs: in-process, or a pseudo-terminal
// for the timed ones where the system has them.
class FamilyLine {
 public:
  FamilyLine(const Member& m, AnalyserLink& glb) {
#ifndef _WIN32
    if (m.timed) {
      pty_ = std::make_unique<sim::Analyser>(m.config);
      glb.SetPortOverride(pty_->DevicePath());
      return;
    }
#endif
    local_ = std::make_unique<sim::InProcessLine>(m.config);
    glb.UseLine(*local_);
    glb.SetPortOverride(local_->DevicePath());
  }
  std::vector<std::string> Rows() const {
#ifndef _WIN32
    if (pty_) return pty_->Rows();
#endif
    return local_->Rows();
  }
  int RowsInUse() const {
#ifndef _WIN32
    if (pty_) return pty_->RowsInUse();
#endif
    return local_->RowsInUse();
  }
  void SetFaults(const sim::Faults& faults) {
#ifndef _WIN32
    if (pty_) return pty_->SetFaults(faults);
#endif
    local_->SetFaults(faults);
  }

 private:
  std::unique_ptr<sim::InProcessLine> local_;
#ifndef _WIN32
  std::unique_ptr<sim::Analyser> pty_;
#endif
};

class Family : public ::testing::TestWithParam<Member> {
 protected:
  Family() {
    backups =
        std::filesystem::temp_directory_path() / ("quelt-family-" + std::string(GetParam().name) +
                                                  "-" + std::to_string(std::random_device{}()));
    ops.SetBackupsFolder(backups);
  }
  ~Family() override {
    std::error_code ignored;
    std::filesystem::remove_all(backups, ignored);
  }

  // Rows as the analyser stores them, compared as the check compares.
  void ExpectStored(const std::vector<std::string>& want, int count, const char* when) {
    SCOPED_TRACE(when);
    const auto held = line->Rows();
    ASSERT_GE(held.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(RowDifferences(static_cast<int>(i + 1), want[i], held[i]),
                std::vector<std::string>{});
    }
    EXPECT_EQ(line->RowsInUse(), count);
  }
  // Every log line since `from` is one a successful run writes.
  void ExpectNoAlarm(std::size_t from) {
    for (std::size_t i = from; i < view.log.size(); ++i) {
      const std::string& l = view.log[i];
      EXPECT_TRUE(l.rfind("Backup of the analyser's table: ", 0) == 0 ||
                  l.rfind("Checked: ", 0) == 0 || l.rfind("Sent ", 0) == 0)
          << l;
    }
    EXPECT_EQ(view.messages, std::vector<std::string>{});
  }

  std::filesystem::path backups;
  std::unique_ptr<FamilyLine> line;  // outlives the link that talks to it
  ClockPump pump;
  AnalyserLink glb{pump};
  FuelTable table;
  RecordingView view;
  FuelOperations ops{glb, table, view};
};

TEST_P(Family, EveryOperationWorksAndAValueNotStoredIsCaught) {
  Member m = GetParam();
  const std::vector<std::string> held = HeldRows(m.rowsHeld);
  m.config.rows = held;
  line = std::make_unique<FamilyLine>(m, glb);

  // Identify and read: the analyser's own words, the table it holds.
  ASSERT_TRUE(ops.Refresh()) << ::testing::PrintToString(view.log);
  EXPECT_EQ(ops.Identity().serialNumber, "08154711");
  ASSERT_EQ(table.RecordCount(), m.rowsHeld);
  for (int i = 0; i < m.rowsHeld; ++i) {
    EXPECT_EQ(RowDifferences(i + 1, WriteFuelRowText(table.Row(i), i + 1),
                             held[static_cast<std::size_t>(i)]),
              std::vector<std::string>{});
  }

  // Write: backed up, written, checked.
  table.EmptyTable();
  std::vector<std::string> written;
  for (int n = 1; n <= m.rowsWritten; ++n) {
    written.push_back(RowText(n, 200 + n, "New " + std::to_string(n)) + ";");
    table.AppendRow(ReadFuelRowText(written.back()).ToRow());
  }
  std::size_t logFrom = view.log.size();
  const SendOutcome write = ops.SendTable();
  ASSERT_EQ(write.result, SendOutcome::Result::Sent) << ::testing::PrintToString(view.log);
  EXPECT_TRUE(write.checked);
  ExpectStored(written, m.rowsWritten, "after the write");
  ExpectNoAlarm(logFrom);

  // The backup: in the analyser's own folder, and it brings the table back.
  const std::filesystem::path saved(write.backupPath);  // ASCII: under the temporary folder
  EXPECT_EQ(saved.parent_path().filename(), "08154711");
  std::ifstream in(saved, std::ios::binary);
  std::string error;
  const auto backup = ParseBackup(std::string{std::istreambuf_iterator<char>(in), {}}, &error);
  ASSERT_TRUE(backup) << error;
  // The first position beyond the count that holds no row ends the read.
  const int beyond = m.rowsWritten - m.rowsHeld;
  EXPECT_EQ(backup->rowsBeyondCount.size(),
            static_cast<std::size_t>(m.endsBeyond ? std::min(beyond, 1) : beyond));
  logFrom = view.log.size();
  const SendOutcome restore = ops.RestoreTable(*backup);
  ASSERT_EQ(restore.result, SendOutcome::Result::Sent) << ::testing::PrintToString(view.log);
  ExpectStored(held, m.rowsHeld, "after the restore");
  ExpectNoAlarm(logFrom);

  // A value the analyser answers for but does not keep.
  sim::Faults faults = m.config.faults;
  faults.dropHuAt = 2;
  line->SetFaults(faults);
  const SendOutcome lossy = ops.SendTable();
  EXPECT_EQ(lossy.result, SendOutcome::Result::CheckDiffers);
  EXPECT_EQ(lossy.differences,
            std::vector<std::string>{"Row 2, HU: sent \"42,70\", read back \"0\""});
}

INSTANTIATE_TEST_SUITE_P(Analysers, Family, ::testing::ValuesIn(kFamily),
                         [](const auto& member) { return std::string(member.param.name); });

}  // namespace
}  // namespace quelt::test
