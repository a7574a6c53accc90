// How a reply goes out: which faults apply to a command, the reply's bytes
// with its CR (or without, with LF, with NULs), and the pace of a real line.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "sim/sim.h"

namespace quelt::sim {

enum class Action { kReply, kSilent, kHangUp };

// What to do with the `number`th command (1-based) under `faults`.
Action Decide(const Faults& faults, int number, std::string_view command);

// The bytes to send for `reply` as the `number`th command's answer.
std::string Frame(std::string_view reply, const Faults& faults, int number);

using Clock = std::chrono::steady_clock;

// Sends `bytes` one at a time, byte i at start + (i + 1) * 10 / baud seconds
// (the moment it would have crossed the wire), or all at once when baud is
// 0 or less. Absolute deadlines keep a long reply from drifting. `sleepUntil`
// returns false to abandon the reply (shutting down); `write` returns false
// when the line is gone. Returns whether every byte went out.
bool SendPaced(std::string_view bytes, int baud, Clock::time_point start,
               const std::function<bool(Clock::time_point)>& sleepUntil,
               const std::function<bool(const char*, std::size_t)>& write);

}  // namespace quelt::sim
