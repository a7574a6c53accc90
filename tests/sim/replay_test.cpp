// Replay: a command in its place gets the bytes recorded after it at their
// delays (scaled), split and framed as recorded; one out of place, or past
// the trace's end, gets silence and a complaint that says where.
#include <gtest/gtest.h>

#include "link/line_trace.h"
#include "sim/replay.h"

namespace quelt::test {
namespace {

using std::chrono::milliseconds;

const std::string kTrace = LineTrace::FormatLine() +
                           "\n# program: quelt-fuel-cli 9.9\n"
                           "0 open /dev/ttyUSB0 9600 8N1 flags 0x1011 DTR RTS\n"
                           "10 > R001\\x0D\n"
                           "40 < QUEL\n"
                           "60 < T 300\\x0D\\x0A\\x00\n"
                           "60 reply R001 = QUELT 300\n"
                           "70 > R402\\x0D\n"
                           "1070 timeout R402 = \n"
                           "1100 < 15;\\x0D\n";

TEST(Replay, PlaysTheRecordedBytesAtTheirDelays) {
  std::string error;
  auto steps = sim::ReplaySteps(kTrace, &error);
  ASSERT_TRUE(steps) << error;
  ASSERT_EQ(steps->size(), 2u);
  sim::Replayer replayer(std::move(*steps), 2.0);  // twice as fast
  const auto t0 = sim::Replayer::Clock::now();
  EXPECT_FALSE(replayer.Command("R001", t0));
  EXPECT_EQ(replayer.Due(t0 + milliseconds(14)), "");
  EXPECT_EQ(replayer.Due(t0 + milliseconds(15)), "QUEL");
  EXPECT_EQ(replayer.Due(t0 + milliseconds(25)), std::string("T 300\r\n\0", 8));
  EXPECT_FALSE(replayer.NextDue());
  // The late bytes of a time-out come as late as they came.
  EXPECT_FALSE(replayer.Command("R402", t0));
  EXPECT_EQ(replayer.Due(t0 + milliseconds(514)), "");
  EXPECT_EQ(replayer.Due(t0 + milliseconds(515)), "15;\r");
}

TEST(Replay, ACommandOutOfPlaceGetsSilenceAndSaysWhere) {
  std::string error;
  sim::Replayer replayer(*sim::ReplaySteps(kTrace, &error), 1.0);
  const auto t0 = sim::Replayer::Clock::now();
  const auto wrong = replayer.Command("R004", t0);
  ASSERT_TRUE(wrong);
  EXPECT_EQ(*wrong,
            "command 1 \"R004\": the trace has \"R001\" there (line 4); answered with silence");
  EXPECT_FALSE(replayer.NextDue());
  EXPECT_FALSE(replayer.Command("R001", t0));
  EXPECT_FALSE(replayer.Command("R402", t0));
  const auto past = replayer.Command("R401 01", t0);
  ASSERT_TRUE(past);
  EXPECT_NE(past->find("no more commands"), std::string::npos);
}

}  // namespace
}  // namespace quelt::test
