// The wire as the tool meets it: the transcript byte for byte, each fault,
// the hang-up, and pacing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "sim/sim.h"
#include "tests/sim/slave_port.h"

namespace quelt::test {
namespace {

using namespace std::string_literals;

TEST(SimWire, TranscriptHoldsEveryCommandByteForByte) {
  sim::Analyser analyser;
  std::vector<std::string> observed;
  analyser.OnCommand([&](const std::string& c) { observed.push_back(c); });
  SlavePort port(analyser.DevicePath());
  const std::vector<std::string> commands = {
      "R001", "", "A\0B"s, "\xF6\xFC\xE9\x80\xFF", "\nR002", "W4011;1;x;1;1;1;1;1;1;1;1;", "\n"};
  // All in one write, then one command split across two writes.
  std::string all;
  for (const auto& c : commands) all += c + "\r";
  port.Send(all);
  ASSERT_TRUE(analyser.WaitForCommands(commands.size(), 5000));
  port.Send("R4");
  // Until its CR comes, the start of a command waits as pending input.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (analyser.PendingInput().empty() && std::chrono::steady_clock::now() < deadline) {
    ::usleep(1000);
  }
  EXPECT_EQ(analyser.PendingInput(), "R4");
  EXPECT_EQ(analyser.Transcript().size(), commands.size());
  port.Send("02\r");
  ASSERT_TRUE(analyser.WaitForCommands(commands.size() + 1, 5000));
  EXPECT_EQ(analyser.PendingInput(), "");
  auto expected = commands;
  expected.push_back("R402");
  EXPECT_EQ(analyser.Transcript(), expected);
  EXPECT_FALSE(analyser.WaitForCommands(expected.size() + 1, 100));
  const std::string replies = "QUELT 300\rQUELT\r?\r?\r?\rOK\r?\r12;\r";
  EXPECT_EQ(port.Read(replies.size()), replies) << "every command was answered";
  analyser.OnCommand(nullptr);
  EXPECT_EQ(observed, expected);

  analyser.ClearTranscript();
  EXPECT_TRUE(analyser.Transcript().empty());
  EXPECT_EQ(port.Ask("R005"), "20\r");
  EXPECT_EQ(analyser.Transcript(), std::vector<std::string>{"R005"});
}

TEST(SimWire, EachFaultShapesTheReplies) {
  struct Case {
    const char* name;
    sim::Faults faults;
    // Reply bytes to R001, R005, R004, R002, R40102, R401021 in that order;
    // nullopt: nothing at all.
    std::vector<std::optional<std::string>> replies;
  };
  const std::string id = "QUELT 300\r", type = "20\r", serial = "08154711\r", version = "V 2.31\r";
  const std::string row2 = "2;2;Erdgas L;11,8;0,65;0,009;3,0;8,20;9,10;31,80;0\r";
  const std::string row21 = "21;0;;0;0;0;0;0;0;0;0\r";
  const std::nullopt_t none = std::nullopt;
  sim::Faults silentFrom3, silentOn, prefix, noCr, lf, nul, twice, twiceNoCr, echo;
  silentFrom3.silentFrom = 3;
  silentOn.silentOn = {2, 4};
  prefix.silentOnPrefix = "R40102";
  noCr.noCrOn = 2;
  lf.lfAfterCr = true;
  nul.nulOn = 1;
  twice.duplicateReplyOn = 2;
  twiceNoCr.duplicateReplyOn = twiceNoCr.noCrOn = 6;
  echo.echo = true;
  const Case cases[] = {
      {"none", {}, {id, type, serial, version, row2, row21}},
      {"silentFrom", silentFrom3, {id, type, none, none, none, none}},
      {"silentOn", silentOn, {id, none, serial, none, row2, row21}},
      {"prefix", prefix, {id, type, serial, version, none, none}},
      {"noCr", noCr, {id, "20", serial, version, row2, row21}},
      {"lf",
       lf,
       {id + "\n", type + "\n", serial + "\n", version + "\n", row2 + "\n", row21 + "\n"}},
      {"nul", nul, {"QUEL\0T 300\0\r"s, type, serial, version, row2, row21}},
      {"duplicate", twice, {id, type + type, serial, version, row2, row21}},
      {"duplicate without CR",
       twiceNoCr,
       {id, type, serial, version, row2, "21;0;;0;0;0;0;0;0;0;021;0;;0;0;0;0;0;0;0;0"}},
      {"echo", echo, {"R001\r", "R005\r", "R004\r", "R002\r", "R40102\r", "R401021\r"}},
  };
  const char* commands[] = {"R001", "R005", "R004", "R002", "R40102", "R401021"};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    sim::Config c;
    c.faults = k.faults;
    sim::Analyser analyser(c);
    SlavePort port(analyser.DevicePath());
    for (std::size_t i = 0; i < k.replies.size(); ++i) {
      port.Send(std::string(commands[i]) + "\r");
      if (k.replies[i]) {
        EXPECT_EQ(port.Read(k.replies[i]->size()), *k.replies[i]) << commands[i];
      }
      ASSERT_TRUE(analyser.WaitForCommands(i + 1, 5000));
      EXPECT_EQ(port.Read(1, k.replies[i] ? 50 : 300), "") << "nothing more after " << commands[i];
    }
    EXPECT_EQ(analyser.Transcript().size(), 6u) << "silent commands are recorded too";
  }
}

