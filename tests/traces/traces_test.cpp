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

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <ostream>
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

// One case: a trace in this folder, its outcome in its .expect file; or a
// member of the analyser family, its trace and outcome taken by a run
// against the simulator first.
struct TraceCase {
  std::string name;
  const Member* member = nullptr;
};
void PrintTo(const TraceCase& c, std::ostream* os) { *os << c.name; }

std::vector<TraceCase> TraceCases() {
  std::vector<TraceCase> cases;
  for (const auto& e : fs::directory_iterator(QUELT_TRACES_DIR)) {
    if (e.path().extension() == ".trace") cases.push_back({e.path().stem().string()});
  }
  std::sort(cases.begin(), cases.end(),
            [](const TraceCase& a, const TraceCase& b) { return a.name < b.name; });
  for (const Member& m : kFamily) cases.push_back({"family_" + std::string(m.name), &m});
  return cases;
}

// The operation and the outcome a folder trace's .expect file names.
Outcome Expected(const std::string& name, std::string& operation) {
  const fs::path dir = QUELT_TRACES_DIR;
  std::istringstream expect(Slurp(dir / (name + ".expect")));
  Outcome want;
  for (std::string line; std::getline(expect, line);) {
    const auto colon = line.find(": ");
    if (line.empty() || line[0] == '#' || colon == std::string::npos) continue;
    const std::string key = line.substr(0, colon), value = line.substr(colon + 2);
    if (key == "operation") operation = value;
    if (key == "exit") want.status = std::stoi(value);
    if (key == "table") want.table = Slurp(dir / value);
    if (key == "backup-rows") want.backupRows = std::stoi(value);
  }
  return want;
}

class Traces : public ::testing::TestWithParam<TraceCase> {};

TEST_P(Traces, ReplayToTheOutcomeTheyWereTakenWith) {
  const TraceCase& c = GetParam();
  std::string operation;
  Outcome want;
  fs::path trace = fs::path(QUELT_TRACES_DIR) / (c.name + ".trace");
  if (c.member) {
    operation = c.member->endsBeyond ? "backup --all" : "read";
    trace = TestDir() / (c.name + ".trace");
    fs::remove(trace);
    sim::Analyser analyser(ConfigOf(*c.member));
    want = RunCli(analyser.DevicePath(), operation, "--trace " + trace.string());
    ASSERT_EQ(want.status, 0) << "the run that takes the trace";
  } else {
    want = Expected(c.name, operation);
    ASSERT_FALSE(operation.empty()) << "no operation in " << c.name << ".expect";
  }
  const Replay replay(trace);
  ASSERT_FALSE(replay.Device().empty());
  const Outcome got = RunCli(replay.Device(), operation);
  EXPECT_EQ(got.status, want.status);
  EXPECT_EQ(got.table, want.table);
  EXPECT_EQ(got.backupRows, want.backupRows);
}

INSTANTIATE_TEST_SUITE_P(All, Traces, ::testing::ValuesIn(TraceCases()),
                         [](const auto& p) { return p.param.name; });

}  // namespace
}  // namespace quelt::test
