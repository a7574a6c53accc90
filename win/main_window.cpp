#include "win/main_window.h"

#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "control/enabling.h"
#include "control/row_menu.h"
#include "front/main_look.h"
#include "front/tab_order.h"
#include "front/texts.h"
#include "lang/tr.h"
#include "text/text_helpers.h"
#include "text/utf16.h"
#include "win/backups_dialog.h"
#include "win/file_dialogs.h"
#include "win/fuel_dialog.h"
#include "win/gdi_pictures.h"
#include "win/message_box.h"
#include "win/parties_dialog.h"
#include "win/settings.h"
#include "win/tips.h"
#include "win/win_pump.h"

namespace quelt::win {
namespace {

using front::MainControl;

constexpr wchar_t kClassName[] = L"QueltFuelMain";
constexpr UINT_PTR kCloseRetryTimerId = 2;

}  // namespace

MainWindow::MainWindow(control::WindowController& controller) : controller_(controller) {}

MainWindow::~MainWindow() {
  controller_.Attach(nullptr);
  if (hwnd_ != nullptr) {
    quitOnDestroy_ = false;
    DestroyWindow(hwnd_);
  }
  if (pump_ != nullptr) pump_->SetFastWakeups(false);
  if (iconBig_ != nullptr) DestroyIcon(iconBig_);
  if (iconSmall_ != nullptr) DestroyIcon(iconSmall_);
}

int MainWindow::S(int pixels96) const { return ScaleForDpi(pixels96, dpi_); }

bool MainWindow::Create(int showCommand) {
  static bool registered = false;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!registered) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    LoadLibraryW(L"msftedit.dll");
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (RegisterClassExW(&wc) == 0) return false;
    registered = true;
  }
  const std::wstring caption = WideFromUtf8(lang::Tr(front::kMainCaption));
  // Hidden first: the size and place follow from the monitor's resolution.
  CreateWindowExW(
      WS_EX_CONTROLPARENT, kClassName, caption.c_str(),
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN,
      CW_USEDEFAULT, CW_USEDEFAULT, front::kMainOuterWidth, front::kMainOuterHeight, nullptr,
      nullptr, instance, this);
  if (hwnd_ == nullptr) return false;

  const front::WindowFit size = Fit(dpi_);
  const RECT area = WorkArea(hwnd_);
  SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - size.w) / 2,
               area.top + (area.bottom - area.top - size.h) / 2, size.w, size.h,
               SWP_NOZORDER | SWP_NOACTIVATE);
  controller_.Attach(this);
  Layout();  // at the split remembered from the last run
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  return true;
}

front::WindowFit MainWindow::Fit(int dpi) const {
  const RECT area = WorkArea(hwnd_);
  RECT frame{};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)),
                           static_cast<UINT>(dpi));
  return front::FitMainWindow(dpi, frame.right - frame.left, frame.bottom - frame.top,
                              area.right - area.left, area.bottom - area.top);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  MainWindow* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return self->Handle(msg, wp, lp);
}

void MainWindow::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  auto make = [&](MainControl c, const wchar_t* cls, DWORD style, DWORD exStyle = 0) {
    const auto& info = front::InfoOf(c);
    HWND h = CreateWindowExW(
        exStyle, cls, WideFromUtf8(front::CaptionText(info)).c_str(),
        WS_CHILD | WS_VISIBLE | (info.tabStop ? WS_TABSTOP : 0) | style, 0, 0, 0, 0, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(c))),
        instance, nullptr);
    controls_[static_cast<std::size_t>(c)] = h;
    return h;
  };
  // In tab order; the panels are drawn, not windows.
  for (MainControl flat :
       {MainControl::RefreshButton, MainControl::SendButton, MainControl::ExitButton}) {
    painter_.MakeFlat(make(flat, L"BUTTON", BS_OWNERDRAW));
  }
  HWND progress = make(MainControl::Progress, PROGRESS_CLASSW, 0);
  SendMessageW(progress, PBM_SETRANGE32, 0, kProgressFullScale);
  make(MainControl::Logo, L"STATIC", SS_OWNERDRAW | SS_NOTIFY);
  log_.Create(make(MainControl::Log, MSFTEDIT_CLASS,
                   ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE));
  for (MainControl small : {MainControl::MoveUpButton, MainControl::MoveDownButton,
                            MainControl::OpenButton, MainControl::SaveButton}) {
    make(small, L"BUTTON", BS_OWNERDRAW);
  }
  make(MainControl::BackupsButton, L"BUTTON", BS_PUSHBUTTON);
  grid_.Create(make(MainControl::Grid, WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                    WS_EX_CLIENTEDGE),
               hwnd_);
  // The legend's words as its text, for readers of the screen; it is drawn.
  SetWindowTextW(make(MainControl::Legend, L"STATIC", SS_OWNERDRAW),
                 WideFromUtf8(front::LegendText()).c_str());
  // Elided in the middle when narrow; the tool tip has the whole line.
  make(MainControl::StatusLine, L"STATIC",
       SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS | SS_CENTERIMAGE | SS_NOTIFY);
  make(MainControl::BackupLine, L"BUTTON", BS_OWNERDRAW);
  ports_.Create(hwnd_);
  // Tab walks the controls in the windows' shared order: the dialog
  // manager follows the children's z-order.
  HWND previous = HWND_TOP;
  for (MainControl c : front::kTabOrder) {
    for (HWND h : {Control(c), c == front::kPortControlFollows ? ports_.Handle() : nullptr}) {
      if (h == nullptr) continue;
      SetWindowPos(h, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      previous = h;
    }
  }
  CreateTips();

  commands_.Create();
}

