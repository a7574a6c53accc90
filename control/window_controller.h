// The main window's behaviour, without a toolkit: it runs the operations for
// the buttons and keys, decides which controls are enabled, guards every
// command during a transfer, asks before unsent changes are dropped and
// before a row is deleted, and keeps what the window shows besides the grid:
// the caption with its mark, the status and backup lines, the last line of
// each operation. A window is its face (control/face.h): it reports what the
// user did and draws what it is told.
#pragma once

#include <array>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "control/change_marks.h"
#include "control/face.h"
#include "control/grid_follower.h"
#include "control/keys.h"
#include "control/port_chooser.h"
#include "control/report_parties.h"
#include "control/session_trace.h"
#include "control/undo_history.h"
#include "front/layout.h"
#include "fuel/fuel_ops.h"
#include "fuel/fuel_table.h"
#include "fuel/report.h"
#include "fuel/session_log.h"
#include "fuel/status_text.h"
#include "fuel/table_state.h"

namespace quelt::control {

// Where the split between the log and the grid is kept (the log's height at
// 96 dpi), the same name in both windows' settings.
inline constexpr const char* kLogHeightSettingKey = "window/logHeight";

class WindowController : private FuelView {
 public:
  explicit WindowController(AnalyserLink& link);
  WindowController(const WindowController&) = delete;
  WindowController& operator=(const WindowController&) = delete;

  // The window that shows it; null while there is none.
  void Attach(WindowFace* face);
  FuelTable& Table() { return table_; }
  FuelOperations& Ops() { return ops_; }
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
  void PortListOpened();
  void ChoosePort(int index);
  // The user typed a port into the control (PortChooser::Type); remembered
  // as a chosen one is.
  void TypePort(const std::string& text);
  PortChooser& Ports() { return ports_; }
  // The log's height at 96 dpi (front::LayoutMain): the one remembered
  // from the last run, or the default.
  int LogHeight() const { return logHeight_; }
  // The user dragged the split bar and let go: the log is now `height96`
  // high at 96 dpi, which is remembered for the next run.
  void SplitMoved(int height96);
  // The clock of the log's times (tests set their own).
  void SetClock(std::function<std::time_t()> clock) { clock_ = std::move(clock); }
  // Today's log file (fuel/session_log.h); empty while no folder is known.
  std::filesystem::path TodaysLogFile() const;
  // What the grid shows of the table (control/grid_follower.h): its rows,
  // and the row of the indicator (-1: none).
  int GridRows() const { return grid_.Rows(); }
  int GridCurrent() const { return grid_.Current(); }
  // The table's current row (the one a new row takes while inserted).
  int CurrentRow() const { return table_.CurrentIndex(); }

  // Loads or saves without asking for a file; false when it failed. `path`
  // may be any file; errors name it and, for a load, its line.
  bool LoadTable(const std::filesystem::path& path);
  bool SaveTable(const std::filesystem::path& path);

  bool Enabled(Control control) const;
  // A command of the row menu may run now (the menu greys the others).
  bool CanDo(Command command) const;
  // The row menu as it opens now: for each item of RowMenuItems() whether
  // it can run; none during a transfer (the menu runs a loop of its own, and
  // a wait for the analyser must not run inside it).
  std::optional<std::vector<bool>> RowMenuNow() const;
  // The grid's change mark: the cell differs from what the analyser stores
  // (control/change_marks.h); never before a Refresh or a Send.
  bool CellChanged(int row, FuelField field) const;
  int RowsChanging() const;
  bool TransferActive() const { return transferActive_; }
  bool ClosePending() const { return closePending_; }
  bool BusyCursor() const { return busyCursor_; }
  // The grid differs from what the analyser holds.
  bool Unsent() const { return unsent_.Pending(table_); }
  std::string Caption() const { return WindowCaption(Unsent()); }
  StatusFacts Status() const;
  const std::string& LastBackup() const { return lastBackup_; }
  std::string Port() const { return PortText(link_, demo_); }
  std::string About() const;

  // The Backups view's side (control/backups_view.cpp): the folder of the
  // analyser last identified (empty while none is), a backup written back
  // exactly through FuelOperations::RestoreTable, and one taken into the grid
  // as a table not sent.
  std::filesystem::path AnalyserBackupsFolder() const;
  // `tableBefore`: what a stopped send left on the analyser (StoppedWriteLeft).
  bool RestoreBackup(const std::filesystem::path& path, const std::string& tableBefore = {});
  bool LoadBackup(const std::filesystem::path& path);
  Answer AskUser(const Message& message) { return Ask(message); }

