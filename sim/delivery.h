// How a reply goes out: which faults apply to a command, the reply's bytes
// with its CR (or without, with LF, with NULs), and the pace of a real line.
// Every line of the simulator (the pseudo-terminal, the in-process line)
// turns input into commands and commands into bytes here.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sim/answer.h"
#include "sim/config.h"

namespace quelt::sim {

enum class Action { kReply, kSilent, kHangUp };

// What to do with the `number`th command (1-based) under `faults`.
Action Decide(const Faults& faults, int number, std::string_view command);

// The bytes to send for `reply` as the `number`th command's answer.
std::string Frame(std::string_view reply, const Faults& faults, int number);

// Takes the next whole command (without its CR) out of the bytes received
// since the last one; nothing while no CR has come. A command that never
// ends keeps only its first 64 KiB, as in a real device's input buffer.
std::optional<std::string> TakeCommand(std::string& pending);

// What the analyser does with the `number`th command received: the action,
// and for a reply its bytes as they go on the line. A command answered is
// carried out on `table`; one ignored or sent straight back is not.
struct Response {
  Action action = Action::kReply;
  std::string bytes;
};
Response Respond(std::string_view command, int number, const Config& config, TableState& table);

using Clock = std::chrono::steady_clock;

// When byte `index` (0-based) of a reply begun at `start` has crossed a line
// of `baud` bits per second: ten bit times a byte (none when baud is 0 or
// less), and `trickleMs` more before each byte after the first, as from an
// analyser that sends its reply in dribs.
Clock::time_point ByteDue(Clock::time_point start, int baud, std::size_t index, int trickleMs = 0);

// Sends `bytes` one at a time, byte i at ByteDue (the moment it would have
// crossed the wire), or all at once when baud and trickleMs are 0 or less.
// Absolute deadlines keep a long reply from drifting. `sleepUntil`
// returns false to abandon the reply (shutting down); `write` returns false
// when the line is gone. Returns whether every byte went out.
bool SendPaced(std::string_view bytes, int baud, int trickleMs, Clock::time_point start,
               const std::function<bool(Clock::time_point)>& sleepUntil,
               const std::function<bool(const char*, std::size_t)>& write);

}  // namespace quelt::sim
