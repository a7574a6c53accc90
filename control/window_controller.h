// The main window's behaviour, without a toolkit: it runs the operations for
// the buttons and keys, decides which controls are enabled, guards every
// command during a transfer, asks before unsent changes are dropped and
// before a row is deleted, and keeps what the window shows besides the grid:
// the caption with its mark, the status and backup lines, the last line of
// each operation. A window is its face (control/face.h): it reports what the
// user did and draws what it is told.
//
// The one object the windows talk to; each job is a part of its own, all
// sharing one WindowState: the transfers (control/transfer_commands.h), the
// table's edits (table_edits.h), the table files (file_commands.h), the
// exports (exports.h), the backups (backup_actions.h), the port control
// (port_commands.h), what the window shows (window_display.h), the log
// (window_record.h), and the operations' callbacks (operations_view.h).
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "control/backup_actions.h"
#include "control/exports.h"
#include "control/face.h"
#include "control/file_commands.h"
#include "control/keys.h"
#include "control/operations_view.h"
#include "control/port_commands.h"
#include "control/report_parties.h"
#include "control/table_edits.h"
#include "control/transfer_commands.h"
#include "control/window_display.h"
#include "control/window_record.h"
#include "control/window_state.h"
#include "fuel/fuel_ops.h"
#include "fuel/fuel_table.h"
#include "fuel/report.h"
#include "fuel/status_text.h"

namespace quelt::control {

class WindowController {
 public:
  explicit WindowController(AnalyserLink& link);
  WindowController(const WindowController&) = delete;
  WindowController& operator=(const WindowController&) = delete;

  // The window that shows it; null while there is none.
  void Attach(WindowFace* face);
  // The table and the operations themselves, for tests that set up a case
  // directly; the windows go through the commands below.
  FuelTable& Table() { return state_.table; }
  FuelOperations& Ops() { return state_.ops; }
  // The demo mode: the link talks to the simulated analyser on `line`,
  // named `device`, and the log's title line and the status line say so.
  void AttachSimulated(Line& line, const std::string& device);
  // The folder the program runs from: the user guide is looked for there.
  void SetProgramFolder(const std::filesystem::path& folder) { programFolder_ = folder; }

  // What the user did.
  void Shown();  // the window appeared: the intro
  void Do(Command command);
  // A key the window did not use itself; true when it was one of the table's.
  bool KeyPressed(Key key, bool ctrl, bool inGrid);
  // The user closes the window: true when it may close now. During a
  // transfer the transfer ends first and the window closes afterwards.
  bool CloseRequested();
  // The system ends the program (SIGTERM, SIGHUP, the session ends): a write
  // finishes the command in flight and stops, the log says what the analyser
  // holds, and the window closes without a question; the port is released
  // as the program ends.
  void Terminate();
  // The port control: the user opens it (the list is made anew) and
  // chooses entry `index` of Ports().Texts(), which is remembered.
  void PortListOpened() { ports_.ListOpened(); }
  void ChoosePort(int index) { ports_.Choose(index); }
  // The user typed a port into the control (PortChooser::Type); remembered
  // as a chosen one is.
  void TypePort(const std::string& text) { ports_.Type(text); }
  PortChooser& Ports() { return state_.ports; }
  // The log's height at 96 dpi (front::LayoutMain): the one remembered
  // from the last run, or the default.
  int LogHeight() const { return record_.LogHeight(); }
  // The user dragged the split bar and let go: the log is now `height96`
  // high at 96 dpi, which is remembered for the next run.
  void SplitMoved(int height96) { record_.SplitMoved(height96); }
  // The clock of the log's times (tests set their own).
  void SetClock(std::function<std::time_t()> clock) { record_.SetClock(std::move(clock)); }
  // Today's log file (fuel/session_log.h); empty while no folder is known.
  std::filesystem::path TodaysLogFile() const { return record_.TodaysLogFile(); }

