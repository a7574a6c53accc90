// A full refresh of a 15-row table from quelt-sim paced at 9600 baud, then a
// send of the same table: wall time against the line's own time. Last, the
// same refresh over the in-process line of the demo mode.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/measure.h"
#include "bench/sim_process.h"
#include "fuel/fuel_ops.h"
#include "link/clock_pump.h"
#include "sim/inprocess_line.h"

namespace {

// Counts the bytes on the line; the rest of the view is silent.
class CountingView : public quelt::FuelView {
 public:
  void ClearLog() override {}
  void AddLogLine(const std::string&) override {}
  void SetProgress(int) override {}
  void SetBusyCursor(bool) override {}
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool Confirm(const std::string&) override { return true; }
  void EnableRefresh(bool) override {}
  void EnableSend(bool) override {}
  void SetTransferActive(bool) override {}
};

}  // namespace

int main() {
  using namespace quelt;
  constexpr int kBaud = 9600;
  const std::string table = QUELT_BENCH_TABLE;
  bench::SimProcess sim({"--baud", std::to_string(kBaud), "--table", table});

  ClockPump pump;
  TGlb glb(pump);
  pump.SetTickHandler([&] { glb.Timer1Timer(); });
  glb.PortOverride = sim.DevicePath();
  FuelTable rows;
  CountingView view;
  FuelListOps ops(glb, rows, view);

  // A Drain lasts until the next tick, so its length depends on where in the
  // tick it starts. Sample it at phases spread over a tick.
  double drains = 0;
  constexpr int kDrainSamples = 20;
  glb.Connect();
  for (int i = 0; i < kDrainSamples; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5 * i));
    const bench::Stopwatch w;
    glb.Drain();
    drains += w.Wall();
  }
  const double drain = drains / kDrainSamples;
  glb.Disconnect();

  // Reply bytes: identity, count and rows; each reply with its CR.
  // Only what the simulator sends takes line time: it paces its replies,
  // while the tool's commands cross the pseudo-terminal at once.
  const auto report = [&](const char* what, bool (FuelListOps::*op)(), double drainPart) {
    const auto bytes0 = glb.BytesReceived;
    const bench::Stopwatch watch;
    if (!(ops.*op)()) {
      std::fprintf(stderr, "%s failed\n", what);
      return false;
    }
    const double wall = watch.Wall(), cpu = watch.Cpu();
    const double wire = bench::WireSeconds(double(glb.BytesReceived - bytes0), kBaud);
    std::printf("%-8s wall %.3f s  wire %.3f s  wall/(wire+drain) %.3f  cpu/wall %.4f\n", what,
                wall, wire, wall / (wire + drainPart), cpu / wall);
    return true;
  };
  std::printf("mean drain %.3f s (one in each operation, sampled over a tick)\n", drain);
  if (!report("refresh", &FuelListOps::Refresh, drain)) return 1;
  std::printf("rows     %d\n", rows.RecordCount());
  if (!report("send", &FuelListOps::SendFuelList, drain)) return 1;

  // The window's Send: the backup from the refresh's replies, the write and
  // the check that reads it back (two drains: one before the write, one
  // before the read-back).
  const auto backups = std::filesystem::temp_directory_path() /
                       ("quelt-bench-backups-" + std::to_string(::getpid()));
  ops.BackupsFolder = backups;
  const auto timed = [&](const char* what, const SendOptions& options, int drainCount,
                         auto&& before) {
    before();
    const auto bytes0 = glb.BytesReceived;
    const bench::Stopwatch watch;
    const SendOutcome outcome = ops.SendTable(options);
    const double wall = watch.Wall(), cpu = watch.Cpu();
    if (outcome.result != SendOutcome::Result::Sent) {
      std::fprintf(stderr, "%s failed\n", what);
      return false;
    }
    const double wire = bench::WireSeconds(double(glb.BytesReceived - bytes0), kBaud);
    std::printf("%-12s wall %.3f s  wire %.3f s  wall/(wire+drains) %.3f  cpu/wall %.4f\n", what,
                wall, wire, wall / (wire + drainCount * drain), cpu / wall);
    return true;
  };
  const auto nothing = [] {};
  if (!timed("send+check", SendOptions{}, 2, nothing)) return 1;
  // The command line's write knows nothing of the table yet: with its backup
  // it reads the whole table first.
  const auto forget = [&] {
    glb.Disconnect();
    ops.QueryIdentity();
  };
  if (!timed("cli write", SendOptions{false, false}, 1, forget)) return 1;
  if (!timed("cli +backup", SendOptions{true, false}, 2, forget)) return 1;
  std::filesystem::remove_all(backups);

  // The demo's analyser inside this process: no pseudo-terminal, no thread.
  sim::Config config;
  config.baud = kBaud;
  config.rows = sim::LoadTableFile(table);
  sim::InProcessLine line(config);
  ClockPump localPump;
  TGlb localGlb(localPump);
  localPump.SetTickHandler([&] { localGlb.Timer1Timer(); });
  localGlb.UseLine(line);
  localGlb.PortOverride = line.DevicePath();
  FuelTable localRows;
  FuelListOps localOps(localGlb, localRows, view);
  const bench::Stopwatch watch;
  if (!localOps.Refresh()) {
    std::fprintf(stderr, "in-process refresh failed\n");
    return 1;
  }
  const double wall = watch.Wall(), cpu = watch.Cpu();
  const double wire = bench::WireSeconds(double(localGlb.BytesReceived), kBaud);
  std::printf("%-12s wall %.3f s  wire %.3f s  wall/(wire+drain) %.3f  cpu/wall %.4f\n",
              "in-process", wall, wire, wall / (wire + drain), cpu / wall);
  return 0;
}
