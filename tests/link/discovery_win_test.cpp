// Discovery in the real Win32 registry, run under Wine on the keys that
// tests/windows/wine_prefix.sh writes; the port found is the echo peer's.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "link/discovery.h"
#include "link/serial_port.h"

namespace quelt {
namespace {

std::int32_t EnvNumber(const char* name) {
  const char* text = std::getenv(name);
  return text != nullptr ? std::atoi(text) : 0;
}

std::string Key(const std::string& device) {
  return "\\SYSTEM\\CurrentControlSet\\Enum\\USB\\" + device + "\\Device Parameters\\";
}

TEST(DiscoveryWinTest, FindsTheBridgeAndOpensWhatItFound) {
  const std::int32_t expected = EnvNumber("QUELT_TEST_BRIDGE_COM");
  ASSERT_GT(expected, 0) << "QUELT_TEST_BRIDGE_COM must give the port the bridge key names";
  const std::int32_t port = FindUsbComPort(kBridgeVendorId, kBridgeProductId, kBridgeInstance);
  EXPECT_EQ(port, expected);

  SerialPort s;
  s.SetPortNumber(port);
  s.Open();
  ASSERT_FALSE(s.lastCallFailed()) << s.lastReason().text;
  s.ApplySettings();
  ASSERT_TRUE(s.isOpen()) << s.lastReason().text;
  s.Write("R001\r", 5);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (s.BytesWaiting() < 5 && std::chrono::steady_clock::now() < deadline) {
    s.WaitReadable(100);
  }
  char reply[8] = {};
  EXPECT_EQ(s.Read(reply, sizeof reply), 5u);
  EXPECT_EQ(std::string(reply), "R001\r");
  s.Close();
}

TEST(DiscoveryWinTest, EntriesOfEveryKind) {
  struct Case {
    const char* product;
    std::int32_t port;
  };
  const Case cases[] = {
      {"0001", 12},  // only the second key
      {"0002", 0},   // first key's value is a number: the lookup ends
      {"0003", 7},   // first key without PortName, second key
      {"0004", 8},   // expandable string
      {"0005", 0},   // no keys
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindUsbComPort("ABCD", c.product, "0001"), c.port) << c.product;
  }
}

TEST(DiscoveryWinTest, RegistryReaderStatuses) {
  RegistryReader& registry = SystemRegistry();
  RegistryValue v = registry.ReadString(Key("Vid_ABCD&Pid_0001\\0001"), "PortName");
  EXPECT_EQ(v.status, RegistryValue::Status::Text);
  EXPECT_EQ(v.text, "COM12");
  v = registry.ReadString(Key("Vid_ABCD&Pid_0003&Mi_00\\0001_00"), "PortName");
  EXPECT_EQ(v.status, RegistryValue::Status::Text);
  EXPECT_EQ(v.text, "");
  v = registry.ReadString(Key("Vid_ABCD&Pid_0002&Mi_00\\0001_00"), "PortName");
  EXPECT_EQ(v.status, RegistryValue::Status::Failure);
  v = registry.ReadString(Key("Vid_ABCD&Pid_0009\\0001"), "PortName");
  EXPECT_EQ(v.status, RegistryValue::Status::NoKey);
}

}  // namespace
}  // namespace quelt
