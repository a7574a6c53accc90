// What the POSIX device line makes of a device control block, apart from the
// system calls, so that it can be checked where a pseudo-terminal would hide
// it (Linux ptys force 8 data bits and no parity).
#pragma once

#include <termios.h>

#include "link/line.h"

namespace quelt::comm {

// Raw mode plus the record's speed, character format and flow control on top
// of `t`. False (with the reason) for settings termios cannot give.
bool TermiosFromDcb(const DcbRecord& dcb, termios& t, Reason* reason);

}  // namespace quelt::comm
