// The port list in the real Win32 registry, run under Wine on the keys that
// tests/windows/wine_prefix.sh writes: SERIALCOMM entries, a friendly name,
// the bridge's key. Wine lists ports of its own there too; only the
// prefix's are checked, in their order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "link/port_list.h"

namespace quelt {
namespace {

TEST(PortListWinTest, TheBridgeFirstThenNaturalOrderWithFriendlyNames) {
  const char* bridgeText = std::getenv("QUELT_TEST_BRIDGE_COM");
  ASSERT_NE(bridgeText, nullptr);
  const std::string bridge = std::string("COM") + bridgeText;

  const std::vector<PortEntry> all = ListSerialPorts();
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all.front().device, bridge);
  EXPECT_TRUE(all.front().bridge);

  struct Expected {
    std::string device;
    std::string name;
    bool bridge;
  };
  const std::vector<Expected> expected = {
      {bridge, bridge, true},
      {"COM2", "COM2", false},
      {"COM10", "COM10", false},  // written "com10": capitals
      {"COM12", "Test adapter (COM12)", false},
  };
  std::set<std::string> mine;
  for (const Expected& e : expected) mine.insert(e.device);
  std::vector<PortEntry> seen;
  for (const PortEntry& p : all) {
    if (mine.count(p.device) != 0) seen.push_back(p);
  }
  ASSERT_EQ(seen.size(), expected.size()) << "a port twice, or one missing";
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(seen[i].device, expected[i].device) << i;
    EXPECT_EQ(seen[i].name, expected[i].name) << i;
    EXPECT_EQ(seen[i].bridge, expected[i].bridge) << i;
  }
  for (const PortEntry& p : all) {
    EXPECT_NE(p.device, "LPT1") << "only COM ports are listed";
  }
}

}  // namespace
}  // namespace quelt
