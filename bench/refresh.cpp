// A full refresh of a 15-row table from quelt-sim paced at 9600 baud, then a
// send of the same table: wall time against the line's own time. First, what
// the line itself costs (an exchange polled flat out, an input check, a
// wait), and the read side by side with the same commands sent with plain
// blocking waits, RUNS times (on Linux the command line's `read` as well);
// last, the same refresh over the in-process line of the demo mode. The
// Windows build also refreshes through the window's pump.
//   bench_refresh [--port DEVICE] [--table FILE] [--runs RUNS]
// Without --port (Linux only) it starts a quelt-sim of its own; with it, the
// analyser on DEVICE must serve bench/table15.txt at 9600 baud.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "bench/measure.h"
#include "bench/plain_read.h"
#include "fuel/fuel_ops.h"
#include "link/clock_pump.h"
#include "link/forwarding_line.h"
#include "link/line_trace.h"
#include "sim/inprocess_line.h"

#ifdef _WIN32
#include "win/win_pump.h"
#else
#include "bench/child_run.h"
#include "bench/sim_process.h"
#endif

namespace {

using namespace quelt;
constexpr int kBaud = 9600;

// Counts the bytes on the line; the rest of the view is silent.
class CountingView : public FuelView {
 public:
  std::function<void(bool)> onTransfer;
  void ClearLog() override {}
  void AddLogLine(const std::string&) override {}
  void SetProgress(int) override {}
  void SetBusyCursor(bool) override {}
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool Confirm(const std::string&) override { return true; }
  void EnableRefresh(bool) override {}
  void EnableSend(bool) override {}
  void SetTransferActive(bool active) override {
    if (onTransfer) onTransfer(active);
  }
};

// A line that passes every call on, counts the commands written and times
// each exchange from its write to the CR of its reply. The rest of an
// operation's time is its drains (each lasts until the next tick) and the
// program's own work between exchanges.
class CountingLine final : public ForwardingLine {
 public:
  using ForwardingLine::ForwardingLine;
  long long commands = 0;
  double exchangeSeconds = 0;
  std::vector<std::string> written;  // each command with its CR

  IoResult Write(comm::Handle h, const void* data, std::uint32_t count) override {
    ++commands;
    written.emplace_back(static_cast<const char*>(data), count);
    if (!inExchange_) written_ = std::chrono::steady_clock::now();
    inExchange_ = true;
    return ForwardingLine::Write(h, data, count);
  }
  IoResult Read(comm::Handle h, void* data, std::uint32_t count) override {
    const IoResult r = ForwardingLine::Read(h, data, count);
    const std::uint32_t got = r.count;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (inExchange_ && got > 0 && bytes[got - 1] == '\r') {
      exchangeSeconds +=
          std::chrono::duration<double>(std::chrono::steady_clock::now() - written_).count();
      inExchange_ = false;
    }
    return r;
  }

