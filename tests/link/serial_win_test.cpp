// SerialPort over the real Win32 calls, run under Wine: COM port QUELT_TEST_COM
// is a pseudo-terminal whose far end echoes every byte (tests/windows).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "link/serial_port.h"
#include "tests/support/refusing_line.h"

namespace quelt {
namespace {

using Clock = std::chrono::steady_clock;

std::int32_t EchoPort() {
  const char* text = std::getenv("QUELT_TEST_COM");
  return text != nullptr ? std::atoi(text) : 0;
}

// Writes `bytes` and reads as many back, waiting as the link does.
std::string Echo(SerialPort& s, const std::string& bytes) {
  s.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  EXPECT_FALSE(s.lastCallFailed());
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (s.BytesWaiting() < bytes.size() && Clock::now() < deadline) {
    s.WaitReadable(100);
  }
  std::string got;
  if (s.HasInput()) got += static_cast<char>(s.ReadByte());
  char buffer[256];
  const std::uint32_t n = s.Read(buffer, sizeof buffer);
  got.append(buffer, n);
  return got;
}

class SerialWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port = EchoPort();
    ASSERT_GT(port, 0) << "QUELT_TEST_COM must name the COM port an echo peer answers on";
  }

  void OpenAndConfigure(SerialPort& s) {
    s.Open();
    ASSERT_FALSE(s.lastCallFailed()) << s.PathToOpen() << ": " << s.lastReason().text;
    ASSERT_NE(s.handle(), 0);
    ASSERT_FALSE(s.isOpen());
    s.ApplySettings();
    ASSERT_FALSE(s.lastCallFailed()) << s.lastReason().text;
    ASSERT_TRUE(s.isOpen());
  }

  std::int32_t port = 0;
};

TEST_F(SerialWinTest, BytesMakeTheRoundTripUnchanged) {
  SerialPort s;
  s.SetPortNumber(port);
  OpenAndConfigure(s);
  s.SetDtr(true);
  EXPECT_FALSE(s.lastCallFailed()) << s.lastReason().text;
  s.SetRts(true);
  EXPECT_FALSE(s.lastCallFailed()) << s.lastReason().text;
  EXPECT_EQ(s.controlBlock().Flags, 0x1011u);

  const std::string bytes("R\x00\xff\r\n\x11\x13\x1a\xe4;12,5", 14);
  EXPECT_EQ(Echo(s, bytes), bytes);
  EXPECT_EQ(Echo(s, "\r"), "\r");

  // Nothing waits: the reads return at once instead of waiting for input.
  EXPECT_EQ(s.BytesWaiting(), 0u);
  EXPECT_FALSE(s.HasInput());
  EXPECT_EQ(s.ReadByte(), 0);
  char buffer[8];
  EXPECT_EQ(s.Read(buffer, sizeof buffer), 0u);

  s.Close();
  EXPECT_FALSE(s.isOpen());
  EXPECT_EQ(s.handle(), 0);
}

TEST_F(SerialWinTest, ClosedPortOpensAgainByNameAsTyped) {
  SerialPort s;
  s.SetPortNumber(port);
  OpenAndConfigure(s);
  s.Close();
  // A device given by the user: "COMn" without the "\\.\" prefix.
  for (const std::string& name : {"COM" + std::to_string(port), "com" + std::to_string(port)}) {
    SerialPort t;
    t.SetDevicePath(name);
    OpenAndConfigure(t);
    EXPECT_EQ(Echo(t, "R001\r"), "R001\r") << name;
    t.Close();
  }
}

// A control block the port refuses: configuring fails, and the port must
// not stay held while it reads as closed.
TEST_F(SerialWinTest, FailedConfigurationReleasesThePort) {
  test::RefusingStateLine refusing(DeviceLine());
  SerialPort s;
  s.UseLine(refusing);
  s.SetPortNumber(port);
  s.Open();
  ASSERT_FALSE(s.lastCallFailed()) << s.lastReason().text;
  s.ApplySettings();
  EXPECT_TRUE(s.lastCallFailed());
  EXPECT_FALSE(s.isOpen());
  EXPECT_EQ(s.handle(), 0);
  EXPECT_FALSE(s.lastReason().text.empty());

  SerialPort other;  // the port is free for anyone
  other.SetPortNumber(port);
  OpenAndConfigure(other);
  other.Close();

  refusing.refuse = false;
  OpenAndConfigure(s);
  EXPECT_EQ(Echo(s, "ok"), "ok");
  s.Close();
}

TEST(SerialWinPortTest, MissingPortIsNotFound) {
  SerialPort s;
  s.SetPortNumber(77);  // no device behind it in the test prefix
  s.Open();
  EXPECT_TRUE(s.lastCallFailed());
  EXPECT_EQ(s.handle(), 0);
  EXPECT_EQ(s.lastReason().text, "device not found");
}

}  // namespace
}  // namespace quelt
