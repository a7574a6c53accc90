#include "control/keys.h"

#include <utility>

#include "lang/tr.h"

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

std::string KeyName(Command command) {
  static constexpr std::pair<Key, const char*> kNames[] = {
      {Key::F1, "F1"}, {Key::F2, "F2"},         {Key::F5, "F5"},         {Key::Enter, "Enter"},
      {Key::Up, "Up"}, {Key::Down, "Down"},     {Key::Delete, "Delete"}, {Key::O, "O"},
      {Key::S, "S"},   {Key::Q, "Q"},           {Key::B, "B"},           {Key::E, "E"},
      {Key::P, "P"},   {Key::Insert, "Insert"}, {Key::D, "D"},           {Key::Z, "Z"},
      {Key::Y, "Y"},
  };
  for (const KeyBinding& k : KeyTable()) {
    if (k.command != command || k.inGridOnly) continue;
    for (const auto& [key, name] : kNames) {
      if (key == k.key) return std::string(k.ctrl ? "Ctrl+" : "") + name;
    }
  }
  return {};
}

std::string HintText(const front::MainControlInfo& info) {
  if (info.hint[0] == 0) return {};
  if (info.keys[0] != 0) return lang::Tr(info.hint) + " (" + lang::Tr(info.keys) + ")";
  const auto command = CommandForClick(info.id);
  const std::string key = command ? KeyName(*command) : std::string();
  if (key.empty()) return lang::Tr(info.hint);
  return lang::Tr(info.hint) + " (" + front::KeyText(key) + ")";
}

}  // namespace quelt::control
