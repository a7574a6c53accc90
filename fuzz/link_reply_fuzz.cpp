// The link's reply assembly fed whatever the line may carry. One real
// pseudo-terminal serves every input: the far end writes the input's bytes in
// chunks, interleaved with timer ticks, while AnalyserLink::Exchange waits. A model
// of the framing predicts Reply, TicksLeft, Failed and the bytes left on the
// line for the next reply; any difference aborts.
//
// Input: the bytes the analyser sends come from the front; the schedule
// (chunk sizes, ticks, idle event steps) is taken from the back.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "link/analyser_link.h"
#include "tests/support/pty_peer.h"

namespace {

using quelt::AnalyserLink;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "link_reply_fuzz: %s\n", what);
  std::abort();
}

// What the far end does at one event step of the tool's wait.
struct Step {
  enum Kind { kChunk, kTick, kIdle } kind;
  std::string bytes;  // kChunk
};

// The pseudo-terminal, opened once for the whole run. A failure to pass
// bytes on throws, which ends the run like any other finding.
using Line = quelt::test::PtyPeer;

// Runs the schedule: one step for every event step of the wait; with
// `dispatchInWaits` a wait dispatches a step too, as the window's pump does.
// Once the schedule is spent every step is a tick, so every wait ends.
class ScheduledPump : public quelt::MessagePump {
 public:
  ScheduledPump(Line& line, std::deque<Step>& steps) : line_(line), steps_(steps) {}
  bool dispatchInWaits = false;

  void ProcessPendingEvents() override { RunStep(); }
  void WaitForActivity(quelt::SerialPort&, int) override {
    if (dispatchInWaits) RunStep();
  }

 private:
  void RunStep() {
    if (steps_.empty()) {
      DeliverTick();
      return;
    }
    Step s = std::move(steps_.front());
    steps_.pop_front();
    if (s.kind == Step::kChunk) line_.Write(s.bytes);
    if (s.kind == Step::kTick) DeliverTick();
  }
  Line& line_;
  std::deque<Step>& steps_;
};

struct Outcome {
  std::string reply;
  int ticksLeft = 0;
  bool failed = false;
  std::string left;  // on the line after the wait
};

// The framing as documented: a pass reads at most one byte, a CR ends the
// reply before that pass's events, ten ticks end the wait. `queue` holds the
// bytes already waiting when the wait starts.
Outcome Model(std::string queue, std::deque<Step> steps, bool dispatchInWaits) {
  Outcome o;
  int ticks = AnalyserLink::kReplyTicks;
  auto step = [&] {
    if (steps.empty()) {
      if (ticks > 0) --ticks;
      return;
    }
    const Step s = steps.front();
    steps.pop_front();
    if (s.kind == Step::kChunk) queue += s.bytes;
    if (s.kind == Step::kTick && ticks > 0) --ticks;
  };
  for (;;) {
    bool got = false;
    if (!queue.empty()) {
      const char b = queue.front();
      queue.erase(0, 1);
      if (b == '\r') break;
      // An LF or NUL before the reply's first byte is framing, not data.
      if (!o.reply.empty() || (b != '\n' && b != '\0')) o.reply.push_back(b);
      got = true;
    }
    step();
    if (ticks == 0) break;
    if (!got && dispatchInWaits) {
      step();
      if (ticks == 0) break;
    }
  }
  o.ticksLeft = ticks;
  o.failed = ticks == 0;
  o.left = queue;
  for (const Step& s : steps) o.left += s.bytes;
  return o;
}

// The tool's input queue holds 2048 bytes; stay well inside the kernel's.
constexpr std::size_t kMaxBytes = 2000;
constexpr std::size_t kMaxSteps = 200;

struct Rig {
  Line line;
  std::deque<Step> steps;
  ScheduledPump pump{line, steps};
  AnalyserLink link{pump};
  Rig() {
    link.SetPortOverride(line.DevicePath());
    link.Connect();
    if (link.failed()) Fail("cannot open the pty");
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Rig* rig = new Rig;  // one line for the whole run, never torn down
  FuzzedDataProvider in(data, size);

  static const char* const kCommands[] = {
      "", "R001", "R402", "R40101", "W4011;16;Erdgas H;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;"};
  const std::string command = kCommands[in.ConsumeIntegralInRange<int>(0, 4)];
  const bool dispatchInWaits = in.ConsumeBool();

  // Bytes already waiting before the command went out: a late reply or noise.
  std::deque<Step> steps;
  std::string before = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 16));
  std::size_t total = before.size();
  while (in.remaining_bytes() > 0 && steps.size() < kMaxSteps && total < kMaxBytes) {
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
      case 0:
      case 1: {
        const auto n = in.ConsumeIntegralInRange<std::size_t>(1, 64);
        std::string chunk = in.ConsumeBytesAsString(std::min(n, kMaxBytes - total));
        if (chunk.empty()) break;
        total += chunk.size();
        steps.push_back({Step::kChunk, std::move(chunk)});
        break;
      }
      case 2:
        steps.push_back({Step::kTick, {}});
        break;
      default:
        steps.push_back({Step::kIdle, {}});
        break;
    }
  }

  AnalyserLink& link = rig->link;
  const Outcome want = Model(before, steps, dispatchInWaits);
  if (!before.empty()) rig->line.Write(before);

  rig->steps = steps;
  rig->pump.dispatchInWaits = dispatchInWaits;
  link.ClearFailure();
  link.Exchange(command);

  if (rig->line.ReadCommand() != command + "\r") Fail("the command went out changed");
  if (link.reply() != want.reply) Fail("Reply differs from the bytes before the first CR");
  if (link.failed() != want.failed) Fail("Failed differs");
  if (link.ticksLeft() != want.ticksLeft) Fail("TicksLeft differs");
  if (!link.failed() && (link.ticksLeft() < 1 || link.ticksLeft() > AnalyserLink::kReplyTicks))
    Fail("TicksLeft outside 1..10 after a reply");
  if (link.failed() && link.ticksLeft() != 0) Fail("TicksLeft not 0 after a time-out");
  if (!link.failed() && link.lastByte() != 13) Fail("LastByte is not the CR");

  // The rest of the schedule goes out as well; then everything after the CR
  // must still wait on the line, in order, for the next reply.
  for (const Step& s : rig->steps) {
    if (s.kind == Step::kChunk) rig->line.Write(s.bytes);
  }
  rig->steps.clear();
  std::string left;
  quelt::Line& device = link.port().GetLine();
  const quelt::comm::Handle handle = link.port().handle();
  while (device.BytesWaiting(handle) > 0) {
    char buf[512];
    const std::uint32_t n = device.Read(handle, buf, sizeof buf).count;
    if (n == 0) break;
    left.append(buf, n);
  }
  if (left != want.left) Fail("bytes after the CR were lost or changed");
  if (rig->line.Waiting() != 0) Fail("the line was not drained");
  return 0;
}
