// quelt-sim as a process of its own: the path on its first line answers, the
// options take effect, and a stop signal ends it cleanly.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/sim/slave_port.h"

namespace quelt::test {
namespace {

namespace fs = std::filesystem;

class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    args.insert(args.begin(), QUELT_SIM_PATH);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      _exit(127);
    }
    ::close(out[1]);
    out_ = ::fdopen(out[0], "r");
    char line[512] = {};
    if (std::fgets(line, sizeof line, out_)) firstLine_ = line;
    if (!firstLine_.empty() && firstLine_.back() == '\n') firstLine_.pop_back();
  }
  ~SimProcess() {
    if (pid_ > 0) Stop(SIGKILL);
    std::fclose(out_);
  }
  const std::string& FirstLine() const { return firstLine_; }
  std::string Rest() {
    std::string s;
    for (int c; (c = std::fgetc(out_)) != EOF;) s.push_back(static_cast<char>(c));
    return s;
  }
  // Exit status, or -1 when it did not exit normally.
  int Stop(int signal) {
    if (signal) ::kill(pid_, signal);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  FILE* out_ = nullptr;
  std::string firstLine_;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(SimProgram, ServesItsOptionsAndStopsCleanly) {
  const fs::path dir = fs::temp_directory_path() / ("quelt-sim-test-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path table = dir / "table.txt", link = dir / "com5", transcript = dir / "wire.txt";
  std::ofstream(table, std::ios::binary) << "# two rows\n1;50;Zemn\xC3\xAD plyn;1;1;1;1;1;1;1;0\n"
                                            "2;2;\xC3\x96l;1;1;1;1;1;1;1;1\n";
  SimProcess sim({"--table", table, "--type", "39", "--latency", "1", "--baud", "115200", "--link",
                  link, "--transcript", transcript});
  ASSERT_FALSE(sim.FirstLine().empty());
  EXPECT_EQ(fs::read_symlink(link), sim.FirstLine());
  {
    SlavePort port(link);
    EXPECT_EQ(port.Ask("R005"), "39\r");
    EXPECT_EQ(port.Ask("R402"), "2;\r");
    EXPECT_EQ(port.Ask("R40101"), "1;50;Zemn\xED plyn;1;1;1;1;1;1;1;0\r");
    EXPECT_EQ(port.Ask("A\x01\\\xD6"), "?\r");
    // A command whose CR never came: read together with the one before it.
    port.Send("R002\rW4011;\xD6");
    EXPECT_EQ(port.ReadLine(), "V 2.31\r");
  }
  EXPECT_EQ(sim.Stop(SIGTERM), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "the link goes with the simulator";
  EXPECT_EQ(Slurp(transcript),
            "R005\nR402\nR40101\nA\\x01\\x5C\\xD6\nR002\n(fragment) W4011;\\xD6\n");

  SimProcess quiet({"--silent-after", "1"});
  {
    SlavePort port(quiet.FirstLine());
    EXPECT_EQ(port.Ask(""), "QUELT\r");
    port.Send("R001\r");
    EXPECT_EQ(port.Read(1, 300), "");
  }
  EXPECT_EQ(quiet.Stop(SIGINT), 0);
  fs::remove_all(dir);
}

TEST(SimProgram, FaultOptions) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> steps;  // sent, bytes back
  };
  const Case cases[] = {
      {{}, {{"W4023;X;X;\r", "OK\r"}, {"R402\r", "3;\r"}}},
      {{"--count-reply", "2147483647;"}, {{"W4023;X;X;\r", "OK\r"}, {"R402\r", "2147483647;\r"}}},
      {{"--ignore-w402"}, {{"W4023;X;X;\r", "OK\r"}, {"R402\r", "12;\r"}}},
      {{"--duplicate-reply-on", "2"}, {{"R005\r", "20\r"}, {"R402\r", "12;\r12;\r"}}},
      {{"--echo"}, {{"W4023;X;X;\r", "W4023;X;X;\r"}, {"R001\r", "R001\r"}}},
      {{"--crlf"}, {{"R005\r", "20\r\n"}}},
      {{"--own-n"}, {{"R40113\r", "113;0;;0;0;0;0;0;0;0;0\r"}}},
      {{"--beyond", "ERR"},
       {{"R40113\r", "ERR\r"},
        {"W40113;1;X;1;1;1;1;1;1;1;1\r", "OK\r"},
        {"R40113\r", "13;1;X;1;1;1;1;1;1;1;1\r"}}},
      {{"--beyond-silent"}, {{"R40113\r", ""}, {"R005\r", "20\r"}}},
      {{"--trickle", "5"}, {{"R005\r", "20\r"}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.args.empty() ? "plain" : k.args[0]);
    SimProcess sim(k.args);
    {
      SlavePort port(sim.FirstLine());
      for (const auto& [sent, back] : k.steps) {
        port.Send(sent);
        EXPECT_EQ(port.Read(back.size()), back) << sent;
      }
      EXPECT_EQ(port.Read(1, 200), "");
    }
    EXPECT_EQ(sim.Stop(SIGTERM), 0);
  }
}

TEST(SimProgram, RefusesWhatItCannotServe) {
  const fs::path file =
      fs::temp_directory_path() / ("quelt-sim-file-" + std::to_string(::getpid()));
  std::ofstream(file) << "keep me";
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{"--help"}, 0},
      {{"--bogus"}, 2},
      {{"--baud", "fast"}, 2},
      {{"--latency"}, 2},
      {{"--trickle", "slow"}, 2},
      {{"--count-reply"}, 2},
      {{"--duplicate-reply-on", "2nd"}, 2},
      {{"--table", "/nonexistent/quelt.txt"}, 2},
      {{"--link", file.string()}, 1},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.args[0]);
    SimProcess sim(k.args);
    const std::string out = sim.FirstLine() + sim.Rest();
    EXPECT_EQ(sim.Stop(0), k.status);
    if (k.status == 0) {
      EXPECT_NE(out.find("--table FILE"), std::string::npos);
    }
  }
  EXPECT_EQ(Slurp(file), "keep me") << "a file in the link's place is left alone";
  fs::remove(file);
}

}  // namespace
}  // namespace quelt::test
