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

HFONT MakeFont(int points, bool bold, int dpi, bool underline = false) {
  return CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                     underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                     L"MS Shell Dlg 2");
}

// The virtual keys of control::Key, in its order.
constexpr WORD kVirtualKeys[] = {VK_F1,     VK_F2,     VK_F5, VK_RETURN, VK_UP, VK_DOWN,
                                 VK_DELETE, 'O',       'S',   'Q',       'B',   'E',
                                 'P',       VK_INSERT, 'D',   'Z',       'Y'};
static_assert(std::size(kVirtualKeys) == static_cast<std::size_t>(control::Key::Y) + 1);

// The work area of the monitor the window is on.
RECT WorkArea(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  return monitor.rcWork;
}

}  // namespace

std::wstring WindowText(HWND h) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
  return text;
}

wchar_t UserDecimalSeparator() {
  wchar_t buffer[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) > 0 && buffer[0] != 0) {
    return buffer[0];
  }
  return L'.';
}

MainWindow::MainWindow(control::WindowController& controller)
    : controller_(controller), cells_(controller, static_cast<char32_t>(UserDecimalSeparator())) {}

MainWindow::~MainWindow() {
  controller_.Attach(nullptr);
  if (hwnd_ != nullptr) {
    quitOnDestroy_ = false;
    DestroyWindow(hwnd_);
  }
  if (pump_ != nullptr) pump_->SetFastWakeups(false);
  if (rowMenu_ != nullptr) DestroyMenu(rowMenu_);
  if (keys_ != nullptr) DestroyAcceleratorTable(keys_);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(bigFont_),
                    static_cast<HGDIOBJ>(linkFont_), static_cast<HGDIOBJ>(boldFont_)}) {
    if (o != nullptr) DeleteObject(o);
  }
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
    SetWindowSubclass(make(flat, L"BUTTON", BS_OWNERDRAW), FlatButtonProc, 1,
                      reinterpret_cast<DWORD_PTR>(this));
  }
  HWND progress = make(MainControl::Progress, PROGRESS_CLASSW, 0);
  SendMessageW(progress, PBM_SETRANGE32, 0, kProgressFullScale);
  make(MainControl::Logo, L"STATIC", SS_OWNERDRAW | SS_NOTIFY);
  make(MainControl::Log, MSFTEDIT_CLASS, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL,
       WS_EX_CLIENTEDGE);
  CreateLog();
  for (MainControl small : {MainControl::MoveUpButton, MainControl::MoveDownButton,
                            MainControl::OpenButton, MainControl::SaveButton}) {
    make(small, L"BUTTON", BS_OWNERDRAW);
  }
  make(MainControl::BackupsButton, L"BUTTON", BS_PUSHBUTTON);
  make(MainControl::Grid, WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
       WS_EX_CLIENTEDGE);
  CreateGrid();
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

  rowMenu_ = CreatePopupMenu();
  int item = kEditMenuId;
  for (const control::RowMenuItem& i : control::RowMenuItems()) {
    AppendMenuW(rowMenu_, MF_STRING, static_cast<UINT_PTR>(item++),
                WideFromUtf8(control::MenuText(i)).c_str());
  }

  // The key table's window-wide keys; the grid's own come through PreTranslate.
  std::vector<ACCEL> keys;
  for (const control::KeyBinding& k : control::KeyTable()) {
    if (k.inGridOnly) continue;
    keys.push_back({static_cast<BYTE>(FVIRTKEY | (k.ctrl ? FCONTROL : 0)),
                    kVirtualKeys[static_cast<std::size_t>(k.key)],
                    static_cast<WORD>(kFirstKeyId + static_cast<int>(k.command))});
  }
  keys_ = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
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
  for (HFONT* f : {&font_, &bigFont_, &linkFont_, &boldFont_}) {
    if (*f != nullptr) DeleteObject(*f);
  }
  font_ = MakeFont(front::kBaseFontPoints, false, dpi);
  boldFont_ = MakeFont(front::kBaseFontPoints, true, dpi);
  bigFont_ = MakeFont(front::kBigButtonFontPoints, true, dpi);
  linkFont_ = MakeFont(front::kBaseFontPoints, false, dpi, true);
  for (MainControl c : {MainControl::Grid, MainControl::Legend, MainControl::StatusLine,
                        MainControl::BackupLine, MainControl::BackupsButton}) {
    SendMessageW(Control(c), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  HWND grid = Control(MainControl::Grid);
  ListView_SetColumnWidth(grid, 0, S(front::kIndicatorWidth));
  std::vector<int> design;
  for (const front::GridColumn& column : front::GridColumns()) design.push_back(S(column.width));
  columnWidths_.Reset(std::move(design));
  FitColumns();

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
  return front::LayoutMain(client.right, client.bottom, dpi_,
                           dragLogHeight_ > 0 ? dragLogHeight_ : controller_.LogHeight());
}

void MainWindow::Layout() {
  const front::MainLayout layout = CurrentLayout();
  for (const auto& info : front::MainControls()) {
    HWND h = Control(info.id);
    if (h == nullptr) continue;
    const front::Rect& r = layout.Of(info.id);
    SetWindowPos(h, nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ports_.Place(front::PortBoxRect(layout, dpi_), font_);
  for (MainControl panel : {MainControl::ButtonBar, MainControl::StatusBar}) {
    const RECT area = WinRect(layout.Of(panel));
    InvalidateRect(hwnd_, &area, TRUE);
  }
  const RECT split = WinRect(layout.splitBar);
  InvalidateRect(hwnd_, &split, TRUE);
  FitColumns();
  FitStatus();
}

bool MainWindow::SplitMouse(UINT msg, LPARAM lp) {
  const POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  const front::MainLayout layout = CurrentLayout();
  const front::Rect& bar = layout.splitBar;
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (at.x < bar.x || at.x >= bar.Right() || at.y < bar.y || at.y >= bar.Bottom()) return false;
      grab_ = at.y - bar.y;
      SetCapture(hwnd_);
      return true;
    case WM_MOUSEMOVE:
      if (grab_ < 0) return false;
      dragLogHeight_ = std::max(front::LogHeightAt96(at.y - grab_, dpi_), 1);
      Layout();
      return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
      if (grab_ < 0) return false;
      grab_ = -1;
      if (msg == WM_LBUTTONUP) ReleaseCapture();
      const int shown = front::LogHeightAt96(layout.Of(MainControl::Log).h, dpi_);
      dragLogHeight_ = 0;
      controller_.SplitMoved(shown);
      Layout();
      return true;
    }
    default:
      return false;
  }
}

void MainWindow::FitStatus() {
  HWND line = Control(MainControl::StatusLine);
  if (line == nullptr) return;
  RECT room{};
  GetClientRect(line, &room);
  HDC dc = GetDC(line);
  HGDIOBJ old = SelectObject(dc, font_);
  const std::string fitted =
      front::FitStatusLine(status_, room.right, [dc](const std::string& text) {
        const std::wstring wide = WideFromUtf8(text);
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return static_cast<int>(size.cx);
      });
  SelectObject(dc, old);
  ReleaseDC(line, dc);
  const std::wstring wide = WideFromUtf8(fitted);
  if (WindowText(line) != wide) SetWindowTextW(line, wide.c_str());
}

void MainWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  const front::MainLayout layout = CurrentLayout();
  static constexpr std::pair<MainControl, UINT> kPanelEdges[] = {
      {MainControl::ButtonColumn, BDR_RAISEDINNER},
      {MainControl::ButtonBar, BDR_RAISEDINNER},
      {MainControl::StatusBar, BDR_SUNKENOUTER},
  };
  for (const auto& [panel, edge] : kPanelEdges) {
    RECT box = WinRect(layout.Of(panel));
    DrawEdge(dc, &box, edge, BF_RECT);
  }
  RECT split = WinRect(layout.splitBar);
  DrawEdge(dc, &split, BDR_RAISEDINNER, BF_TOP | BF_BOTTOM);
  EndPaint(hwnd_, &ps);
  if (firstPaint_) {
    auto hook = std::move(firstPaint_);
    firstPaint_ = nullptr;
    hook();
  }
}

