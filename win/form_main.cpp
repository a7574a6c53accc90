#include "win/form_main.h"

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "front/field_rules.h"
#include "front/grid_mark.h"
#include "front/log_style.h"
#include "front/pictures.h"
#include "front/texts.h"
#include "fuel/backup.h"
#include "fuel/gas_names.h"
#include "fuel/status_text.h"
#include "quelt/version.h"
#include "text/text_helpers.h"
#include "win/fuel_dialog.h"
#include "win/gdi_pictures.h"
#include "win/settings.h"
#include "win/wide.h"
#include "win/win_pump.h"

namespace quelt::win {
namespace {

using front::MainControl;

constexpr wchar_t kClassName[] = L"QueltFuelMain";
constexpr UINT kSyncSelection = WM_APP + 1;
constexpr UINT kCloseWhenIdle = WM_APP + 2;
constexpr UINT_PTR kCloseRetryTimerId = 2;

int Index(MainControl c) { return static_cast<int>(c); }

HFONT MakeFont(int points, bool bold, int dpi, const wchar_t* face, bool underline = false) {
  return CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                     underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

WORD VirtualKey(front::Key key) {
  switch (key) {
    case front::Key::F1:
      return VK_F1;
    case front::Key::F2:
      return VK_F2;
    case front::Key::F5:
      return VK_F5;
    case front::Key::Enter:
      return VK_RETURN;
    case front::Key::Up:
      return VK_UP;
    case front::Key::Down:
      return VK_DOWN;
    case front::Key::O:
      return 'O';
    case front::Key::S:
      return 'S';
    case front::Key::Q:
      return 'Q';
  }
  return 0;
}

// "Fuel tables (*.txt)", "*.txt", "All files (*.*)", "*.*", each ended by a
// nul, the whole by a second one.
std::wstring TableFileFilter() {
  const std::wstring pattern = L"*." + Wide(front::kTableFileExtension);
  std::wstring filter = Wide(front::kTableFilesName) + L" (" + pattern + L")";
  filter.push_back(L'\0');
  filter += pattern;
  filter.push_back(L'\0');
  filter += Wide(front::kAllFilesName) + L" (*.*)";
  filter.push_back(L'\0');
  filter += L"*.*";
  filter.push_back(L'\0');
  return filter;
}

// The legend's two marks: the sample in the mark's colours, then its meaning.
struct LegendEntry {
  const char* sample;
  const char* meaning;
  front::RowMark mark;
};
std::array<LegendEntry, 2> LegendEntries() {
  auto markOf = [](int id, int n) {
    FuelRow row;
    row.ID = id;
    row.N = static_cast<std::int16_t>(n);
    return *front::MarkOf(row);
  };
  return {{{front::kLegendSampleNaturalGasH, kLegendNaturalGasH, markOf(kNaturalGasHId, 1)},
           {front::kLegendSampleUnused, kLegendUnused, markOf(0, kMaxRowsUsed + 1)}}};
}

COLORREF Colour(front::Rgb c) { return RGB(c.r, c.g, c.b); }

// The log's own text: "Arial" 8 pt in the text colour.
CHARFORMAT2W BaseFormat() {
  CHARFORMAT2W f{};
  f.cbSize = sizeof f;
  f.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_COLOR | CFM_CHARSET;
  f.dwEffects = CFE_AUTOCOLOR;
  f.yHeight = front::kLogFontPoints * 20;
  f.bCharSet = DEFAULT_CHARSET;
  f.bPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  wcscpy(f.szFaceName, L"Arial");
  return f;
}

CHARFORMAT2W SpanFormat(const front::LogStyle& style) {
  CHARFORMAT2W f{};
  f.cbSize = sizeof f;
  f.dwMask = CFM_BOLD | CFM_COLOR;
  f.dwEffects = (style.bold ? CFE_BOLD : 0) | (style.coloured ? 0 : CFE_AUTOCOLOR);
  f.crTextColor = Colour(style.colour);
  if (style.alternateFont) {
    f.dwMask |= CFM_FACE | CFM_SIZE;
    f.yHeight = front::kLogFontPoints * 20;
    // Where "Courier New" is missing the mapper still picks a fixed pitch,
    // so the instruction lines' brackets line up.
    f.bPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcscpy(f.szFaceName, L"Courier New");
  }
  return f;
}

struct StreamSource {
  const std::wstring* text;
  std::size_t offset = 0;  // bytes
};

DWORD CALLBACK StreamOut(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const std::size_t total = source->text->size() * sizeof(wchar_t);
  const std::size_t n =
      std::min<std::size_t>(static_cast<std::size_t>(wanted), total - source->offset);
  std::memcpy(buffer, reinterpret_cast<const char*>(source->text->data()) + source->offset, n);
  source->offset += n;
  *given = static_cast<LONG>(n);
  return 0;
}

// Device text goes in as plain text: a stream of SF_TEXT is never read as
// RTF, whatever it holds.
void InsertPlainText(HWND edit, const std::wstring& text) {
  StreamSource source{&text};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, StreamOut};
  SendMessageW(edit, EM_STREAMIN, SF_TEXT | SF_UNICODE | SFF_SELECTION,
               reinterpret_cast<LPARAM>(&stream));
}

LONG TextLength(HWND edit) {
  GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<LONG>(
      SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

std::wstring Text(HWND h) {
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

}  // namespace

FormMain::FormMain() {
  TableFuel.SetListener([this](FuelTable::Change change) { OnTableChange(change); });
}

FormMain::~FormMain() {
  TableFuel.SetListener({});
  if (hwnd_ != nullptr) {
    quitOnDestroy_ = false;
    DestroyWindow(hwnd_);
  }
  if (pump_ != nullptr) pump_->SetFastWakeups(false);
  if (popup_ != nullptr) DestroyMenu(popup_);
  if (keys_ != nullptr) DestroyAcceleratorTable(keys_);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(bigFont_),
                    static_cast<HGDIOBJ>(linkFont_)}) {
    if (o != nullptr) DeleteObject(o);
  }
  if (iconBig_ != nullptr) DestroyIcon(iconBig_);
  if (iconSmall_ != nullptr) DestroyIcon(iconSmall_);
}

int FormMain::S(int pixels96) const { return ScaleForDpi(pixels96, dpi_); }

bool FormMain::Create(int showCommand) {
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
  decimalSeparator_ = UserDecimalSeparator();
  const std::wstring caption = Wide(front::kMainCaption);
  // Hidden first: the size and place follow from the monitor's resolution.
  CreateWindowExW(
      WS_EX_CONTROLPARENT, kClassName, caption.c_str(),
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN,
      CW_USEDEFAULT, CW_USEDEFAULT, front::kMainOuterWidth, front::kMainOuterHeight, nullptr,
      nullptr, instance, this);
  if (hwnd_ == nullptr) return false;

  const int width = S(front::kMainOuterWidth), height = S(front::kMainOuterHeight);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  SetWindowPos(hwnd_, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  return true;
}

LRESULT CALLBACK FormMain::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  FormMain* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<FormMain*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<FormMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return self->Handle(msg, wp, lp);
}

void FormMain::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  auto make = [&](MainControl c, const wchar_t* cls, DWORD style, DWORD exStyle = 0) {
    const auto& info = front::InfoOf(c);
    const std::wstring caption = Wide(info.caption);
    HWND h = CreateWindowExW(
        exStyle, cls, caption.c_str(),
        WS_CHILD | WS_VISIBLE | (info.tabStop ? WS_TABSTOP : 0) | style, 0, 0, 0, 0, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + Index(c))), instance,
        nullptr);
    controls_[static_cast<std::size_t>(Index(c))] = h;
    return h;
  };
  // In tab order; the panels are drawn, not windows.
  for (MainControl flat : {MainControl::RefreshButton, MainControl::SendButton, MainControl::ExitButton}) {
    SetWindowSubclass(make(flat, L"BUTTON", BS_OWNERDRAW), FlatButtonProc, 1,
                      reinterpret_cast<DWORD_PTR>(this));
  }
  HWND progress = make(MainControl::Progress, PROGRESS_CLASSW, 0);
  SendMessageW(progress, PBM_SETRANGE32, 0, kProgressFullScale);
  make(MainControl::Logo, L"STATIC", SS_OWNERDRAW | SS_NOTIFY);
  HWND memo = make(MainControl::Log, MSFTEDIT_CLASS,
                   ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE);
  CHARFORMAT2W base = BaseFormat();
  SendMessageW(memo, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&base));
  SendMessageW(memo, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
  // Lines wrap: no horizontal bar, whatever the control shows by default.
  ShowScrollBar(memo, SB_HORZ, FALSE);
  for (MainControl small :
       {MainControl::MoveUpButton, MainControl::MoveDownButton, MainControl::OpenButton, MainControl::SaveButton}) {
    make(small, L"BUTTON", BS_OWNERDRAW);
  }
  HWND grid = make(MainControl::Grid, WC_LISTVIEWW,
                   LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE);
  ListView_SetExtendedListViewStyle(grid,
                                    LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);

  // Column 0 is the row indicator; the data columns follow.
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.pszText = const_cast<wchar_t*>(L"");
  column.cx = front::kIndicatorWidth;
  ListView_InsertColumn(grid, 0, &column);
  int index = 1;
  for (const front::GridColumn& c : front::GridColumns()) {
    const std::wstring title = Wide(c.title);
    column.fmt = c.alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.cx = c.width;
    column.iSubItem = index;
    ListView_InsertColumn(grid, index, &column);
    ++index;
  }
  // The legend's words as its text, for readers of the screen; it is drawn.
  std::string legend;
  for (const LegendEntry& e : LegendEntries()) {
    legend += (legend.empty() ? "" : "    ") + std::string(e.sample) + " " + e.meaning;
  }
  SetWindowTextW(make(MainControl::Legend, L"STATIC", SS_OWNERDRAW), Wide(legend).c_str());
  // Elided in the middle when narrow; the tool tip has the whole line.
  make(MainControl::StatusLine, L"STATIC",
       SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS | SS_CENTERIMAGE | SS_NOTIFY);
  make(MainControl::BackupLine, L"BUTTON", BS_OWNERDRAW);

  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance, nullptr);
  for (const auto& info : front::MainControls()) {
    HWND h = Control(info.id);
    const bool changing = info.id == MainControl::StatusLine || info.id == MainControl::BackupLine;
    if (h == nullptr || (info.hint[0] == 0 && !changing)) continue;
    std::wstring hint = Wide(front::HintText(info));
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(h);
    tool.lpszText = hint.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  // The backup's tip has two lines.
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 4096);

  popup_ = CreatePopupMenu();
  AppendMenuW(popup_, MF_STRING, kEditMenuId, Wide(front::kEditMenuItem).c_str());

  std::vector<ACCEL> keys;
  for (const front::KeyBinding& k : front::MainKeys()) {
    keys.push_back({static_cast<BYTE>(FVIRTKEY | (k.ctrl ? FCONTROL : 0)), VirtualKey(k.key),
                    static_cast<WORD>(kFirstKeyId + static_cast<int>(k.action))});
  }
  keys_ = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

