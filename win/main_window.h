// MainWindow on Win32: the face of the window controller. It creates the
// controls, places them by the shared layout table and hands the work to
// its parts: the grid (GridView), the log (LogView), what it draws
// (MainPainter), the split bar (SplitDrag), the ids, keys and row menu
// (MainCommands) and the port control (PortChooserBox). Clicks, keys and
// closing go to the controller.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <functional>
#include <string>

#include "control/face.h"
#include "control/window_controller.h"
#include "front/fitting.h"
#include "win/grid_view.h"
#include "win/log_view.h"
#include "win/main_commands.h"
#include "win/main_painter.h"
#include "win/port_chooser.h"
#include "win/split_drag.h"

namespace quelt::win {

class WinPump;

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
  HMENU RowMenu() const { return commands_.RowMenu(); }
  HWND PortChooser() const { return ports_.Handle(); }
  int Dpi() const { return dpi_; }
  // The legend's entries as measured in the window's fonts (front::LayoutMain).
  const front::LegendWidths& LegendWidths() const { return legend_; }

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
  // does not build. By what serves them: the frame and its controls,
  void SetCaption(const std::string& text) override;
  void SetStatusLine(const front::StatusLine& line) override;
  void SetBackupLine(const std::string& text, const std::string& tip) override;
  void SetEnabled(control::Control control, bool enabled) override;
  void SetProgress(int value) override;
  void SetPortChoices(const std::vector<std::string>& texts, int chosen,
                      const std::string& tip) override;
  void SetBusyCursor(bool busy) override;
  void RequestClose() override;
  void RequestCloseLater() override;
  // the grid (GridView) and the log (LogView),
  void ShowGridStep(const control::GridFollower::Step& step) override;
  void RedrawGrid() override;
  void SetTransferLock(bool locked) override;  // the grid, and the pump's wake-ups
  void ClearLog() override;
  void AddLogLine(const std::string& line) override;
  // the boxes and dialogs modal on the window, and the shell,
  control::Answer Ask(const control::Message& message) override;
  std::filesystem::path PickFile(const control::FileChoice& choice) override;
  bool EditRow(control::RowEditor& editor) override;
  bool EditReportParties(control::ReportParties& parties) override;
  void ShowBackups() override;
  bool OpenWithSystem(const std::filesystem::path& path) override;
  // the user's settings: the decimal mark, the registry (win/settings.h).
  char32_t DecimalSeparator() const override;
  std::string LoadSetting(const std::string& name) override;
  void StoreSetting(const std::string& name, const std::string& value) override;

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  void CreateTips();
  void ApplyDpi(int dpi);
  // The window's outer sizes for `dpi` on its monitor's work area.
  front::WindowFit Fit(int dpi) const;
  // The shared layout of the client area, at the split the controller
  // keeps or the one being dragged.
  front::MainLayout CurrentLayout() const;
  void Layout();
  void FirstPaint();
  // The status line as much as fits its room (front::FitStatusLine).
  void FitStatus();
  bool SetWindowCursor(WPARAM wp, LPARAM lp);
  int S(int pixels96) const;

  control::WindowController& controller_;
  HWND hwnd_ = nullptr;
  std::array<HWND, front::kMainControlCount> controls_{};
  HWND tooltip_ = nullptr;
  MainCommands commands_{controller_};
  PortChooserBox ports_{controller_};
  GridView grid_{controller_, commands_};
  LogView log_;
  MainPainter painter_;
  SplitDrag split_{controller_, [this] { Layout(); }};
  front::LegendWidths legend_;  // measured at the resolution in use
  HICON iconBig_ = nullptr, iconSmall_ = nullptr;
  int dpi_ = 96;
  front::StatusLine status_;

  WinPump* pump_ = nullptr;
  std::function<void()> firstPaint_;
  bool quitOnDestroy_ = false;
  bool busyCursor_ = false;
  bool shown_ = false;
  bool portTip_ = false;
};

}  // namespace quelt::win
