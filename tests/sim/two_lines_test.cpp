// The pseudo-terminal analyser and the in-process line are the same analyser:
// one command sequence, every fault, the same bytes back, the same
// transcript and the same table, both reached through SerialPort as the tool
// reaches them.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/serial_port.h"
#include "sim/inprocess_line.h"
#include "sim/sim.h"

namespace quelt::test {
namespace {

using namespace std::string_literals;
using Clock = std::chrono::steady_clock;

void OpenPort(SerialPort& port, const std::string& path) {
  port.SetDevicePath(path);
  port.Open();
  port.ApplySettings();
  ASSERT_TRUE(port.isOpen()) << path << ": " << port.lastReason().text;
}

// Reads until `count` bytes came or `timeoutMs` passed.
std::string ReadBytes(SerialPort& port, std::size_t count, int timeoutMs) {
  std::string out;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (out.size() < count && Clock::now() < deadline) {
    if (port.BytesWaiting() == 0) {
      port.WaitReadable(5);
      continue;
    }
    char b[256];
    const auto n = port.Read(b, static_cast<std::uint32_t>(std::min(sizeof b, count - out.size())));
    out.append(b, n);
  }
  return out;
}

TEST(TwoLines, SameCommandsSameBytesAndTranscripts) {
  const std::vector<std::string> commands = {
      "",
      "R001",
      "R005",
      "R402",
      "R40101",
      "R401k",
      "R40120",
      "W4013;3;Neu\xE4;1,0;1;1;1;1;1;1;1;",
      "R40103",
      "W40115;9;Weit;1;1;1;1;1;1;1;1;",
      "W4022;X;X;",
      "R402",
      "W402x",
      "bogus",
      "R4011\nR002",
  };
  struct Case {
    const char* name;
    sim::Faults faults;
  };
  sim::Faults silentFrom, silentOn, prefix, noCr, lf, nul, hangUp, ignoreW402, twice, echo;
  silentFrom.silentFrom = 12;
  silentOn.silentOn = {2, 5, 9};
  prefix.silentOnPrefix = "W401";
  noCr.noCrOn = 4;
  lf.lfAfterCr = true;
  nul.nulOn = 5;
  hangUp.hangUpOn = 6;
  ignoreW402.ignoreW402 = true;
  twice.duplicateReplyOn = 3;
  echo.echo = true;
  const Case cases[] = {
      {"no fault", {}},
      {"silent from", silentFrom},
      {"silent on", silentOn},
      {"silent on prefix", prefix},
      {"no CR", noCr},
      {"LF after CR", lf},
      {"NULs", nul},
      {"hang-up", hangUp},
      {"W402 ignored", ignoreW402},
      {"reply twice", twice},
      {"echo", echo},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    sim::Config config;
    config.faults = k.faults;
    sim::Analyser analyser(config);
    sim::InProcessLine inProcess(config);
    SerialPort pty, local;
    OpenPort(pty, analyser.DevicePath());
    local.UseLine(inProcess);
    OpenPort(local, inProcess.DevicePath());

    for (const std::string& command : commands) {
      SCOPED_TRACE(command);
      const std::string line = command + "\r";
      local.Write(line.data(), static_cast<std::uint32_t>(line.size()));
      const bool localWrote = !local.lastCallFailed();
      // Unpaced: the in-process reply is all due at once.
      std::string expected(local.BytesWaiting(), '\0');
      expected.resize(local.Read(expected.data(), static_cast<std::uint32_t>(expected.size())));
      pty.Write(line.data(), static_cast<std::uint32_t>(line.size()));
      EXPECT_EQ(!pty.lastCallFailed(), localWrote);
      EXPECT_EQ(ReadBytes(pty, expected.size(), 3000), expected);
      if (inProcess.HungUp()) {
        ASSERT_TRUE(analyser.WaitForCommands(inProcess.Transcript().size(), 5000));
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (!pty.Gone() && Clock::now() < deadline) pty.WaitReadable(10);
        EXPECT_TRUE(local.Gone());
        EXPECT_TRUE(analyser.HungUp());
        break;
      }
    }
    ASSERT_TRUE(analyser.WaitForCommands(inProcess.Transcript().size(), 5000));
    EXPECT_EQ(ReadBytes(pty, 1, 200), "") << "nothing more on the pseudo-terminal";
    EXPECT_EQ(analyser.Transcript(), inProcess.Transcript());
    EXPECT_EQ(analyser.PendingInput(), inProcess.PendingInput());
    EXPECT_EQ(analyser.Rows(), inProcess.Rows());
    EXPECT_EQ(analyser.RowsInUse(), inProcess.RowsInUse());
    EXPECT_EQ(analyser.HungUp(), inProcess.HungUp());
    pty.Close();
    local.Close();
  }
}

}  // namespace
}  // namespace quelt::test
