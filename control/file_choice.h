// What each file dialog asks for, the same in both windows: its title, its
// filters and the extension a name typed without one gets. The dialogs
// open in the folder last used (the setting front::kSettingsFolderKey).
#pragma once

#include <string>
#include <vector>

#include "control/face.h"

namespace quelt::control {

struct FileFilter {
  std::string name;       // "Fuel tables", in the language in use
  std::string extension;  // "txt"; "" for every file
};

struct FileChoice {
  std::string title;
  std::vector<FileFilter> filters;  // the first is chosen
  std::string extension;            // what a name without one gets
  bool save = false;                // a file to write: replacing one is confirmed
};

// A table file to load or to save: fuel tables, or any file.
FileChoice TableFileChoice(bool save);
// The spreadsheet file or the service report to write.
FileChoice ExportFileChoice(ExportKind kind);

}  // namespace quelt::control
