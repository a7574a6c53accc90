// The controller's messages as Win32 message boxes: the kind's icon (the
// program's own for information), its buttons and default button.
#pragma once

#include <windows.h>

#include <string>

#include "control/messages.h"

namespace quelt::win {

control::Answer AskBox(HWND owner, const control::Message& message);

}  // namespace quelt::win
