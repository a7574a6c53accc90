// The one reader of the programs' command lines: the forms every program
// takes and the faults it names.
#include "text/command_line.h"

#include <gtest/gtest.h>

namespace quelt::test {
namespace {

constexpr OptionSpec kOptions[] = {{"--port", true}, {"--demo", false}};

struct Case {
  std::vector<std::string> args;
  std::string options;  // name=value pairs read, space separated
  std::string operands;
  std::string error;
};

std::string Joined(const CommandLine& line) {
  std::string out;
  for (const auto& o : line.options) out += (out.empty() ? "" : " ") + o.name + "=" + o.value;
  return out;
}

TEST(CommandLine, ReadsTheSameFormsInEveryProgram) {
  const Case cases[] = {
      {{"--port", "COM7", "read"}, "--port=COM7", "read", ""},
      {{"read", "--port=/dev/ttyUSB0"}, "--port=/dev/ttyUSB0", "read", ""},
      {{"--port=a=b"}, "--port=a=b", "", ""},  // only the first '=' splits
      {{"--port", "a", "--port", "b"}, "--port=a --port=b", "", ""},
      {{"write", "-"}, "", "write -", ""},
      {{"--", "--demo", "-h"}, "", "--demo -h", ""},
      {{"-h"}, "--help=", "", ""},
      {{"--version", "--demo"}, "--version= --demo=", "", ""},
      {{"--port"}, "", "", "--port needs a value"},
      {{"--port="}, "", "", "--port needs a value"},
      {{"--demo=yes"}, "", "", "--demo takes no value"},
      {{"--bogus"}, "", "", "unknown option '--bogus'"},
      {{"--bogus=1"}, "", "", "unknown option '--bogus'"},
      {{"-bogus"}, "", "", "unknown option '-bogus'"},
      {{"--help", "--bogus"}, "--help=", "", "unknown option '--bogus'"},
  };
  for (const Case& c : cases) {
    const CommandLine line = ParseCommandLine(c.args, kOptions);
    std::string operands;
    for (const auto& o : line.operands) operands += (operands.empty() ? "" : " ") + o;
    EXPECT_EQ(line.error, c.error) << c.args[0];
    if (!c.error.empty()) continue;
    EXPECT_EQ(Joined(line), c.options) << c.args[0];
    EXPECT_EQ(operands, c.operands) << c.args[0];
  }
}

TEST(CommandLine, LeavesSingleDashOptionsToAToolkitWhenAsked) {
  const CommandLine line =
      ParseCommandLine({"-platform", "offscreen", "--demo"}, kOptions, ForeignOptions::kKeep);
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.foreign, std::vector<std::string>{"-platform"});
  EXPECT_TRUE(line.Has("--demo"));
  EXPECT_EQ(line.Value("--port"), std::nullopt);
}

}  // namespace
}  // namespace quelt::test
