// The command exchange on a real pseudo-terminal: framing, time-outs counted
// in ticks, the sticky failure, discovery on Connect, Drain and its quiet
// window, a line whose write or read fails, and a tool killed while it sends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include "link/analyser_link.h"
#include "link/clock_pump.h"
#include "link/forwarding_line.h"
#include "sim/inprocess_line.h"
#include "sim/sim.h"
#include "tests/support/pty_peer.h"
#include "tests/support/scripted_pump.h"

namespace quelt {
namespace {

class ExchangeTest : public ::testing::Test {
 protected:
  ExchangeTest() { link.SetPortOverride(peer.DevicePath()); }
  test::PtyPeer peer;
  test::ScriptedPump pump;
  AnalyserLink link{pump};
};

TEST_F(ExchangeTest, CommandGoesOutWithCrAndReplyEndsAtCr) {
  pump.stepsPerTick = 1000;
  peer.Write("QUELT 300\r");
  link.Exchange("R001");
  EXPECT_EQ(peer.ReadAvailable(), "R001\r");
  EXPECT_FALSE(link.failed());
  EXPECT_EQ(link.reply(), "QUELT 300");
  EXPECT_EQ(link.lastByte(), 13);

  // An empty command is the CR alone; a bare CR is an empty, successful reply.
  peer.Write("\r");
  link.Exchange("");
  EXPECT_EQ(peer.ReadAvailable(), "\r");
  EXPECT_FALSE(link.failed());
  EXPECT_EQ(link.reply(), "");
  EXPECT_GT(link.ticksLeft(), 0);
}

TEST_F(ExchangeTest, BytesAfterTheCrStartTheNextReply) {
  pump.stepsPerTick = 1000;
  peer.Write(std::string("12;34\r\n\0ab\0\n\xff\r", 14));
  link.Exchange("A");
  EXPECT_EQ(link.reply(), "12;34");
  link.Exchange("B");
  // The LF and NUL the last reply left in front are framing; inside, kept.
  EXPECT_EQ(link.reply(), std::string("ab\0\n\xff", 5));
}

TEST_F(ExchangeTest, ReplyCompletedOnTheLastTickStillCounts) {
  // One tick per pass: a reply read in passes 1..3 and closed in pass 4
  // leaves 10 - 3 ticks, since the CR is seen before that pass's events.
  pump.stepsPerTick = 1;
  peer.Write("abc\r");
  link.Exchange("X");
  EXPECT_FALSE(link.failed());
  EXPECT_EQ(link.reply(), "abc");
  EXPECT_EQ(link.ticksLeft(), 7);

  // Nine bytes and the CR: the CR arrives in pass 10 after nine ticks.
  peer.Write("123456789\r");
  link.Exchange("Y");
  EXPECT_FALSE(link.failed());
  EXPECT_EQ(link.ticksLeft(), 1);

  // Ten bytes before the CR: the tenth tick ends the wait first.
  peer.Write("0123456789\r");
  link.Exchange("Z");
  EXPECT_TRUE(link.failed());
  EXPECT_EQ(link.ticksLeft(), 0);
  EXPECT_EQ(link.reply(), "0123456789");
}

TEST_F(ExchangeTest, SilenceFailsAfterTenTicksAndKeepsThePartialReply) {
  pump.stepsPerTick = 3;
  peer.Write("part");
  link.Exchange("R004");
  EXPECT_TRUE(link.failed());
  EXPECT_EQ(link.ticksLeft(), 0);
  EXPECT_EQ(link.reply(), "part");
  EXPECT_EQ(pump.ticks, 10);
  EXPECT_TRUE(link.port().isOpen()) << "a time-out leaves the port open";
  peer.ReadAvailable();

  // The failure is sticky: nothing is sent or waited for, the reply empties.
  const long long ticks = pump.ticks;
  link.Exchange("R002");
  EXPECT_EQ(peer.ReadAvailable(), "");
  EXPECT_EQ(link.reply(), "");
  link.Drain();
  EXPECT_EQ(pump.ticks, ticks);

  // Connect on the open port clears the failure and looks nothing up.
  int lookups = 0;
  link.SetDiscovery([&] { return ++lookups, PortAt("/dev/ttyUSB6"); });
  link.Connect();
  EXPECT_FALSE(link.failed());
  EXPECT_EQ(lookups, 0);
}

TEST_F(ExchangeTest, DrainReadsOneBytePerPassAndEndsAfterTenTicksOnALineNeverQuiet) {
  // A tick on every pass: ten bytes are read and thrown away, the rest waits
  // for the next reply.
  pump.stepsPerTick = 1;
  peer.Write("abcdefghijkl\r");
  link.Drain();
  EXPECT_EQ(link.ticksLeft(), 0);
  EXPECT_FALSE(link.failed());
  EXPECT_EQ(link.TextBytesDrained(), 10u);
  link.Exchange("Q");
  EXPECT_EQ(link.reply(), "kl");
}

// A drain lasts until the line has been quiet for its window, counted from
// the last byte: a reply that starts within it is thrown away whole.
TEST(ExchangeDrain, EndsOnceTheLineWasQuietForItsWindow) {
  using Clock = std::chrono::steady_clock;
  test::PtyPeer peer;
  ClockPump pump;
  AnalyserLink link(pump);
  link.SetPortOverride(peer.DevicePath());
  link.Connect();
  ASSERT_FALSE(link.failed()) << link.ConnectProblem();

  const auto start = Clock::now();
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    peer.WriteNow("late\r\n");
  });
  link.Drain(200);
  const auto took = Clock::now() - start;
  late.join();
  EXPECT_EQ(link.TextBytesDrained(), 4u);
  EXPECT_GE(took, std::chrono::milliseconds(260)) << "the window starts again at each byte";
  EXPECT_LT(took, std::chrono::seconds(1));
  EXPECT_GT(link.ticksLeft(), 0);
  EXPECT_EQ(link.port().GetLine().BytesWaiting(link.port().handle()), 0u);
}