  // The exports (control/export.cpp): the grid as a spreadsheet file, and
  // the service report of the analyser, the grid, the last backup and the
  // last send's check. False (and a message) when the file was not written.
  bool ExportCsv(const std::filesystem::path& path);
  // Who and where, for the report; remembered between runs, each line cut
  // to kPartyMaxChars characters.
  const ReportParties& Parties() const { return reportParties_; }
  void SetParties(const ReportParties& parties);
  bool WriteReport(const std::filesystem::path& path);
  ServiceReport Report() const;

 private:
  // The operations, each ending with one log line that says what happened.
  void Refresh();
  void Send();
  void Open();
  void Save();
  void Delete();
  void Add(FuelRow row);
  void Duplicate();
  void Undo(bool redo);
  void ShowUserGuide();
  void OpenTodaysLog();
  // The session's trace to a file the user picks (control/session_trace.cpp).
  void SaveTrace();
  // After a restore: the analyser's table read into the grid, as a Refresh
  // reads it, so that the grid and the status line show what it holds.
  void ShowAnalysersTable();
  // The analyser's stored rows as the operations last read or checked them.
  void NoteStoredRows();
  // Runs a command that may change the table; a change becomes an undo step
  // and N is numbered by position again.
  void Change(Command command);
  void NumberByPosition();
  // Before unsent changes are dropped: Save, Discard or Cancel. True when
  // the caller may go on. `closing`: the program ends.
  bool MayDropChanges(bool closing = false);
  // Enabling, caption, status and backup line to the face.
  void Update();
  Answer Ask(const Message& message);
  // A failure on the line, or About: the box also offers to save the
  // session's trace, which is saved when the command has ended.
  Answer AskOfferingTrace(const Message& message);
  // The table's notification: the grid's step to the face, then the rest.
  void OnTableChange(FuelTable::Change change);
  // The editor dialog on the current row; true: OK.
  bool EditCurrentRow();

  // FuelView: the operations' side.
  void ClearLog() override;
  void AddLogLine(const std::string& line) override;
  void SetProgress(int value) override;
  void SetBusyCursor(bool busy) override;
  void ShowMessage(const std::string& text) override;
  bool Confirm(const std::string& question) override;
  void EnableRefresh(bool enabled) override;
  void EnableSend(bool enabled) override;
  void SetTransferActive(bool active) override;

  // The messages of a Send; a write that stopped with a backup made offers
  // to restore it (control/backups_view.cpp).
  void ShowDeferred(const SendOutcome& outcome);
  // Asks for the file and writes the export; the report's form first.
  void Export(ExportKind kind);
  // The file dialog, opened in the folder last used; the picked file's
  // folder becomes the one last used (control/file_choice.cpp).
  std::filesystem::path PickFile(FileChoice choice);
  // The report's parties as the settings keep them.
  void LoadParties();
  // What the last send or restore's check found, for the report.
  void NoteCheck(const SendOutcome& outcome);
  void Log(const std::string& utf8);
  // The port control's entries to the face.
  void ShowPorts();
  // The line into today's log file; a failed write is said once in the log.
  void KeepInFile(const std::string& utf8);
  // Logs `line` unless the operations just logged it themselves.
  void LogFinal(const std::string& utf8);

  AnalyserLink& link_;
  SessionTrace sessionTrace_{link_};
  FuelTable table_;
  GridFollower grid_{table_};
  FuelOperations ops_;
  PortChooser ports_;
  WindowFace* face_ = nullptr;
  UnsentChanges unsent_;
  UndoHistory history_;
  // The rows the analyser stores, once a Refresh read them or a Send wrote
  // them, and the grid's change marks against them.
  ChangeMarks marks_;
  // The table before the last Send (its backup's rows), for the report;
  // empty while the stored rows came from a read.
  std::optional<std::vector<FuelRow>> beforeSend_;
  std::string lastBackup_;
  std::string lastLine_;
  // Lines shown since the start: a Refresh then separates rather than clears.
  int logLines_ = 0;
  SessionLog sessionLog_;
  bool sessionLogFailed_ = false;
  std::function<std::time_t()> clock_ = [] { return std::time(nullptr); };
  int logHeight_ = front::kDefaultLogHeight;
  bool demo_ = false;
  std::filesystem::path programFolder_;
  bool refreshEnabled_ = true;
  // Send only once a table is there to send: after a Refresh that read the
  // list, or a load.
  bool sendEnabled_ = false;
  bool transferActive_ = false;
  bool busyCursor_ = false;
  bool closePending_ = false;
  bool terminating_ = false;
  // During a Send the operations' messages wait until it returned: a write
  // that stopped then asks whether to restore the backup made before it.
  bool deferMessages_ = false;
  std::vector<std::string> deferred_;
  std::string lastCheck_;
  // "Save trace..." was chosen in a box: saved once the command has ended.
  bool traceWanted_ = false;
  ReportParties reportParties_;
};

}  // namespace quelt::control
