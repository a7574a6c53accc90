// Files that cannot be clobbered, raced or lost: a file is written whole or
// not at all, never through a link or over something that is not a file,
// automatic backups never share a name, and every analyser gets a folder of
// its own whatever its serial number says. Runs in the Windows build under
// Wine too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "fuel/atomic_file.h"
#include "fuel/backup.h"
#include "fuel/backup_list.h"

namespace quelt {
namespace {

namespace fs = std::filesystem;

class BackupFiles : public ::testing::Test {
 protected:
  BackupFiles()
      : dir(fs::temp_directory_path() /
            ("quelt-backup-file-test-" + std::to_string(std::random_device{}()))) {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~BackupFiles() override { fs::remove_all(dir); }

  static std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static void Put(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }
  // Names in the folder that end in ".partial": what a failed or raced
  // write would leave behind.
  static std::vector<std::string> Leftovers(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
      const std::string name = e.path().filename().string();
      if (name.size() > 8 && name.substr(name.size() - 8) == ".partial") names.push_back(name);
    }
    return names;
  }

  StoredTable Table(const std::string& serial = "08154711") const {
    StoredTable t;
    t.identification = "QUELT 300";
    t.serialNumber = serial;
    t.countReply = "1;";
    t.rows = {"1;1;Oil;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1"};
    return t;
  }

