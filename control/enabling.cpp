#include "control/enabling.h"

#include <utility>

namespace quelt::control {

std::optional<front::MainControl> MainControlOf(Control control) {
  using M = front::MainControl;
  static constexpr std::pair<Control, M> kShownBy[] = {
      {Control::Refresh, M::RefreshButton}, {Control::Send, M::SendButton},
      {Control::MoveUp, M::MoveUpButton},   {Control::MoveDown, M::MoveDownButton},
      {Control::Open, M::OpenButton},       {Control::Save, M::SaveButton},
      {Control::BackupLine, M::BackupLine},
  };
  for (const auto& [decided, shown] : kShownBy) {
    if (decided == control) return shown;
  }
  return std::nullopt;
}

}  // namespace quelt::control
