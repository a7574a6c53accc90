// Where the window shows the controller's enablings: most are a control of
// the layout table; the row menu's Edit item and the port control are not.
#pragma once

#include <optional>

#include "control/face.h"
#include "front/layout.h"

namespace quelt::control {

// The layout control whose enabling `control` decides; none for the row
// menu's Edit item and the port control, which each window keeps itself.
std::optional<front::MainControl> MainControlOf(Control control);

}  // namespace quelt::control
