#include "sim/replay.h"

#include <algorithm>

#include "link/line_trace.h"

namespace quelt::sim {

std::optional<std::vector<ReplayStep>> ReplaySteps(std::string_view traceText, std::string* error) {
  const auto events = ReadTraceEvents(traceText, error);
  if (!events) return std::nullopt;
  std::vector<ReplayStep> steps;
  long long sentMs = 0;
  for (const TraceEvent& e : *events) {
    if (e.tag != ">" && e.tag != "<") continue;
    auto bytes = TraceUnescape(e.text);
    if (!bytes) {
      *error = "line " + std::to_string(e.lineNumber) + ": a malformed \\x escape";
      return std::nullopt;
    }
    if (e.tag == ">") {
      if (!bytes->empty() && bytes->back() == '\r') bytes->pop_back();
      steps.push_back({std::move(*bytes), e.lineNumber, {}});
      sentMs = e.ms;
    } else if (!steps.empty()) {
      steps.back().chunks.push_back({std::max(0LL, e.ms - sentMs), std::move(*bytes)});
    }
  }
  return steps;
}

Replayer::Replayer(std::vector<ReplayStep> steps, double speed)
    : steps_(std::move(steps)), speed_(speed > 0 ? speed : 1) {}

std::optional<std::string> Replayer::Command(const std::string& command, Clock::time_point now) {
  ++received_;
  const std::string place =
      "command " + std::to_string(received_) + " \"" + TraceEscape(command) + "\"";
  if (next_ >= steps_.size()) {
    return place + ": the trace has no more commands (" + std::to_string(steps_.size()) +
           "); answered with silence";
  }
  const ReplayStep& step = steps_[next_];
  if (step.command != command) {
    return place + ": the trace has \"" + TraceEscape(step.command) + "\" there (line " +
           std::to_string(step.traceLine) + "); answered with silence";
  }
  ++next_;
  for (const ReplayStep::Chunk& chunk : step.chunks) {
    const auto delay =
        std::chrono::duration<double, std::milli>(static_cast<double>(chunk.afterMs) / speed_);
    const Scheduled s{now + std::chrono::duration_cast<Clock::duration>(delay), chunk.bytes};
    schedule_.insert(
        std::upper_bound(schedule_.begin(), schedule_.end(), s,
                         [](const Scheduled& a, const Scheduled& b) { return a.at < b.at; }),
        s);
  }
  return std::nullopt;
}

std::string Replayer::Due(Clock::time_point now) {
  std::string out;
  auto it = schedule_.begin();
  while (it != schedule_.end() && it->at <= now) {
    out += it->bytes;
    ++it;
  }
  schedule_.erase(schedule_.begin(), it);
  return out;
}

std::optional<Replayer::Clock::time_point> Replayer::NextDue() const {
  if (schedule_.empty()) return std::nullopt;
  return schedule_.front().at;
}

}  // namespace quelt::sim
