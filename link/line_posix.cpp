// The device line on POSIX: termios on the tty device.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "link/line.h"
#include "link/line_posix.h"

namespace quelt::comm {
namespace {

int Fd(Handle h) { return static_cast<int>(h); }

void Fill(Reason* reason, int code) {
  if (reason == nullptr) return;
  reason->code = code;
  reason->permission = false;
  switch (code) {
    case EACCES:
    case EPERM:
      reason->permission = true;
      reason->text = "permission denied";
      break;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      reason->text = "device not found";
      break;
    case EBUSY:
    case EWOULDBLOCK:
      reason->text = "in use by another program";
      break;
    case ENOTTY:
      reason->text = "not a serial port";
      break;
    default:
      reason->text = std::strerror(code);
      break;
  }
}

bool Fail(Reason* reason, int code) {
  Fill(reason, code);
  return false;
}

bool Gone(int fd);

// A read or write that failed: the system's own words, and whether the tty
// hung up (a USB bridge unplugged leaves its tty hung up: EIO).
IoResult IoFailure(int fd, int code, std::uint32_t count) {
  IoResult r;
  r.ok = false;
  r.count = count;
  r.reason.code = code;
  r.reason.text = std::strerror(code);
  r.reason.gone = code == EIO || code == ENXIO || code == ENODEV || Gone(fd);
  return r;
}

speed_t SpeedFor(std::uint32_t baud) {
  struct Rate {
    std::uint32_t baud;
    speed_t code;
  };
  static constexpr Rate kRates[] = {
      {50, B50},           {75, B75},           {110, B110},         {134, B134},
      {150, B150},         {200, B200},         {300, B300},         {600, B600},
      {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
      {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
      {115200, B115200},   {230400, B230400},
#ifdef B460800
      {460800, B460800},   {500000, B500000},   {576000, B576000},   {921600, B921600},
      {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
#endif
  };
  for (const Rate& r : kRates) {
    if (r.baud == baud) return r.code;
  }
  return B0;
}

// Sets or clears modem lines. A pseudo-terminal has none and refuses the
// request; that must not make a configuration fail.
bool SetModemLines(int fd, int set, int clear) {
  for (auto [request, bits] : {std::pair{TIOCMBIS, set}, std::pair{TIOCMBIC, clear}}) {
    if (bits == 0) continue;
    if (::ioctl(fd, request, &bits) != 0 && errno != EINVAL && errno != ENOTTY) return false;
  }
  return true;
}

// The line settings each open port had before we touched it, restored on
// close: a terminal named by mistake (--port /dev/tty) must not stay raw.
std::mutex savedMutex;
std::map<int, termios>& Saved() {
  static std::map<int, termios> saved;
  return saved;
}

void SaveSettings(int fd) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return;
  std::lock_guard lock(savedMutex);
  Saved()[fd] = t;
}

void RestoreSettings(int fd) {
  termios t{};
  {
    std::lock_guard lock(savedMutex);
    const auto it = Saved().find(fd);
    if (it == Saved().end()) return;
    t = it->second;
    Saved().erase(it);
  }
  // Bytes still going out keep the speed they were written for; a line that
  // takes nothing (dead, or held by flow control) is not waited for long.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int queued = 0;
  while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ::tcsetattr(fd, TCSANOW, &t);
}

bool Gone(int fd) {
  pollfd p{fd, POLLIN, 0};
  int r;
  do {
    r = ::poll(&p, 1, 0);
  } while (r < 0 && errno == EINTR);
  if (r <= 0 || !(p.revents & (POLLHUP | POLLERR | POLLNVAL))) return false;
  int n = 0;
  return ::ioctl(fd, FIONREAD, &n) != 0 || n <= 0;
}

class PosixLine final : public Line {
 public:
  // COM numbers are a Windows notion: a Linux port is named by its path.
  std::string DevicePathForPort(std::int32_t) const override { return {}; }

  Handle Open(const std::string& devicePath, Reason* reason) override {
    if (devicePath.empty()) {
      Fill(reason, ENOENT);
      return kInvalid;
    }
    // O_NONBLOCK: neither the open (no carrier yet) nor a read ever waits; a
    // write waits for room itself (Write below).
    int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      Fill(reason, errno);
      return kInvalid;
    }
    // Handle 0 means "no port", so never keep standard input's number.
    if (fd < 3) {
      const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
      const int err = errno;
      ::close(fd);
      if (moved < 0) {
        Fill(reason, err);
        return kInvalid;
      }
      fd = moved;
    }
    if (!::isatty(fd)) {
      ::close(fd);
      Fill(reason, ENOTTY);
      return kInvalid;
    }
    // The exclusive share mode. flock stops every other cooperating program,
    // root included; TIOCEXCL also stops plain opens by other users. Either
    // alone leaves a gap: TIOCEXCL comes only after our own open succeeded,
    // and root ignores it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int err = errno;
      ::close(fd);
      Fill(reason, err);
      return kInvalid;
    }
    ::ioctl(fd, TIOCEXCL);
    SaveSettings(fd);
    return fd;
  }

  void SetupQueues(Handle, std::uint32_t, std::uint32_t) override {
    // The kernel's tty buffers have fixed sizes; nothing to ask for.
  }

  bool SetState(Handle h, const DcbRecord& dcb, Reason* reason) override {
    const int fd = Fd(h);
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return Fail(reason, errno);
    if (!TermiosFromDcb(dcb, t, reason)) return false;
    if (::tcsetattr(fd, TCSANOW, &t) != 0) return Fail(reason, errno);

    // Control 0 is "line off", 1 "on"; a handshake line starts raised.
    const std::uint32_t rtsControl = (dcb.Flags >> 12) & 3;
    const std::uint32_t dtrControl = (dcb.Flags >> 4) & 3;
    const int set = (dtrControl != 0 ? TIOCM_DTR : 0) | (rtsControl != 0 ? TIOCM_RTS : 0);
    const int clear = (dtrControl == 0 ? TIOCM_DTR : 0) | (rtsControl == 0 ? TIOCM_RTS : 0);
    if (!SetModemLines(fd, set, clear)) return Fail(reason, errno);
    return true;
  }

  IoResult Write(Handle h, const void* data, std::uint32_t count) override {
    const int fd = Fd(h);
    const auto* p = static_cast<const unsigned char*>(data);
    std::uint32_t done = 0;
    while (done < count) {
      const ssize_t n = ::write(fd, p + done, count - done);
      if (n > 0) {
        done += static_cast<std::uint32_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return IoFailure(fd, errno, done);
      // The output buffer is full (a slow line or flow control holding it):
      // wait for room. A line that takes nothing for this long is dead.
      pollfd p1{fd, POLLOUT, 0};
      const int r = ::poll(&p1, 1, 5000);
      if (r < 0 && errno == EINTR) continue;
      if (r < 0) return IoFailure(fd, errno, done);
      if (r > 0 && (p1.revents & (POLLERR | POLLHUP | POLLNVAL))) return IoFailure(fd, EIO, done);
      if (r == 0) {
        IoResult stuck = IoFailure(fd, ETIMEDOUT, done);
        stuck.reason.text = "the line took nothing for 5 seconds (flow control holding it?)";
        return stuck;
      }
    }
    return {count, true, {}};
  }

  IoResult Read(Handle h, void* data, std::uint32_t count) override {
    if (count == 0) return {};
    for (;;) {
      const ssize_t n = ::read(Fd(h), data, count);
      if (n >= 0) return {static_cast<std::uint32_t>(n), true, {}};
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return {};
      return IoFailure(Fd(h), errno, 0);
    }
  }

  std::uint32_t BytesWaiting(Handle h) override {
    int n = 0;
    if (::ioctl(Fd(h), FIONREAD, &n) != 0 || n < 0) return 0;
    return static_cast<std::uint32_t>(n);
  }

  bool LineGone(Handle h) override { return Gone(Fd(h)); }

  void Close(Handle h) override {
    const int fd = Fd(h);
    RestoreSettings(fd);
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);  // also drops the flock
  }

  void WaitReadable(Handle h, int timeoutMs) override {
    if (timeoutMs <= 0) return;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (h > 0) {
      pollfd p{Fd(h), POLLIN, 0};
      int r;
      do {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        r = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
      } while (r < 0 && errno == EINTR);
      if (r == 0) return;
      if (r > 0) {
        if (!(p.revents & (POLLHUP | POLLERR | POLLNVAL))) return;
        // A hung-up tty reports itself readable too, at once and on every
        // call. Return only for bytes that really wait; else sleep so that
        // the caller's loop does not spin on a dead line.
        if (BytesWaiting(h) > 0) return;
      }
    }
    std::this_thread::sleep_until(deadline);
  }

  // The descriptor itself: poll, or a QSocketNotifier, wakes on its input.
  WaitHint Hint(Handle h) override { return {h > 0 ? h : 0, -1}; }
};

}  // namespace

bool TermiosFromDcb(const DcbRecord& dcb, termios& t, Reason* reason) {
  ::cfmakeraw(&t);
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | PARMRK | IGNPAR);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
#ifdef CMSPAR
  t.c_cflag &= ~static_cast<tcflag_t>(CMSPAR);
#endif
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;

