// The tool's end of the simulator's line, opened the way a serial port is:
// plain POSIX calls, raw mode, no translation.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>

namespace quelt::test {

class SlavePort {
 public:
  explicit SlavePort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("cannot open " + path);
    termios t{};
    ::tcgetattr(fd_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd_, TCSANOW, &t);
  }
  ~SlavePort() {
    if (fd_ >= 0) ::close(fd_);
  }
  SlavePort(const SlavePort&) = delete;
  SlavePort& operator=(const SlavePort&) = delete;

  int Fd() const { return fd_; }

  void Send(const std::string& bytes) {
    if (::write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      throw std::runtime_error("write to the port failed");
    }
  }

  // Reads until `count` bytes have come or `timeoutMs` passed.
  std::string Read(std::size_t count, int timeoutMs = 3000) {
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0 || !(p.revents & POLLIN)) break;
      char buf[256];
      const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - out.size()));
      if (n <= 0) break;
      out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
  }

  // Reads up to and including the next CR.
  std::string ReadLine(int timeoutMs = 3000) {
    std::string out;
    while (out.empty() || out.back() != '\r') {
      const std::string b = Read(1, timeoutMs);
      if (b.empty()) break;
      out += b;
    }
    return out;
  }

  // A command and its reply line.
  std::string Ask(const std::string& command) {
    Send(command + "\r");
    return ReadLine();
  }

 private:
  int fd_ = -1;
};

}  // namespace quelt::test
