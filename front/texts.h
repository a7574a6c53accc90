// The words both windows show, once, in English: marked for the catalogue
// here and looked up with Tr() where they are shown. UTF-8; the front ends
// convert at their edge. Texts the operations produce (log lines, "Timeout",
// ...) live with the operations in fuel/.
#pragma once

#include "lang/tr.h"

namespace quelt::front {

using lang::TrLater;

inline constexpr const char* kMainCaption = TrLater("QUELT fuel list update");
inline constexpr const char* kRefreshCaption = TrLater("Refresh");
inline constexpr const char* kSendCaption = "QUELT";
inline constexpr const char* kRefreshHint = TrLater("Get fuel list from the instrument");
inline constexpr const char* kSendHint = TrLater("Send's new list to the instrument");
inline constexpr const char* kExitHint = TrLater("Close window");
inline constexpr const char* kUpHint = TrLater("fuel move up");
inline constexpr const char* kDownHint = TrLater("fuel move down");
inline constexpr const char* kOpenHint = TrLater("Load a table from a file");
inline constexpr const char* kSaveHint = TrLater("Save the table to a file");
inline constexpr const char* kBackupsCaption = TrLater("Backups");
inline constexpr const char* kBackupsHint =
    TrLater("The analyser's backups: restore one, or load it into the grid");
inline constexpr const char* kGridHint = TrLater("Actual table");
inline constexpr const char* kGridKeys = TrLater(
    "Enter or F2: edit the row, Insert: add one, Ctrl+D: duplicate it, Ctrl+Delete: delete it, "
    "Ctrl+Z / Ctrl+Y: undo / redo");
inline constexpr const char* kEditMenuItem = TrLater("Edit");

inline constexpr const char* kDialogCaption = TrLater("Edit fuel");

// The table files' dialogs.
inline constexpr const char* kOpenTitle = TrLater("Load a table");
inline constexpr const char* kSaveTitle = TrLater("Save the table");
inline constexpr const char* kTableFilesName = TrLater("Fuel tables");
inline constexpr const char* kTableFileExtension = "txt";
inline constexpr const char* kAllFilesName = TrLater("All files");

// The exports' dialogs, and the row menu's items for them and the rest.
inline constexpr const char* kExportCsvTitle = TrLater("Export the table for a spreadsheet");
inline constexpr const char* kCsvFilesName = TrLater("CSV for spreadsheets");
inline constexpr const char* kCsvExtension = "csv";
inline constexpr const char* kReportTitle = TrLater("Save the service report");
inline constexpr const char* kReportFilesName = TrLater("Web pages");
inline constexpr const char* kReportExtension = "html";
inline constexpr const char* kBackupsMenuItem = TrLater("Backups...\tCtrl+B");
inline constexpr const char* kExportCsvMenuItem = TrLater("Export to CSV...\tCtrl+E");
inline constexpr const char* kReportMenuItem = TrLater("Service report...\tCtrl+P");
inline constexpr const char* kAboutMenuItem = TrLater("About");

// The legend's samples, shown in the marks' colours before their meaning.
inline constexpr const char* kLegendSampleNaturalGasH = "ID 16";
inline constexpr const char* kLegendSampleUnused = "N > 15";

// The backup line's tool tip below the backup's full path.
inline constexpr const char* kBackupLineClick = TrLater("Click to open its folder");

// What the window remembers for the user: the folder of the last table
// file. Organisation, program and "group/value" as QSettings names them.
inline constexpr const char* kSettingsOrganisation = "quelt-fuel";
inline constexpr const char* kSettingsFolderKey = "files/folder";

}  // namespace quelt::front
