// 200 exchanges of a row-read command with a ~50-byte reply against
// quelt-sim paced at 9600 baud: how close the link comes to the line's own
// speed, and how little processor time its waits cost.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/measure.h"
#include "bench/sim_process.h"
#include "link/analyser_link.h"
#include "link/clock_pump.h"

int main(int argc, char** argv) {
  using namespace quelt;
  const int count = argc > 1 ? std::atoi(argv[1]) : 200;
  constexpr int kBaud = 9600;
  bench::SimProcess sim({"--baud", std::to_string(kBaud)});

  ClockPump pump;
  AnalyserLink link(pump);
  link.SetPortOverride(sim.DevicePath());
  link.Connect();
  link.Exchange("");  // wake-up, outside the measurement
  if (link.failed()) {
    std::fprintf(stderr, "quelt-sim did not answer on %s\n", sim.DevicePath().c_str());
    return 1;
  }

  double replyBytes = 0, commandBytes = 0;
  const bench::Stopwatch watch;
  for (int i = 0; i < count; ++i) {
    link.Exchange("R40101");
    if (link.failed()) {
      std::fprintf(stderr, "exchange %d failed\n", i + 1);
      return 1;
    }
    replyBytes += double(link.reply().size() + 1);  // the reply and its CR
    commandBytes += 7;                              // "R40101" and its CR
  }
  const double wall = watch.Wall(), cpu = watch.Cpu();
  // The simulator paces its replies like the line; the commands cross the
  // pseudo-terminal at once. So the replies' line time is what the wall time
  // can be held against; a real line would add the commands' time as well.
  const double wire = bench::WireSeconds(replyBytes, kBaud);
  const double bothWays = bench::WireSeconds(replyBytes + commandBytes, kBaud);
  std::printf("exchanges        %d (reply %.0f bytes each)\n", count, replyBytes / count);
  std::printf("wall time        %.3f s\n", wall);
  std::printf("wire time        %.3f s (replies, as paced; both ways on a real line %.3f s)\n",
              wire, bothWays);
  std::printf("wall / wire      %.3f\n", wall / wire);
  std::printf("cpu / wall       %.4f\n", cpu / wall);
  link.Disconnect();
  return 0;
}
