// The analyser of a line trace (link/line_trace.h, docs/TRACE.md), played
// back: each command gets the bytes the trace recorded after it, each at its
// recorded delay from the command (scaled by the speed), so the trace's
// framing (CR LF, NUL, a reply split across reads, silence) comes back as
// it was. A command the trace does not have at that place is answered with
// silence and reported.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::sim {

struct ReplayStep {
  std::string command;  // as the tool wrote it, without its CR
  int traceLine = 0;    // where the trace has it
  struct Chunk {
    long long afterMs = 0;  // from the command
    std::string bytes;
  };
  std::vector<Chunk> chunks;
};

// The steps of a trace's text; nothing (and `error` says where) when it is
// no trace this program reads.
std::optional<std::vector<ReplayStep>> ReplaySteps(std::string_view traceText, std::string* error);

class Replayer {
 public:
  using Clock = std::chrono::steady_clock;
  // `speed` 2 plays twice as fast; must be above 0.
  Replayer(std::vector<ReplayStep> steps, double speed);

  // A command received at `now` (without its CR). Its recorded bytes join
  // the schedule; a command out of place gets nothing, and the text says
  // where the trace and the command part.
  std::optional<std::string> Command(const std::string& command, Clock::time_point now);
  // The bytes whose time has come by `now`, taken from the schedule.
  std::string Due(Clock::time_point now);
  // When the next bytes are due; nothing while none are scheduled.
  std::optional<Clock::time_point> NextDue() const;
  int CommandsMatched() const { return static_cast<int>(next_); }

 private:
  struct Scheduled {
    Clock::time_point at;
    std::string bytes;
  };
  std::vector<ReplayStep> steps_;
  double speed_;
  std::size_t next_ = 0;
  int received_ = 0;
  std::vector<Scheduled> schedule_;  // in order of time
};

}  // namespace quelt::sim