// A click, a menu item or a key: the controller decides.
bool MainWindow::Command(int id, int code) {
  if (ports_.Command(id, code)) return true;
  const auto& menu = control::RowMenuItems();
  if (id >= kEditMenuId && id < kEditMenuId + static_cast<int>(menu.size())) {
    controller_.Do(menu[static_cast<std::size_t>(id - kEditMenuId)].command);
    return true;
  }
  // Keys (code 1) and the row menu's items (code 0) name their command.
  if (code <= 1 && id >= kFirstKeyId && id < kFirstKeyId + control::kCommandCount) {
    controller_.Do(static_cast<control::Command>(id - kFirstKeyId));
    return true;
  }
  // STN_CLICKED of the logo is the same code.
  if (code != BN_CLICKED) return false;
  const auto command = control::CommandForClick(static_cast<MainControl>(id - kFirstControlId));
  if (command) controller_.Do(*command);
  return command.has_value();
}

LRESULT MainWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      dpi_ = static_cast<int>(GetDpiForWindow(hwnd_));
      CreateControls();
      ApplyDpi(dpi_);
      RebuildGrid();  // the rows the table has already
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
      Paint();
      return 0;
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_SETCURSOR:
      if (busyCursor_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      if (reinterpret_cast<HWND>(wp) == hwnd_ && LOWORD(lp) == HTCLIENT) {
        POINT at{};
        GetCursorPos(&at);
        ScreenToClient(hwnd_, &at);
        const front::Rect& bar = CurrentLayout().splitBar;
        if (at.x >= bar.x && at.x < bar.Right() && at.y >= bar.y && at.y < bar.Bottom()) {
          SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
          return TRUE;
        }
      }
      if (reinterpret_cast<HWND>(wp) == Control(MainControl::Logo) ||
          (reinterpret_cast<HWND>(wp) == Control(MainControl::BackupLine) &&
           IsWindowEnabled(Control(MainControl::BackupLine)))) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
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
      if (Command(LOWORD(wp), HIWORD(wp))) return 0;
      break;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (SplitMouse(msg, lp)) return 0;
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      if (header->hwndFrom == Control(MainControl::Grid)) return GridNotify(header);
      if (header->hwndFrom == tooltip_ && header->code == TTN_GETDISPINFOW) {
        GridTip(*reinterpret_cast<NMTTDISPINFOW*>(header));
        return 0;
      }
      if (header->code == HDN_ENDTRACKW || header->code == HDN_DIVIDERDBLCLICKW) {
        PostMessageW(hwnd_, WM_APP + 3, 0, 0);  // the user sized a column
      }
      break;
    }
    case WM_APP + 3:
      FitColumns();
      return 0;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wp) == Control(MainControl::Grid)) {
        POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (at.x == -1 && at.y == -1) {
          ShowRowMenuFromKeyboard();
        } else {
          ShowRowMenu(at);
        }
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
      if (msg == WM_APP + 1) {
        SyncGridSelection();
        return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool MainWindow::PreTranslate(MSG& msg) {
  if (hwnd_ == nullptr || (msg.hwnd != hwnd_ && IsChild(hwnd_, msg.hwnd) == FALSE)) return false;
  if (msg.message == WM_KEYDOWN) {
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    // The log is a multi-line editor and keeps Tab for itself: Tab, Shift+Tab
    // and Ctrl+Tab leave it, so the grid is reachable without the mouse.
    if (msg.wParam == VK_TAB && msg.hwnd == Control(MainControl::Log)) {
      SetFocus(GetNextDlgTabItem(hwnd_, msg.hwnd, shift ? TRUE : FALSE));
      return true;
    }
    // Enter in the port control's edit field takes the port typed there.
    if (msg.wParam == VK_RETURN && GetParent(msg.hwnd) == ports_.Handle()) {
      ports_.TakeTyped();
      return true;
    }
    // Enter in the grid edits its row; elsewhere it is the dialog manager's.
    // Posted: the editor must not run inside the key's dispatch.
    if (msg.wParam == VK_RETURN && msg.hwnd == Control(MainControl::Grid) && !ctrl && !shift) {
      if (const auto command = control::CommandForKey(control::Key::Enter, false, true)) {
        PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(kFirstKeyId + static_cast<int>(*command), 1), 0);
        return true;
      }
    }
  }
  if (msg.message == WM_MOUSEMOVE && msg.hwnd == Control(MainControl::Grid)) {
    // The grid's tip follows the row under the mouse.
    const int row = GridRowAt(POINT{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)});
    if (row != tipRow_) {
      tipRow_ = row;
      SendMessageW(tooltip_, TTM_UPDATE, 0, 0);
    }
  }
  if (keys_ != nullptr && TranslateAcceleratorW(hwnd_, keys_, &msg) != 0) return true;
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
  SetLine(MainControl::BackupLine, text, tip);
}