// The window: a few character times at 9600 baud and a margin, widened by the
// slowest response of the connection, which a fresh connection forgets.
TEST(ExchangeDrain, TheQuietWindowFollowsTheLineAndTheAnalysersResponse) {
  test::PtyPeer peer;
  ClockPump pump;
  AnalyserLink link(pump);
  link.SetPortOverride(peer.DevicePath());
  link.Connect();
  const int quick = link.QuietMs();
  EXPECT_GE(quick, 5);
  EXPECT_LE(quick, 30);

  std::thread slow([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    peer.WriteNow("ok\r");
  });
  link.Exchange("R001");
  slow.join();
  ASSERT_FALSE(link.failed());
  EXPECT_GE(link.QuietMs(), 2 * 70) << "twice the response, less the line time of 8 bytes";
  EXPECT_LE(link.QuietMs(), AnalyserLink::kReplyTicks * AnalyserLink::kTickMs);

  link.Disconnect();
  link.Connect();
  EXPECT_EQ(link.QuietMs(), quick);
}

// The link takes its ticks from the pump it is given, with nothing wired up
// by the program, for as long as it lives: a link that is gone gets none
// (the pump would call into freed memory), the others still do.
TEST(ExchangeTicks, TheLinkRegistersWithItsPumpForItsLifetime) {
  test::ScriptedPump pump;
  test::PtyPeer silent;
  AnalyserLink kept(pump);
  kept.SetPortOverride(silent.DevicePath());
  kept.Connect();
  ASSERT_FALSE(kept.failed()) << kept.ConnectProblem();
  {
    AnalyserLink gone(pump);
    gone.SetPortOverride(silent.DevicePath());
    pump.stepsPerTick = 1;
    kept.Exchange("R001");  // nobody answers: ten ticks end the wait
    EXPECT_TRUE(kept.failed());
    EXPECT_EQ(pump.ticks, AnalyserLink::kReplyTicks);
  }
  kept.ClearFailure();
  kept.Exchange("R002");
  EXPECT_TRUE(kept.failed());
  EXPECT_EQ(pump.ticks, 2 * AnalyserLink::kReplyTicks) << "the ticks still reach the link kept";
}

TEST(ExchangeDiscovery, EveryConnectLooksAgainAfterAFailedDiscovery) {
  test::ScriptedPump pump;
  AnalyserLink link(pump);
  pump.stepsPerTick = 1;
  int lookups = 0;
  link.SetDiscovery([&] { return ++lookups, FoundPort{}; });
  link.Connect();
  EXPECT_TRUE(link.failed());
  EXPECT_EQ(link.portNumber(), 0);
  link.Connect();
  EXPECT_EQ(lookups, 2);

  // Exchange on a port that never opened waits out its ten ticks.
  link.Exchange("R001");
  EXPECT_TRUE(link.failed());
  EXPECT_EQ(link.reply(), "");
  link.ClearFailure();
  link.Exchange("R001");
  EXPECT_EQ(lookups, 3);
  EXPECT_TRUE(link.failed());
  EXPECT_EQ(link.ticksLeft(), 0);
  EXPECT_EQ(link.PortText(), "");

  // The bridge is plugged in: the next Connect opens the device found and
  // names it by its path (a Linux port has no number).
  test::PtyPeer peer;
  link.SetDiscovery([&] { return ++lookups, PortAt(peer.DevicePath()); });
  link.ClearFailure();
  link.Connect();
  EXPECT_FALSE(link.failed()) << link.ConnectProblem();
  EXPECT_TRUE(link.port().isOpen());
  EXPECT_EQ(link.PortText(), peer.DevicePath());
  EXPECT_EQ(link.portNumber(), 0);
}

TEST(ExchangeDiscovery, MissingDeviceIsNamedInTheProblem) {
  test::ScriptedPump pump;
  AnalyserLink link(pump);
  link.SetPortOverride("/dev/quelt-no-such-port");
  link.Connect();
  EXPECT_TRUE(link.failed());
  EXPECT_NE(link.ConnectProblem().find("/dev/quelt-no-such-port"), std::string::npos);
  EXPECT_FALSE(link.port().isOpen());
}

