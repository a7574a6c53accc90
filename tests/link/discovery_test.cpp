// FindUsbComPort over a registry table: which key is read, in what order, and
// how a "PortName" becomes a port number.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "link/discovery.h"

namespace quelt {
namespace {

const std::string kFirstKey =
    "\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10C4&Pid_830F&Mi_00\\0001_00\\Device Parameters\\";
const std::string kSecondKey =
    "\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10C4&Pid_830F\\0001\\Device Parameters\\";

class TableRegistry : public RegistryReader {
 public:
  std::map<std::string, RegistryValue> keys;
  std::vector<std::string> reads;

  RegistryValue ReadString(const std::string& keyPath, const std::string& valueName) override {
    reads.push_back(keyPath);
    EXPECT_EQ(valueName, "PortName");
    const auto it = keys.find(keyPath);
    return it == keys.end() ? RegistryValue{} : it->second;
  }
};

RegistryValue Text(const char* text) { return {RegistryValue::Status::Text, text}; }
RegistryValue Failure() { return {RegistryValue::Status::Failure, ""}; }

TEST(DiscoveryTest, PortNameRules) {
  struct Case {
    const char* name;
    std::optional<RegistryValue> first, second;
    std::int32_t port;
    std::size_t reads;
  };
  const Case cases[] = {
      {"COM3", Text("COM3"), std::nullopt, 3, 1},
      {"COM12", Text("COM12"), std::nullopt, 12, 1},
      {"COM99", Text("COM99"), std::nullopt, 99, 1},
      {"COM100 out of range", Text("COM100"), std::nullopt, 0, 2},
      {"COM100 then second", Text("COM100"), Text("COM4"), 4, 2},
      {"COM0 then second", Text("COM0"), Text("COM4"), 4, 2},
      {"COM alone", Text("COM"), std::nullopt, 0, 2},
      {"empty value", Text(""), Text("COM6"), 6, 2},
      {"prefix skipped", Text("ABC5"), std::nullopt, 5, 1},
      {"only 4 characters", Text("COM12345"), Text("COM8"), 8, 2},
      {"lenient number", Text("COM 7"), std::nullopt, 7, 1},
      {"first wins", Text("COM7"), Text("COM8"), 7, 1},
      {"no first key", std::nullopt, Text("COM9"), 9, 2},
      {"neither key", std::nullopt, std::nullopt, 0, 2},
      {"failure ends lookup", Failure(), Text("COM4"), 0, 1},
      {"failure at second", Text("COM0"), Failure(), 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TableRegistry registry;
    if (c.first) registry.keys[kFirstKey] = *c.first;
    if (c.second) registry.keys[kSecondKey] = *c.second;
    EXPECT_EQ(FindUsbComPort(registry, "10C4", "830F", "0001"), c.port);
    ASSERT_EQ(registry.reads.size(), c.reads);
    EXPECT_EQ(registry.reads[0], kFirstKey);
    if (c.reads > 1) {
      EXPECT_EQ(registry.reads[1], kSecondKey);
    }
  }
}

TEST(DiscoveryTest, KeysCarryTheArguments) {
  TableRegistry registry;
  EXPECT_EQ(FindUsbComPort(registry, "ABCD", "0042", "7"), 0);
  EXPECT_EQ(registry.reads,
            (std::vector<std::string>{
                "\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_ABCD&Pid_0042&Mi_00\\7_00\\Device "
                "Parameters\\",
                "\\SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_ABCD&Pid_0042\\7\\Device Parameters\\",
            }));
}

}  // namespace
}  // namespace quelt
