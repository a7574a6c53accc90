// Runs a program to its end and measures it from outside: its wall time and
// the processor time it used (its own rusage, start-up included).
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace quelt::bench {

struct ChildRun {
  double wall = 0;
  double cpu = 0;
  int status = -1;  // the exit status; -1 when it did not exit normally
};

// `args[0]` is the program's path; its output goes to /dev/null.
inline ChildRun RunMeasured(std::vector<std::string> args) {
  ChildRun run;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int raw = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &raw, 0, &usage) != pid) return run;
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  if (WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
  return run;
}

}  // namespace quelt::bench
