// The main window's commands: the ids its controls, the row menu's items and
// its keys send in WM_COMMAND, the row menu, the window-wide keys made from
// the key table (control/keys.h), and which command each id runs.
#pragma once

#include <windows.h>

#include "control/window_controller.h"
#include "front/layout.h"
#include "win/port_chooser.h"

namespace quelt::win {

// Control IDs: kFirstControlId + the control's index in the layout table.
inline constexpr int kFirstControlId = 100;
// The row menu's items: kEditMenuId + their index in control::RowMenuItems().
inline constexpr int kEditMenuId = 200;
// The keys' commands: kFirstKeyId + the control::Command.
inline constexpr int kFirstKeyId = 300;
// The ranges must not meet, or a key would press a button.
static_assert(kFirstControlId + front::kMainControlCount < kPortChooserId);
static_assert(kPortChooserId < kEditMenuId);
static_assert(kEditMenuId + control::kCommandCount <= kFirstKeyId);
static_assert(kFirstKeyId + control::kCommandCount < 1000);

class MainCommands {
 public:
  explicit MainCommands(control::WindowController& controller) : controller_(controller) {}
  ~MainCommands();
  MainCommands(const MainCommands&) = delete;
  MainCommands& operator=(const MainCommands&) = delete;

  // The row menu and the accelerators of the window-wide keys.
  void Create();
  HMENU RowMenu() const { return rowMenu_; }
  void EnableEditItem(bool enabled);
  // The row menu at `screen`, its items enabled as the controller says;
  // none while a transfer runs.
  void ShowRowMenu(HWND owner, POINT screen);
  // Runs `command` once the message being handled is over.
  static void PostCommand(HWND window, control::Command command);
  // A WM_COMMAND of a control, a menu item or a key; true when it was one.
  bool Command(int id, int code);
  // Enter on the grid and the window-wide keys; true: the key was handled.
  bool TranslateKey(HWND window, HWND grid, MSG& msg);

 private:
  control::WindowController& controller_;
  HMENU rowMenu_ = nullptr;
  HACCEL keys_ = nullptr;
};

}  // namespace quelt::win