 private:
  bool inExchange_ = false;
  std::chrono::steady_clock::time_point written_;
};

// `drain`: the operation's time outside its exchanges, measured; `rest`:
// what each exchange took beyond its reply's line time, on average.
void PrintFigures(const char* what, double wall, double wire, double drains, long long replies,
                  double cpu) {
  std::printf(
      "%-16s wall %.3f s  wire %.3f s  drain %.3f s  wall/(wire+drain) %.3f  cpu/wall %.4f  "
      "replies %lld  rest %.2f ms\n",
      what, wall, wire, drains, wall / (wire + drains), cpu / wall, replies,
      replies > 0 ? 1e3 * (wall - wire - drains) / double(replies) : 0.0);
}

// Reply bytes: identity, count and rows; each reply with its CR. Only what
// the analyser sends takes line time: it paces its replies, while the tool's
// commands cross the pseudo-terminal at once.
bool Timed(const char* what, AnalyserLink& link, const CountingLine& line,
           const std::function<bool()>& op) {
  const auto bytes0 = link.bytesReceived();
  const auto commands0 = line.commands;
  const double exchanges0 = line.exchangeSeconds;
  const bench::Stopwatch watch;
  if (!op()) {
    std::fprintf(stderr, "%s failed\n", what);
    return false;
  }
  const double wall = watch.Wall(), cpu = watch.Cpu();
  const double drains = wall - (line.exchangeSeconds - exchanges0);
  PrintFigures(what, wall, bench::WireSeconds(double(link.bytesReceived() - bytes0), kBaud), drains,
               line.commands - commands0, cpu);
  return true;
}

// What the line costs without the link's waits: a command whose reply is
// polled for flat out (first byte and end against the reply's line time),
// an input check, and one wait of the device line.
bool LineCosts(AnalyserLink& link, Line& line, const std::string& device) {
  // The link drains what is left on the line, then gives the port to a
  // SerialPort of its own.
  link.Connect();
  link.Drain();
  link.Disconnect();
  SerialPort port;
  port.UseLine(line);
  port.SetDevicePath(device);
  port.Open();
  port.ApplySettings();
  if (!port.isOpen()) {
    std::fprintf(stderr, "cannot open %s: %s\n", device.c_str(), port.lastReason().text.c_str());
    return false;
  }
  constexpr int kAsks = 20;
  double firstLate = 0, endLate = 0;
  for (int i = 0; i < kAsks; ++i) {
    const std::string command = "R001\r";
    const bench::Stopwatch watch;
    port.Write(command.data(), static_cast<std::uint32_t>(command.size()));
    double first = -1;
    int bytes = 0;
    for (;;) {
      if (watch.Wall() > 2) {
        std::fprintf(stderr, "no reply to R001\n");
        return false;
      }
      if (!port.HasInput()) continue;
      if (first < 0) first = watch.Wall();
      ++bytes;
      if (port.ReadByte() == '\r') break;
    }
    firstLate += first - bench::WireSeconds(1, kBaud);
    endLate += watch.Wall() - bench::WireSeconds(bytes, kBaud);
  }
  std::printf("raw R001 (polled): first byte %.2f ms after its line time, CR %.2f ms after\n",
              1e3 * firstLate / kAsks, 1e3 * endLate / kAsks);

  constexpr int kChecks = 2000;
  bench::Stopwatch checks;
  for (int i = 0; i < kChecks; ++i) (void)port.HasInput();
  const double checkWall = checks.Wall(), checkCpu = checks.Cpu();
  std::printf("input check:      %.1f us wall, %.1f us cpu\n", 1e6 * checkWall / kChecks,
              1e6 * checkCpu / kChecks);

  // Asked for up to 10 ms with nothing coming: a tty sleeps it all; a COM
  // port, which signals nothing, sleeps one timer period and looks again.
  constexpr int kWaits = 100;
  bench::Stopwatch waits;
  for (int i = 0; i < kWaits; ++i) port.WaitReadable(10);
  const double waitWall = waits.Wall(), waitCpu = waits.Cpu();
  std::printf("line wait (<=10 ms, idle): %.2f ms wall, %.1f us cpu\n", 1e3 * waitWall / kWaits,
              1e6 * waitCpu / kWaits);
  port.Close();
  return true;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// The tool's read (identity, count, rows and the checks around them, as the
// command line's `read` runs it) against its own commands replayed with
// plain blocking waits, alternately in each run so that both meet the same
// load. On Linux also the command line's `read` as a process of its own,
// start-up included.
bool ReadAgainstPlain(AnalyserLink& link, FuelOperations& ops, CountingLine& line,
                      const std::string& device, int runs) {
  std::vector<double> tool, cpu, plain, plainCpu, ratio, cli, cliCpu;
  std::vector<std::string> commands;
  for (int run = 0; run < runs; ++run) {
    link.Disconnect();
    line.written.clear();
    const bench::Stopwatch watch;
    if (!ops.Refresh()) {
      std::fprintf(stderr, "read failed\n");
      return false;
    }
    tool.push_back(watch.Wall());
    cpu.push_back(watch.Cpu() / tool.back());
    link.Disconnect();
    commands = line.written;
    const bench::Stopwatch plainWatch;
    if (!bench::PlainRead(DeviceLine(), device, commands)) {
      std::fprintf(stderr, "plain read failed\n");
      return false;
    }
    plain.push_back(plainWatch.Wall());
    plainCpu.push_back(plainWatch.Cpu() / plain.back());
    ratio.push_back(tool.back() / plain.back());
#ifndef _WIN32
    const bench::ChildRun r = bench::RunMeasured({QUELT_CLI_PATH, "--port", device, "read"});
    if (r.status != 0) {
      std::fprintf(stderr, "quelt-fuel-cli read failed (%d)\n", r.status);
      return false;
    }
    cli.push_back(r.wall);
    cliCpu.push_back(r.cpu / r.wall);
#endif
  }
  std::printf(
      "read             wall %.3f s  plain %.3f s  read/plain %.3f (runs %.3f..%.3f)  cpu/wall "
      "%.4f (plain %.4f)  (median of %d, %zu commands)\n",
      Median(tool), Median(plain), Median(ratio), *std::min_element(ratio.begin(), ratio.end()),
      *std::max_element(ratio.begin(), ratio.end()), Median(cpu), Median(plainCpu), runs,
      commands.size());
  if (!cli.empty()) {
    std::printf(
        "cli read         wall %.3f s  read/plain %.3f  cpu/wall %.4f (start-up included)\n",
        Median(cli), Median(cli) / Median(plain), Median(cliCpu));
  }
  return true;
}

// The cost of --trace: the same 15-row read with the link's events written
// to a file and without, alternately, so both meet the same load. The goal
// is a ratio of at most 1.02.
bool TraceCost(AnalyserLink& link, FuelOperations& ops, int runs) {
  std::vector<double> plain, traced, ratio;
  const auto folder = std::filesystem::temp_directory_path();
  for (int run = 0; run < runs; ++run) {
    link.Disconnect();
    const bench::Stopwatch watch;
    if (!ops.Refresh()) return false;
    plain.push_back(watch.Wall());
    const auto path = folder / ("quelt-bench-trace-" + std::to_string(bench::ProcessId()) + ".txt");
    std::filesystem::remove(path);
    std::string error;
    auto sink = FileTraceSink::Create(path.string(), &error);
    if (!sink) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return false;
    }
    LineTrace trace(*sink, "bench_refresh", "");
    link.SetTrace(&trace);
    link.Disconnect();
    const bench::Stopwatch tracedWatch;
    const bool ok = ops.Refresh();
    traced.push_back(tracedWatch.Wall());
    link.Disconnect();
    link.SetTrace(nullptr);
    std::filesystem::remove(path);
    if (!ok) return false;
    ratio.push_back(traced.back() / plain.back());
  }
  std::printf(
      "traced read      wall %.3f s  untraced %.3f s  traced/untraced %.3f (goal <= 1.02; "
      "runs %.3f..%.3f, median of %d)\n",
      Median(traced), Median(plain), Median(ratio), *std::min_element(ratio.begin(), ratio.end()),
      *std::max_element(ratio.begin(), ratio.end()), runs);
  return true;
}

std::string Option(int argc, char** argv, const char* name) {
  const std::size_t n = std::strlen(name);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0 && i + 1 < argc) return argv[i + 1];
    if (std::strncmp(argv[i], name, n) == 0 && argv[i][n] == '=') return argv[i] + n + 1;
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  std::string table = Option(argc, argv, "--table");
  if (table.empty()) table = QUELT_BENCH_TABLE;
  std::string device = Option(argc, argv, "--port");
  const std::string runsText = Option(argc, argv, "--runs");
  const int runs = runsText.empty() ? 5 : std::max(1, std::atoi(runsText.c_str()));
#ifdef _WIN32
  if (device.empty()) {
    std::fprintf(stderr, "usage: bench_refresh --port COMn [--table FILE]\n");
    return 2;
  }
#else
  std::unique_ptr<bench::SimProcess> sim;
  if (device.empty()) {
    sim = std::make_unique<bench::SimProcess>(
        std::vector<std::string>{"--baud", std::to_string(kBaud), "--table", table});
    device = sim->DevicePath();
  }
#endif