void MainWindow::CreateTips() {
  tooltip_ = MakeTips(hwnd_);
  for (const auto& info : front::MainControls()) {
    HWND h = Control(info.id);
    const bool changing = info.id == MainControl::StatusLine || info.id == MainControl::BackupLine;
    if (info.id == MainControl::Grid) {
      AddAskedTip(tooltip_, h);  // a marked row's note, or the hint
    } else if (h != nullptr && (info.hint[0] != 0 || changing)) {
      AddTip(tooltip_, h, WideFromUtf8(control::HintText(info)));
    }
  }
}

void MainWindow::ApplyDpi(int dpi) {
  dpi_ = dpi;
  painter_.ApplyDpi(dpi);
  HFONT font = painter_.Font();
  for (MainControl c : {MainControl::Grid, MainControl::Legend, MainControl::StatusLine,
                        MainControl::BackupLine, MainControl::BackupsButton}) {
    SendMessageW(Control(c), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  grid_.ApplyDpi(dpi, font, painter_.BoldFont());
  legend_ = painter_.MeasureLegend(hwnd_);

  if (iconBig_ != nullptr) DestroyIcon(iconBig_);
  if (iconSmall_ != nullptr) DestroyIcon(iconSmall_);
  iconBig_ = MakeAppIcon(GetSystemMetricsForDpi(SM_CXICON, static_cast<UINT>(dpi)));
  iconSmall_ = MakeAppIcon(GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi)));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(iconBig_));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(iconSmall_));
  Layout();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

front::MainLayout MainWindow::CurrentLayout() const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  return front::LayoutMain(client.right, client.bottom, dpi_, split_.LogHeight(), legend_);
}

