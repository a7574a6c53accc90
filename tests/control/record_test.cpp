// The window keeps its record: the day's log file with each line's time and
// the old days removed, a Refresh that separates rather than clears, and
// the split between the log and the grid remembered between runs.
#include <gtest/gtest.h>

#include <ctime>

#include "fuel/backup.h"
#include "fuel/session_log.h"
#include "tests/control/controller_fixture.h"

namespace quelt::test {
namespace {

using control::Command;

// Noon of a day in local time.
std::time_t Noon(int year, int month, int day) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = 12;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

std::filesystem::path FreshDir(const std::string& name) {
  const auto dir = TestDir() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

TEST(SessionLog, EachLineWithItsTimeAndDaysPastNinetyRemoved) {
  const auto dir = FreshDir("days");
  const std::time_t now = Noon(2026, 12, 10);
  struct {
    const char* name;
    bool kept;
  } files[] = {
      {"2026-12-09.log", true},  {"2026-09-11.log", true},  // 90 days before: kept
      {"2026-09-10.log", false},                            // 91 days
      {"2025-12-31.log", false}, {"2020-01-01.txt", true},  // not a day file
      {"2020-1-1.log", true},    {"notes.log", true},
  };
  for (const auto& f : files) WriteFile("days/" + std::string(f.name), "x\n");
  SessionLog log;
  log.SetFolder(dir);
  std::string error;
  ASSERT_TRUE(log.Write("Read 17 rows", now, &error)) << error;
  ASSERT_TRUE(
      log.Write("Gr\xc3\xbc\xc3\x9f"
                "e\r\nzweite Zeile",
                now + 65, &error))
      << error;
  for (const auto& f : files) EXPECT_EQ(std::filesystem::exists(dir / f.name), f.kept) << f.name;
  EXPECT_EQ(log.FileOf(now), dir / "2026-12-10.log");
  EXPECT_EQ(Slurp(dir / "2026-12-10.log"),
            "12:00:00 Read 17 rows\n"
            "12:01:05 Gr\xc3\xbc\xc3\x9f"
            "e\n"
            "         zweite Zeile\n");
  ASSERT_TRUE(log.Write("next day", Noon(2026, 12, 11), &error));  // a file of its own
  EXPECT_EQ(Slurp(dir / "2026-12-11.log"), "12:00:00 next day\n");
  EXPECT_EQ(SessionLogFolder("/d/quelt-fuel/backups"), std::filesystem::path("/d/quelt-fuel/log"));
}

class Record : public ControllerFixture {
 protected:
  // The window's log from here on goes to a folder of the test's own.
  std::filesystem::path Own(const std::string& name) {
    const auto dir = FreshDir(name);
    window.Ops().SetBackupsFolder(dir / "backups");
    window.SetClock([] { return Noon(2026, 12, 10); });
    return dir / "log" / "2026-12-10.log";
  }
};

TEST_F(Record, RefreshSeparatesKeepingTheLinesBeforeAndTheFileHasThemAll) {
  const auto file = Own("refresh");
  const std::size_t from = face.log.size();
  Start(RowsWithIds({101, 16, 103}));
  window.Do(Command::Refresh);
  ASSERT_EQ(face.log.back(), "Read 3 rows");
  const std::size_t before = face.log.size();
  window.Do(Command::Refresh);
  ASSERT_GT(face.log.size(), before);
  EXPECT_EQ(face.log[before - 1], "Read 3 rows");  // still there
  EXPECT_EQ(face.log[before], "---- Refresh 12:00:00 ----");
  EXPECT_EQ(face.log.back(), "Read 3 rows");
  // Every line of both Refreshes in the file, in order, with its time.
  std::string expected;
  for (std::size_t i = from; i < face.log.size(); ++i) {
    expected += "12:00:00" + (face.log[i].empty() ? "" : " " + face.log[i]) + "\n";
  }
  EXPECT_EQ(Slurp(file), expected);

  window.Do(Command::SessionLog);
  ASSERT_EQ(face.opened.size(), 1u);
  EXPECT_EQ(face.opened[0], file);
  face.openSucceeds = false;
  window.Do(Command::SessionLog);
  ASSERT_EQ(face.boxes.size(), 1u);
  EXPECT_EQ(face.boxes[0].kind, control::MessageKind::Warning);
}

TEST_F(Record, AFileThatCannotBeWrittenIsSaidOnceAndNothingFails) {
  const auto file = Own("unwritable");
  // A file where the log's folder would be.
  WriteFile("unwritable/log", "in the way");
  Start(RowsWithIds({101, 16, 103}));
  window.Do(Command::Refresh);
  window.Do(Command::Refresh);
  EXPECT_EQ(face.log.back(), "Read 3 rows");
  int said = 0;
  for (const std::string& line : face.log)
    said += line.starts_with("The log file is not written: ");
  EXPECT_EQ(said, 1);
  EXPECT_TRUE(face.boxes.empty());
  window.Do(Command::SessionLog);  // no file of today: a warning, nothing opened
  EXPECT_TRUE(face.opened.empty());
  EXPECT_EQ(face.boxes.size(), 1u);
}

TEST_F(Record, TheSplitIsRememberedBetweenRuns) {
  // What the settings hold: only a height within the rule is taken.
  for (const char* stored : {"", "250", "abc", "250px", "3", "99999"}) {
    face.settings[control::kLogHeightSettingKey] = stored;
    window.Attach(&face);
    EXPECT_EQ(window.LogHeight(), std::string(stored) == "250" ? 250 : front::kDefaultLogHeight)
        << stored;
  }
  window.SplitMoved(300);
  EXPECT_EQ(face.settings[control::kLogHeightSettingKey], "300");
  window.SplitMoved(1);  // dragged beyond the least: the least is kept
  EXPECT_EQ(face.settings[control::kLogHeightSettingKey], std::to_string(front::kMinLogHeight));
  // The next run.
  control::WindowController next{link};
  next.Attach(&face);
  EXPECT_EQ(next.LogHeight(), front::kMinLogHeight);
  next.Attach(nullptr);
}

}  // namespace
}  // namespace quelt::test
