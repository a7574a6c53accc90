// The window keeps the trace of its session: within its bound, header kept;
// "Save a trace for support..." writes it to a new file and never over one,
// and a save that failed says so in a box and in the log. The box of a
// failed Refresh or Send, and About, offer the same save.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <vector>

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

TEST_F(SessionTraces, TheBoxesOfAFailedTransferAndAboutOfferTheTrace) {
  using control::Answer;
  using control::Buttons;
  struct Case {
    const char* what;
    const char* silentOn;  // the analyser's fault, "" for none
    Command command;
    std::deque<Answer> answers;
    std::vector<Buttons> boxes;
    const char* traced;  // the saved trace ends with the operation's outcome
  } cases[] = {
      {"Refresh",
       "R40102",
       Command::Refresh,
       {Answer::SaveTrace},
       {Buttons::SaveTraceOk},
       " outcome "},
      // The restore question comes back once the trace is saved.
      {"Send",
       "W4012;",
       Command::Send,
       {Answer::SaveTrace, Answer::Close},
       {Buttons::RestoreSaveTraceClose, Buttons::RestoreSaveTraceClose},
       " outcome no reply"},
      {"About", "", Command::About, {Answer::SaveTrace}, {Buttons::SaveTraceOk}, " outcome "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim::Config config;
    config.rows = RowsWithIds({101, 102, 103});
    Start(config);
    if (c.command != Command::Refresh) Refresh();
    sim::Faults faults;
    faults.silentOnPrefix = c.silentOn;
    analyser->SetFaults(faults);
    const auto path = TestDir() / (std::string(c.what) + ".trace");
    std::filesystem::remove(path);
    face.boxes.clear();
    face.files = {path};
    face.answers = c.answers;
    window.Do(c.command);
    ASSERT_EQ(face.boxes.size(), c.boxes.size());
    for (std::size_t i = 0; i < c.boxes.size(); ++i) EXPECT_EQ(face.boxes[i].buttons, c.boxes[i]);
    const std::string saved = Slurp(path);
    const std::size_t last = saved.rfind('\n', saved.size() - 2);
    EXPECT_NE(saved.find(c.traced, last), std::string::npos) << saved.substr(last);
  }
}

}  // namespace
}  // namespace quelt::test
