// The window keeps the trace of its session: within its bound, header kept;
// "Save a trace for support..." writes it to a new file and never over one,
// and a save that failed says so in a box and in the log.
#include <gtest/gtest.h>

#include <filesystem>

#include "control/session_trace.h"
#include "tests/control/controller_fixture.h"

namespace quelt::test {
namespace {

using control::Command;

class SessionTraces : public ControllerFixture {
 protected:
  void Refresh() {
    face.answers = {control::Answer::Discard};
    window.Do(Command::Refresh);
  }
};

TEST_F(SessionTraces, TheBoundHoldsAndTheHeaderStays) {
  Start(RowsWithIds({101, 102, 103}));
  control::SessionTrace small(link, 2000);
  for (int i = 0; i < 3; ++i) Refresh();
  const std::string text = small.Text();
  EXPECT_EQ(text.rfind(LineTrace::FormatLine() + "\n", 0), 0u);
  EXPECT_NE(text.find("older lines dropped"), std::string::npos);
  EXPECT_LE(text.size(), 2000u + 200u);  // the events and the header's few lines
  // The newest events are the ones kept: the last Refresh closed the port.
  EXPECT_EQ(text.substr(text.size() - 7), " close\n");
}

TEST_F(SessionTraces, SavedToANewFileOnlyAndAFailureIsReported) {
  Start(RowsWithIds({101, 102, 103}));
  Refresh();
  const auto path = TestDir() / "support.trace";
  std::filesystem::remove(path);
  face.files = {path};
  window.Do(Command::SaveTrace);
  const std::string saved = Slurp(path);
  EXPECT_EQ(saved.rfind(LineTrace::FormatLine() + "\n", 0), 0u);
  EXPECT_NE(saved.find(" operation Refresh\n"), std::string::npos);
  EXPECT_NE(saved.find(" reply R001 = QUELT 300\n"), std::string::npos);
  EXPECT_TRUE(face.boxes.empty());

  // The file dialog confirmed replacing it; the trace still never does.
  const auto taken = WriteFile("taken.trace", "the user's file\n");
  face.files = {taken};
  window.Do(Command::SaveTrace);
  EXPECT_EQ(Slurp(taken), "the user's file\n");
  ASSERT_EQ(face.boxes.size(), 1u);
  EXPECT_EQ(face.boxes[0].kind, control::MessageKind::Error);
  EXPECT_NE(face.boxes[0].text.find("The trace was not saved"), std::string::npos);
  EXPECT_NE(face.log.back().find("The trace was not saved"), std::string::npos);
}

}  // namespace
}  // namespace quelt::test