  fs::path dir;
};

// The C library's time zone: `tz` as the TZ variable says it, "" for none.
void UseZone(const std::string& tz) {
#ifdef _WIN32
  _putenv_s("TZ", tz.c_str());
  _tzset();
#else
  if (tz.empty()) {
    unsetenv("TZ");
  } else {
    setenv("TZ", tz.c_str(), 1);
  }
  tzset();
#endif
}

// The "Saved" line gives the offset from UTC on every system: Windows'
// strftime wrote the zone's name in the system's language and code page.
TEST(BackupTime, TheSavedLineGivesTheOffsetFromUtc) {
  const char* const before = std::getenv("TZ");
  const std::string kept = before != nullptr ? before : "";
  struct Case {
    const char* tz;
    const char* saved;
  } cases[] = {
      {"UTC0", "Saved: 1970-01-02 00:00:00 +0000\n"},
      {"CET-1", "Saved: 1970-01-02 01:00:00 +0100\n"},
      {"NST+3:30", "Saved: 1970-01-01 20:30:00 -0330\n"},
  };
  for (const Case& c : cases) {
    UseZone(c.tz);
    const std::string text = FormatBackup(StoredTable{}, 86400);
    EXPECT_NE(text.find(c.saved), std::string::npos) << c.tz << "\n" << text;
  }
  UseZone(kept);
}

TEST_F(BackupFiles, AFileIsWrittenWholeAndNeverThroughWhatIsAlreadyThere) {
  // What is there before the write, at `at` in the case's folder.
  enum class Planted { Nothing, File, Folder, LinkToVictim, LinkToNothing, Pipe, HardLink };
  struct Case {
    const char* name;
    Planted planted;
    const char* at;       // where it is planted
    const char* target;   // the file written (absolute: as it stands)
    const char* refused;  // nullptr: written
    Existing existing = Existing::Replace;
  };
  const fs::path victim = dir / "victim.txt";
  const Case cases[] = {
      {"a new file", Planted::Nothing, "", "table.txt", nullptr},
      {"a file replaced", Planted::File, "table.txt", "table.txt", nullptr},
      {"a temporary name planted as a file", Planted::File, "table.txt.partial", "table.txt",
       nullptr},
      {"a file kept", Planted::File, "table.txt", "table.txt", "exists: it is not replaced",
       Existing::Keep},
      {"a new file where none is replaced", Planted::Nothing, "", "table.txt", nullptr,
       Existing::Keep},
      {"a folder", Planted::Folder, "table.txt", "table.txt", "is a folder"},
      {"a device's name", Planted::Nothing, "", "nul.txt", "is the name of a device"},
      {"a device's name in capitals", Planted::Nothing, "", "COM1", "is the name of a device"},
#ifndef _WIN32
      {"a hard link to a file", Planted::HardLink, "table.txt", "table.txt",
       "has more than one hard link"},
      {"a temporary name planted as a link", Planted::LinkToVictim, "table.txt.partial",
       "table.txt", nullptr},
      {"a link to a file", Planted::LinkToVictim, "table.txt", "table.txt", "is a symbolic link"},
      {"a link to nothing", Planted::LinkToNothing, "table.txt", "table.txt", "is a symbolic link"},
      {"a pipe", Planted::Pipe, "table.txt", "table.txt", "is not a regular file"},
      {"a device", Planted::Nothing, "", "/dev/null", "is not a regular file"},
#endif
  };
  const std::string bytes = "Row: 1;1;Oil;\n";
  int n = 0;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Put(victim, "precious");
    const fs::path folder = dir / std::to_string(++n);
    fs::create_directories(folder);
    const fs::path at = folder / k.at;
    switch (k.planted) {
      case Planted::Nothing:
        break;
      case Planted::File:
        Put(at, "old text");
#ifndef _WIN32
        ::chmod(at.c_str(), 0640);
#endif
        break;
      case Planted::HardLink:
        fs::create_hard_link(victim, at);
        break;
      case Planted::Folder:
        fs::create_directory(at);
        break;
      case Planted::LinkToVictim:
        fs::create_symlink(victim, at);
        break;
      case Planted::LinkToNothing:
        fs::create_symlink(folder / "nowhere.txt", at);
        break;
      case Planted::Pipe:
#ifndef _WIN32
        ::mkfifo(at.c_str(), 0600);
#endif
        break;
    }
    const fs::path target = folder / k.target;
    std::string error;
    const bool written = WriteFileWhole(target, bytes, &error, k.existing);
    if (k.refused == nullptr) {
      EXPECT_TRUE(written) << error;
      EXPECT_EQ(Slurp(target), bytes);
#ifndef _WIN32
      // A replaced file keeps its permissions.
      struct stat st {};
      ::stat(target.c_str(), &st);
      if (k.planted == Planted::File && at == target) {
        EXPECT_EQ(st.st_mode & 0777, 0640u);
      }
#endif
    } else {
      EXPECT_FALSE(written);
      EXPECT_NE(error.find(k.refused), std::string::npos) << error;
      EXPECT_FALSE(fs::exists(folder / "nowhere.txt"));
      if (k.planted == Planted::File) {
        EXPECT_EQ(Slurp(at), "old text");
      }
    }
    EXPECT_EQ(Slurp(victim), "precious") << "a link redirected the write";
    std::vector<std::string> left = Leftovers(folder);
    left.erase(std::remove(left.begin(), left.end(), "table.txt.partial"), left.end());
    EXPECT_TRUE(left.empty()) << left.front();
  }
}

// The newest backup is the one saved last, also when the local clock went
// back (the autumn hour) or the time zone changed between the two: their
// names then sort the other way round.
TEST_F(BackupFiles, TheNewestIsTheLastSavedWhateverTheLocalClockSaid) {
  const char* const before = std::getenv("TZ");
  const std::string kept = before != nullptr ? before : "";
  struct Save {
    const char* tz;
    std::time_t when;
  };
  struct Case {
    const char* name;
    Save older, newer;
  } cases[] = {
      {"the autumn hour",
       {"CET-1CEST,M3.5.0,M10.5.0/3", 1792888200},   // 02:30 summer time
       {"CET-1CEST,M3.5.0,M10.5.0/3", 1792890900}},  // 02:15 winter time
      {"from Berlin to New York", {"CET-1", 1796814000}, {"EST5", 1796821200}},
  };
  int n = 0;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const fs::path root = dir / std::to_string(++n);
    std::string error;
    UseZone(k.older.tz);
    const auto older = SaveBackup(Table(), root, k.older.when, &error);
    UseZone(k.newer.tz);
    const auto newer = SaveBackup(Table(), root, k.newer.when, &error);
    ASSERT_TRUE(older && newer) << error;
    const auto newest = ListBackups(newer->parent_path(), 1);
    ASSERT_EQ(newest.size(), 1u);
    EXPECT_EQ(newest[0].path, *newer);
  }
  UseZone(kept);
}

