// The exchange and the fuel-list operations over the real Win32 serial calls,
// run under Wine against quelt-sim: COM port QUELT_TEST_COM is linked to the
// simulator's pseudo-terminal, which writes every command it receives to the
// file QUELT_TEST_TRANSCRIPT (one line a command, bytes outside printable
// ASCII as \xNN). The simulator never answers commands starting "NOREPLY".
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "fuel/fuel_ops.h"
#include "link/clock_pump.h"
#include "tests/support/recording_view.h"

namespace quelt {
namespace {

int SimPort() {
  const char* text = std::getenv("QUELT_TEST_COM");
  return text ? std::atoi(text) : 0;
}

std::vector<std::string> Transcript() {
  std::vector<std::string> lines;
  const char* path = std::getenv("QUELT_TEST_TRANSCRIPT");
  if (!path) return lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class WineSim : public ::testing::Test {
 protected:
  WineSim() {
    link.SetDiscovery([] { return ComPort(SimPort()); });
  }
  void SetUp() override {
    ASSERT_GT(SimPort(), 0) << "QUELT_TEST_COM must name the simulator's COM port";
    first_ = Transcript().size();
  }
  // Commands received since this test began.
  std::vector<std::string> Commands() const {
    auto all = Transcript();
    return {all.begin() + static_cast<std::ptrdiff_t>(first_), all.end()};
  }

  ClockPump pump;
  AnalyserLink link{pump};
  std::size_t first_ = 0;
};

TEST_F(WineSim, ExchangeFramingAndTimeOut) {
  link.Exchange("R001");
  ASSERT_FALSE(link.failed());
  EXPECT_EQ(link.portNumber(), SimPort());
  EXPECT_EQ(link.reply(), "QUELT 300");
  EXPECT_GT(link.ticksLeft(), 0);
  link.Exchange("");
  EXPECT_EQ(link.reply(), "QUELT");

  link.Exchange("NOREPLY");
  EXPECT_TRUE(link.failed());
  EXPECT_EQ(link.ticksLeft(), 0);
  EXPECT_TRUE(link.port().isOpen());
  link.Exchange("R002");  // sticky: nothing goes out
  EXPECT_EQ(link.reply(), "");

  link.Connect();
  EXPECT_TRUE(link.ReplyMayStillCome());
  link.Drain();
  EXPECT_FALSE(link.ReplyMayStillCome()) << "the drain saw the line quiet";
  link.Exchange("R402");
  EXPECT_EQ(link.reply(), "12;");
  link.Disconnect();
  EXPECT_FALSE(link.port().isOpen());
  EXPECT_EQ(Commands(), (std::vector<std::string>{"R001", "", "NOREPLY", "R402"}));
}

TEST_F(WineSim, RefreshAndSendPutTheSameBytesOnTheWire) {
  FuelTable table;
  test::RecordingView view;
  FuelOperations ops(link, table, view);
  ASSERT_TRUE(ops.Refresh());
  EXPECT_EQ(view.log[9], "Found      :QUELT 300");
  EXPECT_EQ(view.log[10], "Type       :20");
  ASSERT_EQ(table.RowCount(), 13);  // twelve fuels and the inserted H row
  EXPECT_EQ(table.Row(3).ID, 16);
  EXPECT_EQ(table.Row(3).Description, "Erdgas H");
  EXPECT_EQ(table.CurrentIndex(), 3);

  auto cmds = Commands();
  ASSERT_EQ(cmds.size(), 20u);
  EXPECT_EQ(cmds[7], "R402");
  EXPECT_EQ(cmds[19], "R40112");

  first_ += cmds.size();
  table.MoveTo(3);
  table.BeginEdit();
  table.SetDescription("Zemn\xED plyn H");
  table.StoreEdit();
  ASSERT_EQ(ops.SendTable(SendOptions{false, false}).result, SendOutcome::Result::Sent);
  cmds = Commands();
  // The identity first (still the analyser last read?), then the rows and the count.
  ASSERT_EQ(cmds.size(), 18u);
  EXPECT_EQ(cmds[2], "R004");
  EXPECT_EQ(cmds[7], "W4014;16;Zemn\\xED plyn H;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;");
  EXPECT_EQ(cmds[17], "W40213;X;X;");
  link.Disconnect();
}

}  // namespace
}  // namespace quelt
