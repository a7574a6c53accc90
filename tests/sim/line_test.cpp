// The line between the tool's connections: reopening, the tool's exclusive
// open and its settings, and bytes sent out of turn.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>

#include "sim/sim.h"
#include "tests/sim/slave_port.h"

namespace quelt::test {
namespace {

// errno of an open by another, unprivileged user (0: it succeeded).
int OpenAsOtherUser(const std::string& path) {
  if (::geteuid() != 0) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) return errno;
    ::close(fd);
    return 0;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) _exit(250);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    _exit(fd < 0 ? errno : 0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SimLine, AnswersAcrossManyConnections) {
  sim::Analyser analyser;
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    SlavePort port(analyser.DevicePath());
    if (round == 2) continue;  // open and close without a word
    EXPECT_EQ(port.Ask(""), "QUELT\r");
    EXPECT_EQ(port.Ask("R005"), "20\r");
  }
  EXPECT_EQ(analyser.Transcript().size(), 10u);
}

TEST(SimLine, TheToolsExclusiveOpenStillExcludes) {
  sim::Analyser analyser;
  const std::string path = analyser.DevicePath();
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  {
    SlavePort tool(path);
    ASSERT_EQ(::flock(tool.Fd(), LOCK_EX | LOCK_NB), 0) << "the simulator holds no lock";
    ASSERT_EQ(::ioctl(tool.Fd(), TIOCEXCL), 0);
    EXPECT_EQ(OpenAsOtherUser(path), EBUSY);
    const int second = ::open(path.c_str(), O_RDWR | O_NOCTTY);  // root passes TIOCEXCL
    if (second >= 0) {
      EXPECT_NE(::flock(second, LOCK_EX | LOCK_NB), 0) << "but not the lock";
      ::close(second);
    }
    EXPECT_EQ(tool.Ask("R001"), "QUELT 300\r");
    ::ioctl(tool.Fd(), TIOCNXCL);
  }
  EXPECT_EQ(OpenAsOtherUser(path), 0) << "free again once the tool let go";
}

TEST(SimLine, RawFromTheStartAndTheToolsSettingsStay) {
  sim::Analyser analyser;
  termios want{};
  {
    const int fd = ::open(analyser.DevicePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios t{};
    ASSERT_EQ(::tcgetattr(fd, &t), 0);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | IXON), 0u) << "a CR arrives as CR";
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    // Settings of the tool's own, unlike the simulator's.
    t.c_iflag |= IGNPAR;
    t.c_cflag &= ~static_cast<tcflag_t>(HUPCL);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 3;
    ::cfsetspeed(&t, B4800);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
    ASSERT_EQ(::tcgetattr(fd, &want), 0);
    ASSERT_EQ(::write(fd, "R001\r", 5), 5);
    ASSERT_TRUE(analyser.WaitForCommands(1, 5000));
    ::close(fd);
  }
  const int fd = ::open(analyser.DevicePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios got{};
  ::tcgetattr(fd, &got);
  ::close(fd);
  EXPECT_EQ(got.c_iflag, want.c_iflag);
  EXPECT_EQ(got.c_oflag, want.c_oflag);
  EXPECT_EQ(got.c_cflag, want.c_cflag);
  EXPECT_EQ(got.c_lflag, want.c_lflag);
  EXPECT_EQ(::cfgetispeed(&got), static_cast<speed_t>(B4800));
  EXPECT_EQ(got.c_cc[VMIN], 0);
  EXPECT_EQ(got.c_cc[VTIME], 3);
}

TEST(SimLine, InjectedBytesReachTheTool) {
  sim::Analyser analyser;
  SlavePort port(analyser.DevicePath());
  analyser.Inject("\x06stray\r\n");
  EXPECT_EQ(port.Read(8), "\x06stray\r\n");
  EXPECT_TRUE(analyser.Transcript().empty());
}

}  // namespace
}  // namespace quelt::test
