// What the user can ask the window to do, and the keys that ask it: the
// same keys in every window.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "front/layout.h"

namespace quelt::control {

enum class Command {
  Refresh,
  Send,
  MoveUp,
  MoveDown,
  Edit,
  Delete,  // the current row, after a question
  Open,    // load a table file
  Save,    // save the table to a file
  Exit,
  About,
  Help,              // the user guide
  OpenBackupFolder,  // the backup line
  Backups,           // the Backups view
  ExportCsv,         // the table to a spreadsheet file
  Report,            // the service report, a web page to print
  Add,               // a row with neutral values below the current one, in the editor
  Duplicate,         // the current row, below it, in the editor without its ID
  Undo,
  Redo,
  SessionLog,  // today's log file, opened by the system
  SaveTrace,   // the session's line trace to a file, for support
};
inline constexpr int kCommandCount = static_cast<int>(Command::SessionLog) + 1;

enum class Key { F1, F2, F5, Enter, Up, Down, Delete, O, S, Q, B, E, P, Insert, D, Z, Y };

struct KeyBinding {
  Command command;
  bool ctrl;
  Key key;
  bool inGridOnly;  // the grid's own keys; elsewhere the key is the control's
};
const std::vector<KeyBinding>& KeyTable();

// The command of a key, where it was pressed; none for other keys.
std::optional<Command> CommandForKey(Key key, bool ctrl, bool inGrid);

// The command a click on a control of the main window asks for (the
// buttons, the logo, the backup line); none for the others.
std::optional<Command> CommandForClick(front::MainControl control);

// The key that runs `command` anywhere in the window, as the key table has
// it ("Ctrl+Enter"); "" for a command without one.
std::string KeyName(Command command);
// A control's tool tip in the language in use, with the key from the key
// table that does the same: "Get fuel list from the instrument (F5)"; the
// grid's lists its keys. "" for a control without a hint.
std::string HintText(const front::MainControlInfo& info);

}  // namespace quelt::control
