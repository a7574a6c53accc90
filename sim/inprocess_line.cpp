#include "sim/inprocess_line.h"

#include <algorithm>
#include <thread>

namespace quelt::sim {
namespace {
constexpr const char* kUnplugged = "the simulated analyser was unplugged";
}  // namespace

std::unique_ptr<InProcessLine> InProcessLine::ForDemo() {
  Config config;
  config.baud = 9600;
  return std::make_unique<InProcessLine>(config);
}

InProcessLine::InProcessLine(Config config) : config_(std::move(config)) {
  table_.rows = config_.rows ? *config_.rows : DefaultTable();
}

void InProcessLine::SetConfig(const Config& config) {
  config_ = config;
  if (config.rows) table_ = {*config.rows, -1};
}

void InProcessLine::Inject(const std::string& bytes) {
  if (hungUp_) return;
  Schedule(bytes, std::max(Clock::now(), busyUntil_), 0);
}

std::string InProcessLine::DevicePathForPort(std::int32_t) const { return devicePath_; }

comm::Handle InProcessLine::Open(const std::string&, comm::Reason* reason) {
  if (hungUp_ || open_) {
    if (reason) {
      *reason = {0, false, hungUp_, hungUp_ ? kUnplugged : "already open"};
    }
    return comm::kInvalid;
  }
  open_ = true;
  return kHandle;
}

void InProcessLine::SetupQueues(comm::Handle, std::uint32_t, std::uint32_t) {}

bool InProcessLine::SetState(comm::Handle h, const DcbRecord&, comm::Reason* reason) {
  if (Mine(h) && !hungUp_) return true;
  if (reason) *reason = {0, false, true, kUnplugged};
  return false;
}

IoResult InProcessLine::Write(comm::Handle h, const void* data, std::uint32_t count) {
  if (!Mine(h) || hungUp_) {
    return {0, false, {0, false, hungUp_, hungUp_ ? kUnplugged : "not open"}};
  }
  pending_.append(static_cast<const char*>(data), count);
  while (auto command = TakeCommand(pending_)) {
    if (!Receive(*command)) break;
  }
  return {count, true, {}};
}

bool InProcessLine::Receive(const std::string& command) {
  transcript_.push_back(command);
  const Response r = Respond(command, static_cast<int>(transcript_.size()), config_, table_);
  if (r.action == Action::kHangUp) {
    // A pulled cable: what was still on its way is lost with the line.
    hungUp_ = true;
    out_.clear();
    pending_.clear();
    return false;
  }
  if (r.action == Action::kReply) {
    // The analyser answers one command after the other: a reply starts when
    // the one before it has gone out.
    const auto start =
        std::max(Clock::now(), busyUntil_) + std::chrono::milliseconds(config_.latencyMs);
    Schedule(r.bytes, start, config_.baud, config_.trickleMs);
  }
  return true;
}

void InProcessLine::Schedule(const std::string& bytes, Clock::time_point start, int baud,
                             int trickleMs) {
  for (std::size_t i = 0; i < bytes.size(); ++i)
    out_.push_back({ByteDue(start, baud, i, trickleMs), bytes[i]});
  busyUntil_ = out_.empty() ? start : std::max(start, out_.back().due);
}

IoResult InProcessLine::Read(comm::Handle h, void* data, std::uint32_t count) {
  if (!Mine(h)) return {0, false, {0, false, false, "not open"}};
  const auto now = Clock::now();
  auto* p = static_cast<char*>(data);
  std::uint32_t n = 0;
  while (n < count && !out_.empty() && out_.front().due <= now) {
    p[n++] = out_.front().value;
    out_.pop_front();
  }
  return {n, true, {}};
}

std::uint32_t InProcessLine::BytesWaiting(comm::Handle h) {
  if (!Mine(h)) return 0;
  const auto now = Clock::now();
  std::uint32_t n = 0;
  for (const Byte& b : out_) {
    if (b.due > now) break;
    ++n;
  }
  return n;
}

bool InProcessLine::LineGone(comm::Handle h) { return Mine(h) && hungUp_ && out_.empty(); }

void InProcessLine::Close(comm::Handle h) {
  // Bytes on their way stay on the line for the next open, as in a tty.
  if (Mine(h)) open_ = false;
}

void InProcessLine::WaitReadable(comm::Handle h, int timeoutMs) {
  if (timeoutMs <= 0) return;
  const auto now = Clock::now();
  auto until = now + std::chrono::milliseconds(timeoutMs);
  if (Mine(h) && !out_.empty()) until = std::min(until, out_.front().due);
  // Whole milliseconds: a shorter sleep returns at once on Windows, and the
  // wait would turn into a spin until the byte is due.
  std::this_thread::sleep_for(std::chrono::ceil<std::chrono::milliseconds>(until - now));
}

WaitHint InProcessLine::Hint(comm::Handle h) {
  if (!Mine(h) || out_.empty()) return {};
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(out_.front().due - Clock::now()).count();
  return {0, static_cast<int>(std::clamp<long long>(left, 0, 1000))};
}

}  // namespace quelt::sim
