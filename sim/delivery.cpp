#include "sim/delivery.h"

#include <algorithm>

namespace quelt::sim {
namespace {

constexpr std::size_t kMaxCommand = 64 * 1024;

}  // namespace

std::optional<std::string> TakeCommand(std::string& pending) {
  const auto cr = pending.find('\r');
  if (cr == std::string::npos) {
    if (pending.size() > kMaxCommand) pending.resize(kMaxCommand);
    return std::nullopt;
  }
  std::string command = pending.substr(0, cr);
  pending.erase(0, cr + 1);
  return command;
}

Response Respond(std::string_view command, int number, const Config& config, TableState& table) {
  Response r;
  r.action = Decide(config.faults, number, command);
  if (r.action == Action::kReply && config.silentBeyondRows && AsksBeyondRows(command, table)) {
    r.action = Action::kSilent;
  }
  if (r.action != Action::kReply) return r;
  const std::string reply =
      config.faults.echo ? std::string(command) : Answer(command, config, table);
  r.bytes = Frame(reply, config.faults, number);
  return r;
}

Clock::time_point ByteDue(Clock::time_point start, int baud, std::size_t index, int trickleMs) {
  const auto pauses = std::chrono::milliseconds(trickleMs > 0 ? trickleMs : 0) *
                      static_cast<std::chrono::milliseconds::rep>(index);
  if (baud <= 0) return start + pauses;
  const auto perByte = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(10.0 / static_cast<double>(baud)));
  return start + pauses + perByte * static_cast<Clock::rep>(index + 1);
}

Action Decide(const Faults& faults, int number, std::string_view command) {
  if (faults.hangUpOn > 0 && number == faults.hangUpOn) return Action::kHangUp;
  if (faults.silentFrom > 0 && number >= faults.silentFrom) return Action::kSilent;
  if (std::find(faults.silentOn.begin(), faults.silentOn.end(), number) != faults.silentOn.end()) {
    return Action::kSilent;
  }
  if (!faults.silentOnPrefix.empty() &&
      command.substr(0, faults.silentOnPrefix.size()) == faults.silentOnPrefix) {
    return Action::kSilent;
  }
  return Action::kReply;
}

std::string Frame(std::string_view reply, const Faults& faults, int number) {
  std::string out(reply);
  if (faults.nulOn > 0 && number == faults.nulOn) {
    out.insert(out.size() / 2, 1, '\0');
    out.push_back('\0');
  }
  if (faults.noCrOn <= 0 || number != faults.noCrOn) {
    out.push_back('\r');
    if (faults.lfAfterCr) out.push_back('\n');
  }
  if (faults.duplicateReplyOn > 0 && number == faults.duplicateReplyOn) out += out;
  return out;
}

bool SendPaced(std::string_view bytes, int baud, int trickleMs, Clock::time_point start,
               const std::function<bool(Clock::time_point)>& sleepUntil,
               const std::function<bool(const char*, std::size_t)>& write) {
  if (baud <= 0 && trickleMs <= 0) return bytes.empty() || write(bytes.data(), bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (!sleepUntil(ByteDue(start, baud, i, trickleMs))) return false;
    if (!write(bytes.data() + i, 1)) return false;
  }
  return true;
}

}  // namespace quelt::sim
