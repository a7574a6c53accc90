// What the window controller asks of a window: draw this, enable that, run
// the platform's dialogs. A window implements it with its widgets and keeps
// nothing else; the controller's tests implement it with a recorder. Texts
// are UTF-8.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "control/file_choice.h"
#include "control/grid_follower.h"
#include "control/messages.h"
#include "control/report_parties.h"
#include "control/row_editor.h"
#include "front/fitting.h"

namespace quelt::control {

// The controls whose enabling the controller decides.
enum class Control { Refresh, Send, MoveUp, MoveDown, Open, Save, EditMenu, BackupLine, Port };
inline constexpr int kControlCount = static_cast<int>(Control::Port) + 1;

class WindowFace {
 public:
  virtual ~WindowFace() = default;

  virtual void SetCaption(const std::string& text) = 0;
  // The status line in parts: the window shows as much as fits its room
  // (front::FitStatusLine), the whole line as the tool tip.
  virtual void SetStatusLine(const front::StatusLine& line) = 0;
  // The last backup's line and its tool tip ("" for none).
  virtual void SetBackupLine(const std::string& text, const std::string& tip) = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;
  // The table changed: the grid shows `step` (its rows anew, a row's values,
  // the row indicator); it asks the controller for the rest (GridCells).
  virtual void ShowGridStep(const GridFollower::Step& step) = 0;
  // A transfer runs: the grid keeps the row it walks by; the pump wakes fast.
  virtual void SetTransferLock(bool locked) = 0;
  virtual void ClearLog() = 0;
  virtual void AddLogLine(const std::string& line) = 0;
  virtual void SetProgress(int value) = 0;  // 0 .. kProgressFullScale
  virtual void SetBusyCursor(bool busy) = 0;

  // A modal box; returns the button the user chose (the escape answer when
  // the box was closed otherwise).
  virtual Answer Ask(const Message& message) = 0;
  // The file dialog `choice` describes (control/file_choice.h); the file the
  // user picked, empty when cancelled.
  virtual std::filesystem::path PickFile(const FileChoice& choice) = 0;
  // The modal editor dialog on `editor` (the table's current row); true
  // when the user left it with OK. The controller stores or drops the row.
  virtual bool EditRow(RowEditor& editor) = 0;
  // The workstation's decimal separator, as the window shows numbers.
  virtual char32_t DecimalSeparator() const = 0;
  // The cells' change marks have a new reference (after a Refresh or a
  // checked Send): the grid draws them anew.
  virtual void RedrawGrid() = 0;
  // A folder or a document, opened by the system's own program for it;
  // false when the system could not.
  virtual bool OpenWithSystem(const std::filesystem::path& path) = 0;
  // The modal form of the service report's lines (control/report_parties.h),
  // filled with `parties`; true when the user left it with OK, `parties`
  // then holding what the form holds.
  virtual bool EditReportParties(ReportParties& parties) = 0;
  // The modal Backups view on a control::BackupsView of the controller.
  virtual void ShowBackups() = 0;
  // What the window keeps between runs in the platform's settings store
  // (UTF-8 names and values); "" for a value never stored.
  virtual std::string LoadSetting(const std::string& name) = 0;
  virtual void StoreSetting(const std::string& name, const std::string& value) = 0;
  // The port control's entries and the one chosen (control/port_chooser.h).
  // `tip`: the chosen entry whole, or what the control is for.
  virtual void SetPortChoices(const std::vector<std::string>& texts, int chosen,
                              const std::string& tip) = 0;
  // Closes the window the platform's way; the controller is asked again.
  virtual void RequestClose() = 0;
  // The same from a later turn of the outer event loop.
  virtual void RequestCloseLater() = 0;
};

}  // namespace quelt::control