  CountingLine deviceLine(DeviceLine());
  ClockPump pump;
  AnalyserLink link(pump);
  link.UseLine(deviceLine);
  link.SetPortOverride(device);
  FuelTable rows;
  CountingView view;
  FuelOperations ops(link, rows, view);

  if (!LineCosts(link, deviceLine, device)) return 1;
  if (!ReadAgainstPlain(link, ops, deviceLine, device, runs)) return 1;
  if (!TraceCost(link, ops, runs)) return 1;
  if (!Timed("refresh", link, deviceLine, [&] { return ops.Refresh(); })) return 1;
  std::printf("rows %d\n", rows.RowCount());
  if (!Timed("send", link, deviceLine, [&] {
        return ops.SendTable(SendOptions{false, false}).result == SendOutcome::Result::Sent;
      }))
    return 1;

  // The window's Send: the backup from the refresh's replies, the write and
  // the check that reads it back.
  const auto backups = std::filesystem::temp_directory_path() /
                       ("quelt-bench-backups-" + std::to_string(bench::ProcessId()));
  ops.SetBackupsFolder(backups);
  const auto timed = [&](const char* what, const SendOptions& options, auto&& before) {
    before();
    return Timed(what, link, deviceLine,
                 [&] { return ops.SendTable(options).result == SendOutcome::Result::Sent; });
  };
  const auto nothing = [] {};
  if (!timed("send+check", SendOptions{}, nothing)) return 1;
  // The command line's write knows nothing of the table yet: with its backup
  // it reads the whole table first.
  const auto forget = [&] {
    link.Disconnect();
    ops.QueryIdentity();
  };
  if (!timed("cli-write", SendOptions{false, false}, forget)) return 1;
  if (!timed("cli-write+backup", SendOptions{true, false}, forget)) return 1;
  std::filesystem::remove_all(backups);

#ifdef _WIN32
  {
    // The window's waits: WinPump with the tick as a timer of this thread's
    // message queue, and the fine timer resolution while the transfer runs,
    // as the window asks for it.
    win::WinPump winPump;
    AnalyserLink winLink(winPump);
    CountingLine winLine(DeviceLine());
    winLink.UseLine(winLine);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue
    const UINT_PTR tick = SetTimer(nullptr, 0, static_cast<UINT>(AnalyserLink::kTickMs), nullptr);
    winPump.SetPreTranslate([&](MSG& m) {
      if (m.message != WM_TIMER || m.hwnd != nullptr || m.wParam != tick) return false;
      winPump.DeliverTick();
      return true;
    });
    winLink.SetPortOverride(device);
    FuelTable winRows;
    CountingView winView;
    winView.onTransfer = [&](bool active) { winPump.SetFastWakeups(active); };
    FuelOperations winOps(winLink, winRows, winView);
    const bool ok = Timed("window-refresh", winLink, winLine, [&] { return winOps.Refresh(); });
    KillTimer(nullptr, tick);
    if (!ok) return 1;
  }
#endif

  // The demo's analyser inside this process: no pseudo-terminal, no thread.
  sim::Config config;
  config.baud = kBaud;
  config.rows = sim::LoadTableFile(table);
  sim::InProcessLine line(config);
  CountingLine localLine(line);
  ClockPump localPump;
  AnalyserLink localLink(localPump);
  localLink.UseLine(localLine);
  localLink.SetPortOverride(line.DevicePath());
  FuelTable localRows;
  FuelOperations localOps(localLink, localRows, view);
  return Timed("in-process", localLink, localLine, [&] { return localOps.Refresh(); }) ? 0 : 1;
}
