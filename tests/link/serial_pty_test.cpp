// SerialPort on a real pseudo-terminal: the tool opens the slave side, the test
// plays the analyser on the master side and checks the bytes on the wire.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "link/line_posix.h"
#include "link/serial_port.h"
#include "tests/support/refusing_line.h"

namespace quelt {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class Pty {
 public:
  Pty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    path_ = ptsname(master_);
  }
  ~Pty() { HangUp(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  const std::string& Path() const { return path_; }

  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  // Reads until `count` bytes came or a generous time-out ran out.
  std::string Receive(std::size_t count) {
    std::string out;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (out.size() < count && Clock::now() < deadline) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char buffer[256];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      out.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
  }

  void HangUp() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string path_;
};

int OpenDescriptors() {
  int n = 0;
  if (DIR* d = ::opendir("/proc/self/fd")) {
    while (::readdir(d) != nullptr) ++n;
    ::closedir(d);
  }
  return n;
}

termios Attributes(const SerialPort& s) {
  termios t{};
  EXPECT_EQ(::tcgetattr(static_cast<int>(s.handle()), &t), 0);
  return t;
}

// Waits, as the link does, until `count` bytes are waiting.
bool WaitForInput(SerialPort& s, std::uint32_t count) {
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (s.BytesWaiting() < count) {
    if (Clock::now() > deadline) return false;
    s.WaitReadable(100);
  }
  return true;
}

class SerialPtyTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(pty.Path().empty()) << "no pseudo-terminal"; }

  void OpenAndConfigure(SerialPort& s) {
    s.SetDevicePath(pty.Path());
    s.Open();
    ASSERT_FALSE(s.lastCallFailed()) << s.lastReason().text;
    ASSERT_FALSE(s.isOpen());
    ASSERT_GT(s.handle(), 0);
    s.ApplySettings();
    ASSERT_FALSE(s.lastCallFailed()) << s.lastReason().text;
    ASSERT_TRUE(s.isOpen());
  }

  Pty pty;
};

TEST_F(SerialPtyTest, ConfiguresTheLineAndDrivesModemBits) {
  SerialPort s;
  OpenAndConfigure(s);
  termios t = Attributes(s);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS | HUPCL), 0u);
  EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP | INPCK), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_cc[VMIN], 0);
  EXPECT_EQ(t.c_cc[VTIME], 0);

  // A pseudo-terminal has no modem lines; raising them must still succeed.
  EXPECT_EQ(s.controlBlock().Flags, 0x1u);
  s.SetDtr(true);
  EXPECT_FALSE(s.lastCallFailed()) << s.lastReason().text;
  EXPECT_EQ(s.controlBlock().Flags, 0x11u);
  s.SetRts(true);
  EXPECT_FALSE(s.lastCallFailed()) << s.lastReason().text;
  EXPECT_EQ(s.controlBlock().Flags, 0x1011u);
  s.SetDtr(false);
  EXPECT_EQ(s.controlBlock().Flags, 0x1001u);
  // Applying again rebuilds the flags: with no flow control both lines drop.
  s.ApplySettings();
  EXPECT_FALSE(s.lastCallFailed());
  EXPECT_EQ(s.controlBlock().Flags, 0x1u);
  s.Close();
}

// A control block as termios. Checked apart from a tty because a Linux
// pseudo-terminal forces 8 data bits and no parity whatever it is told. The
// tool sends only the analyser's 8N1 (SerialTest), but the mapping takes any
// record the Win32 DCB can hold.
DcbRecord Record(std::uint32_t baud, std::uint8_t dataBits, std::uint8_t parity,
                 std::uint8_t stopBits, std::uint32_t flags) {
  DcbRecord r;
  r.DCBlength = sizeof r;
  r.BaudRate = baud;
  r.Flags = flags;
  r.ByteSize = dataBits;
  r.Parity = parity;
  r.StopBits = stopBits;
  r.XonChar = 17;
  r.XoffChar = 19;
  return r;
}

