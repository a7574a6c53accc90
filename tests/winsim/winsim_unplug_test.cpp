// Pulling the cable under Windows: quelt-sim closes its line on the third
// command (QUELT_SIM_ARGS=--hang-up-on 3), so the COM port's device vanishes
// while open. ClearCommError then fails; the wait must end by its time-out
// without hanging or spinning, a write on the dead port fails at once with
// its reason, and later operations fail cleanly.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fuel/fuel_ops.h"
#include "link/clock_pump.h"
#include "tests/support/recording_view.h"

namespace quelt {
namespace {

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto toSeconds = [](const FILETIME& t) {
    return double((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
           1e7;
  };
  return toSeconds(kernel) + toSeconds(user);
}

TEST(WineUnplug, TheWaitEndsByItsTimeOutAndTheNextRefreshFailsCleanly) {
  const char* com = std::getenv("QUELT_TEST_COM");
  ASSERT_NE(com, nullptr);
  ClockPump pump;
  AnalyserLink link(pump);
  link.SetDiscovery([com] { return ComPort(std::atoi(com)); });

  link.Exchange("R001");
  link.Exchange("R005");
  ASSERT_FALSE(link.failed());

  const double cpu0 = ProcessCpuSeconds();
  const DWORD wall0 = GetTickCount();
  link.Exchange("R004");  // the simulator pulls the cable here
  const double cpu = ProcessCpuSeconds() - cpu0;
  const DWORD wall = GetTickCount() - wall0;
  EXPECT_TRUE(link.failed());
  EXPECT_EQ(link.ticksLeft(), 0);
  EXPECT_LT(wall, 5000u) << "the wait must not hang";
  EXPECT_LT(cpu, 0.5) << "the wait must not spin";

  // The port is still open on a device that vanished: the next command
  // cannot go out, and the exchange ends with the system's reason instead of
  // a reply time-out.
  link.ClearFailure();
  link.Exchange("R002");
  EXPECT_TRUE(link.failed());
  const std::string writeProblem = "Cannot write to \\\\.\\COM" + std::string(com) + ": ";
  EXPECT_EQ(link.ConnectProblem().rfind(writeProblem, 0), 0u) << link.ConnectProblem();
  EXPECT_GT(link.ConnectProblem().size(), writeProblem.size()) << "a reason follows";
  link.Disconnect();

  FuelTable table;
  test::RecordingView view;
  FuelOperations ops(link, table, view);
  EXPECT_FALSE(ops.Refresh());
  ASSERT_GE(view.log.size(), 2u);
  EXPECT_EQ(view.log[view.log.size() - 2], kCommunicationError);
  EXPECT_NE(view.log.back().find("device not found"), std::string::npos) << view.log.back();
  EXPECT_TRUE(view.refreshEnabled);
  EXPECT_FALSE(view.sendEnabled);
}

}  // namespace
}  // namespace quelt
