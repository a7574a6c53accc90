// SerialPort's own logic, the same on every platform: the device control
// block it builds for the analyser's line, port names, and what it does while
// no port is open.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "link/serial_port.h"

namespace quelt {
namespace {

// A port number that exists nowhere: "\\.\COM250"; on Linux no number
// names a device.
constexpr std::int32_t kMissingPort = 250;

std::array<std::uint8_t, 28> Bytes(const DcbRecord& dcb) {
  std::array<std::uint8_t, 28> out{};
  std::memcpy(out.data(), &dcb, out.size());
  return out;
}

TEST(SerialTest, DevicePathForPortNumbers) {
  SerialPort s;
  s.SetPortNumber(12);
#ifdef _WIN32
  EXPECT_EQ(s.PathToOpen(), "\\\\.\\COM12");
  s.SetPortNumber(7);
  EXPECT_EQ(s.PathToOpen(), "\\\\.\\COM7");
#else
  // COM numbers are a Windows notion: Linux opens the path discovery found.
  EXPECT_EQ(s.PathToOpen(), "");
  s.SetPortNumber(1);
  EXPECT_EQ(s.PathToOpen(), "");
#endif
  s.SetDevicePath("/dev/pts/5");
  EXPECT_EQ(s.PathToOpen(), "/dev/pts/5");
}

TEST(SerialTest, FailedOpenLeavesNoHandle) {
  SerialPort s;
  s.SetPortNumber(kMissingPort);
  s.Open();
  EXPECT_TRUE(s.lastCallFailed());
  EXPECT_EQ(s.handle(), 0);
  EXPECT_FALSE(s.isOpen());
  EXPECT_EQ(s.lastReason().text, "device not found");
}

// What the control block holds: the analyser's line, 9600 baud 8N1 without
// flow control and with line errors passed on as received, byte for byte as
// the Win32 DCB holds it. Built whether or not a port took it, and the same
// again when it is built again (DTR and RTS dropped until raised).
TEST(SerialTest, ControlBlockHoldsTheAnalysersLine) {
  const std::array<std::uint8_t, 28> expected = {
      0x1c, 0,    0,  0,      // DCBlength 28
      0x80, 0x25, 0,  0,      // 9600
      0x01, 0,    0,  0,      // fBinary only: no parity check, flow control or error char
      0,    0,                // wReserved
      0x00, 0x02,             // XonLim 512
      0x00, 0x06,             // XoffLim 1536
      8,    0,    0,          // ByteSize, Parity none, StopBits one
      17,   19,   63, 26, 0,  // XonChar, XoffChar, ErrorChar, EofChar, EvtChar
      0,    0,                // wReserved1
  };
  SerialPort s;
  EXPECT_EQ(Bytes(s.controlBlock()), (std::array<std::uint8_t, 28>{})) << "nothing before";
  s.ApplySettings();
  EXPECT_TRUE(s.lastCallFailed()) << "no handle to apply it to";
  EXPECT_FALSE(s.isOpen());
  EXPECT_EQ(s.lastReason().text, "port not open");
  EXPECT_EQ(Bytes(s.controlBlock()), expected);
  s.SetPortNumber(kMissingPort);
  s.Open();
  s.ApplySettings();
  EXPECT_EQ(Bytes(s.controlBlock()), expected);
}

TEST(SerialTest, NothingHappensWhileNotOpen) {
  for (bool failedBefore : {false, true}) {
    SerialPort s;
    if (failedBefore) {
      s.SetPortNumber(kMissingPort);
      s.Open();
    }
    s.SetDtr(true);
    s.SetRts(true);
    s.WriteByte(13);
    const char text[] = "R001";
    s.Write(text, 4);
    std::uint8_t buffer[4] = {1, 2, 3, 4};
    EXPECT_EQ(s.Read(buffer, 4), 0u);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(s.ReadByte(), 0);
    EXPECT_EQ(s.BytesWaiting(), 0u);
    EXPECT_FALSE(s.HasInput());
    s.Close();
    EXPECT_EQ(s.lastCallFailed(), failedBefore);
    EXPECT_EQ(s.controlBlock().Flags, 0u);
    EXPECT_EQ(s.handle(), 0);
    EXPECT_FALSE(s.isOpen());
  }
}

}  // namespace
}  // namespace quelt