void MainWindow::Layout() {
  const front::MainLayout layout = CurrentLayout();
  for (const auto& info : front::MainControls()) {
    HWND h = Control(info.id);
    if (h == nullptr) continue;
    const front::Rect& r = layout.Of(info.id);
    SetWindowPos(h, nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ports_.Place(front::PortBoxRect(layout, dpi_), painter_.Font());
  for (MainControl panel : {MainControl::ButtonBar, MainControl::StatusBar, MainControl::Legend}) {
    const RECT area = WinRect(layout.Of(panel));
    InvalidateRect(hwnd_, &area, TRUE);
  }
  const RECT split = WinRect(layout.splitBar);
  InvalidateRect(hwnd_, &split, TRUE);
  grid_.FitColumns();
  FitStatus();
}

void MainWindow::FitStatus() {
  HWND line = Control(MainControl::StatusLine);
  if (line == nullptr) return;
  RECT room{};
  GetClientRect(line, &room);
  HDC dc = GetDC(line);
  HGDIOBJ old = SelectObject(dc, painter_.Font());
  const std::string fitted = front::FitStatusLine(
      status_, room.right,
      [dc](const std::string& text) { return TextWidth(dc, WideFromUtf8(text)); });
  SelectObject(dc, old);
  ReleaseDC(line, dc);
  const std::wstring wide = WideFromUtf8(fitted);
  if (WindowText(line) != wide) SetWindowTextW(line, wide.c_str());
}

void MainWindow::FirstPaint() {
  if (!firstPaint_) return;
  auto hook = std::move(firstPaint_);
  firstPaint_ = nullptr;
  hook();
}

bool MainWindow::SetWindowCursor(WPARAM wp, LPARAM lp) {
  const auto over = reinterpret_cast<HWND>(wp);
  LPCWSTR cursor = nullptr;
  if (busyCursor_) {
    cursor = IDC_WAIT;
  } else if (over == hwnd_ && LOWORD(lp) == HTCLIENT &&
             SplitDrag::SetCursorOver(hwnd_, CurrentLayout())) {
    return true;
  } else if (over == Control(MainControl::Logo) ||
             (over == Control(MainControl::BackupLine) && IsWindowEnabled(over))) {
    cursor = IDC_HAND;
  }
  if (cursor != nullptr) SetCursor(LoadCursorW(nullptr, cursor));
  return cursor != nullptr;
}

LRESULT MainWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      dpi_ = static_cast<int>(GetDpiForWindow(hwnd_));
      CreateControls();
      ApplyDpi(dpi_);
      grid_.Rebuild();  // the rows the table has already
      SetTimer(hwnd_, kTickTimerId, static_cast<UINT>(AnalyserLink::kTickMs), nullptr);
      return 0;
    case WM_SHOWWINDOW:
      if (wp != FALSE && !shown_) {
        shown_ = true;
        controller_.Shown();
      }
      break;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      // Never larger than the screen: the grid gives way first.
      const front::WindowFit fit = Fit(dpi_);
      info->ptMinTrackSize = {fit.minW, fit.minH};
      return 0;
    }
    case WM_DPICHANGED: {
      ApplyDpi(HIWORD(wp));
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      const front::WindowFit fit = Fit(HIWORD(wp));
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   std::min<LONG>(suggested->right - suggested->left, fit.w),
                   std::min<LONG>(suggested->bottom - suggested->top, fit.h),
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_PAINT:
      painter_.PaintPanels(hwnd_, CurrentLayout());
      FirstPaint();
      return 0;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      painter_.DrawItem(item,
                        static_cast<MainControl>(static_cast<int>(item.CtlID) - kFirstControlId),
                        CurrentLayout());
      return TRUE;
    }
    case WM_SETCURSOR:
      if (SetWindowCursor(wp, lp)) return TRUE;
      break;
    case WM_TIMER:
      if (wp == kTickTimerId) {
        if (pump_ != nullptr) pump_->DeliverTick();
        return 0;
      }
      if (wp == kCloseRetryTimerId) {
        KillTimer(hwnd_, kCloseRetryTimerId);
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    case WM_COMMAND:
      if (ports_.Command(LOWORD(wp), HIWORD(wp)) || commands_.Command(LOWORD(wp), HIWORD(wp))) {
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (split_.Mouse(hwnd_, msg, lp, CurrentLayout(), dpi_)) return 0;
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      if (header->hwndFrom == tooltip_ && header->code == TTN_GETDISPINFOW) {
        grid_.Tip(*reinterpret_cast<NMTTDISPINFOW*>(header));
        return 0;
      }
      LRESULT result = 0;
      if (grid_.Notify(header, result)) return result;
      break;
    }
    case kGridFitMessage:
      grid_.FitColumns();
      return 0;
    case kGridSyncMessage:
      grid_.SyncSelection();
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wp) == Control(MainControl::Grid)) {
        grid_.ContextMenu(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
      }
      break;
    case WM_CLOSE:
      if (controller_.CloseRequested()) DestroyWindow(hwnd_);
      return 0;
    case WM_QUERYENDSESSION:
      // The session ends: a transfer stops after the command in flight and
      // the window then closes itself; until then the shutdown waits.
      if (!controller_.TransferActive()) return TRUE;
      controller_.Terminate();
      return FALSE;
    case WM_ENDSESSION:
      // A transfer still running has been told to stop; it closes the window.
      if (wp != FALSE) {
        controller_.Terminate();
        if (!controller_.TransferActive()) DestroyWindow(hwnd_);
      }
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd_, kTickTimerId);
      if (quitOnDestroy_) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool MainWindow::PreTranslate(MSG& msg) {
  if (hwnd_ == nullptr || (msg.hwnd != hwnd_ && IsChild(hwnd_, msg.hwnd) == FALSE)) return false;
  if (msg.message == WM_KEYDOWN) {
    // The log is a multi-line editor and keeps Tab for itself: Tab, Shift+Tab
    // and Ctrl+Tab leave it, so the grid is reachable without the mouse.
    if (msg.wParam == VK_TAB && msg.hwnd == Control(MainControl::Log)) {
      SetFocus(GetNextDlgTabItem(hwnd_, msg.hwnd, (GetKeyState(VK_SHIFT) & 0x8000) != 0));
      return true;
    }
    // Enter in the port control's edit field takes the port typed there.
    if (msg.wParam == VK_RETURN && GetParent(msg.hwnd) == ports_.Handle()) {
      ports_.TakeTyped();
      return true;
    }
  }
  if (msg.message == WM_MOUSEMOVE && msg.hwnd == Control(MainControl::Grid)) {
    grid_.MouseMoved(msg, tooltip_);
  }
  if (commands_.TranslateKey(hwnd_, Control(MainControl::Grid), msg)) return true;
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

// --- the face ---------------------------------------------------------------

void MainWindow::SetCaption(const std::string& text) {
  const std::wstring caption = WideFromUtf8(text);
  if (WindowText(hwnd_) != caption) SetWindowTextW(hwnd_, caption.c_str());
}

void MainWindow::SetStatusLine(const front::StatusLine& line) {
  const bool newTip = line.Text() != status_.Text();
  status_ = line;
  FitStatus();
  if (newTip) SetTip(tooltip_, Control(MainControl::StatusLine), WideFromUtf8(line.Text()));
}

void MainWindow::SetBackupLine(const std::string& text, const std::string& tip) {
  HWND line = Control(MainControl::BackupLine);
  const std::wstring wide = WideFromUtf8(text);
  if (WindowText(line) == wide) return;
  SetWindowTextW(line, wide.c_str());
  SetTip(tooltip_, line, WideFromUtf8(tip));
}

void MainWindow::SetEnabled(control::Control control, bool enabled) {
  const auto shown = control::MainControlOf(control);
  if (!shown) {
    if (control == control::Control::EditMenu) {
      commands_.EnableEditItem(enabled);
    } else {
      EnableWindow(ports_.Handle(), enabled ? TRUE : FALSE);
    }
    return;
  }
  HWND h = Control(*shown);
  if ((IsWindowEnabled(h) != FALSE) == enabled) return;
  // A control that loses its enabling while it has the focus takes the
  // keyboard with it: give it to the grid, which is always there.
  const bool hadFocus = GetFocus() == h;
  EnableWindow(h, enabled ? TRUE : FALSE);
  if (hadFocus && !enabled) SetFocus(Control(MainControl::Grid));
}

void MainWindow::SetTransferLock(bool locked) {
  grid_.SetFrozen(locked);
  if (pump_ != nullptr) pump_->SetFastWakeups(locked);
}

void MainWindow::SetProgress(int value) {
  SendMessageW(Control(MainControl::Progress), PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void MainWindow::SetBusyCursor(bool busy) {
  busyCursor_ = busy;
  POINT pt{};
  GetCursorPos(&pt);
  HWND under = WindowFromPoint(pt);
  if (under != hwnd_ && IsChild(hwnd_, under) == FALSE) return;
  if (busy) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  } else {
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  }
}

control::Answer MainWindow::Ask(const control::Message& message) { return AskBox(hwnd_, message); }

bool MainWindow::EditRow(control::RowEditor& editor) { return RunFuelEditor(editor, hwnd_); }

char32_t MainWindow::DecimalSeparator() const {
  return static_cast<char32_t>(UserDecimalSeparator());
}

bool MainWindow::EditReportParties(control::ReportParties& parties) {
  return win::EditReportParties(parties, hwnd_);
}

void MainWindow::RedrawGrid() { grid_.Redraw(); }

void MainWindow::ShowGridStep(const control::GridFollower::Step& step) {
  if (hwnd_ != nullptr) grid_.ShowStep(step);
}

void MainWindow::ClearLog() { log_.Clear(); }

void MainWindow::AddLogLine(const std::string& line) { log_.Add(line); }

bool MainWindow::OpenWithSystem(const std::filesystem::path& path) {
  // ShellExecute's result is no handle: above 32 means it started.
  const auto started = reinterpret_cast<INT_PTR>(
      ShellExecuteW(hwnd_, L"open", path.wstring().c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return started > 32;
}

std::filesystem::path MainWindow::PickFile(const control::FileChoice& choice) {
  return win::PickFile(hwnd_, choice);
}

// The settings the controller keeps live in the registry (win/settings.h).
std::string MainWindow::LoadSetting(const std::string& name) {
  return Utf8FromWide(ReadSetting(name.c_str()));
}

void MainWindow::StoreSetting(const std::string& name, const std::string& value) {
  WriteSetting(name.c_str(), WideFromUtf8(value));
}

void MainWindow::SetPortChoices(const std::vector<std::string>& texts, int chosen,
                                const std::string& tip) {
  ports_.SetChoices(texts, chosen);
  if (tooltip_ != nullptr && ports_.Handle() != nullptr) {
    if (!portTip_) AddTip(tooltip_, ports_.Handle(), WideFromUtf8(tip));
    SetTip(tooltip_, ports_.Handle(), WideFromUtf8(tip));
    portTip_ = true;
  }
}

void MainWindow::ShowBackups() { ShowBackupsDialog(controller_, hwnd_); }

void MainWindow::RequestClose() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void MainWindow::RequestCloseLater() {
  if (hwnd_ != nullptr) SetTimer(hwnd_, kCloseRetryTimerId, 10, nullptr);
}

}  // namespace quelt::win
