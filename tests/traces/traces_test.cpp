// A trace is a test: each NAME.trace here, with NAME.expect beside it
// (operation, exit status, the table read, the backup's rows), is played by
// quelt-sim --replay while quelt-fuel-cli runs the operation against it.
// A trace written against each member of the analyser family replays to
// the outcome of the run that wrote it.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "tests/ops/cli_run.h"
#include "tests/ops/family.h"

extern char** environ;

namespace quelt::test {
namespace {

namespace fs = std::filesystem;

// quelt-sim --replay TRACE as a process; the device it plays on.
class Replay {
 public:
  explicit Replay(const fs::path& trace) {
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string path = trace.string();
    const char* argv[] = {QUELT_SIM_PATH, "--replay", path.c_str(), nullptr};
    ::posix_spawn(&pid_, QUELT_SIM_PATH, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    out_ = ::fdopen(out[0], "r");
    char line[512] = {};
    if (std::fgets(line, sizeof line, out_)) device_ = line;
    if (!device_.empty() && device_.back() == '\n') device_.pop_back();
  }
  ~Replay() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    std::fclose(out_);
  }
  const std::string& Device() const { return device_; }

 private:
  pid_t pid_ = -1;
  FILE* out_ = nullptr;
  std::string device_;
};

struct Outcome {
  int status = -1;
  std::string table;  // what `read` printed
  int backupRows = -1;
};

// `operation`: "read", or "backup" with its options; a backup goes to a file
// of its own whose Row lines are counted.
Outcome RunCli(const std::string& device, const std::string& operation,
               const std::string& more = "") {
  const fs::path backup = TestDir() / "traced.backup";
  fs::remove(backup);
  const bool isBackup = operation.rfind("backup", 0) == 0;
  const CliRun r = Cli("--port " + device + " " + more + " " + operation +
                       (isBackup ? " " + backup.string() : ""));
  Outcome o{r.status, isBackup ? "" : r.out, -1};
  if (isBackup) {
    std::istringstream in(Slurp(backup));
    o.backupRows = 0;
    for (std::string line; std::getline(in, line);) o.backupRows += line.rfind("Row ", 0) == 0;
  }
  return o;
}

std::vector<std::string> TraceNames() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(QUELT_TRACES_DIR)) {
    if (e.path().extension() == ".trace") names.push_back(e.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class Traces : public ::testing::TestWithParam<std::string> {};

TEST_P(Traces, ReplayToTheOutcomeTheirSideFileNames) {
  const fs::path dir = QUELT_TRACES_DIR;
  std::istringstream expect(Slurp(dir / (GetParam() + ".expect")));
  Outcome want;
  std::string operation;
  for (std::string line; std::getline(expect, line);) {
    const auto colon = line.find(": ");
    if (line.empty() || line[0] == '#' || colon == std::string::npos) continue;
    const std::string key = line.substr(0, colon), value = line.substr(colon + 2);
    if (key == "operation") operation = value;
    if (key == "exit") want.status = std::stoi(value);
    if (key == "table") want.table = Slurp(dir / value);
    if (key == "backup-rows") want.backupRows = std::stoi(value);
  }
  ASSERT_FALSE(operation.empty()) << "no operation in " << GetParam() << ".expect";
  const Replay replay(dir / (GetParam() + ".trace"));
  ASSERT_FALSE(replay.Device().empty());
  const Outcome got = RunCli(replay.Device(), operation);
  EXPECT_EQ(got.status, want.status);
  EXPECT_EQ(got.table, want.table);
  EXPECT_EQ(got.backupRows, want.backupRows);
}

INSTANTIATE_TEST_SUITE_P(Folder, Traces, ::testing::ValuesIn(TraceNames()),
                         [](const auto& p) { return p.param; });

class FamilyTraces : public ::testing::TestWithParam<Member> {};

TEST_P(FamilyTraces, ReplayToTheOutcomeOfTheRunThatWroteThem) {
  const Member& m = GetParam();
  const std::string operation = m.endsBeyond ? "backup --all" : "read";
  const fs::path trace = TestDir() / (std::string(m.name) + ".trace");
  fs::remove(trace);
  Outcome recorded;
  {
    sim::Analyser analyser(ConfigOf(m));
    recorded = RunCli(analyser.DevicePath(), operation, "--trace " + trace.string());
  }
  ASSERT_EQ(recorded.status, 0);
  const Replay replay(trace);
  const Outcome replayed = RunCli(replay.Device(), operation);
  EXPECT_EQ(replayed.status, recorded.status);
  EXPECT_EQ(replayed.table, recorded.table);
  EXPECT_EQ(replayed.backupRows, recorded.backupRows);
}

INSTANTIATE_TEST_SUITE_P(Family, FamilyTraces, ::testing::ValuesIn(kFamily),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace quelt::test
