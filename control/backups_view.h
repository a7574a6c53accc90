// The Backups view: the attached analyser's backups, newest first, with each
// file's own check and what it was made for; the selected one's table;
// Restore (written back exactly, checked by reading it back), Load into grid
// (a table not sent, to edit) and Compare with analyser (its rows against the
// table the analyser last reported). A window's dialog maps it: a list, a
// table, three buttons.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "control/backup_actions.h"  // RowsOfBackup
#include "fuel/backup_list.h"
#include "fuel/fuel_row.h"

namespace quelt::control {

class WindowController;

class BackupsView {
 public:
  // The list's columns: when it was saved, rows, count, the file's check,
  // what it was made for ("before a send", "-" where the file does not
  // say); their titles in the language in use.
  static constexpr int kColumns = 5;
  static std::vector<std::string> ListTitles();
  static std::vector<std::string> Columns(const BackupEntry& entry);

  // The dialog's title: "Backups - quelt-fuel" in the language in use.
  static std::string Caption();
  // The view's size at 96 dpi; the word and the tool tips of its buttons
  // beside Close.
  static constexpr int kWidth = 720, kHeight = 480;
  static std::string LoadWord();
  static std::string RestoreHint();
  static std::string LoadHint();
  static std::string CompareWord();
  static std::string CompareHint();

  // Lists the folder of the analyser last identified; decimals are shown
  // with `separator`, the grid's.
  explicit BackupsView(WindowController& controller, char32_t separator = U',');

  void Reload();
  const std::filesystem::path& Folder() const { return folder_; }
  // What the list shows, or why it is empty (UTF-8).
  std::string Heading() const;
  const std::vector<BackupEntry>& Entries() const { return entries_; }

  // -1: none. Selecting shows the backup's rows.
  void Select(int index);
  int Selected() const { return selected_; }
  // The selected backup's rows in use, as it stores them (descriptions
  // Windows-1252).
  const std::vector<FuelRow>& SelectedRows() const { return rows_; }
  // The selected backup's table as the view shows it: the column titles,
  // and the cells of row `index` (N its place, numbers as the wire has them).
  static std::vector<std::string> RowTitles();
  std::vector<std::string> RowCells(std::size_t index) const;
  // The selected file's path and check, for the line under the table.
  std::string SelectedNote() const;

  bool CanRestore() const;
  bool CanLoad() const;
  // A backup is selected and the analyser's table is known (a Refresh read
  // it, or a send was checked) and no transfer runs.
  bool CanCompare() const;
  // The buttons. Restore asks first; true when the analyser took the backup.
  bool Restore();
  // True when the grid holds the backup now: the view is done.
  bool Load();
  // The differences between the selected backup's rows and the table the
  // analyser last reported, one line each (UTF-8), also shown in a box;
  // empty when they hold the same.
  std::vector<std::string> Compare();

 private:
  const BackupEntry* Current() const;

  WindowController& controller_;
  char32_t separator_;
  std::filesystem::path folder_;
  std::vector<BackupEntry> entries_;
  int selected_ = -1;
  std::vector<FuelRow> rows_;
};

}  // namespace quelt::control