  // The grid (control/grid_cells.h): the table as it shows it, and the row
  // the user picks, which becomes the current row; false while a transfer
  // runs (the transfer walks the table by its current row).
  const FuelTable& ShownTable() const { return state_.table; }
  bool PickRow(int row);
  // What the grid shows of the table (control/grid_follower.h): its rows,
  // and the row of the indicator (-1: none).
  int GridRows() const { return state_.grid.Rows(); }
  int GridCurrent() const { return state_.grid.Current(); }
  // The table's current row (the one a new row takes while inserted).
  int CurrentRow() const { return state_.table.CurrentIndex(); }

  // Loads or saves without asking for a file; false when it failed. `path`
  // may be any file; errors name it and, for a load, its line.
  bool LoadTable(const std::filesystem::path& path) { return files_.LoadTable(path); }
  bool SaveTable(const std::filesystem::path& path) { return files_.SaveTable(path); }

  bool Enabled(Control control) const { return display_.Enabled(control); }
  // A command of the row menu may run now (the menu greys the others).
  bool CanDo(Command command) const { return display_.CanDo(command); }
  // The row menu as it opens now: for each item of RowMenuItems() whether
  // it can run; none during a transfer (the menu runs a loop of its own, and
  // a wait for the analyser must not run inside it).
  std::optional<std::vector<bool>> RowMenuNow() const { return display_.RowMenuNow(); }
  // The grid's change mark: the cell differs from what the analyser stores
  // (control/change_marks.h); never before a Refresh or a Send.
  bool CellChanged(int row, FuelField field) const;
  int RowsChanging() const { return state_.marks.RowsChanging(state_.table); }
  bool TransferActive() const { return state_.transferActive; }
  bool ClosePending() const { return state_.closePending; }
  bool BusyCursor() const { return state_.busyCursor; }
  // The grid differs from what the analyser holds.
  bool Unsent() const { return display_.Unsent(); }
  std::string Caption() const { return display_.Caption(); }
  StatusFacts Status() const { return display_.Status(); }
  const std::string& LastBackup() const { return state_.lastBackup; }
  std::string Port() const { return state_.Port(); }
  std::string About() const;

  // The Backups view's side (control/backups_view.h): the identity of the
  // analyser last identified and its table as last read or checked (null
  // while unknown), its backups' folder (empty while none is identified), a
  // backup written back exactly, and one taken into the grid as a table not
  // sent.
  const StoredTable& Identity() const { return state_.ops.Identity(); }
  const StoredTable* KnownStoredTable() const { return state_.ops.KnownStoredTable(); }
  std::filesystem::path AnalyserBackupsFolder() const { return backups_.AnalyserBackupsFolder(); }
  // `tableBefore`: what a stopped send left on the analyser (StoppedWriteLeft).
  bool RestoreBackup(const std::filesystem::path& path, const std::string& tableBefore = {}) {
    return backups_.Restore(path, tableBefore);
  }
  bool LoadBackup(const std::filesystem::path& path) { return backups_.Load(path); }
  Answer AskUser(const Message& message) { return state_.Ask(message); }

  // The exports (control/exports.h): the grid as a spreadsheet file, and
  // the service report of the analyser, the grid, the last backup and the
  // last send's check. False (and a message) when the file was not written.
  bool ExportCsv(const std::filesystem::path& path) { return exports_.ExportCsv(path); }
  // Who and where, for the report; remembered between runs, each line cut
  // to kPartyMaxChars characters.
  const ReportParties& Parties() const { return exports_.Parties(); }
  void SetParties(const ReportParties& parties) { exports_.SetParties(parties); }
  bool WriteReport(const std::filesystem::path& path) { return exports_.WriteReport(path); }
  ServiceReport Report() const { return exports_.Report(); }

 private:
  void ShowUserGuide();
  void OpenBackupFolder();

  // The operations report to `view_`, which is made after the state.
  WindowState state_;
  WindowDisplay display_{state_};
  WindowRecord record_{state_};
  OperationsView view_{state_, display_, record_};
  FileCommands files_{state_, display_, record_};
  TableEdits edits_{state_};
  PortCommands ports_{state_, display_, record_};
  Exports exports_{{state_, display_, record_}, files_};
  TransferCommands transfers_{{state_, display_, record_}, files_, ports_, exports_};
  BackupActions backups_{{state_, display_, record_}, files_, transfers_};
  std::filesystem::path programFolder_;
};

}  // namespace quelt::control