TEST(ExchangeClock, AbortEndsTheWaitAtOnce) {
  test::PtyPeer peer;
  ClockPump pump;
  AnalyserLink link(pump);
  pump.AddTickHandler([&] {
    link.Abort();  // the window is closing
  });
  link.SetPortOverride(peer.DevicePath());
  link.Exchange("R402");
  EXPECT_TRUE(link.failed());
  EXPECT_EQ(link.ticksLeft(), 0);
  EXPECT_LE(pump.Ticks(), 2);
  link.ClearFailure();
  link.Exchange("R401");  // still aborted: nothing goes out
  EXPECT_TRUE(link.failed());
}

// A line whose writes or reads fail with a reason given by the test; every
// other call goes to the simulated analyser inside the program.
class FailingLine final : public ForwardingLine {
 public:
  using ForwardingLine::ForwardingLine;
  std::optional<comm::Reason> writeFails, readFails;

  IoResult Write(comm::Handle h, const void* data, std::uint32_t count) override {
    if (writeFails) return {0, false, *writeFails};
    return ForwardingLine::Write(h, data, count);
  }
  IoResult Read(comm::Handle h, void* data, std::uint32_t count) override {
    if (readFails) return {0, false, *readFails};
    return ForwardingLine::Read(h, data, count);
  }
};

// A write or read that fails ends the exchange at once: no reply is waited
// for (no tick passes, no wait starts), the link is failed, and the problem
// names the device and the line's own reason, saying so when the port went
// away.
TEST(ExchangeLineFailure, AFailedWriteOrReadEndsTheExchangeWithItsReason) {
  enum class Fault { PtyHungUp, WriteFails, ReadFails, SimUnplugged };
  struct Case {
    const char* name;
    Fault fault;
    const char* problemStart;  // after the device's name
    bool wentAway;
    bool commandWentOut;
  };
  const std::string away = " (the port went away: the cable was pulled";
  const Case cases[] = {
      {"the pty's far end hung up", Fault::PtyHungUp, ": Input/output error", true, false},
      {"the line refuses the write", Fault::WriteFails, ": Access denied", false, false},
      {"the read fails", Fault::ReadFails, ": The device is not ready", false, true},
      {"the analyser was unplugged", Fault::SimUnplugged, ": the simulated analyser was unplugged",
       true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScriptedPump pump;
    AnalyserLink link(pump);
    pump.stepsPerTick = 1000;
    sim::InProcessLine analyser;
    FailingLine line(analyser);
    std::optional<test::PtyPeer> peer;
    if (c.fault == Fault::PtyHungUp) {
      peer.emplace();
      link.SetPortOverride(peer->DevicePath());
    } else {
      link.UseLine(line);
      link.SetPortOverride(analyser.DevicePath());
    }
    link.Connect();
    ASSERT_FALSE(link.failed()) << link.ConnectProblem();
    const std::string verb = c.fault == Fault::ReadFails ? "Cannot read from " : "Cannot write to ";
    switch (c.fault) {
      case Fault::PtyHungUp:
        peer->HangUp();
        break;
      case Fault::WriteFails:
        line.writeFails = comm::Reason{5, true, false, "Access denied"};
        break;
      case Fault::ReadFails:
        line.readFails = comm::Reason{21, false, false, "The device is not ready"};
        break;
      case Fault::SimUnplugged: {
        sim::Faults f;
        f.hangUpOn = 1;
        analyser.SetFaults(f);
        link.Exchange("R001");  // the cable goes with this command
        EXPECT_TRUE(link.failed());
        link.ClearFailure();
        analyser.ClearTranscript();
        break;
      }
    }
    const long long ticks0 = pump.ticks, waits0 = pump.waits;
    link.Exchange("R004");
    EXPECT_TRUE(link.failed());
    EXPECT_EQ(link.ticksLeft(), 0);
    EXPECT_EQ(link.reply(), "");
    EXPECT_EQ(link.Ask("R002"), std::nullopt) << "the failure is sticky";
    const std::string device = link.port().PathToOpen();
    const std::string expected = verb + device + c.problemStart + (c.wentAway ? away : "");
    if (c.wentAway) {
      EXPECT_EQ(link.ConnectProblem().rfind(expected, 0), 0u) << link.ConnectProblem();
    } else {
      EXPECT_EQ(link.ConnectProblem(), expected);
    }
    if (c.fault == Fault::ReadFails) {
      // The reply was on its way; the failed read ends the wait before it.
      EXPECT_LE(pump.ticks - ticks0, 1);
    } else {
      EXPECT_EQ(pump.ticks - ticks0, 0) << "no reply was waited for";
      EXPECT_EQ(pump.waits - waits0, 0) << "no reply was waited for";
    }
    if (c.fault != Fault::PtyHungUp) {
      EXPECT_EQ(analyser.Transcript(),
                c.commandWentOut ? std::vector<std::string>{"R004"} : std::vector<std::string>{});
    }
    link.Disconnect();
  }
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
      AnalyserLink link(pump);
      link.SetPortOverride(analyser.DevicePath());
      link.Exchange(command);
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
    AnalyserLink next(pump);
    next.SetPortOverride(analyser.DevicePath());
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
