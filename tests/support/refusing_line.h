// A line that opens like the real one but refuses the control block.
#pragma once

#include "link/forwarding_line.h"

namespace quelt::test {

// A line whose SetState is refused with a reason while `refuse` is set: how a
// port behaves that opens but cannot take the control block (a driver that
// knows no 9600 baud, a device that is no serial port after all).
class RefusingStateLine final : public ForwardingLine {
 public:
  using ForwardingLine::ForwardingLine;
  bool refuse = true;
  comm::Reason reason{22, false, false, "Invalid argument"};

  bool SetState(comm::Handle h, const DcbRecord& dcb, comm::Reason* why) override {
    if (!refuse) return ForwardingLine::SetState(h, dcb, why);
    if (why != nullptr) *why = reason;
    return false;
  }
};

}  // namespace quelt::test
