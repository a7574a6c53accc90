#include "control/keys.h"

#include <utility>

namespace quelt::control {

const std::vector<KeyBinding>& KeyTable() {
  static const std::vector<KeyBinding> keys = {
      {Command::Refresh, false, Key::F5, false},  {Command::Send, true, Key::Enter, false},
      {Command::MoveUp, true, Key::Up, false},    {Command::MoveDown, true, Key::Down, false},
      {Command::Edit, false, Key::F2, false},     {Command::Edit, false, Key::Enter, true},
      {Command::Delete, true, Key::Delete, true}, {Command::Open, true, Key::O, false},
      {Command::Save, true, Key::S, false},       {Command::Exit, true, Key::Q, false},
      {Command::Help, false, Key::F1, false},     {Command::Backups, true, Key::B, false},
      {Command::ExportCsv, true, Key::E, false},  {Command::Report, true, Key::P, false},
      {Command::Add, false, Key::Insert, false},  {Command::Duplicate, true, Key::D, false},
      {Command::Undo, true, Key::Z, false},       {Command::Redo, true, Key::Y, false},
  };
  return keys;
}

std::optional<Command> CommandForKey(Key key, bool ctrl, bool inGrid) {
  for (const KeyBinding& k : KeyTable()) {
    if (k.key == key && k.ctrl == ctrl && (inGrid || !k.inGridOnly)) return k.command;
  }
  return std::nullopt;
}

std::optional<Command> CommandForClick(front::MainControl control) {
  using M = front::MainControl;
  static constexpr std::pair<M, Command> kClicks[] = {
      {M::RefreshButton, Command::Refresh},
      {M::SendButton, Command::Send},
      {M::ExitButton, Command::Exit},
      {M::MoveUpButton, Command::MoveUp},
      {M::MoveDownButton, Command::MoveDown},
      {M::OpenButton, Command::Open},
      {M::SaveButton, Command::Save},
      {M::Logo, Command::About},
      {M::BackupLine, Command::OpenBackupFolder},
      {M::BackupsButton, Command::Backups},
  };
  for (const auto& [clicked, command] : kClicks) {
    if (clicked == control) return command;
  }
  return std::nullopt;
}

}  // namespace quelt::control
