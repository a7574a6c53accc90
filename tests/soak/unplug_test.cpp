// Pulling the cable: the analyser's line hangs up in the middle of a refresh
// or a send, or while the tool holds the port between operations. The wait in
// progress must end as a failure by its time-out without keeping a core busy,
// the user must see the failure, and once the analyser is plugged in again
// (a new pseudo-terminal behind the same --port name) the next Refresh works.
#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include "fuel/fuel_ops.h"
#include "link/clock_pump.h"
#include "sim/sim.h"
#include "tests/support/recording_view.h"

namespace quelt {
namespace {

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

class Unplug : public ::testing::Test {
 protected:
  Unplug() {
    char tmpl[] = "/tmp/quelt-unplug-XXXXXX";
    dir = mkdtemp(tmpl);
    port = dir / "port";
    link.SetPortOverride(port.string());
    Plug(sim::DefaultTable());
  }
  ~Unplug() override {
    analyser.reset();
    std::filesystem::remove_all(dir);
  }

  // A new analyser behind the same name: the cable plugged in again.
  void Plug(std::vector<std::string> rows, sim::Faults faults = {}) {
    sim::Config c;
    c.rows = std::move(rows);
    c.faults = faults;
    analyser.reset();
    analyser = std::make_unique<sim::Analyser>(c);
    std::filesystem::remove(port);
    std::filesystem::create_symlink(analyser->DevicePath(), port);
  }
  void PlugAgain() { Plug(analyser->Rows()); }

  // The send the window and the command line run, without its backup and
  // read-back; true when every W401 and the W402 had their reply.
  bool Send() {
    const SendOutcome outcome = ops.SendTable(SendOptions{false, false});
    ShowMessages(view, outcome);
    return outcome.result == SendOutcome::Result::Sent;
  }
  // The one message box, which names the time-out first.
  void ExpectTimeoutMessage() {
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].rfind(kTimeout, 0), 0u) << view.messages[0];
  }

  // Runs `fn`, returns its processor time on this thread and wall time.
  template <typename Fn>
  std::pair<double, double> Measure(Fn fn) {
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = ThreadCpuSeconds();
    fn();
    return {ThreadCpuSeconds() - cpu0,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count()};
  }

  std::filesystem::path dir, port;
  ClockPump pump;
  AnalyserLink link{pump};
  FuelTable table;
  test::RecordingView view;
  FuelOperations ops{link, table, view};
  std::unique_ptr<sim::Analyser> analyser;
};

TEST_F(Unplug, MidRefreshTheReadFailsAndTheNextRefreshFindsThePortAgain) {
  // Hang-ups on an identity command, on the count and on a row.
  for (const int command : {3, 8, 12}) {
    SCOPED_TRACE(command);
    sim::Faults f;
    f.hangUpOn = command;
    analyser->ClearTranscript();
    analyser->SetFaults(f);
    view = {};
    bool ok = true;
    const auto [cpu, wall] = Measure([&] { ok = ops.Refresh(); });
    EXPECT_FALSE(ok);
    EXPECT_TRUE(analyser->HungUp());
    EXPECT_EQ(analyser->Transcript().size(), static_cast<std::size_t>(command))
        << "nothing after the hang-up";
    // The cause follows the fixed text, as on the command line.
    ASSERT_GE(view.log.size(), 2u);
    EXPECT_EQ(view.log[view.log.size() - 2], kCommunicationError);
    EXPECT_EQ(view.log.back().rfind("The analyser's port went away (", 0), 0u) << view.log.back();
    EXPECT_EQ(view.messages,
              command > 6 ? std::vector<std::string>{kTransferError} : std::vector<std::string>{});
    EXPECT_FALSE(view.sendEnabled);
    EXPECT_FALSE(link.port().isOpen());
    // One reply time-out (about a second), not a hang, and a dead line
    // that keeps reporting itself must not turn the wait into a spin.
    EXPECT_LT(wall, 5.0);
    EXPECT_LT(cpu, 0.5) << "a wait on a dead line kept a core busy";

    PlugAgain();
    view = {};
    ASSERT_TRUE(ops.Refresh()) << "the next Refresh after plugging in again";
    EXPECT_EQ(table.RowCount(), 13) << "twelve rows and the H row";
    EXPECT_TRUE(view.sendEnabled);
  }
}

TEST_F(Unplug, MidSendTheSendTimesOutAndTheNextRefreshWorks) {
  ASSERT_TRUE(ops.Refresh());
  sim::Faults f;
  f.hangUpOn = 9;  // the identity's four queries, then the fifth W401
  analyser->ClearTranscript();
  analyser->SetFaults(f);
  bool ok = true;
  const auto [cpu, wall] = Measure([&] { ok = Send(); });
  EXPECT_FALSE(ok);
  ExpectTimeoutMessage();
  EXPECT_EQ(view.Progress(), 0);
  EXPECT_EQ(analyser->Transcript().size(), 9u);
  EXPECT_LT(wall, 5.0);
  EXPECT_LT(cpu, 0.5);
  EXPECT_TRUE(link.port().isOpen()) << "a send leaves the port open, here on a dead line";

  // The analyser comes back as another pseudo-terminal behind the same name.
  PlugAgain();
  view = {};
  ASSERT_TRUE(ops.Refresh()) << "the Refresh must not reuse the dead handle";
  EXPECT_EQ(view.log.back(), "");
  EXPECT_EQ(view.messages, std::vector<std::string>{});
  analyser->ClearTranscript();
  ASSERT_TRUE(Send());
  // The identity's four queries, the rows and the count.
  EXPECT_EQ(analyser->Transcript().size(), static_cast<std::size_t>(table.RowCount() + 5));
}

TEST_F(Unplug, PulledWhileIdleAfterASend) {
  ASSERT_TRUE(ops.Refresh());
  ASSERT_TRUE(Send());
  ASSERT_TRUE(link.port().isOpen());

  // Pulled and plugged in again between two operations: the port the send
  // left open is dead. A Refresh starts afresh and works at once.
  PlugAgain();
  view = {};
  EXPECT_TRUE(ops.Refresh());
  EXPECT_TRUE(view.messages.empty());

  // A send on the dead handle cannot succeed; it says so, and the send after
  // it connects afresh.
  ASSERT_TRUE(Send());
  PlugAgain();
  view = {};
  EXPECT_FALSE(Send());
  ExpectTimeoutMessage();
  view = {};
  analyser->ClearTranscript();
  EXPECT_TRUE(Send());
  EXPECT_TRUE(view.messages.empty());
  // The identity's four queries, the rows and the count.
  EXPECT_EQ(analyser->Transcript().size(), static_cast<std::size_t>(table.RowCount() + 5));
}

TEST_F(Unplug, NothingAttached) {
  analyser.reset();  // the symlink now points nowhere
  const auto [cpu, wall] = Measure([&] { EXPECT_FALSE(ops.Refresh()); });
  ASSERT_GE(view.log.size(), 2u);
  EXPECT_EQ(view.log[view.log.size() - 2], kCommunicationError);
  EXPECT_EQ(view.log.back(), "Cannot open " + link.PortText() + ": device not found");
  EXPECT_TRUE(view.messages.empty());
  EXPECT_LT(wall, 5.0);
  EXPECT_LT(cpu, 0.5);
  view = {};
  EXPECT_FALSE(Send());
  ExpectTimeoutMessage();
}

}  // namespace
}  // namespace quelt
