// SerialPort's own logic, the same on every platform: creation values, the
// device control block it builds, and what it does while no port is open.
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

TEST(SerialTest, CreationValues) {
  SerialPort s;
  EXPECT_FALSE(s.IsOpen);
  EXPECT_FALSE(s.Error);
  EXPECT_EQ(s.Handle, 0);
  EXPECT_EQ(s.Port, 1);
  EXPECT_EQ(s.BaudRate, 9600u);
  EXPECT_EQ(s.DataBits, 8);
  EXPECT_EQ(s.Parity, 0);
  EXPECT_EQ(s.StopBits, 0);
  EXPECT_EQ(s.FlowControl, 0);
  EXPECT_EQ(s.InQueueSize, 2048u);
  EXPECT_EQ(s.OutQueueSize, 2048u);
  EXPECT_TRUE(s.RawErrors);
  EXPECT_EQ(s.CurrentInQueue, 0u);
  EXPECT_EQ(Bytes(s.Dcb), (std::array<std::uint8_t, 28>{}));
}

TEST(SerialTest, DevicePathForPortNumbers) {
  SerialPort s;
  s.Port = 12;
#ifdef _WIN32
  EXPECT_EQ(s.PathToOpen(), "\\\\.\\COM12");
  s.Port = 7;
  EXPECT_EQ(s.PathToOpen(), "\\\\.\\COM7");
#else
  // COM numbers are a Windows notion: Linux opens the path discovery found.
  EXPECT_EQ(s.PathToOpen(), "");
  s.Port = 1;
  EXPECT_EQ(s.PathToOpen(), "");
#endif
  s.DevicePath = "/dev/pts/5";
  EXPECT_EQ(s.PathToOpen(), "/dev/pts/5");
}

TEST(SerialTest, FailedOpenLeavesNoHandle) {
  SerialPort s;
  s.Port = kMissingPort;
  s.Open();
  EXPECT_TRUE(s.Error);
  EXPECT_EQ(s.Handle, 0);
  EXPECT_FALSE(s.IsOpen);
  EXPECT_EQ(s.CurrentInQueue, 2048u);  // set whether or not the open worked
  EXPECT_EQ(s.LastReason.text, "device not found");
}

// The whole 28-byte record as the Win32 DCB would hold it, after a (failed)
// Open has set CurrentInQueue with the creation values.
TEST(SerialTest, DcbBytesWithCreationValues) {
  SerialPort s;
  s.Port = kMissingPort;
  s.Open();
  s.ApplySettings();
  EXPECT_TRUE(s.Error);  // no handle to apply it to
  EXPECT_FALSE(s.IsOpen);
  const std::array<std::uint8_t, 28> expected = {
      0x1c, 0,    0,  0,      // DCBlength 28
      0x80, 0x25, 0,  0,      // 9600
      0x01, 0,    0,  0,      // fBinary only
      0,    0,                // wReserved
      0x00, 0x02,             // XonLim 512
      0x00, 0x06,             // XoffLim 1536
      8,    0,    0,          // ByteSize, Parity, StopBits
      17,   19,   63, 26, 0,  // XonChar, XoffChar, ErrorChar, EofChar, EvtChar
      0,    0,                // wReserved1
  };
  EXPECT_EQ(Bytes(s.Dcb), expected);
}

TEST(SerialTest, FlagsWordIsRebuiltFromSettings) {
  struct Case {
    std::uint8_t flow;
    std::uint16_t parity;
    bool rawErrors;
    std::uint32_t flags;
  };
  const Case cases[] = {
      {0, 0, true, 0x1},    {1, 0, true, 0x301},   {2, 0, true, 0x2005},
      {3, 0, true, 0x69},   {0, 2, true, 0x3},     {1, 1, true, 0x303},
      {0, 0, false, 0x401}, {2, 0, false, 0x2405}, {3, 4, false, 0x46b},
  };
  for (const Case& c : cases) {
    SerialPort s;
    // Stale bits from an earlier call must not survive.
    s.Dcb.Flags = 0xffffffff;
    s.FlowControl = c.flow;
    s.Parity = c.parity;
    s.RawErrors = c.rawErrors;
    s.ApplySettings();
    EXPECT_EQ(s.Dcb.Flags, c.flags)
        << "flow " << int(c.flow) << " parity " << c.parity << " raw " << c.rawErrors;
    EXPECT_EQ(s.Dcb.Parity, c.parity);
  }
}

TEST(SerialTest, CharacterFormatAndLimitsTakeLowBits) {
  struct Case {
    std::uint32_t inQueue;
    std::uint16_t xonLim, xoffLim;
  };
  const Case cases[] = {
      {0, 0, 0},
      {4, 1, 3},
      {2048, 512, 1536},
      {70000, 17500, 52500},
      // Both limits wrap to 16 bits: 100000/4 = 25000, 100000-25000 = 75000.
      {100000, 25000, 9464},
  };
  for (const Case& c : cases) {
    SerialPort s;
    s.CurrentInQueue = c.inQueue;
    s.ApplySettings();
    EXPECT_EQ(s.Dcb.XonLim, c.xonLim) << c.inQueue;
    EXPECT_EQ(s.Dcb.XoffLim, c.xoffLim) << c.inQueue;
  }
  SerialPort s;
  s.DataBits = 0x107;
  s.Parity = 0x102;
  s.StopBits = 0x202;
  s.BaudRate = 115200;
  s.ApplySettings();
  EXPECT_EQ(s.Dcb.ByteSize, 7);
  EXPECT_EQ(s.Dcb.Parity, 2);
  EXPECT_EQ(s.Dcb.StopBits, 2);
  EXPECT_EQ(s.Dcb.BaudRate, 115200u);
}

TEST(SerialTest, ApplySettingsBeforeOpenFails) {
  SerialPort s;
  s.ApplySettings();
  EXPECT_TRUE(s.Error);
  EXPECT_FALSE(s.IsOpen);
  EXPECT_EQ(s.Dcb.XonLim, 0);
  EXPECT_EQ(s.Dcb.XoffLim, 0);
  EXPECT_EQ(s.Dcb.DCBlength, 28u);
}

TEST(SerialTest, NothingHappensWhileNotOpen) {
  for (bool error : {false, true}) {
    SerialPort s;
    s.Error = error;
    s.Dcb.Flags = 0x1;
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
    EXPECT_EQ(s.Error, error);
    EXPECT_EQ(s.Dcb.Flags, 0x1u);
    EXPECT_EQ(s.Handle, 0);
    EXPECT_FALSE(s.IsOpen);
  }
}

TEST(SerialTest, OpenWhileOpenIsRefusedAndChangesNothing) {
  SerialPort s;
  s.IsOpen = true;  // as after Open and ApplySettings
  s.Handle = 1234;
  s.CurrentInQueue = 2048;
  s.InQueueSize = 4096;
  s.Open();
  EXPECT_TRUE(s.Error);
  EXPECT_TRUE(s.IsOpen);
  EXPECT_EQ(s.Handle, 1234);
  EXPECT_EQ(s.CurrentInQueue, 2048u);
  s.IsOpen = false;  // the handle is made up: never let anything close it
  s.Handle = 0;
}

}  // namespace
}  // namespace quelt
