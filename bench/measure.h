// Wall and processor time of this process over a stretch of work.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <chrono>

namespace quelt::bench {

#ifdef _WIN32
inline double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  const auto seconds = [](const FILETIME& t) {
    return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}
inline unsigned long ProcessId() { return GetCurrentProcessId(); }
#else
inline double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
inline unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }
#endif

class Stopwatch {
 public:
  Stopwatch() : wall0_(std::chrono::steady_clock::now()), cpu0_(CpuSeconds()) {}
  double Wall() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0_).count();
  }
  double Cpu() const { return CpuSeconds() - cpu0_; }

 private:
  std::chrono::steady_clock::time_point wall0_;
  double cpu0_;
};

// Seconds a byte count takes on a line of `baud` with 10 bits a character.
inline double WireSeconds(double bytes, int baud) { return bytes * 10.0 / baud; }

}  // namespace quelt::bench
