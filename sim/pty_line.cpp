#include "sim/pty_line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <system_error>

namespace quelt::sim {
namespace {

[[noreturn]] void Fail(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Waits for the wake-up descriptor alone; the pause used while the master
// reports a hang-up, so a closed slave never turns the loop into a spin.
bool PauseUnlessWoken(int wakeFd, int ms) {
  pollfd p{wakeFd, POLLIN, 0};
  return ::poll(&p, 1, ms) > 0 && (p.revents & POLLIN);
}

}  // namespace

PtyLine::PtyLine() {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) Fail("posix_openpt");
  // Close-on-exec everywhere: a child process (the tool under test) must not
  // keep the pair alive after a hang-up.
  ::fcntl(master_, F_SETFD, FD_CLOEXEC);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    const int e = errno;
    CloseFd(master_);
    errno = e;
    Fail("grantpt/unlockpt");
  }
  char name[PATH_MAX] = {};
  if (::ptsname_r(master_, name, sizeof name) != 0) {
    const int e = errno;
    CloseFd(master_);
    errno = e;
    Fail("ptsname_r");
  }
  slavePath_ = name;

  // Our own slave descriptor: while any slave descriptor is open the master
  // never reports a hang-up, so the tool may close and reopen the port
  // between operations. It never reads (the tool's input stays the tool's),
  // never locks, and touches the settings only here, before the tool opens.
  heldSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (heldSlave_ < 0) {
    const int e = errno;
    CloseFd(master_);
    errno = e;
    Fail("open slave");
  }
  // Raw from the start: a CR must never become LF before the tool has set
  // the line up itself.
  termios t{};
  if (::tcgetattr(heldSlave_, &t) == 0) {
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(HUPCL);
    ::tcsetattr(heldSlave_, TCSANOW, &t);
  }

  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) {
    const int e = errno;
    CloseFd(heldSlave_);
    CloseFd(master_);
    errno = e;
    Fail("eventfd");
  }
}

PtyLine::~PtyLine() {
  HangUp();
  CloseFd(wakeFd_);
}

PtyLine::ReadResult PtyLine::Read(std::string& out, int timeoutMs) {
  // Only the reading thread closes the master (HangUp), so master_ is
  // stable here without the lock.
  if (master_ < 0) return ReadResult::kClosed;
  pollfd fds[2] = {{master_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
  const int r = ::poll(fds, 2, timeoutMs);
  if (r < 0) return ReadResult::kIdle;  // EINTR: the caller loops
  if (r == 0) return ReadResult::kIdle;
  if (fds[1].revents & POLLIN) {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto n = ::read(wakeFd_, &count, sizeof count);
    return ReadResult::kWoken;
  }
  if (fds[0].revents & POLLIN) {
    char buf[4096];
    const ssize_t n = ::read(master_, buf, sizeof buf);
    if (n > 0) {
      out.append(buf, static_cast<std::size_t>(n));
      return ReadResult::kData;
    }
    if (n < 0 && errno != EIO) return ReadResult::kIdle;
  }
  // No slave descriptor open (EIO, POLLHUP): Linux keeps reporting that
  // until the tool opens the port again. Wait a little instead of spinning.
  if (fds[0].revents & (POLLHUP | POLLERR | POLLIN)) {
    return PauseUnlessWoken(wakeFd_, 20) ? ReadResult::kWoken : ReadResult::kIdle;
  }
  return ReadResult::kIdle;
}

bool PtyLine::Write(const char* data, std::size_t size, int roomTimeoutMs) {
  std::lock_guard lock(mutex_);
  while (size > 0) {
    if (master_ < 0) return false;
    const ssize_t n = ::write(master_, data, size);
    if (n > 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    // The tool's input queue is full: wait for it to read, but not forever.
    pollfd p{master_, POLLOUT, 0};
    if (::poll(&p, 1, roomTimeoutMs) <= 0 || !(p.revents & POLLOUT)) return false;
  }
  return true;
}

void PtyLine::HangUp() {
  std::lock_guard lock(mutex_);
  // Closing the master hangs up every slave descriptor and removes the
  // device node; our own slave descriptor goes with it.
  CloseFd(master_);
  CloseFd(heldSlave_);
}

bool PtyLine::IsClosed() const {
  std::lock_guard lock(mutex_);
  return master_ < 0;
}

void PtyLine::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const auto n = ::write(wakeFd_, &one, sizeof one);
}

}  // namespace quelt::sim
