// The window's table files: Open and Save with their file dialogs, a load
// or save of a file named by the caller, and the question before unsent
// changes are dropped, whose Save writes a table file.
#pragma once

#include <filesystem>
#include <vector>

#include "control/file_choice.h"
#include "control/window_part.h"

namespace quelt::control {

class FileCommands : public WindowPart {
 public:
  using WindowPart::WindowPart;

  void Open();
  void Save();
  // Loads or saves without asking for a file; false when it failed. `path`
  // may be any file; errors name it and, for a load, its line.
  bool LoadTable(const std::filesystem::path& path);
  bool SaveTable(const std::filesystem::path& path);
  // Puts `rows` into the grid as a table loaded, not sent: Send may send it.
  void TakeRows(const std::vector<FuelRow>& rows);

  // Before unsent changes are dropped: Save, Discard or Cancel. True when
  // the caller may go on. `closing`: the program ends.
  bool MayDropChanges(bool closing = false);
  // The file dialog, opened in the folder last used; the picked file's
  // folder becomes the one last used. Empty: cancelled.
  std::filesystem::path PickFile(FileChoice choice);
};

}  // namespace quelt::control
