// The command exchange on a real pseudo-terminal: framing, time-outs counted
// in ticks, the sticky failure, discovery on Connect, Drain, a line that
// dies in the middle of a wait, and a tool killed while it sends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>

#include "link/clock_pump.h"
#include "link/exchange.h"
#include "sim/sim.h"
#include "tests/support/pty_peer.h"
#include "tests/support/scripted_pump.h"

namespace quelt {
namespace {

class ExchangeTest : public ::testing::Test {
 protected:
  ExchangeTest() {
    pump.onTick = [this] { glb.Timer1Timer(); };
    glb.PortOverride = peer.DevicePath();
  }
  test::PtyPeer peer;
  test::ScriptedPump pump;
  TGlb glb{pump};
};

TEST_F(ExchangeTest, CommandGoesOutWithCrAndReplyEndsAtCr) {
  pump.stepsPerTick = 1000;
  peer.Write("QUELT 300\r");
  glb.Exchange("R001");
  EXPECT_EQ(peer.ReadAvailable(), "R001\r");
  EXPECT_FALSE(glb.Failed);
  EXPECT_EQ(glb.Reply, "QUELT 300");
  EXPECT_EQ(glb.LastByte, 13);

  // An empty command is the CR alone; a bare CR is an empty, successful reply.
  peer.Write("\r");
  glb.Exchange("");
  EXPECT_EQ(peer.ReadAvailable(), "\r");
  EXPECT_FALSE(glb.Failed);
  EXPECT_EQ(glb.Reply, "");
  EXPECT_GT(glb.TicksLeft, 0);
}

TEST_F(ExchangeTest, BytesAfterTheCrStartTheNextReply) {
  pump.stepsPerTick = 1000;
  peer.Write(std::string("12;34\r\nab\0\xff\r", 11));
  glb.Exchange("A");
  EXPECT_EQ(glb.Reply, "12;34");
  glb.Exchange("B");
  EXPECT_EQ(glb.Reply, std::string("\nab\0\xff", 5));  // LF and NUL kept as they came
}

TEST_F(ExchangeTest, ReplyCompletedOnTheLastTickStillCounts) {
  // One tick per pass: a reply read in passes 1..3 and closed in pass 4
  // leaves 10 - 3 ticks, since the CR is seen before that pass's events.
  pump.stepsPerTick = 1;
  peer.Write("abc\r");
  glb.Exchange("X");
  EXPECT_FALSE(glb.Failed);
  EXPECT_EQ(glb.Reply, "abc");
  EXPECT_EQ(glb.TicksLeft, 7);

  // Nine bytes and the CR: the CR arrives in pass 10 after nine ticks.
  peer.Write("123456789\r");
  glb.Exchange("Y");
  EXPECT_FALSE(glb.Failed);
  EXPECT_EQ(glb.TicksLeft, 1);

  // Ten bytes before the CR: the tenth tick ends the wait first.
  peer.Write("0123456789\r");
  glb.Exchange("Z");
  EXPECT_TRUE(glb.Failed);
  EXPECT_EQ(glb.TicksLeft, 0);
  EXPECT_EQ(glb.Reply, "0123456789");
}

TEST_F(ExchangeTest, SilenceFailsAfterTenTicksAndKeepsThePartialReply) {
  pump.stepsPerTick = 3;
  peer.Write("part");
  glb.Exchange("R004");
  EXPECT_TRUE(glb.Failed);
  EXPECT_EQ(glb.TicksLeft, 0);
  EXPECT_EQ(glb.Reply, "part");
  EXPECT_EQ(pump.ticks, 10);
  EXPECT_TRUE(glb.Serial.IsOpen) << "a time-out leaves the port open";
  peer.ReadAvailable();

  // Failed is sticky: nothing is sent, Reply empties, TicksLeft stays.
  glb.TicksLeft = 4;
  glb.Exchange("R002");
  EXPECT_EQ(peer.ReadAvailable(), "");
  EXPECT_EQ(glb.Reply, "");
  EXPECT_EQ(glb.TicksLeft, 4);
  glb.Drain();
  EXPECT_EQ(glb.TicksLeft, 4);

  // Connect on the open port clears the failure and looks nothing up.
  int lookups = 0;
  glb.Discover = [&] { return ++lookups, PortAt("/dev/ttyUSB6"); };
  glb.Connect();
  EXPECT_FALSE(glb.Failed);
  EXPECT_EQ(lookups, 0);
}

TEST_F(ExchangeTest, DrainEndsAtZeroAndReadsAtMostOneBytePerPass) {
  pump.stepsPerTick = 3;
  peer.Write("xyz\rleft");
  glb.Drain();
  EXPECT_EQ(glb.TicksLeft, 0);
  EXPECT_FALSE(glb.Failed);
  // Three passes until the tick, one byte each: "xyz" is gone, the rest waits
  // for the next replies.
  peer.Write("\r");
  glb.Exchange("Q");
  EXPECT_EQ(glb.Reply, "");
  glb.Exchange("Q");
  EXPECT_EQ(glb.Reply, "left");
}

TEST(ExchangeDiscovery, EveryConnectLooksAgainAfterAFailedDiscovery) {
  test::ScriptedPump pump;
  TGlb glb(pump);
  pump.onTick = [&] { glb.Timer1Timer(); };
  pump.stepsPerTick = 1;
  int lookups = 0;
  glb.Discover = [&] { return ++lookups, FoundPort{}; };
  glb.Connect();
  EXPECT_TRUE(glb.Failed);
  EXPECT_EQ(glb.PortNumber, 0);
  glb.Connect();
  EXPECT_EQ(lookups, 2);

  // Exchange on a port that never opened waits out its ten ticks.
  glb.Exchange("R001");
  EXPECT_TRUE(glb.Failed);
  EXPECT_EQ(glb.Reply, "");
  glb.Failed = false;
  glb.Exchange("R001");
  EXPECT_EQ(lookups, 3);
  EXPECT_TRUE(glb.Failed);
  EXPECT_EQ(glb.TicksLeft, 0);
  EXPECT_EQ(glb.PortText(), "");

  // The bridge is plugged in: the next Connect opens the device found and
  // names it by its path (a Linux port has no number).
  test::PtyPeer peer;
  glb.Discover = [&] { return ++lookups, PortAt(peer.DevicePath()); };
  glb.Failed = false;
  glb.Connect();
  EXPECT_FALSE(glb.Failed) << glb.ConnectProblem();
  EXPECT_TRUE(glb.Serial.IsOpen);
  EXPECT_EQ(glb.PortText(), peer.DevicePath());
  EXPECT_EQ(glb.PortNumber, 0);
}

TEST(ExchangeDiscovery, MissingDeviceIsNamedInTheProblem) {
  test::ScriptedPump pump;
  TGlb glb(pump);
  glb.PortOverride = "/dev/quelt-no-such-port";
  glb.Connect();
  EXPECT_TRUE(glb.Failed);
  EXPECT_NE(glb.ConnectProblem().find("/dev/quelt-no-such-port"), std::string::npos);
  EXPECT_FALSE(glb.Serial.IsOpen);
}

TEST(ExchangeClock, AbortEndsTheWaitAtOnce) {
  test::PtyPeer peer;
  ClockPump pump;
  TGlb glb(pump);
  pump.SetTickHandler([&] {
    glb.Timer1Timer();
    glb.Abort();  // the window is closing
  });
  glb.PortOverride = peer.DevicePath();
  glb.Exchange("R402");
  EXPECT_TRUE(glb.Failed);
  EXPECT_EQ(glb.TicksLeft, 0);
  EXPECT_LE(pump.Ticks(), 2);
  glb.Failed = false;
  glb.Exchange("R401");  // still aborted: nothing goes out
  EXPECT_TRUE(glb.Failed);
}

TEST(ExchangeClock, APulledCableEndsInATimeOutWithoutSpinning) {
  test::PtyPeer peer;
  ClockPump pump;
  TGlb glb(pump);
  pump.SetTickHandler([&] { glb.Timer1Timer(); });
  glb.PortOverride = peer.DevicePath();
  glb.Connect();
  ASSERT_FALSE(glb.Failed);
  peer.HangUp();
  const std::clock_t cpu0 = std::clock();
  const long long ticks0 = pump.Ticks();
  glb.Exchange("R001");
  const double cpuSeconds = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
  EXPECT_TRUE(glb.Failed);
  EXPECT_EQ(glb.TicksLeft, 0);
  // Nothing can arrive on a line that went away: the wait ends without
  // running into the reply time-out, and says why.
  EXPECT_LT(pump.Ticks() - ticks0, TGlb::kReplyTicks);
  EXPECT_EQ(glb.ConnectProblem().rfind("The analyser's port went away (", 0), 0u)
      << glb.ConnectProblem();
  // A one-second wait that polled flat out would burn the whole second.
  EXPECT_LT(cpuSeconds, 0.5);
  glb.Disconnect();
}

// A tool killed while it sends a command must leave none of it on the line:
// the next session's wake-up CR would complete the fragment into a command
// nobody sent (a W401 storing half a row). The command is as long as the
// longest row a W401 can carry (30-character fields throughout), so that
// byte by byte it would take hundreds of writes and the kill would land
// inside; one write of it always reaches the line whole.
TEST(ExchangeKill, AToolKilledMidCommandLeavesNoFragment) {
  sim::Analyser analyser;
  const std::string command =
      "W4011;2147483647;" + std::string(30, 'x') + ";" + std::string(7 * 31, '9') + ";-32768;";
  // The kill skips the tool's TIOCNXCL; the simulator keeps the tty alive, so
  // its exclusive flag would outlive the tool. Clear it as a release would.
  const int keep = ::open(analyser.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(keep, 0);
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    analyser.ClearTranscript();
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ClockPump pump;
      TGlb glb(pump);
      pump.SetTickHandler([&] { glb.Timer1Timer(); });
      glb.PortOverride = analyser.DevicePath();
      glb.Exchange(command);
      _exit(0);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (analyser.PendingInput().empty() && analyser.Transcript().empty() &&
           std::chrono::steady_clock::now() < deadline) {
      ::usleep(50);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ::ioctl(keep, TIOCNXCL);

    ClockPump pump;
    TGlb next(pump);
    pump.SetTickHandler([&] { next.Timer1Timer(); });
    next.PortOverride = analyser.DevicePath();
    next.Exchange("");
    next.Disconnect();
    analyser.WaitForCommands(2, 10000);
    const auto got = analyser.Transcript();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0].size(), command.size()) << "the wake-up CR completed a fragment";
    EXPECT_TRUE(got[0] == command);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1], "") << "the wake-up";
    EXPECT_EQ(analyser.PendingInput(), "");
  }
  ::close(keep);
}

}  // namespace
}  // namespace quelt