void FormMain::SetTip(HWND control, const std::wstring& text) {
  std::wstring copy = text;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = copy.data();
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// A flat button shows its edge only while the mouse is over it.
LRESULT CALLBACK FormMain::FlatButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                          DWORD_PTR data) {
  auto* self = reinterpret_cast<FormMain*>(data);
  switch (msg) {
    case WM_MOUSEMOVE:
      if (self->hot_ != hwnd) {
        if (self->hot_ != nullptr) InvalidateRect(self->hot_, nullptr, FALSE);
        self->hot_ = hwnd;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      if (self->hot_ == hwnd) self->hot_ = nullptr;
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    case WM_NCDESTROY:
      if (self->hot_ == hwnd) self->hot_ = nullptr;
      RemoveWindowSubclass(hwnd, FlatButtonProc, 1);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void FormMain::ApplyDpi(int dpi) {
  dpi_ = dpi;
  if (font_ != nullptr) DeleteObject(font_);
  if (bigFont_ != nullptr) DeleteObject(bigFont_);
  font_ = MakeFont(front::kBaseFontPoints, false, dpi, L"MS Shell Dlg 2");
  bigFont_ = MakeFont(front::kBigButtonFontPoints, true, dpi, L"MS Shell Dlg 2");
  if (linkFont_ != nullptr) DeleteObject(linkFont_);
  linkFont_ = MakeFont(front::kBaseFontPoints, false, dpi, L"MS Shell Dlg 2", true);
  HWND grid = Control(MainControl::Grid);
  SendMessageW(grid, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  for (MainControl c : {MainControl::Legend, MainControl::StatusLine, MainControl::BackupLine}) {
    SendMessageW(Control(c), WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  ListView_SetColumnWidth(grid, 0, S(front::kIndicatorWidth));
  int c = 0;
  for (const front::GridColumn& column : front::GridColumns()) {
    columnWidths_[static_cast<std::size_t>(c)] = S(column.width);
    ListView_SetColumnWidth(grid, c + 1, S(column.width));
    ++c;
  }
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

void FormMain::Layout() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const front::MainLayout layout = front::LayoutMain(client.right, client.bottom, dpi_);
  for (const auto& info : front::MainControls()) {
    HWND h = Control(info.id);
    if (h == nullptr) continue;
    const front::Rect& r = layout.Of(info.id);
    SetWindowPos(h, nullptr, r.x, r.y, r.w, r.h, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (MainControl panel : {MainControl::ButtonBar, MainControl::StatusBar}) {
    RECT area{};
    const front::Rect& b = layout.Of(panel);
    SetRect(&area, b.x, b.y, b.Right(), b.Bottom());
    InvalidateRect(hwnd_, &area, TRUE);
  }
}

void FormMain::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client{};
  GetClientRect(hwnd_, &client);
  const front::MainLayout layout = front::LayoutMain(client.right, client.bottom, dpi_);
  for (MainControl panel : {MainControl::ButtonColumn, MainControl::ButtonBar}) {
    const front::Rect& r = layout.Of(panel);
    RECT edge{r.x, r.y, r.Right(), r.Bottom()};
    DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
  }
  const front::Rect& status = layout.Of(MainControl::StatusBar);
  RECT sunken{status.x, status.y, status.Right(), status.Bottom()};
  DrawEdge(dc, &sunken, BDR_SUNKENOUTER, BF_RECT);
  EndPaint(hwnd_, &ps);
  if (firstPaint_) {
    auto hook = std::move(firstPaint_);
    firstPaint_ = nullptr;
    hook();
  }
}

void FormMain::DrawButton(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT rc = item.rcItem;
  const int id = static_cast<int>(item.CtlID) - kFirstControlId;
  const auto control = static_cast<MainControl>(id);
  if (control == MainControl::Legend) {
    DrawLegend(item);
    return;
  }
  if (control == MainControl::BackupLine) {
    DrawBackupLine(item);
    return;
  }
  if (control == MainControl::Logo) {
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    DrawLogo(dc, rc, dpi_ / 96.0);
    return;
  }
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool small = control == MainControl::MoveUpButton || control == MainControl::MoveDownButton ||
                     control == MainControl::OpenButton || control == MainControl::SaveButton;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  if (small) {
    DrawFrameControl(dc, &rc, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  } else if (pressed) {
    DrawEdge(dc, &rc, BDR_SUNKENOUTER, BF_RECT);
  } else if (item.hwndItem == hot_ && !disabled) {
    DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
  }
  const int shift = pressed ? 1 : 0;
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;

  front::Picture picture = front::Picture::Refresh;
  int design = front::kBigPicture;
  switch (control) {
    case MainControl::SendButton:
      picture = front::Picture::Send;
      break;
    case MainControl::ExitButton:
      picture = front::Picture::Exit;
      design = front::kExitPicture;
      break;
    case MainControl::MoveUpButton:
      picture = front::Picture::Up;
      design = front::kSmallPicture;
      break;
    case MainControl::MoveDownButton:
      picture = front::Picture::Down;
      design = front::kSmallPicture;
      break;
    case MainControl::OpenButton:
      picture = front::Picture::Open;
      design = front::kSmallPicture;
      break;
    case MainControl::SaveButton:
      picture = front::Picture::Save;
      design = front::kSmallPicture;
      break;
    default:
      break;
  }
  const int size = S(design);
  wchar_t caption[64] = {};
  GetWindowTextW(item.hwndItem, caption, 64);
  const bool hasCaption = caption[0] != 0;
  HGDIOBJ oldFont = SelectObject(dc, bigFont_);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int textH = hasCaption ? metrics.tmHeight : 0;
  const int gap = hasCaption ? textH / 3 : 0;
  // Picture above the caption, the two centred as one group.
  const int top = (h - size - gap - textH) / 2 + shift;
  const int left = (w - size) / 2 + shift;
  if (picture == front::Picture::Exit) {
    DrawExitSign(dc, left, top, size, disabled);
  } else {
    DrawCanvas(dc, front::DrawPicture(picture, size, disabled), left, top);
  }
  if (hasCaption) {
    RECT text{shift, top + size + gap, w + shift, top + size + gap + textH};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextW(dc, caption, -1, &text, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
  SelectObject(dc, oldFont);
  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    RECT focus = rc;
    InflateRect(&focus, -S(3), -S(3));
    DrawFocusRect(dc, &focus);
  }
}

void FormMain::DrawLegend(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT rc = item.rcItem;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  const int pad = S(front::kLegendSwatchPad);
  int x = rc.left + pad;
  for (const LegendEntry& e : LegendEntries()) {
    const std::wstring sample = Wide(e.sample), meaning = Wide(e.meaning);
    SIZE size{};
    GetTextExtentPoint32W(dc, sample.c_str(), static_cast<int>(sample.size()), &size);
    RECT swatch{x, rc.top + S(2), x + size.cx + 2 * pad, rc.bottom - S(2)};
    HBRUSH brush = CreateSolidBrush(Colour(e.mark.background));
    FillRect(dc, &swatch, brush);
    DeleteObject(brush);
    SetTextColor(dc, Colour(e.mark.text));
    DrawTextW(dc, sample.c_str(), -1, &swatch,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT words{swatch.right + pad, rc.top, rc.right, rc.bottom};
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, meaning.c_str(), -1, &words, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    GetTextExtentPoint32W(dc, meaning.c_str(), static_cast<int>(meaning.size()), &size);
    x = words.left + size.cx + S(front::kLegendGap);
  }
  SelectObject(dc, oldFont);
}

// Looks like a link while there is a backup to open.
void FormMain::DrawBackupLine(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT rc = item.rcItem;
  FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  wchar_t text[1024] = {};
  GetWindowTextW(item.hwndItem, text, 1024);
  HGDIOBJ oldFont = SelectObject(dc, disabled ? font_ : linkFont_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_HOTLIGHT));
  RECT area = rc;
  InflateRect(&area, -S(3), 0);
  DrawTextW(dc, text, -1, &area,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
  SelectObject(dc, oldFont);
  if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    DrawFocusRect(dc, &rc);
  }
}

std::wstring FormMain::CellText(int row, int column) const {
  if (column <= 0 || row < 0 || row >= TableFuel.RecordCount()) return {};
  // The row being edited shows its edit buffer.
  const FuelRow& r =
      row == TableFuel.CurrentIndex() && TableFuel.GetState() == FuelTable::State::Edit
          ? TableFuel.Current()
          : TableFuel.Row(row);
  const auto field = static_cast<FuelField>(column - 1);
  return Wide(front::FieldDisplayText(r, field, decimalSeparator_));
}

void FormMain::OnTableChange(FuelTable::Change change) {
  if (hwnd_ == nullptr) return;
  HWND grid = Control(MainControl::Grid);
  if (change == FuelTable::Change::Reset ||
      ListView_GetItemCount(grid) != TableFuel.RecordCount()) {
    RebuildGrid();
  } else {
    if (change == FuelTable::Change::RowValues && TableFuel.CurrentIndex() >= 0) {
      ListView_RedrawItems(grid, TableFuel.CurrentIndex(), TableFuel.CurrentIndex());
      FitColumns();
    }
    SyncGridSelection();
  }
  UpdateStatus();
}

void FormMain::RebuildGrid() {
  // The texts come from the table when painted: only the number of items
  // has to follow it, then everything is drawn anew. A list read adds one
  // row at a time, so this adds one item rather than building all again.
  HWND grid = Control(MainControl::Grid);
  syncing_ = true;
  int count = ListView_GetItemCount(grid);
  while (count > TableFuel.RecordCount()) ListView_DeleteItem(grid, --count);
  for (; count < TableFuel.RecordCount(); ++count) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = count;
    item.pszText = LPSTR_TEXTCALLBACKW;
    ListView_InsertItem(grid, &item);
  }
  syncing_ = false;
  FitColumns();
  SyncGridSelection();
  if (count > 0) ListView_RedrawItems(grid, 0, count - 1);
}

void FormMain::SyncGridSelection() {
  HWND grid = Control(MainControl::Grid);
  const int current = TableFuel.CurrentIndex();
  syncing_ = true;
  const int count = ListView_GetItemCount(grid);
  for (int i = 0; i < count; ++i) {
    const UINT want = i == current ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    if (ListView_GetItemState(grid, i, LVIS_SELECTED | LVIS_FOCUSED) != want) {
      ListView_SetItemState(grid, i, want, LVIS_SELECTED | LVIS_FOCUSED);
    }
  }
  if (current >= 0 && current < count) ListView_EnsureVisible(grid, current, FALSE);
  syncing_ = false;
  // The row indicator moves with the current row.
  InvalidateRect(grid, nullptr, FALSE);
}

// The design widths suit an 8 pt bitmap face; wider faces would cut
// numbers off. A column grows to its title and its widest cell, never below
// its design width, and never shrinks what the user widened.
void FormMain::FitColumns() {
  HWND grid = Control(MainControl::Grid);
  HDC dc = GetDC(grid);
  HGDIOBJ old = SelectObject(dc, font_);
  const int pad = S(12);
  int c = 1;
  for (const front::GridColumn& column : front::GridColumns()) {
    auto width = [&](const std::wstring& text) {
      SIZE extent{};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      return static_cast<int>(extent.cx) + pad;
    };
    int needed =
        std::max(columnWidths_[static_cast<std::size_t>(c - 1)], width(Wide(column.title)));
    for (int row = 0; row < TableFuel.RecordCount(); ++row)
      needed = std::max(needed, width(CellText(row, c)));
    if (ListView_GetColumnWidth(grid, c) < needed) ListView_SetColumnWidth(grid, c, needed);
    ++c;
  }
  SelectObject(dc, old);
  ReleaseDC(grid, dc);
}

LRESULT FormMain::GridCustomDraw(NMLVCUSTOMDRAW* draw) {
  HWND grid = Control(MainControl::Grid);
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const int row = static_cast<int>(draw->nmcd.dwItemSpec);
      if (row < 0 || row >= TableFuel.RecordCount()) return CDRF_DODEFAULT;
      const bool selected = ListView_GetItemState(grid, row, LVIS_SELECTED) != 0;
      // The grid paints the colours given here: a mark wins over the
      // selection, and the selection looks the same with or without focus.
      if (const auto mark = front::MarkOf(TableFuel.Row(row))) {
        draw->clrTextBk = Colour(mark->background);
        draw->clrText = Colour(mark->text);
      } else if (selected) {
        draw->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
        draw->clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
      } else {
        draw->clrTextBk = GetSysColor(COLOR_WINDOW);
        draw->clrText = RGB(0, 0, 0);
      }
      draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
      return CDRF_NOTIFYPOSTPAINT | CDRF_NEWFONT;
    }
    case CDDS_ITEMPOSTPAINT: {
      const int row = static_cast<int>(draw->nmcd.dwItemSpec);
      RECT bounds{};
      bounds.left = LVIR_BOUNDS;
      if (SendMessageW(grid, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&bounds)) == 0) {
        return CDRF_DODEFAULT;
      }
      RECT cell = bounds;
      cell.right = cell.left + ListView_GetColumnWidth(grid, 0);
      FillRect(draw->nmcd.hdc, &cell, GetSysColorBrush(COLOR_BTNFACE));
      DrawEdge(draw->nmcd.hdc, &cell, BDR_RAISEDINNER, BF_RECT);
      if (row == TableFuel.CurrentIndex()) {
        const int h = static_cast<int>(cell.bottom - cell.top);
        const int size = std::min<int>(h, cell.right - cell.left);
        DrawCanvas(draw->nmcd.hdc, front::DrawPicture(front::Picture::RowIndicator, size, false),
                   cell.left + (cell.right - cell.left - size) / 2, cell.top + (h - size) / 2);
      }
      return CDRF_DODEFAULT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

LRESULT FormMain::GridNotify(NMHDR* header) {
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
      if ((info->item.mask & LVIF_TEXT) != 0 && info->item.cchTextMax > 0) {
        cellBuffer_ = CellText(info->item.iItem, info->item.iSubItem);
        const std::size_t n =
            std::min(cellBuffer_.size(), static_cast<std::size_t>(info->item.cchTextMax - 1));
        std::memcpy(info->item.pszText, cellBuffer_.data(), n * sizeof(wchar_t));
        info->item.pszText[n] = 0;
      }
      return 0;
    }
    case LVN_ITEMCHANGING: {
      auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      // While a transfer walks the table by its current row, the user must
      // not move that row.
      if (!syncing_ && transferActive_ && (change->uChanged & LVIF_STATE) != 0) return TRUE;
      return FALSE;
    }
    case LVN_ITEMCHANGED: {
      auto* change = reinterpret_cast<NMLISTVIEW*>(header);
      if (syncing_ || (change->uChanged & LVIF_STATE) == 0) return 0;
      const bool nowSelected = (change->uNewState & LVIS_SELECTED) != 0;
      const bool wasSelected = (change->uOldState & LVIS_SELECTED) != 0;
      if (nowSelected && !wasSelected && change->iItem >= 0 &&
          change->iItem != TableFuel.CurrentIndex()) {
        TableFuel.MoveTo(change->iItem);
      } else if (!nowSelected && wasSelected) {
        // A click on empty space: the current row stays selected.
        PostMessageW(hwnd_, kSyncSelection, 0, 0);
      }
      return 0;
    }
    case LVN_KEYDOWN: {
      auto* key = reinterpret_cast<NMLVKEYDOWN*>(header);
      if (key->wVKey == VK_DELETE && (GetKeyState(VK_CONTROL) & 0x8000) != 0) dbGridFuelDelete();
      return 0;
    }
    case NM_RCLICK: {
      auto* click = reinterpret_cast<NMITEMACTIVATE*>(header);
      if (transferActive_) return TRUE;
      if (click->iItem >= 0 && click->iItem != TableFuel.CurrentIndex()) {
        TableFuel.MoveTo(click->iItem);
      }
      POINT at = click->ptAction;
      ClientToScreen(header->hwndFrom, &at);
      ShowPopup(at);
      return TRUE;
    }
    case NM_CUSTOMDRAW:
      return GridCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
    default:
      return 0;
  }
}

void FormMain::ShowPopup(POINT screen) {
  // The menu runs a loop of its own; a wait for the analyser must not run
  // inside it, so there is no menu during a transfer.
  if (transferActive_) return;
  UpdateControls();
  // Without the foreground the menu would not close when clicked beside.
  SetForegroundWindow(hwnd_);
  TrackPopupMenuEx(popup_, TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y,
                   hwnd_, nullptr);
}

LRESULT FormMain::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      dpi_ = static_cast<int>(GetDpiForWindow(hwnd_));
      CreateControls();
      ApplyDpi(dpi_);
      SetTimer(hwnd_, kTickTimerId, static_cast<UINT>(TGlb::kTickMs), nullptr);
      UpdateStatus();
      UpdateControls();
      return 0;
    case WM_SHOWWINDOW:
      if (wp != FALSE && !shown_) {
        shown_ = true;
        FormShow();
      }
      break;
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lp);
      RECT outer{0, 0, S(front::kMainMinClientWidth), S(front::kMainMinClientHeight)};
      AdjustWindowRectExForDpi(&outer, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)),
                               FALSE, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)),
                               static_cast<UINT>(dpi_));
      info->ptMinTrackSize.x = outer.right - outer.left;
      info->ptMinTrackSize.y = outer.bottom - outer.top;
      return 0;
    }
    case WM_DPICHANGED: {
      ApplyDpi(HIWORD(wp));
      const RECT* suggested = reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_SETCURSOR:
      if (busyCursor_) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
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
        if (tick_) tick_();
        return 0;
      }
      if (wp == kCloseRetryTimerId) {
        KillTimer(hwnd_, kCloseRetryTimerId);
        CloseWhenIdle();
        return 0;
      }
      break;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (id == kEditMenuId) {
        Edit1Click();
        return 0;
      }
      if (HIWORD(wp) == 1 && id >= kFirstKeyId && id <= kFirstKeyId + 20) {
        RunAction(static_cast<front::MainAction>(id - kFirstKeyId));
        return 0;
      }
      // STN_CLICKED of the logo is the same code.
      if (HIWORD(wp) != BN_CLICKED) break;
      switch (static_cast<MainControl>(id - kFirstControlId)) {
        case MainControl::RefreshButton:
          BtRefreshClick();
          return 0;
        case MainControl::SendButton:
          BtSendClick();
          return 0;
        case MainControl::ExitButton:
          BtExitClick();
          return 0;
        case MainControl::MoveUpButton:
          BtaufClick();
          return 0;
        case MainControl::MoveDownButton:
          BtAbClick();
          return 0;
        case MainControl::OpenButton:
          BtOpenClick();
          return 0;
        case MainControl::SaveButton:
          BtSaveClick();
          return 0;
        case MainControl::Logo:
          ImageClick();
          return 0;
        case MainControl::BackupLine:
          BackupLineClick();
          return 0;
        default:
          break;
      }
      break;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lp);
      if (header->hwndFrom == Control(MainControl::Grid)) return GridNotify(header);
      break;
    }
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wp) == Control(MainControl::Grid)) {
        POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (at.x == -1 && at.y == -1) {  // the keyboard's menu key
          RECT row{};
          row.left = LVIR_BOUNDS;
          HWND grid = Control(MainControl::Grid);
          SendMessageW(grid, LVM_GETITEMRECT,
                       static_cast<WPARAM>(std::max(TableFuel.CurrentIndex(), 0)),
                       reinterpret_cast<LPARAM>(&row));
          at = {row.left + S(20), row.bottom};
          ClientToScreen(grid, &at);
        }
        ShowPopup(at);
        return 0;
      }
      break;
    case kSyncSelection:
      SyncGridSelection();
      return 0;
    case kCloseWhenIdle:
      CloseWhenIdle();
      return 0;
    case WM_CLOSE:
      if (session_ != nullptr && session_->Ops().Busy()) {
        // End the transfer first; the window closes once its closing steps ran.
        closePending_ = true;
        session_->Ops().AbortTransfer();
        return 0;
      }
      closePending_ = false;
      if (!MayDropChanges()) return 0;
      DestroyWindow(hwnd_);
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