TEST(SimWire, IgnoredWritesStoreNothingAndNumbersRestartWithTheTranscript) {
  sim::Config c;
  c.faults.silentOnPrefix = "W401";
  c.faults.silentOn = {1};
  sim::Analyser analyser(c);
  SlavePort port(analyser.DevicePath());
  const auto silent = [&](const std::string& command) {
    const std::size_t before = analyser.Transcript().size();
    port.Send(command + "\r");
    return analyser.WaitForCommands(before + 1, 5000) && port.Read(1, 300).empty();
  };
  EXPECT_TRUE(silent("W4011;1;X;1;1;1;1;1;1;1;1;"));
  EXPECT_TRUE(silent("W4011;1;X;1;1;1;1;1;1;1;1;"));
  EXPECT_EQ(analyser.Rows(), sim::DefaultTable());
  analyser.ClearTranscript();
  EXPECT_TRUE(silent("R001")) << "the first command after a clear is number 1 again";
  analyser.SetFaults({});
  EXPECT_EQ(port.Ask("R001"), "QUELT 300\r");

  // Neither does a loopback plug, which sends every write straight back.
  sim::Faults echo;
  echo.echo = true;
  analyser.SetFaults(echo);
  EXPECT_EQ(port.Ask("W4011;1;X;1;1;1;1;1;1;1;1;"), "W4011;1;X;1;1;1;1;1;1;1;1;\r");
  EXPECT_EQ(port.Ask("W4023;X;X;"), "W4023;X;X;\r");
  EXPECT_EQ(analyser.Rows(), sim::DefaultTable());
  EXPECT_EQ(analyser.RowsInUse(), -1);
}

TEST(SimWire, HangUpLeavesTheToolADeadLine) {
  sim::Config c;
  c.faults.hangUpOn = 2;
  auto analyser = std::make_unique<sim::Analyser>(c);
  const std::string path = analyser->DevicePath();
  SlavePort port(path);
  EXPECT_EQ(port.Ask("R001"), "QUELT 300\r");
  port.Send("R005\r");
  pollfd p{port.Fd(), POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 5000), 1);
  EXPECT_TRUE(p.revents & POLLHUP);
  EXPECT_EQ(::write(port.Fd(), "R004\r", 5), -1);
  EXPECT_EQ(errno, EIO);
  char b;
  EXPECT_LE(::read(port.Fd(), &b, 1), 0);
  EXPECT_TRUE(analyser->HungUp());
  EXPECT_EQ(analyser->Transcript(), (std::vector<std::string>{"R001", "R005"}));
  struct stat st {};
  EXPECT_NE(::stat(path.c_str(), &st), 0) << "the device is gone";
  analyser->Inject("late");
  analyser->SetFaults({});
  analyser.reset();  // no hang, no crash
}

TEST(SimWire, PacingAndLatencyTakeAtLeastTheirTime) {
  for (const auto& [baud, latencyMs] : {std::pair{2400, 0}, std::pair{0, 250}}) {
    sim::Config c;
    c.baud = baud;
    c.latencyMs = latencyMs;
    sim::Analyser analyser(c);
    SlavePort port(analyser.DevicePath());
    const std::string expected = sim::DefaultTable()[0] + "\r";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Ask("R40101"), expected);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double least =
        baud ? 0.9 * static_cast<double>(expected.size()) * 10 / baud : 0.9 * latencyMs / 1000.0;
    EXPECT_GE(seconds, least) << "baud " << baud << " latency " << latencyMs;
  }
  // A long, slow reply does not hold up the analyser's end.
  sim::Config slow;
  slow.baud = 10;
  auto analyser = std::make_unique<sim::Analyser>(slow);
  SlavePort port(analyser->DevicePath());
  port.Send("R40101\r");
  ASSERT_TRUE(analyser->WaitForCommands(1, 5000));
  analyser.reset();
}

}  // namespace
}  // namespace quelt::test
