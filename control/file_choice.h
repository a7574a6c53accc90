// What each file dialog asks for, the same in both windows: its title, its
// filters, the extension a name typed without one gets and the folder it
// opens in, the one last used (the setting front::kSettingsFolderKey).
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace quelt::control {

// What an export writes: the table for spreadsheets, or the service report.
enum class ExportKind { Csv, Report };

struct FileFilter {
  std::string name;                     // "Fuel tables", in the language in use
  std::vector<std::string> extensions;  // {"txt", "csv"}; none for every file
};

struct FileChoice {
  std::string title;
  std::vector<FileFilter> filters;  // the first is chosen
  std::string extension;            // what a name without one gets
  bool save = false;                // a file to write: replacing one is confirmed
  // The folder last used; empty: the platform's own choice (Qt: home).
  std::filesystem::path folder;
  // The name a save proposes (ProposedFileName); empty: none.
  std::string name = {};
};

// A table file to load or to save: fuel tables (an Open also shows the CSV
// files the export writes), or any file.
FileChoice TableFileChoice(bool save);
// The spreadsheet file or the service report to write.
FileChoice ExportFileChoice(ExportKind kind);

// The name a save proposes: "<serial>_<date>.<extension>", the serial
// number (Windows-1252) of the analyser last identified and the date
// YYYY-MM-DD; without a serial number only the date. Characters a file name
// cannot hold on every system become '_'.
std::string ProposedFileName(const std::string& serialNumber, std::time_t now,
                             const std::string& extension);

}  // namespace quelt::control
