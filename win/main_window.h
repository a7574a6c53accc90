// MainWindow on Win32: the face of the window controller. The log
// (RichEdit), the fuel grid (report ListView), the progress bar and the
// drawn buttons, placed by the shared layout table. Clicks, keys and closing
// go to the controller; the grid redraws from the table's notifications.
// The window is split by concern: main_window.cpp (the window and the
// face), main_grid.cpp, main_log.cpp, main_drawing.cpp (buttons, pictures,
// legend, backup line).
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <functional>
#include <string>

#include "control/face.h"
#include "control/grid_cells.h"
#include "control/grid_follower.h"
#include "control/window_controller.h"
#include "front/fitting.h"
#include "win/port_chooser.h"

namespace quelt::win {

class WinPump;

// Control IDs: kFirstControlId + the control's index in the layout table.
inline constexpr int kFirstControlId = 100;
// The row menu's items: kEditMenuId + their index in control::RowMenuItems().
inline constexpr int kEditMenuId = 200;
// The keys' commands: kFirstKeyId + the control::Command.
inline constexpr int kFirstKeyId = 300;
// The ranges must not meet, or a key would press a button.
static_assert(kFirstControlId + front::kMainControlCount < kPortChooserId);
static_assert(kPortChooserId < kEditMenuId);
static_assert(kEditMenuId + control::kCommandCount <= kFirstKeyId);
static_assert(kFirstKeyId + control::kCommandCount < 1000);
inline constexpr UINT_PTR kTickTimerId = 1;

class MainWindow : public control::WindowFace {
 public:
  explicit MainWindow(control::WindowController& controller);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window and its controls, centred on the screen, and shows it.
  bool Create(int showCommand = SW_SHOWNORMAL);
  HWND Handle() const { return hwnd_; }
  HWND Control(front::MainControl c) const { return controls_[static_cast<std::size_t>(c)]; }
  HMENU RowMenu() const { return rowMenu_; }
  HWND PortChooser() const { return ports_.Handle(); }
  int Dpi() const { return dpi_; }

  // The pump the link waits through: fast wake-ups while a transfer runs,
  // and the window's 100 ms timer delivers its ticks.
  void SetPump(WinPump* pump) { pump_ = pump; }
  // The program ends when its window is destroyed; a test's windows do not.
  void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }
  // Notes the first WM_PAINT (the benchmark).
  void SetFirstPaintHook(std::function<void()> hook) { firstPaint_ = std::move(hook); }

  // The window's keys, then the keyboard navigation between its controls;
  // true: the message was handled. Every loop of the program calls it.
  bool PreTranslate(MSG& msg);

 private:
  // control::WindowFace, every call written out: a window that misses one
  // does not build.
  void SetCaption(const std::string& text) override;
  void SetStatusLine(const front::StatusLine& line) override;
  void SetBackupLine(const std::string& text, const std::string& tip) override;
  void SetEnabled(control::Control control, bool enabled) override;
  void ShowGridStep(const control::GridFollower::Step& step) override;
  void SetTransferLock(bool locked) override;
  void ClearLog() override;
  void AddLogLine(const std::string& line) override;
  void SetProgress(int value) override;
  void SetBusyCursor(bool busy) override;
  control::Answer Ask(const control::Message& message) override;
  std::filesystem::path PickFile(const control::FileChoice& choice) override;
  bool EditRow(control::RowEditor& editor) override;
  char32_t DecimalSeparator() const override;
  void RedrawGrid() override;
  bool OpenWithSystem(const std::filesystem::path& path) override;
  bool EditReportParties(control::ReportParties& parties) override;
  void ShowBackups() override;
  std::string LoadSetting(const std::string& name) override;
  void StoreSetting(const std::string& name, const std::string& value) override;
  void SetPortChoices(const std::vector<std::string>& texts, int chosen,
                      const std::string& tip) override;
  void RequestClose() override;
  void RequestCloseLater() override;

  // main_window.cpp
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  bool Command(int id, int code);
  void CreateControls();
  void CreateTips();
  void ApplyDpi(int dpi);
  // The window's outer sizes for `dpi` on its monitor's work area.
  front::WindowFit Fit(int dpi) const;
  // The shared layout of the client area, at the split the controller
  // keeps or the one being dragged.
  front::MainLayout CurrentLayout() const;
  void Layout();
  void Paint();
  // The split bar between the log and the grid: a press on it starts a
  // drag, which lays the window out as it goes; letting go tells the
  // controller, which remembers it. True when the message was the bar's.
  bool SplitMouse(UINT msg, LPARAM lp);
  // The status line as much as fits its room (front::FitStatusLine).
  void FitStatus();
  // The status or the backup line, its tool tip with it.
  void SetLine(front::MainControl control, const std::string& text, const std::string& tip);
  int S(int pixels96) const;
  // main_grid.cpp
  void CreateGrid();
  LRESULT GridNotify(NMHDR* header);
  LRESULT GridCustomDraw(NMLVCUSTOMDRAW* draw);
  void RebuildGrid();
  void SyncGridSelection();
  void FitColumns();
  void ShowRowMenu(POINT screen);
  void ShowRowMenuFromKeyboard();
  // The row at a point of the grid's client area; -1 for none.
  int GridRowAt(POINT client) const;
  // The grid's tip: the note of the marked row under the mouse, else the
  // grid's hint.
  void GridTip(NMTTDISPINFOW& tip);
  // main_log.cpp
  void CreateLog();
  // main_drawing.cpp
  static LRESULT CALLBACK FlatButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR data);
  void DrawItem(const DRAWITEMSTRUCT& item);
  void DrawButton(const DRAWITEMSTRUCT& item);
  void DrawLegend(const DRAWITEMSTRUCT& item);
  void DrawBackupLine(const DRAWITEMSTRUCT& item);

  control::WindowController& controller_;
  HWND hwnd_ = nullptr;
  std::array<HWND, front::kMainControlCount> controls_{};
  HWND tooltip_ = nullptr;
  PortChooserBox ports_{controller_};
  HMENU rowMenu_ = nullptr;
  HFONT font_ = nullptr;
  HFONT bigFont_ = nullptr;
  HFONT linkFont_ = nullptr;  // the backup line: underlined
  HFONT boldFont_ = nullptr;  // changed cells, the legend's change mark
  HACCEL keys_ = nullptr;
  HICON iconBig_ = nullptr, iconSmall_ = nullptr;
  int dpi_ = 96;
  front::ColumnWidths columnWidths_;
  control::GridCells cells_;
  std::wstring cellBuffer_;
  std::wstring tipBuffer_;
  int tipRow_ = -1;  // the row the grid's tip was last given for
  bool logEmpty_ = true;
  front::StatusLine status_;
  int dragLogHeight_ = 0;  // at 96 dpi while the split bar is dragged; 0: not
  int grab_ = -1;          // where in the split bar the drag took it

  WinPump* pump_ = nullptr;
  std::function<void()> firstPaint_;
  bool quitOnDestroy_ = false;
  bool busyCursor_ = false;
  bool syncing_ = false;
  // A transfer runs: the grid keeps the row the transfer walks by.
  bool gridFrozen_ = false;
  bool portTip_ = false;
  bool shown_ = false;
  HWND hot_ = nullptr;  // the flat button under the mouse, drawn raised
};

// The workstation's decimal separator.
wchar_t UserDecimalSeparator();
// A control's text.
std::wstring WindowText(HWND h);

}  // namespace quelt::win
