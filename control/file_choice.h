// What each file dialog asks for, the same in both windows: its title, its
// filters, the extension a name typed without one gets and the folder it
// opens in, the one last used (the setting front::kSettingsFolderKey).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quelt::control {

// What an export writes: the table for spreadsheets, or the service report.
enum class ExportKind { Csv, Report };

struct FileFilter {
  std::string name;       // "Fuel tables", in the language in use
  std::string extension;  // "txt"; "" for every file
};

struct FileChoice {
  std::string title;
  std::vector<FileFilter> filters;  // the first is chosen
  std::string extension;            // what a name without one gets
  bool save = false;                // a file to write: replacing one is confirmed
  // The folder last used; empty: the platform's own choice (Qt: home).
  std::filesystem::path folder;
};

// A table file to load or to save: fuel tables, or any file.
FileChoice TableFileChoice(bool save);
// The spreadsheet file or the service report to write.
FileChoice ExportFileChoice(ExportKind kind);

}  // namespace quelt::control
