// The line trace: bytes come back exactly from their escapes, a trace file
// never replaces one, and a reader refuses what is no trace of its format.
// (The window's bound on its memory: tests/control/session_trace_test.cpp.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "link/line_trace.h"

namespace quelt::test {
namespace {

namespace fs = std::filesystem;

// A folder of this run's own (the test runs under Wine too).
fs::path Folder() {
  static const fs::path dir = [] {
    const fs::path d =
        fs::temp_directory_path() / ("quelt-trace-test-" + std::to_string(std::random_device{}()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}
std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(LineTrace, EscapesComeBackByteForByte) {
  const std::string cases[] = {"R401 01\r", std::string("A\0B", 3), "\\x41", "\n\xFF\x7F", ""};
  for (const std::string& bytes : cases) {
    const std::string text = TraceEscape(bytes);
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(TraceUnescape(text), bytes) << text;
  }
  EXPECT_EQ(TraceEscape("a\\b\r"), "a\\x5Cb\\x0D");
  for (const char* bad : {"\\x4", "\\y41", "\\xZZ", "end\\"}) {
    EXPECT_FALSE(TraceUnescape(bad).has_value()) << bad;
  }
}

TEST(LineTrace, AFileIsNeverReplaced) {
  const std::string path = (Folder() / "taken.trace").string();
  std::ofstream(path, std::ios::binary) << "the user's file\n";
  std::string error;
  EXPECT_EQ(FileTraceSink::Create(path, &error), nullptr);
  EXPECT_NE(error.find("exists already"), std::string::npos) << error;
  EXPECT_EQ(Slurp(path), "the user's file\n");
  const std::string fresh = (Folder() / "fresh.trace").string();
  {
    auto sink = FileTraceSink::Create(fresh, &error);
    ASSERT_NE(sink, nullptr) << error;
    LineTrace trace(*sink, "quelt-fuel-cli", "9.9");
    trace.Outcome("exit 0");
    // Written as it happens: a program that dies leaves its trace.
    EXPECT_NE(Slurp(fresh).find(" outcome exit 0\n"), std::string::npos);
  }
}

TEST(LineTrace, AReaderRefusesWhatIsNoTraceOfItsFormat) {
  std::string error;
  EXPECT_FALSE(ReadTraceEvents("Row 1: 1;1;Oil\n", &error));
  EXPECT_FALSE(ReadTraceEvents("# quelt-fuel line trace, format 2\n", &error));
  EXPECT_NE(error.find("format 2"), std::string::npos);
  EXPECT_FALSE(ReadTraceEvents(LineTrace::FormatLine() + "\n12\n", &error));
  EXPECT_NE(error.find("line 2"), std::string::npos);
}

}  // namespace
}  // namespace quelt::test