  const speed_t speed = SpeedFor(dcb.BaudRate);
  if (speed == B0 || ::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0) {
    Fill(reason, EINVAL);
    if (reason != nullptr) reason->text = "unsupported speed " + std::to_string(dcb.BaudRate);
    return false;
  }
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  if (dcb.ByteSize < 5 || dcb.ByteSize > 8) return Fail(reason, EINVAL);
  t.c_cflag |= kSizes[dcb.ByteSize - 5];
  switch (dcb.Parity) {
    case 0:  // none
      break;
    case 1:  // odd
      t.c_cflag |= PARENB | PARODD;
      break;
    case 2:  // even
      t.c_cflag |= PARENB;
      break;
#ifdef CMSPAR
    case 3:  // mark
      t.c_cflag |= PARENB | CMSPAR | PARODD;
      break;
    case 4:  // space
      t.c_cflag |= PARENB | CMSPAR;
      break;
#endif
    default:
      return Fail(reason, EINVAL);
  }
  switch (dcb.StopBits) {
    case 0:
      break;
    case 1:  // 1.5 stop bits: termios knows only 1 and 2
    case 2:
      t.c_cflag |= CSTOPB;
      break;
    default:
      return Fail(reason, EINVAL);
  }
  // Bytes with a parity or framing error pass unchanged unless the record
  // asks for replacement; the kernel then puts a NUL in their place (termios
  // cannot substitute a chosen character).
  if (dcb.Flags & dcb::fErrorChar) t.c_iflag |= INPCK;

  const std::uint32_t rtsControl = (dcb.Flags >> 12) & 3;
  if ((dcb.Flags & dcb::fOutxCtsFlow) || rtsControl == 2) t.c_cflag |= CRTSCTS;
  if (dcb.Flags & dcb::fOutX) t.c_iflag |= IXON;
  if (dcb.Flags & dcb::fInX) t.c_iflag |= IXOFF;
  t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
  // DSR flow control (fOutxDsrFlow, fDsrSensitivity) has no termios form.

  return true;
}

}  // namespace quelt::comm

namespace quelt {

Line& DeviceLine() {
  static comm::PosixLine line;
  return line;
}

}  // namespace quelt
