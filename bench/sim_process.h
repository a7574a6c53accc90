// Runs quelt-sim as a process of its own, so that the figures of the tool's
// process do not include the simulator's work.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace quelt::bench {

class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& args) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      close(out[0]);
      close(out[1]);
      std::vector<char*> argv;
      std::string exe = QUELT_SIM_PATH;
      argv.push_back(exe.data());
      std::vector<std::string> copy = args;
      for (auto& a : copy) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(exe.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    FILE* f = fdopen(out[0], "r");
    char line[512] = {};
    if (!f || !fgets(line, sizeof line, f)) throw std::runtime_error("quelt-sim did not start");
    path_ = line;
    while (!path_.empty() && (path_.back() == '\n' || path_.back() == '\r')) path_.pop_back();
    pipe_ = f;
  }
  ~SimProcess() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    if (pipe_) fclose(pipe_);
  }
  const std::string& DevicePath() const { return path_; }

 private:
  pid_t pid_ = -1;
  FILE* pipe_ = nullptr;
  std::string path_;
};

}  // namespace quelt::bench