TEST_F(BackupFiles, AutomaticBackupsNeverShareANameAndSortInTimeOrder) {
  const StoredTable table = Table();
  const std::time_t t0 = 1765280000;
  std::string error;
  std::vector<fs::path> saved;
  auto save = [&](std::time_t when) {
    const auto path = SaveBackup(table, dir, when, &error);
    EXPECT_TRUE(path) << error;
    if (path) saved.push_back(*path);
    return path.value_or(fs::path());
  };
  const fs::path first = save(t0);
  save(t0);
  const fs::path folder = first.parent_path();
  EXPECT_EQ(folder, dir / "08154711");
  const std::string stem = first.filename().string().substr(0, 17);  // 2025-12-09_113320
  EXPECT_EQ(first.filename().string(), stem + "-001.txt");
  EXPECT_EQ(saved[1].filename().string(), stem + "-002.txt");

  // Names taken by someone else are skipped, never written over or through.
  Put(folder / (stem + "-003.txt"), "someone else's");
#ifndef _WIN32
  Put(dir / "victim.txt", "precious");
  fs::create_symlink(dir / "victim.txt", folder / (stem + "-004.txt"));
#else
  Put(folder / (stem + "-004.txt"), "someone else's");
#endif
  EXPECT_EQ(save(t0).filename().string(), stem + "-005.txt");
  EXPECT_EQ(Slurp(folder / (stem + "-003.txt")), "someone else's");
#ifndef _WIN32
  EXPECT_EQ(Slurp(dir / "victim.txt"), "precious");
#endif
  save(t0 + 1);
  std::vector<fs::path> sorted = saved;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, saved) << "a plain listing shows the backups in the order they were made";

  // Writers at the same moment: each gets a name of its own, each file whole.
  std::vector<std::thread> writers;
  std::vector<std::vector<fs::path>> made(4);
  for (auto& list : made) {
    writers.emplace_back([&] {
      for (int i = 0; i < 10; ++i) {
        std::string why;
        if (const auto path = SaveBackup(table, dir, t0 + 2, &why)) list.push_back(*path);
      }
    });
  }
  for (std::thread& w : writers) w.join();
  std::set<fs::path> names;
  for (const auto& list : made) names.insert(list.begin(), list.end());
  EXPECT_EQ(names.size(), 40u);
  for (const fs::path& path : names) {
    const auto back = ParseBackup(Slurp(path), &error);
    ASSERT_TRUE(back) << path << ": " << error;
    EXPECT_EQ(back->rows, table.rows);
  }
  EXPECT_TRUE(Leftovers(folder).empty());
}

TEST_F(BackupFiles, EveryAnalyserGetsAShortFolderOfItsOwn) {
  struct Case {
    std::string serial;
    std::string folder;  // exact, or the readable part before "-<hash>"
    bool hashed;
  };
  const Case cases[] = {
      {"08154711", "08154711", false},
      {"SN-2024_A.1", "SN-2024_A.1", false},
      {"08_15", "08_15", false},
      {"08 15", "08_15", true},
      {"08/15", "08_15", true},
      {"../08 15", "08_15", true},
      {"ab12", "ab12", true},  // "AB12" would share its folder on Windows
      {"CON", "CON", true},
      {"nul.txt", "nul_txt", true},
      {"Com1", "Com1", true},
      {"LPT9.log", "LPT9_log", true},
      {".hidden", "hidden", true},
      {"trailing.", "trailing", true},
      {"\xE9\xE8", "serial", true},
      {"", "no-serial-number", true},
      {std::string(300, 'A'), std::string(23, 'A'), true},
      {std::string(299, 'A') + "B", std::string(23, 'A'), true},
  };
  std::set<std::string> folders;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.serial.substr(0, 40));
    const std::string name = BackupFolderName(k.serial);
    EXPECT_EQ(name.substr(0, k.hashed ? name.size() - 9 : name.size()), k.folder);
    if (k.hashed) {
      EXPECT_EQ(name.size(), k.folder.size() + 9) << name;
    }
    EXPECT_LE(name.size(), 32u);
    EXPECT_FALSE(IsWindowsDeviceName(name)) << name;
    EXPECT_TRUE(folders.insert(name).second) << name << " is another serial number's folder";
  }

  // A serial number of 300 characters does not stop a backup, and the whole
  // path stays within what Windows takes.
  std::string error;
  const auto path = SaveBackup(Table(std::string(300, '7')), dir, 0, &error);
  ASSERT_TRUE(path) << error;
  EXPECT_LT(path->native().size(), kWindowsMaxPath);
#ifdef _WIN32
  const auto tooDeep = SaveBackup(Table(), dir / std::wstring(230, L'x'), 0, &error);
  EXPECT_FALSE(tooDeep);
  EXPECT_NE(error.find("too long for Windows"), std::string::npos) << error;
#endif
}

}  // namespace
}  // namespace quelt
