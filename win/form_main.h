// TFormMain on Win32: the log (RichEdit), the fuel grid (report ListView),
// the progress bar and the drawn buttons, placed by the shared layout table.
// Clicks go to the fuel-list operations; the grid redraws from the table's
// notifications.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "front/layout.h"
#include "fuel/fuel_ops.h"
#include "fuel/fuel_table.h"
#include "fuel/fuel_view.h"
#include "fuel/table_session.h"

namespace quelt::win {

class WinPump;

// Control IDs: kFirstControlId + the control's index in the layout table.
inline constexpr int kFirstControlId = 100;
inline constexpr int kEditMenuId = 200;
// The keys' commands: kFirstKeyId + the front::MainAction.
inline constexpr int kFirstKeyId = 300;
inline constexpr UINT_PTR kTickTimerId = 1;

class FormMain : public FuelView {
 public:
  FormMain();
  ~FormMain() override;
  FormMain(const FormMain&) = delete;
  FormMain& operator=(const FormMain&) = delete;

  // Creates the window and its controls, centred on the screen, and shows it.
  bool Create(int showCommand = SW_SHOWNORMAL);
  HWND Handle() const { return hwnd_; }
  HWND Control(front::MainControl c) const { return controls_[static_cast<std::size_t>(c)]; }
  HMENU Popup1() const { return popup_; }
  int Dpi() const { return dpi_; }

  // The operations, through the toolkit-free half of a window, exist after
  // the window (they need the link); until then the buttons do nothing. The
  // session also knows the unsent changes and the status line's facts.
  void SetSession(TableSession* session);
  // The pump the link waits through: fast wake-ups while a transfer runs.
  void SetPump(WinPump* pump) { pump_ = pump; }
  // Called on every tick of the 100 ms timer (TGlb::Timer1Timer).
  void SetTickHandler(std::function<void()> tick) { tick_ = std::move(tick); }
  // The program ends when its window is destroyed; a test's windows do not.
  void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }
  // Notes the first WM_PAINT (the benchmark).
  void SetFirstPaintHook(std::function<void()> hook) { firstPaint_ = std::move(hook); }

  FuelTable TableFuel;

  // FuelView
  void ClearLog() override;
  void AddLogLine(const std::string& line) override;
  void SetProgress(int value) override;
  void SetBusyCursor(bool busy) override;
  void ShowMessage(const std::string& text) override;
  bool Confirm(const std::string& question) override;
  void EnableRefresh(bool enabled) override;
  void EnableSend(bool enabled) override;
  void SetTransferActive(bool active) override;

  // Event handlers.
  void FormShow();
  void BtRefreshClick();
  void BtSendClick();
  void BtExitClick();
  void BtaufClick();
  void BtAbClick();
  void Edit1Click();
  void dbGridFuelDelete();  // Ctrl+Delete in the grid
  void BtOpenClick();
  void BtSaveClick();
  void ImageClick();  // the About box
  void BackupLineClick();

  // Loads or saves without asking for a file; false when it failed.
  bool LoadTable(const std::filesystem::path& path);
  bool SaveTable(const std::filesystem::path& path);

  // The window's keys, then the keyboard navigation between its controls;
  // true: the message was handled. Every loop of the program calls it.
  bool PreTranslate(MSG& msg);

  // The About box's text.
  std::wstring AboutText() const;

  bool TransferActive() const { return transferActive_; }
  bool BusyCursor() const { return busyCursor_; }
  bool ClosePending() const { return closePending_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK FlatButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR data);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  void ApplyDpi(int dpi);
  void Layout();
  void Paint();
  void DrawButton(const DRAWITEMSTRUCT& item);
  LRESULT GridNotify(NMHDR* header);
  LRESULT GridCustomDraw(NMLVCUSTOMDRAW* draw);
  void OnTableChange(FuelTable::Change change);
  void RebuildGrid();
  void SyncGridSelection();
  void FitColumns();
  void ShowPopup(POINT screen);
  void UpdateControls();
  // Caption, status line and backup line from the session.
  void UpdateStatus();
  void SetTip(HWND control, const std::wstring& text);
  void DrawLegend(const DRAWITEMSTRUCT& item);
  void DrawBackupLine(const DRAWITEMSTRUCT& item);
  void RunAction(front::MainAction action);
  // Before unsent changes are dropped: Save, Discard or Cancel. True when
  // the caller may go on.
  bool MayDropChanges();
  // Asks for a file; empty when the user cancelled.
  std::filesystem::path AskTableFile(bool save);
  void CloseWhenIdle();
  int S(int pixels96) const;
  std::wstring CellText(int row, int column) const;

  HWND hwnd_ = nullptr;
  std::array<HWND, front::kMainControlCount> controls_{};
  HWND tooltip_ = nullptr;
  HMENU popup_ = nullptr;
  HFONT font_ = nullptr;
  HFONT bigFont_ = nullptr;
  HFONT linkFont_ = nullptr;  // the backup line: underlined
  HACCEL keys_ = nullptr;
  HICON iconBig_ = nullptr, iconSmall_ = nullptr;
  int dpi_ = 96;
  wchar_t decimalSeparator_ = L',';
  std::array<int, kFuelFieldCount> columnWidths_{};  // design widths, scaled
  std::wstring cellBuffer_;
  int logOpenSpan_ = 0;
  bool logEmpty_ = true;

  TableSession* session_ = nullptr;
  WinPump* pump_ = nullptr;
  std::function<void()> tick_;
  std::function<void()> firstPaint_;
  bool quitOnDestroy_ = false;
  bool refreshEnabled_ = true;
  bool sendEnabled_ = false;
  bool transferActive_ = false;
  bool busyCursor_ = false;
  bool closePending_ = false;
  bool syncing_ = false;
  bool shown_ = false;
  HWND hot_ = nullptr;  // the flat button under the mouse, drawn raised
};

}  // namespace quelt::win
