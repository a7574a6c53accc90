#include "control/row_menu.h"

#include "front/layout.h"
#include "lang/tr.h"

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
      {Command::Edit, lang::TrLater("Edit")},
      {Command::Add, lang::TrLater("Add row")},
      {Command::Duplicate, lang::TrLater("Duplicate")},
      {Command::Delete, lang::TrLater("Delete")},
      {Command::Undo, lang::TrLater("Undo")},
      {Command::Redo, lang::TrLater("Redo")},
      {Command::Backups, lang::TrLater("Backups...")},
      {Command::ExportCsv, lang::TrLater("Export to CSV...")},
      {Command::Report, lang::TrLater("Service report...")},
      {Command::SessionLog, lang::TrLater("Today's log file")},
      {Command::SaveTrace, lang::TrLater("Save a trace for support...")},
      {Command::Help, lang::TrLater("User guide")},
      {Command::About, lang::TrLater("About")},
  };
  return items;
}

std::string KeyText(Command command) {
  for (const KeyBinding& k : KeyTable()) {
    if (k.command == command) {
      return front::KeyText(std::string(k.ctrl ? "Ctrl+" : "") + NameOf(k.key));
    }
  }
  return {};
}

std::string MenuText(const RowMenuItem& item) {
  const std::string key = KeyText(item.command);
  const std::string label = lang::Tr(item.label);
  return key.empty() ? label : label + "\t" + key;
}

}  // namespace quelt::control
