#include "win/main_commands.h"

#include <vector>

#include "control/enabling.h"
#include "control/keys.h"
#include "control/row_menu.h"
#include "text/utf16.h"

namespace quelt::win {
namespace {

// The virtual keys of control::Key, in its order.
constexpr WORD kVirtualKeys[] = {VK_F1,     VK_F2,     VK_F5, VK_RETURN, VK_UP, VK_DOWN,
                                 VK_DELETE, 'O',       'S',   'Q',       'B',   'E',
                                 'P',       VK_INSERT, 'D',   'Z',       'Y'};
static_assert(std::size(kVirtualKeys) == static_cast<std::size_t>(control::Key::Y) + 1);

bool Pressed(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

MainCommands::~MainCommands() {
  if (rowMenu_ != nullptr) DestroyMenu(rowMenu_);
  if (keys_ != nullptr) DestroyAcceleratorTable(keys_);
}

void MainCommands::Create() {
  rowMenu_ = CreatePopupMenu();
  int item = kEditMenuId;
  for (const control::RowMenuItem& i : control::RowMenuItems()) {
    AppendMenuW(rowMenu_, MF_STRING, static_cast<UINT_PTR>(item++),
                WideFromUtf8(control::MenuText(i)).c_str());
  }
  // The grid's own keys come through TranslateKey and the grid's notifications.
  std::vector<ACCEL> keys;
  for (const control::KeyBinding& k : control::KeyTable()) {
    if (k.inGridOnly) continue;
    keys.push_back({static_cast<BYTE>(FVIRTKEY | (k.ctrl ? FCONTROL : 0)),
                    kVirtualKeys[static_cast<std::size_t>(k.key)],
                    static_cast<WORD>(kFirstKeyId + static_cast<int>(k.command))});
  }
  keys_ = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

void MainCommands::EnableEditItem(bool enabled) {
  EnableMenuItem(rowMenu_, kEditMenuId, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MainCommands::ShowRowMenu(HWND owner, POINT screen) {
  const auto enabled = controller_.RowMenuNow();
  if (!enabled) return;
  for (std::size_t i = 0; i < enabled->size(); ++i) {
    EnableMenuItem(rowMenu_, static_cast<UINT>(kEditMenuId + static_cast<int>(i)),
                   MF_BYCOMMAND | ((*enabled)[i] ? MF_ENABLED : MF_GRAYED));
  }
  // Without the foreground the menu would not close when clicked beside.
  SetForegroundWindow(owner);
  TrackPopupMenuEx(rowMenu_, TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y,
                   owner, nullptr);
}

void MainCommands::PostCommand(HWND window, control::Command command) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(kFirstKeyId + static_cast<int>(command), 1), 0);
}

// A click, a menu item or a key: the controller decides.
bool MainCommands::Command(int id, int code) {
  const auto& menu = control::RowMenuItems();
  if (id >= kEditMenuId && id < kEditMenuId + static_cast<int>(menu.size())) {
    controller_.Do(menu[static_cast<std::size_t>(id - kEditMenuId)].command);
    return true;
  }
  // Keys (code 1) and the row menu's items (code 0) name their command.
  if (code <= 1 && id >= kFirstKeyId && id < kFirstKeyId + control::kCommandCount) {
    controller_.Do(static_cast<control::Command>(id - kFirstKeyId));
    return true;
  }
  // STN_CLICKED of the logo is the same code.
  if (code != BN_CLICKED) return false;
  const auto command =
      control::CommandForClick(static_cast<front::MainControl>(id - kFirstControlId));
  if (command) controller_.Do(*command);
  return command.has_value();
}

bool MainCommands::TranslateKey(HWND window, HWND grid, MSG& msg) {
  // Enter in the grid edits its row; elsewhere it is the dialog manager's.
  // Posted: the editor must not run inside the key's dispatch.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && msg.hwnd == grid &&
      !Pressed(VK_CONTROL) && !Pressed(VK_SHIFT)) {
    if (const auto command = control::CommandForKey(control::Key::Enter, false, true)) {
      PostCommand(window, *command);
      return true;
    }
  }
  return keys_ != nullptr && TranslateAcceleratorW(window, keys_, &msg) != 0;
}

}  // namespace quelt::win
