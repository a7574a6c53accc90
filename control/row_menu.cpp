#include "control/row_menu.h"

namespace quelt::control {
namespace {

const char* NameOf(Key key) {
  switch (key) {
    case Key::F1:
      return "F1";
    case Key::F2:
      return "F2";
    case Key::F5:
      return "F5";
    case Key::Enter:
      return "Enter";
    case Key::Up:
      return "Up";
    case Key::Down:
      return "Down";
    case Key::Delete:
      return "Delete";
    case Key::Insert:
      return "Insert";
    case Key::D:
      return "D";
    case Key::O:
      return "O";
    case Key::S:
      return "S";
    case Key::Q:
      return "Q";
    case Key::Y:
      return "Y";
    case Key::B:
      return "B";
    case Key::E:
      return "E";
    case Key::P:
      return "P";
    case Key::Z:
      return "Z";
  }
  return "";
}

}  // namespace

const std::vector<RowMenuItem>& RowMenuItems() {
  static const std::vector<RowMenuItem> items = {
      {Command::Edit, "Edit"},
      {Command::Add, "Add row"},
      {Command::Duplicate, "Duplicate"},
      {Command::Delete, "Delete"},
      {Command::Undo, "Undo"},
      {Command::Redo, "Redo"},
      {Command::Backups, "Backups..."},
      {Command::ExportCsv, "Export to CSV..."},
      {Command::Report, "Service report..."},
      {Command::Help, "User guide"},
      {Command::About, "About"},
  };
  return items;
}

std::string KeyText(Command command) {
  for (const KeyBinding& k : KeyTable()) {
    if (k.command == command) return std::string(k.ctrl ? "Ctrl+" : "") + NameOf(k.key);
  }
  return {};
}

std::string MenuText(const RowMenuItem& item) {
  const std::string key = KeyText(item.command);
  return key.empty() ? item.label : std::string(item.label) + "\t" + key;
}

}  // namespace quelt::control
