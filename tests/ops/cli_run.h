// Runs quelt-fuel-cli as a user would, with its files, its output and its
// backups in a folder of this test process's own.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sim/sim.h"
#include "tests/support/test_files.h"

namespace quelt::test {

struct CliRun {
  int status = -1;  // exit status; 128 + n for a death by signal n
  std::string out, err;
};

// The per-user data folder the tool sees: backups land below it.
inline std::filesystem::path DataHome() { return TestDir() / "data"; }
inline std::filesystem::path BackupsOf(const std::string& serial) {
  return DataHome() / "quelt-fuel" / "backups" / serial;
}

inline int StatusOf(int raw) {
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
  return -1;
}

// `args` is shell text. Standard output goes to a file, or to
// `stdoutTarget` ("/dev/full"; "&-" closes it). `shell` runs first ("ulimit -f 1;").
inline CliRun Cli(const std::string& args, const std::string& stdoutTarget = "",
                  const std::string& shell = "") {
  const std::string out = (TestDir() / "cli.out").string(), err = (TestDir() / "cli.err").string();
  const std::string cmd = shell + "XDG_DATA_HOME=" + DataHome().string() + " " + QUELT_CLI_PATH +
                          " " + args + " >" + (stdoutTarget.empty() ? out : stdoutTarget) + " 2>" +
                          err;
  CliRun r;
  std::filesystem::remove(out);
  r.status = StatusOf(std::system(cmd.c_str()));
  r.out = Slurp(out);
  r.err = Slurp(err);
  return r;
}

// The write commands (W401, W402) that reached the simulated analyser.
inline std::vector<std::string> WritesOf(const sim::Analyser& analyser) {
  std::vector<std::string> out;
  for (const std::string& c : analyser.Transcript()) {
    if (c.rfind("W40", 0) == 0) out.push_back(c);
  }
  return out;
}

}  // namespace quelt::test
