// The far end of a real pseudo-terminal, for tests that script the line byte
// by byte: the tool opens DevicePath(), the test writes and reads the master.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <string>

namespace quelt::test {

class PtyPeer {
 public:
  PtyPeer() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
      throw std::runtime_error("no pseudo-terminal");
    }
    path_ = ptsname(master_);
    // Raw from the start, so nothing is translated before the tool
    // configures the line; a slave kept open avoids hang-ups in between.
    keep_ = open(path_.c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(keep_, &t);
    cfmakeraw(&t);
    tcsetattr(keep_, TCSANOW, &t);
  }
  ~PtyPeer() {
    if (keep_ >= 0) close(keep_);
    if (master_ >= 0) close(master_);
  }
  PtyPeer(const PtyPeer&) = delete;
  PtyPeer& operator=(const PtyPeer&) = delete;

  const std::string& DevicePath() const { return path_; }

  // Bytes the tool's side could read now.
  int Waiting() const {
    int n = 0;
    if (ioctl(keep_, FIONREAD, &n) != 0) throw std::runtime_error("FIONREAD on the pty failed");
    return n;
  }

  // Writes the bytes and waits until the tool's side can read them: the
  // kernel hands pty data over asynchronously (usually within microseconds,
  // much later on a loaded machine), and tests that count passes need the
  // bytes there before the wait starts.
  void Write(const std::string& bytes) {
    const int before = Waiting();
    WriteNow(bytes);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (int spins = 0; Waiting() < before + static_cast<int>(bytes.size()); ++spins) {
      if (std::chrono::steady_clock::now() > deadline) {
        throw std::runtime_error("bytes never reached the tool: " + std::to_string(Waiting()) +
                                 " waiting, " + std::to_string(before) + " before, " +
                                 std::to_string(bytes.size()) + " written");
      }
      if (spins < 200) {
        sched_yield();
      } else {
        usleep(50);
      }
    }
  }

  // Writes the bytes without waiting for them to arrive: for a far end that
  // talks while the tool is reading.
  void WriteNow(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      // A blocked write may be cut short by a signal (the fuzzer's watchdog).
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw std::runtime_error("pty write failed");
      done += static_cast<std::size_t>(n);
    }
  }

  // What the tool sent, up to and including its CR.
  std::string ReadCommand(int timeoutMs = 5000) {
    std::string out;
    while (out.empty() || out.back() != '\r') {
      pollfd p{master_, POLLIN, 0};
      const int ready = poll(&p, 1, timeoutMs);
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) throw std::runtime_error("the command never arrived");
      char buf[256];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw std::runtime_error("pty read failed");
      out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
  }

  // Everything that arrives until the line stays quiet for `quietMs`.
  std::string ReadAvailable(int quietMs = 100) {
    std::string out;
    for (;;) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN)) return out;
      char buf[256];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) return out;
      out.append(buf, static_cast<std::size_t>(n));
    }
  }

  // Closes the master side, as when the cable is pulled.
  void HangUp() {
    if (keep_ >= 0) close(keep_);
    keep_ = -1;
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  int keep_ = -1;
  std::string path_;
};

}  // namespace quelt::test