void MainWindow::SetLine(MainControl control, const std::string& text, const std::string& tip) {
  HWND line = Control(control);
  const std::wstring wide = WideFromUtf8(text);
  if (WindowText(line) == wide) return;
  SetWindowTextW(line, wide.c_str());
  SetTip(tooltip_, line, WideFromUtf8(tip));
}

void MainWindow::SetEnabled(control::Control control, bool enabled) {
  const auto shown = control::MainControlOf(control);
  if (!shown) {
    if (control == control::Control::EditMenu) {
      EnableMenuItem(rowMenu_, kEditMenuId, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
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
  gridFrozen_ = locked;
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

void MainWindow::RedrawGrid() {
  FitColumns();
  InvalidateRect(Control(MainControl::Grid), nullptr, FALSE);
}

bool MainWindow::OpenWithSystem(const std::filesystem::path& path) {
  // ShellExecute's result is no handle: above 32 means it started.
  const auto started = reinterpret_cast<INT_PTR>(
      ShellExecuteW(hwnd_, L"open", path.wstring().c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return started > 32;
}

void MainWindow::ShowBackups() { ShowBackupsDialog(controller_, hwnd_); }

void MainWindow::RequestClose() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void MainWindow::RequestCloseLater() {
  if (hwnd_ != nullptr) SetTimer(hwnd_, kCloseRetryTimerId, 10, nullptr);
}

}  // namespace quelt::win