TEST(SerialTermiosTest, LineSettingsMapToTermios) {
  struct Case {
    const char* name;
    std::uint32_t baud;
    std::uint8_t dataBits, parity, stopBits;
    std::uint32_t flags;
    speed_t speed;
    tcflag_t cflagOn, cflagOff, iflagOn, iflagOff;
  };
  const tcflag_t allParity = PARENB | PARODD | CMSPAR;
  const Case cases[] = {
      {"8N1", 9600, 8, 0, 0, 0x1, B9600, CS8 | CLOCAL | CREAD, allParity | CSTOPB | CRTSCTS | HUPCL,
       0, IXON | IXOFF | INPCK | ICRNL | ISTRIP},
      {"7E1 19200", 19200, 7, 2, 0, 0x3, B19200, CS7 | PARENB, PARODD | CMSPAR | CSTOPB, 0, INPCK},
      {"8O1", 9600, 8, 1, 0, 0x3, B9600, CS8 | PARENB | PARODD, CMSPAR, 0, 0},
      {"8M1", 9600, 8, 3, 0, 0x3, B9600, CS8 | allParity, 0, 0, 0},
      {"8S1", 9600, 8, 4, 0, 0x3, B9600, CS8 | PARENB | CMSPAR, PARODD, 0, 0},
      {"5N2", 115200, 5, 0, 2, 0x1, B115200, CS5 | CSTOPB, allParity, 0, 0},
      {"6N1.5", 1200, 6, 0, 1, 0x1, B1200, CS6 | CSTOPB, allParity, 0, 0},
      {"XON/XOFF", 9600, 8, 0, 0, 0x301, B9600, CS8, CRTSCTS, IXON | IXOFF, 0},
      {"RTS/CTS", 9600, 8, 0, 0, 0x2005, B9600, CS8 | CRTSCTS, 0, 0, IXON | IXOFF},
      {"DTR/DSR", 9600, 8, 0, 0, 0x69, B9600, CS8, CRTSCTS, 0, IXON | IXOFF},
      {"error char", 9600, 8, 2, 0, 0x403, B9600, CS8 | PARENB, 0, INPCK, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    termios t{};
    t.c_iflag = ICRNL | IXANY | INPCK;  // leftovers of a cooked tty
    t.c_lflag = ICANON | ECHO | ISIG;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = HUPCL | CS8 | PARENB | CSTOPB;
    ASSERT_TRUE(comm::TermiosFromDcb(Record(c.baud, c.dataBits, c.parity, c.stopBits, c.flags), t,
                                     nullptr));
    EXPECT_EQ(cfgetospeed(&t), c.speed);
    EXPECT_EQ(cfgetispeed(&t), c.speed);
    EXPECT_EQ(t.c_cflag & CSIZE, c.cflagOn & CSIZE);
    EXPECT_EQ(t.c_cflag & c.cflagOn, c.cflagOn) << std::hex << t.c_cflag;
    EXPECT_EQ(t.c_cflag & (c.cflagOff | HUPCL), 0u) << std::hex << t.c_cflag;
    EXPECT_EQ(t.c_iflag & c.iflagOn, c.iflagOn) << std::hex << t.c_iflag;
    EXPECT_EQ(t.c_iflag & (c.iflagOff | IXANY), 0u) << std::hex << t.c_iflag;
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(t.c_cc[VSTART], 17);
    EXPECT_EQ(t.c_cc[VSTOP], 19);
  }
}

TEST(SerialTermiosTest, RefusesWhatTermiosCannotDo) {
  struct Case {
    const char* name;
    std::uint32_t baud;
    std::uint8_t dataBits, parity, stopBits;
  };
  const Case cases[] = {
      {"14400 baud", 14400, 8, 0, 0}, {"0 baud", 0, 8, 0, 0},      {"4 data bits", 9600, 4, 0, 0},
      {"9 data bits", 9600, 9, 0, 0}, {"parity 5", 9600, 8, 5, 0}, {"stop bits 3", 9600, 8, 0, 3},
  };
  for (const Case& c : cases) {
    termios t{};
    comm::Reason reason;
    EXPECT_FALSE(
        comm::TermiosFromDcb(Record(c.baud, c.dataBits, c.parity, c.stopBits, 0x1), t, &reason))
        << c.name;
    EXPECT_FALSE(reason.text.empty()) << c.name;
  }
}

TEST_F(SerialPtyTest, BytesCrossTheLineUnchangedBothWays) {
  SerialPort s;
  OpenAndConfigure(s);
  s.SetDtr(true);
  s.SetRts(true);

  // NUL, 0xFF, CR, LF, the XON/XOFF and EOF characters and a Windows-1252
  // umlaut: nothing may be translated, swallowed or added.
  const std::string out("R\x00\xff\r\n\x11\x13\x1a\xe4", 9);
  s.Write(out.data(), static_cast<std::uint32_t>(out.size() - 1));
  EXPECT_FALSE(s.lastCallFailed());
  s.WriteByte(static_cast<std::uint8_t>(out.back()));
  EXPECT_FALSE(s.lastCallFailed());
  EXPECT_EQ(pty.Receive(out.size()), out);

  const std::string in(
      "\x00"
      "12;34\r\n\xff\x11\x13",
      11);
  pty.Send(in);
  ASSERT_TRUE(WaitForInput(s, static_cast<std::uint32_t>(in.size())));
  EXPECT_TRUE(s.HasInput());
  std::string got(1, static_cast<char>(s.ReadByte()));
  char buffer[64] = {};
  const std::uint32_t n = s.Read(buffer, sizeof buffer);  // only what waits
  got.append(buffer, n);
  EXPECT_EQ(got, in);

  // Nothing waits now: reads return at once with nothing.
  EXPECT_EQ(s.BytesWaiting(), 0u);
  EXPECT_FALSE(s.HasInput());
  EXPECT_EQ(s.ReadByte(), 0);
  EXPECT_EQ(s.Read(buffer, sizeof buffer), 0u);
  s.Close();
}

TEST_F(SerialPtyTest, PortIsExclusiveUntilClosed) {
  SerialPort first;
  OpenAndConfigure(first);

  SerialPort second;
  second.SetDevicePath(pty.Path());
  second.Open();
  EXPECT_TRUE(second.lastCallFailed());
  EXPECT_EQ(second.handle(), 0);
  EXPECT_EQ(second.lastReason().text, "in use by another program");

  // A second Open on the open port is refused and leaves it working.
  const comm::Handle handle = first.handle();
  first.Open();
  EXPECT_TRUE(first.lastCallFailed());
  EXPECT_TRUE(first.isOpen());
  EXPECT_EQ(first.handle(), handle);
  first.WriteByte('A');
  EXPECT_FALSE(first.lastCallFailed());
  EXPECT_EQ(pty.Receive(1), "A");

  first.Close();
  EXPECT_FALSE(first.isOpen());
  EXPECT_EQ(first.handle(), 0);
  first.ApplySettings();  // no handle after Close
  EXPECT_TRUE(first.lastCallFailed());
  EXPECT_FALSE(first.isOpen());

  OpenAndConfigure(second);
  second.Close();
}

// Open works but configuring fails: the handle must not stay behind holding
// the exclusive port while the port reads as closed.
TEST_F(SerialPtyTest, FailedConfigurationReleasesThePort) {
  const int before = OpenDescriptors();
  test::RefusingStateLine refusing(DeviceLine());
  SerialPort s;
  s.UseLine(refusing);
  s.SetDevicePath(pty.Path());
  s.Open();
  ASSERT_FALSE(s.lastCallFailed());
  s.ApplySettings();
  EXPECT_TRUE(s.lastCallFailed());
  EXPECT_FALSE(s.isOpen());
  EXPECT_EQ(s.handle(), 0);
  EXPECT_EQ(s.lastReason().text, "Invalid argument");
  EXPECT_EQ(OpenDescriptors(), before);

  SerialPort other;  // the port is free for anyone
  OpenAndConfigure(other);
  other.Close();

  refusing.refuse = false;  // and the next attempt starts again with Open
  OpenAndConfigure(s);
  s.Close();
}

// Closing puts back the settings the line had before the open, whatever
// happened in between: a terminal named by mistake (--port /dev/tty) must not
// be left raw.
TEST_F(SerialPtyTest, CloseRestoresTheSettingsFoundAtOpen) {
  const int keep = ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(keep, 0);
  termios before{};
  ASSERT_EQ(::tcgetattr(keep, &before), 0);
  before.c_lflag |= ICANON | ECHO | ISIG;
  before.c_iflag |= ICRNL | IXON;
  before.c_oflag |= OPOST | ONLCR;
  before.c_cc[VMIN] = 1;
  before.c_cc[VTIME] = 0;
  ASSERT_EQ(::cfsetspeed(&before, B19200), 0);
  ASSERT_EQ(::tcsetattr(keep, TCSANOW, &before), 0);
  ASSERT_EQ(::tcgetattr(keep, &before), 0);

  struct Case {
    const char* name;
    bool openTwice, configureTwice, refused;
  };
  const Case cases[] = {
      {"configured", false, false, false},
      {"configured twice", false, true, false},
      {"opened twice first", true, false, false},
      {"configuration refused", false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::RefusingStateLine line(DeviceLine());
    line.refuse = c.refused;
    SerialPort s;
    s.UseLine(line);
    s.SetDevicePath(pty.Path());
    s.Open();
    if (c.openTwice) s.Open();
    ASSERT_FALSE(s.lastCallFailed()) << s.lastReason().text;
    s.ApplySettings();
    if (c.configureTwice) s.ApplySettings();
    s.SetDtr(true);
    s.SetRts(true);
    termios during{};
    ASSERT_EQ(::tcgetattr(keep, &during), 0);
    EXPECT_EQ((during.c_lflag & ICANON) == 0, s.isOpen()) << "raw while in use";
    s.Close();

    termios after{};
    ASSERT_EQ(::tcgetattr(keep, &after), 0);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(::cfgetispeed(&after), static_cast<speed_t>(B19200));
    EXPECT_EQ(::cfgetospeed(&after), static_cast<speed_t>(B19200));
    EXPECT_EQ(after.c_cc[VMIN], 1);
    EXPECT_EQ(after.c_cc[VTIME], 0);
  }
  ::close(keep);
}

TEST_F(SerialPtyTest, FailedReconfigurationKeepsTheOpenPort) {
  test::RefusingStateLine line(DeviceLine());
  line.refuse = false;
  SerialPort s;
  s.UseLine(line);
  OpenAndConfigure(s);
  line.refuse = true;
  s.ApplySettings();
  EXPECT_TRUE(s.lastCallFailed());
  EXPECT_TRUE(s.isOpen());
  EXPECT_NE(s.handle(), 0);
  s.WriteByte('B');
  EXPECT_FALSE(s.lastCallFailed());
  EXPECT_EQ(pty.Receive(1), "B");
  s.Close();
}

TEST_F(SerialPtyTest, OpenAgainBeforeConfiguringDropsTheFirstHandle) {
  const int before = OpenDescriptors();
  SerialPort s;
  s.SetDevicePath(pty.Path());
  s.Open();
  ASSERT_FALSE(s.lastCallFailed());
  s.Open();
  EXPECT_FALSE(s.lastCallFailed()) << s.lastReason().text;
  EXPECT_EQ(OpenDescriptors(), before + 1);
  s.ApplySettings();
  EXPECT_TRUE(s.isOpen());
  s.Close();
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST_F(SerialPtyTest, RefusedOpens) {
  struct Case {
    const char* path;
    const char* reason;
  };
  const Case cases[] = {
      {"/dev/quelt-no-such-tty", "device not found"},
      {"/dev/null", "not a serial port"},
  };
  for (const Case& c : cases) {
    SerialPort s;
    s.SetDevicePath(c.path);
    s.Open();
    EXPECT_TRUE(s.lastCallFailed()) << c.path;
    EXPECT_EQ(s.handle(), 0) << c.path;
    EXPECT_EQ(s.lastReason().text, c.reason);
    EXPECT_FALSE(s.lastReason().permission);
  }
}

TEST_F(SerialPtyTest, DeadLineNeitherHangsNorSpins) {
  SerialPort s;
  OpenAndConfigure(s);

  pty.Send("x");
  auto start = Clock::now();
  s.WaitReadable(10000);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << "input did not end the wait";
  EXPECT_EQ(s.ReadByte(), 'x');

  pty.HangUp();
  // poll reports the hang-up at once; the wait must sleep its time instead.
  start = Clock::now();
  s.WaitReadable(200);
  EXPECT_GE(Clock::now() - start, milliseconds(190));
  EXPECT_EQ(s.BytesWaiting(), 0u);
  EXPECT_EQ(s.ReadByte(), 0);
  s.WriteByte('y');
  EXPECT_TRUE(s.lastCallFailed());
  // The write says why, as a user can act on it: the tty hung up.
  EXPECT_EQ(s.lastReason().text, "Input/output error");
  EXPECT_TRUE(s.lastReason().gone);
  s.Close();
  EXPECT_FALSE(s.isOpen());
}

}  // namespace
}  // namespace quelt