void FormMain::CloseWhenIdle() {
  if (hwnd_ == nullptr) return;
  if (session_ != nullptr && session_->Ops().Busy()) {
    SetTimer(hwnd_, kCloseRetryTimerId, 10, nullptr);
    return;
  }
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

void FormMain::FormShow() {
  if (session_ != nullptr) session_->Ops().ShowIntro();
  EnableSend(false);
  SetProgress(0);
}

void FormMain::SetSession(TableSession* session) {
  session_ = session;
  UpdateStatus();
}

// Keys reach the handlers also while their button is disabled.
void FormMain::BtRefreshClick() {
  if (session_ == nullptr || transferActive_ || !refreshEnabled_) return;
  if (!MayDropChanges() || transferActive_) return;
  session_->Refresh();
  UpdateStatus();
}

void FormMain::BtSendClick() {
  if (session_ == nullptr || transferActive_ || !sendEnabled_) return;
  session_->Send();
  UpdateStatus();
}

void FormMain::BtOpenClick() {
  if (session_ == nullptr || transferActive_) return;
  if (!MayDropChanges()) return;
  const std::filesystem::path path = AskTableFile(false);
  if (path.empty() || transferActive_) return;
  LoadTable(path);
}

void FormMain::BtSaveClick() {
  if (session_ == nullptr || transferActive_) return;
  const std::filesystem::path path = AskTableFile(true);
  if (!path.empty()) SaveTable(path);
}

bool FormMain::LoadTable(const std::filesystem::path& path) {
  if (session_ == nullptr || transferActive_) return false;
  const bool loaded = session_->LoadFile(path);
  UpdateStatus();
  return loaded;
}

bool FormMain::SaveTable(const std::filesystem::path& path) {
  if (session_ == nullptr) return false;
  const bool saved = session_->SaveFile(path);
  UpdateStatus();
  return saved;
}

std::filesystem::path FormMain::AskTableFile(bool save) {
  const std::wstring folder = ReadSetting(front::kSettingsFolderKey);
  const std::wstring filter = TableFileFilter();
  const std::wstring title = Wide(save ? front::kSaveTitle : front::kOpenTitle);
  const std::wstring extension = Wide(front::kTableFileExtension);
  // Long paths and any characters: the name comes back as UTF-16.
  std::wstring file(32768, L'\0');
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = extension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR | OFN_HIDEREADONLY |
              OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  if ((save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) == FALSE) return {};
  const std::filesystem::path path(file.c_str());
  WriteSetting(front::kSettingsFolderKey, path.parent_path().wstring());
  return path;
}

bool FormMain::MayDropChanges() {
  if (session_ == nullptr || !session_->MustAskBeforeDropping()) return true;
  const std::wstring question = Wide(kUnsentQuestion), title = Wide(kProgramName);
  // Yes saves, No discards.
  switch (MessageBoxW(hwnd_, question.c_str(), title.c_str(),
                      MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1)) {
    case IDYES: {
      const std::filesystem::path path = AskTableFile(true);
      return !path.empty() && SaveTable(path);
    }
    case IDNO:
      return true;
    default:
      return false;
  }
}

std::wstring FormMain::AboutText() const {
  if (session_ == nullptr) return {};
  const std::filesystem::path& folder = session_->Ops().BackupsFolder;
  return Wide(
      quelt::AboutText(QUELT_VERSION, session_->Port(), folder.empty() ? BackupsRoot() : folder));
}

void FormMain::ImageClick() {
  if (session_ == nullptr) return;
  const std::wstring text = AboutText(), title = Wide(kProgramName);
  MSGBOXPARAMSW box{};
  box.cbSize = sizeof box;
  box.hwndOwner = hwnd_;
  box.hInstance = GetModuleHandleW(nullptr);
  box.lpszText = text.c_str();
  box.lpszCaption = title.c_str();
  // The program's flame where the exe carries it.
  const bool icon = FindResourceW(box.hInstance, MAKEINTRESOURCEW(1), RT_GROUP_ICON) != nullptr;
  box.dwStyle = MB_OK | (icon ? MB_USERICON : MB_ICONINFORMATION);
  box.lpszIcon = icon ? MAKEINTRESOURCEW(1) : nullptr;
  MessageBoxIndirectW(&box);
}

void FormMain::BackupLineClick() {
  if (session_ == nullptr || session_->LastBackup().empty()) return;
  const std::wstring folder =
      std::filesystem::path(Wide(session_->LastBackup())).parent_path().wstring();
  ShellExecuteW(hwnd_, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void FormMain::RunAction(front::MainAction action) {
  using A = front::MainAction;
  switch (action) {
    case A::Refresh:
      BtRefreshClick();
      break;
    case A::Send:
      BtSendClick();
      break;
    case A::MoveUp:
      BtaufClick();
      break;
    case A::MoveDown:
      BtAbClick();
      break;
    case A::Edit:
      Edit1Click();
      break;
    case A::Open:
      BtOpenClick();
      break;
    case A::Save:
      BtSaveClick();
      break;
    case A::Exit:
      BtExitClick();
      break;
    case A::About:
      ImageClick();
      break;
  }
}

bool FormMain::PreTranslate(MSG& msg) {
  if (hwnd_ == nullptr || (msg.hwnd != hwnd_ && IsChild(hwnd_, msg.hwnd) == FALSE)) return false;
  // Enter in the grid edits its row; elsewhere it is the dialog manager's.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN &&
      msg.hwnd == Control(MainControl::Grid) && (GetKeyState(VK_CONTROL) & 0x8000) == 0) {
    PostMessageW(hwnd_, WM_COMMAND, kEditMenuId, 0);
    return true;
  }
  if (keys_ != nullptr && TranslateAcceleratorW(hwnd_, keys_, &msg) != 0) return true;
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

void FormMain::UpdateStatus() {
  if (hwnd_ == nullptr || session_ == nullptr) return;
  auto set = [](HWND h, const std::wstring& text) {
    if (Text(h) != text) SetWindowTextW(h, text.c_str());
  };
  set(hwnd_, Wide(session_->Caption()));
  const std::wstring status = Wide(StatusText(session_->Status()));
  HWND line = Control(MainControl::StatusLine);
  if (Text(line) != status) {
    SetWindowTextW(line, status.c_str());
    SetTip(line, status);
  }
  const std::string& backup = session_->LastBackup();
  HWND backupLine = Control(MainControl::BackupLine);
  const std::wstring backupText = Wide(BackupText(backup));
  if (Text(backupLine) != backupText) {
    SetWindowTextW(backupLine, backupText.c_str());
    SetTip(backupLine, backup.empty() ? L"" : Wide(backup) + L"\n" + Wide(front::kBackupLineClick));
  }
  UpdateControls();
}

void FormMain::BtExitClick() { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }

void FormMain::BtaufClick() {
  if (session_ != nullptr && !transferActive_) session_->Ops().MoveUp();
}

void FormMain::BtAbClick() {
  if (session_ != nullptr && !transferActive_) session_->Ops().MoveDown();
}

void FormMain::Edit1Click() {
  if (transferActive_) return;
  EditFuelRow(TableFuel, false, hwnd_);
}

void FormMain::dbGridFuelDelete() {
  if (transferActive_ || TableFuel.IsEmpty()) return;
  const std::wstring question = Wide(front::kDeleteQuestion);
  const std::wstring caption = Wide(front::kMainCaption);
  if (MessageBoxW(hwnd_, question.c_str(), caption.c_str(), MB_OKCANCEL | MB_ICONQUESTION) !=
      IDOK) {
    return;
  }
  // The box ran a loop of its own: the table may have changed meanwhile.
  if (transferActive_ || TableFuel.IsEmpty()) return;
  TableFuel.Delete();
}

void FormMain::ClearLog() {
  HWND memo = Control(MainControl::Log);
  SetWindowTextW(memo, L"");
  CHARFORMAT2W base = BaseFormat();
  SendMessageW(memo, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&base));
  logOpenSpan_ = 0;
  logEmpty_ = true;
}

void FormMain::AddLogLine(const std::string& line) {
  HWND memo = Control(MainControl::Log);
  const std::wstring text = WideFromWire(line);
  const LONG end = TextLength(memo);
  const LONG start = logEmpty_ ? 0 : end + 1;
  CHARRANGE at{end, end};
  SendMessageW(memo, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
  CHARFORMAT2W base = BaseFormat();
  SendMessageW(memo, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&base));
  InsertPlainText(memo, logEmpty_ ? text : L"\r" + text);
  logEmpty_ = false;

  const std::u16string_view units(reinterpret_cast<const char16_t*>(text.data()), text.size());
  for (const front::LogSpan& span : front::StyleLogLine(units, logOpenSpan_)) {
    CHARRANGE range{start + static_cast<LONG>(span.start),
                    start + static_cast<LONG>(span.start + span.length)};
    SendMessageW(memo, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format = SpanFormat(span.style);
    SendMessageW(memo, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  const LONG after = TextLength(memo);
  CHARRANGE caret{after, after};
  SendMessageW(memo, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
  SendMessageW(memo, WM_VSCROLL, SB_BOTTOM, 0);
}

void FormMain::SetProgress(int value) {
  // A send of more than 15 rows counts on past the full scale.
  SendMessageW(Control(MainControl::Progress), PBM_SETPOS,
               static_cast<WPARAM>(std::clamp(value, 0, kProgressFullScale)), 0);
}

void FormMain::SetBusyCursor(bool busy) {
  if (busy == busyCursor_) return;
  busyCursor_ = busy;
  POINT pt{};
  GetCursorPos(&pt);
  HWND under = WindowFromPoint(pt);
  if (under == hwnd_ || IsChild(hwnd_, under)) {
    if (busy) {
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else {
      SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    }
  }
}

void FormMain::ShowMessage(const std::string& text) {
  const std::wstring caption = Wide(front::kMainCaption);
  MessageBoxW(hwnd_, WideFromWire(text).c_str(), caption.c_str(), MB_OK);
}

bool FormMain::Confirm(const std::string& question) {
  const std::wstring caption = Wide(front::kMainCaption);
  return MessageBoxW(hwnd_, WideFromWire(question).c_str(), caption.c_str(),
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void FormMain::EnableRefresh(bool enabled) {
  refreshEnabled_ = enabled;
  UpdateControls();
}

void FormMain::EnableSend(bool enabled) {
  sendEnabled_ = enabled;
  UpdateControls();
}

void FormMain::SetTransferActive(bool active) {
  transferActive_ = active;
  if (pump_ != nullptr) pump_->SetFastWakeups(active);
  UpdateControls();
  if (!active && closePending_) PostMessageW(hwnd_, kCloseWhenIdle, 0, 0);
}

void FormMain::UpdateControls() {
  if (hwnd_ == nullptr) return;
  // A control that loses its enabling while it has the focus takes the
  // keyboard with it: give it to the grid, which is always there.
  const HWND focus = GetFocus();
  EnableWindow(Control(MainControl::RefreshButton), refreshEnabled_ && !transferActive_);
  EnableWindow(Control(MainControl::SendButton), sendEnabled_ && !transferActive_);
  for (MainControl c :
       {MainControl::MoveUpButton, MainControl::MoveDownButton, MainControl::OpenButton, MainControl::SaveButton}) {
    EnableWindow(Control(c), !transferActive_);
  }
  EnableWindow(Control(MainControl::BackupLine),
               session_ != nullptr && !session_->LastBackup().empty());
  EnableMenuItem(popup_, kEditMenuId, MF_BYCOMMAND | (transferActive_ ? MF_GRAYED : MF_ENABLED));
  if (focus != nullptr && IsChild(hwnd_, focus) && !IsWindowEnabled(focus)) {
    SetFocus(Control(MainControl::Grid));
  }
}

}  // namespace quelt::win
