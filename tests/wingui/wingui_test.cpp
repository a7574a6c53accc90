// The Windows window under Wine, driven through window messages against
// quelt-sim linked as COM port QUELT_TEST_COM (its transcript in
// QUELT_TEST_TRANSCRIPT, one line a command). QUELT_TEST_DPI names the
// resolution the prefix was set to (96 when unset). Message boxes and the
// editor are answered from a thread timer while their own loops run.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "control/backups_view.h"
#include "control/box_buttons.h"
#include "control/row_menu.h"
#include "control/session_trace.h"
#include "control/window_controller.h"
#include "front/change_mark.h"
#include "front/layout.h"
#include "front/log_style.h"
#include "front/tab_order.h"
#include "front/texts.h"
#include "fuel/backup.h"
#include "fuel/status_text.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "link/discovery.h"
#include "quelt/version.h"
#include "sim/inprocess_line.h"
#include "tests/support/languages.h"
#include "text/text_helpers.h"
#include "text/utf16.h"
#include "win/backups_dialog.h"
#include "win/fuel_dialog.h"
#include "win/main_window.h"
#include "win/parties_dialog.h"
#include "win/settings.h"
#include "win/win_pump.h"

namespace quelt::win {
namespace {

using front::MainControl;

int EnvInt(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != 0 ? std::atoi(text) : fallback;
}

std::vector<std::string> Transcript() {
  std::vector<std::string> lines;
  const char* path = std::getenv("QUELT_TEST_TRANSCRIPT");
  if (path == nullptr) return lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::wstring Text(HWND h) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ClassOf(HWND h) {
  wchar_t name[64] = {};
  GetClassNameW(h, name, 64);
  return name;
}

// Answers the modal windows of this thread as they come up: each step waits
// for a window of the given caption (or class, for the popup menu) and acts
// on it. Steps run from a thread timer, which every modal loop dispatches.
// How far the text of a message box, drawn unclipped as the box draws it,
// reaches beyond its control (pixels at the right or below; 0: none).
int InkBeyondText(HWND box) {
  HWND label = GetDlgItem(box, 0xFFFF);
  RECT client{};
  GetClientRect(label, &client);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(label, text.data(), static_cast<int>(text.size()))));
  const int w = client.right + 200, h = client.bottom + 100;
  HDC screen = GetDC(label);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldFont =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  RECT all{0, 0, w, h};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT area = client;
  DrawTextW(dc, text.c_str(), -1, &area,
            DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP);
  GdiFlush();
  int beyond = 0;
  const auto* pixel = static_cast<const std::uint32_t*>(bits);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if ((pixel[y * w + x] & 0xFFFFFF) == 0xFFFFFF) continue;
      beyond = std::max({beyond, x + 1 - static_cast<int>(client.right),
                         y + 1 - static_cast<int>(client.bottom)});
    }
  }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(label, screen);
  return beyond;
}

class Modals {
 public:
  using Action = std::function<void(HWND)>;
  Modals() {
    active_ = this;
    timer_ = SetTimer(nullptr, 0, 40, &Modals::OnTimer);
  }
  ~Modals() {
    KillTimer(nullptr, timer_);
    active_ = nullptr;
  }
  void Expect(std::wstring captionOrClass, Action action) {
    steps_.push_back({std::move(captionOrClass), std::move(action)});
  }
  // Answers a message box with `button`, keeping its text.
  void Answer(const std::wstring& caption, int button) {
    Expect(caption, [this, button](HWND box) {
      wchar_t text[1024] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 1024);
      texts.push_back(text);
      PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    });
  }
  bool Done() const { return steps_.empty(); }
  std::vector<std::wstring> texts;

 private:
  struct Step {
    std::wstring match;
    Action action;
  };
  // A dialog (message boxes and the editor are) with this caption, or a
  // window of this class.
  static BOOL CALLBACK Find(HWND h, LPARAM param) {
    auto* found = reinterpret_cast<std::pair<const std::wstring*, HWND>*>(param);
    const std::wstring cls = ClassOf(h);
    if (IsWindowVisible(h) &&
        ((cls == L"#32770" && Text(h) == *found->first) || cls == *found->first)) {
      found->second = h;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK Dismiss(HWND h, LPARAM) {
    if (IsWindowVisible(h) && ClassOf(h) == L"#32770") PostMessageW(h, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    Modals* self = active_;
    if (self == nullptr) return;
    if (self->steps_.empty()) {
      // A box nobody expected: note it and close it, or the test would hang.
      HWND box = nullptr;
      EnumThreadWindows(
          GetCurrentThreadId(),
          [](HWND h, LPARAM p) {
            if (IsWindowVisible(h) && ClassOf(h) == L"#32770") *reinterpret_cast<HWND*>(p) = h;
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&box));
      if (box != nullptr) {
        wchar_t text[1024] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 1024);
        self->texts.push_back(text);
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
      }
      return;
    }
    std::pair<const std::wstring*, HWND> found{&self->steps_.front().match, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), Find, reinterpret_cast<LPARAM>(&found));
    if (found.second == nullptr) {
      // A step that never comes must fail the test, not hang it.
      if (++self->waited_ * 40 > 30000) {
        ADD_FAILURE() << "no window '" << Utf8FromWide(self->steps_.front().match) << "' came";
        self->steps_.clear();
        EnumThreadWindows(GetCurrentThreadId(), Dismiss, 0);
      }
      return;
    }
    self->waited_ = 0;
    Action action = std::move(self->steps_.front().action);
    self->steps_.pop_front();
    action(found.second);  // may open the next modal window itself
  }
  static inline Modals* active_ = nullptr;
  UINT_PTR timer_ = 0;
  int waited_ = 0;
  std::deque<Step> steps_;
};

class Window : public ::testing::Test {
 public:  // the timer callbacks below reach in too
  void SetUp() override {
    ASSERT_GT(EnvInt("QUELT_TEST_COM", 0), 0) << "QUELT_TEST_COM must name the simulator's port";
    link.SetDiscovery([] { return ComPort(EnvInt("QUELT_TEST_COM", 0)); });
    form.SetPump(&pump);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    ops.SetBackupsFolder(std::filesystem::path(temp) / L"quelt-wingui-backups");
    ASSERT_TRUE(form.Create(SW_SHOWNORMAL));
    pump.SetPreTranslate([this](MSG& msg) { return form.PreTranslate(msg); });
    pump.ProcessPendingEvents();
    first_ = Transcript().size();
  }

  HWND C(MainControl c) const { return form.Control(c); }
  void Click(MainControl c) { SendMessageW(C(c), BM_CLICK, 0, 0); }
  bool Enabled(MainControl c) const { return IsWindowEnabled(C(c)) != FALSE; }
  int Progress() const {
    return static_cast<int>(SendMessageW(C(MainControl::Progress), PBM_GETPOS, 0, 0));
  }

  // The log since the last Refresh began: a Refresh puts a separator line
  // in ("---- Refresh 10:42:07 ----") and keeps what stood before it.
  std::vector<std::wstring> Log() const {
    std::vector<std::wstring> lines;
    const std::wstring all = Text(C(MainControl::Log));
    std::size_t start = 0;
    for (std::size_t i = 0; i <= all.size(); ++i) {
      if (i == all.size() || all[i] == L'\r' || all[i] == L'\n') {
        lines.push_back(all.substr(start, i - start));
        if (i + 1 < all.size() && all[i] == L'\r' && all[i + 1] == L'\n') ++i;
        start = i + 1;
      }
    }
    for (std::size_t i = lines.size(); i-- > 0;) {
      if (lines[i].starts_with(L"---- ") && lines[i].ends_with(L" ----"))
        return {lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end()};
    }
    return lines;
  }

  // The character format at `position` of the log.
  CHARFORMAT2W FormatAt(LONG position) const {
    HWND memo = C(MainControl::Log);
    CHARRANGE r{position, position + 1};
    SendMessageW(memo, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    CHARFORMAT2W f{};
    f.cbSize = sizeof f;
    SendMessageW(memo, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&f));
    return f;
  }

  HWND Grid() const { return C(MainControl::Grid); }
  int Rows() const { return ListView_GetItemCount(Grid()); }
  std::wstring Cell(int row, int column) const {  // column 0: N
    wchar_t text[128] = {};
    ListView_GetItemText(Grid(), row, column + 1, text, 128);
    return text;
  }
  int Selected() const { return ListView_GetNextItem(Grid(), -1, LVNI_SELECTED); }
  RECT CellRect(int row, int column) const {
    RECT r{};
    ListView_GetSubItemRect(Grid(), row, column + 1, LVIR_BOUNDS, &r);
    return r;
  }
  // The colour the grid painted at the right end of a cell (text is
  // left-aligned there, so this is background).
  // The column is scrolled into view first: on a small screen the grid is
  // narrower than its columns.
  COLORREF Background(int row, int column) const {
    RECT r = CellRect(row, column), inside{};
    GetClientRect(Grid(), &inside);
    if (r.right > inside.right) ListView_Scroll(Grid(), r.right - inside.right, 0);
    if (r.left < 0) ListView_Scroll(Grid(), r.left, 0);
    UpdateWindow(Grid());
    r = CellRect(row, column);
    HDC dc = GetDC(Grid());
    const COLORREF c = GetPixel(dc, r.right - 4, (r.top + r.bottom) / 2);
    ReleaseDC(Grid(), dc);
    return c;
  }

  // Runs `press` with the Control key down or up in the keyboard state.
  template <typename Press>
  static void WithControl(bool control, Press press) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE before = keys[VK_CONTROL];
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    press();
    keys[VK_CONTROL] = before;
    SetKeyboardState(keys);
  }

  void KeyToGrid(WORD key, bool control) {
    WithControl(control, [&] { SendMessageW(Grid(), WM_KEYDOWN, key, 0); });
  }

  void RightClickRow(int row) {
    const RECT r = CellRect(row, 2);
    const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
    PostMessageW(Grid(), WM_RBUTTONUP, 0, at);
    SendMessageW(Grid(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    pump.ProcessPendingEvents();
  }

  // Commands the simulator received since this test began.
  std::vector<std::string> Commands() const {
    auto all = Transcript();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(first_, all.size())), all.end()};
  }

  void Refresh() {
    Click(MainControl::RefreshButton);
    ASSERT_EQ(Rows(), 13) << "the refresh did not read the simulator's table";
  }

  static std::wstring Caption() { return WideFromUtf8(front::kMainCaption); }
  static std::wstring Tip(HWND tips, HWND control) {
    wchar_t text[1024] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
    return text;
  }
  HWND Tips() const {
    HWND tips = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM p) {
          if (ClassOf(h) == TOOLTIPS_CLASSW) *reinterpret_cast<HWND*>(p) = h;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&tips));
    return tips;
  }
  // A key pressed on the grid, through the program's message loop.
  void Key(WORD key, bool control) {
    WithControl(control, [&] {
      PostMessageW(Grid(), WM_KEYDOWN, key, 1);
      pump.ProcessPendingEvents();
    });
  }
  std::wstring Status() const { return Text(C(MainControl::StatusLine)); }
  std::wstring Port() const { return L"COM" + std::to_wstring(EnvInt("QUELT_TEST_COM", 0)); }
  // A folder of this test's own, removed afterwards.
  std::filesystem::path TempFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::filesystem::path(temp) /
              (L"quelt-wingui-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               WideFromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    return folder_;
  }
  void TearDown() override {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  std::filesystem::path folder_;

  WinPump pump;
  AnalyserLink link{pump};
  control::WindowController controller{link};
  MainWindow form{controller};
  FuelOperations& ops = controller.Ops();
  std::size_t first_ = 0;
};

TEST_F(Window, StartsEmptyWithTheIntroAndItsHints) {
  EXPECT_EQ(Text(form.Handle()), L"QUELT fuel list update");
  EXPECT_EQ(
      Log(),
      (std::vector<std::wstring>{
          L"QUELT fuel list update", L"QUELT fuel list updater: 1.0,001", L"",
          L"[ Connect your QUELT with computer. ]", L"[ Switch QUELT ON.                  ]",
          L"[ Press Button \"Refresh\".           ]", L"[ Check table of fuel.              ]",
          L"[ With cklick on right button you   ]", L"[ are able to edit discription.     ]"}));
  // The instruction lines: bold dark green in the fixed-pitch font, brackets
  // included; the title line plain.
  const LONG instruction = static_cast<LONG>(Log()[0].size() + Log()[1].size() + 2 + 1);
  for (LONG at : {instruction, instruction + 36}) {
    const CHARFORMAT2W f = FormatAt(at);
    EXPECT_TRUE(f.dwEffects & CFE_BOLD) << at;
    EXPECT_EQ(f.crTextColor, RGB(0, 128, 64)) << at;
    EXPECT_STREQ(f.szFaceName, L"Courier New") << at;
  }
  EXPECT_FALSE(FormatAt(0).dwEffects & CFE_BOLD);

  EXPECT_EQ(Rows(), 0);
  HWND header = ListView_GetHeader(Grid());
  ASSERT_EQ(Header_GetItemCount(header), 12);  // indicator + 11 fields
  const wchar_t* titles[] = {L"N",      L"ID",   L"Description", L"Co2Max", L"A2",  L"B",
                             L"Ref.O2", L"Vatr", L"Vaf",         L"HU",     L"Soot"};
  for (int c = 0; c < 11; ++c) {
    wchar_t title[32] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = title;
    item.cchTextMax = 32;
    Header_GetItem(header, c + 1, &item);
    EXPECT_STREQ(title, titles[c]);
    EXPECT_EQ(item.fmt & HDF_JUSTIFYMASK, c == 2 ? HDF_LEFT : HDF_RIGHT) << c;
  }

  EXPECT_TRUE(Enabled(MainControl::RefreshButton));
  EXPECT_FALSE(Enabled(MainControl::SendButton));
  EXPECT_TRUE(Enabled(MainControl::MoveUpButton));
  EXPECT_EQ(Progress(), 0);
  EXPECT_EQ(Text(C(MainControl::RefreshButton)), L"Refresh");
  EXPECT_EQ(Text(C(MainControl::SendButton)), L"QUELT");

  // Tool tips on the controls with a hint, and only there.
  HWND tips = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM p) {
        if (ClassOf(h) == TOOLTIPS_CLASSW) *reinterpret_cast<HWND*>(p) = h;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&tips));
  ASSERT_NE(tips, nullptr);
  // The status and backup lines' tips follow their texts (below).
  for (const auto& info : front::MainControls()) {
    if (C(info.id) == nullptr || info.id == MainControl::StatusLine ||
        info.id == MainControl::BackupLine) {
      continue;
    }
    wchar_t hint[128] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = form.Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(C(info.id));
    tool.lpszText = hint;
    SendMessageW(tips, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(hint, WideFromUtf8(control::HintText(info))) << info.name;
  }
  EXPECT_EQ(Tip(tips, C(MainControl::RefreshButton)), L"Get fuel list from the instrument (F5)");
  // The row menu offers the session's trace for support, from the shared table.
  const auto& menu = control::RowMenuItems();
  const auto at = std::find_if(menu.begin(), menu.end(),
                               [](const control::RowMenuItem& i) {
                                 return i.command == control::Command::SaveTrace;
                               }) -
                  menu.begin();
  wchar_t item[64] = {};
  GetMenuStringW(form.RowMenu(), kEditMenuId + static_cast<int>(at), item, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(item), L"Save a trace for support...");
}

// Refresh, an edit through the row menu and the editor, Send: what the
// simulator received, the grid, the log and their Win32 drawing.
TEST_F(Window, RefreshEditAndSendAgainstTheSimulator) {
  Refresh();
  const auto log = Log();
  ASSERT_GE(log.size(), 14u);
  EXPECT_EQ(log[9], L"Found      :QUELT 300");
  EXPECT_EQ(log[10], L"Type       :20");
  EXPECT_EQ(log.back(), L"Read 12 rows, natural gas H added as row 4");
  // "Found" bold in the text colour; the reply after it plain.
  // Where it stands in the whole log, the lines before the Refresh included
  // (a line break is one character of the control's).
  const std::wstring all = Text(C(MainControl::Log));
  const auto label = static_cast<std::ptrdiff_t>(all.rfind(L"Found      :"));
  const auto found = static_cast<LONG>(label - std::count(all.begin(), all.begin() + label, L'\n'));
  EXPECT_TRUE(FormatAt(found).dwEffects & CFE_BOLD);
  EXPECT_TRUE(FormatAt(found).dwEffects & CFE_AUTOCOLOR);
  EXPECT_FALSE(FormatAt(found + 13).dwEffects & CFE_BOLD);

  EXPECT_EQ(Cell(0, 0), L"1");
  EXPECT_EQ(Cell(3, 1), L"16");
  EXPECT_EQ(Cell(3, 2), L"Erdgas H");
  EXPECT_EQ(Cell(0, 2), WideFromUtf8("Heiz\u00f6l EL"));  // Windows-1252 from the wire
  EXPECT_EQ(Selected(), 3);
  EXPECT_EQ(controller.Table().CurrentIndex(), 3);
  EXPECT_TRUE(Enabled(MainControl::SendButton));
  EXPECT_TRUE(Enabled(MainControl::RefreshButton));
  EXPECT_EQ(Progress(), 15);
  EXPECT_FALSE(controller.BusyCursor());
  EXPECT_FALSE(link.port().isOpen());

  // The H row is purple while selected and without focus; others keep the
  // window's colour.
  SetFocus(C(MainControl::RefreshButton));
  EXPECT_EQ(Background(3, 2), RGB(128, 0, 128));
  EXPECT_EQ(Background(3, 10), RGB(128, 0, 128));
  EXPECT_EQ(Background(1, 2), GetSysColor(COLOR_WINDOW));
  SetFocus(Grid());
  EXPECT_EQ(Background(3, 2), RGB(128, 0, 128));

  // The mouse on a marked row: its tip says what the colour means; on
  // another row the grid's hint.
  auto tipOver = [&](int row) {
    RECT r{};
    ListView_GetSubItemRect(Grid(), row, 3, LVIR_BOUNDS, &r);
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(Grid(), &at);
    SetCursorPos(at.x, at.y);
    return Tip(Tips(), Grid());
  };
  EXPECT_EQ(tipOver(3), L"Row 4: natural gas H");
  EXPECT_EQ(tipOver(1), WideFromUtf8(control::HintText(front::InfoOf(MainControl::Grid))));

  const auto cmds = Commands();
  ASSERT_EQ(cmds.size(), 20u);
  EXPECT_EQ(cmds[2], "R001");
  EXPECT_EQ(cmds[19], "R40112");

  // The edit: the row menu, the editor dialog, its refusals.
  wchar_t separator[8] = {};
  GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
  const int refusedBefore = RefusedCharacters();
  HWND co2 = nullptr, soot = nullptr;
  auto type = [](HWND editor, const std::wstring& text) {
    SetFocus(editor);
    SendMessageW(editor, EM_SETSEL, 0, -1);
    for (wchar_t c : text) SendMessageW(editor, WM_CHAR, c, 0);
  };

  Modals modals;
  // The popup menu: its one item, Edit.
  modals.Expect(L"#32768", [](HWND menu) {
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  });
  modals.Expect(L"Edit fuel", [&](HWND dialog) {
    co2 = GetDlgItem(dialog, EditorId(FuelField::Co2Max));
    soot = GetDlgItem(dialog, EditorId(FuelField::Soot));
    EXPECT_EQ(Text(GetDlgItem(dialog, EditorId(FuelField::ID))), L"5");
    EXPECT_EQ(Text(co2), L"14" + std::wstring(1, separator[0]) + L"1");
    type(co2, L"x");  // refused with a beep and a note: the text stays
    EXPECT_EQ(Text(co2), L"14" + std::wstring(1, separator[0]) + L"1");
    EXPECT_EQ(Text(GetDlgItem(dialog, kNoteId)), L"Co2Max: 'x' is not allowed here");
    type(co2, L"15" + std::wstring(1, separator[0]) + L"5");
    type(soot, L"99999");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  modals.Answer(L"quelt-fuel", IDOK);  // the out-of-range message
  modals.Expect(L"Edit fuel", [&](HWND dialog) {
    EXPECT_EQ(GetFocus(), soot);  // back in the editor that was refused
    type(soot, L"1");
    // An emptied number has no value: shown as the 0 it is sent as.
    HWND hu = GetDlgItem(dialog, EditorId(FuelField::HU));
    type(hu, L"\b");
    SetFocus(soot);
    EXPECT_EQ(Text(hu), L"0" + std::wstring(1, separator[0]) + L"00");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });

  RightClickRow(5);  // Butan, ID 5
  for (int i = 0; i < 200 && !modals.Done(); ++i) {
    pump.ProcessPendingEvents();
    Sleep(10);
  }
  ASSERT_TRUE(modals.Done());
  EXPECT_EQ(RefusedCharacters(), refusedBefore + 1);
  EXPECT_EQ(modals.texts, std::vector<std::wstring>{
                              WideFromUtf8("99999 ist kein g\u00fcltiger Wert f\u00fcr das Feld "
                                           "'Spezial'. Der zul\u00e4ssige Bereich ist -32768 bis "
                                           "32767")});
  EXPECT_EQ(Selected(), 5);
  EXPECT_EQ(controller.Table().GetState(), FuelTable::State::Viewing);
  // Changed cells carry the change mark.
  EXPECT_EQ(Cell(5, 3), L"\u2022 15" + std::wstring(1, separator[0]) + L"5");
  EXPECT_EQ(Cell(5, 10), L"\u2022 1");
  EXPECT_EQ(Cell(5, 9), L"\u2022 0" + std::wstring(1, separator[0]) + L"00");
  EXPECT_EQ(Cell(5, 2), L"Butan");
  EXPECT_EQ(Cell(5, 0), L"6");  // its position, never the row count plus one
  EXPECT_DOUBLE_EQ(controller.Table().Row(5).Co2Max, 15.5);

  // The send writes the edited table and reads it back.
  EXPECT_EQ(Text(form.Handle()), Caption() + L" - changes not sent");
  first_ = Transcript().size();
  modals.texts.clear();  // a box would stop the test here; none may come
  Click(MainControl::SendButton);
  EXPECT_TRUE(modals.texts.empty());
  const auto sent = Commands();
  std::vector<std::string> writes;
  for (const auto& c : sent) {
    if (c.rfind("W40", 0) == 0) writes.push_back(c);
  }
  ASSERT_EQ(writes.size(), 14u);
  EXPECT_EQ(writes[3], "W4014;16;Erdgas H;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;");
  // The edited row as typed: the decimal mark the wire uses, HU emptied to 0.
  EXPECT_EQ(writes[5].rfind("W4016;5;Butan;15,5;", 0), 0u) << writes[5];
  EXPECT_TRUE(writes[5].ends_with(";0,00;1;")) << writes[5];
  EXPECT_EQ(writes[13], "W40213;X;X;");
  // The check reads the count and every row back after the last write.
  EXPECT_EQ(sent.back(), "R40113");
  const auto after = Log();
  EXPECT_EQ(after.back(), L"Sent 13 rows, the analyser uses 13");
  EXPECT_EQ(after[after.size() - 2], L"Checked: 13 rows and the count read back as sent");
  EXPECT_EQ(Progress(), 15);
  EXPECT_TRUE(Enabled(MainControl::SendButton));
  EXPECT_EQ(Text(form.Handle()), Caption());
  EXPECT_EQ(Cell(5, 3), L"15" + std::wstring(1, separator[0]) + L"5") << "sent: no mark";
}

// --demo: the window on the in-process analyser at 9600 baud, wired as
// quelt-fuel.exe wires it; quelt-sim on the COM port hears nothing.
TEST_F(Window, DemoRefreshesOverTheInProcessLine) {
  sim::Config paced;
  paced.baud = 9600;
  sim::InProcessLine line(paced);
  controller.AttachSimulated(line, line.DevicePath());
  Refresh();
  const auto log = Log();
  EXPECT_EQ(log.front(), WideFromUtf8(std::string(kTitleLine) + " - simulated analyser"));
  EXPECT_EQ(log[9], L"Found      :QUELT 300");
  EXPECT_EQ(log.back(), L"Read 12 rows, natural gas H added as row 4");
  EXPECT_EQ(Cell(3, 2), L"Erdgas H");
  EXPECT_EQ(Progress(), 15);
  EXPECT_EQ(line.Transcript().size(), 20u);
  EXPECT_TRUE(Commands().empty());
  link.UseLine(DeviceLine());
}

// A transfer cut short leaves the analyser's answer on the line; the next
// refresh must not take it for the answer to its own first question.
TEST_F(Window, ARefreshAfterAnAbortedOneGetsItsOwnReplies) {
  static Window* self;
  self = this;
  const UINT_PTR timer = SetTimer(nullptr, 0, 15, [](HWND, UINT, UINT_PTR id, DWORD) {
    if (!self->controller.TransferActive()) return;
    KillTimer(nullptr, id);
    self->ops.AbortTransfer();
  });
  Click(MainControl::RefreshButton);
  KillTimer(nullptr, timer);
  Refresh();
  const auto log = Log();
  EXPECT_EQ(log[9], L"Found      :QUELT 300");
  EXPECT_EQ(log[11], L"Serial No. :08154711");
  EXPECT_NE(Status().find(L"   Serial 08154711, type 20   "), std::wstring::npos)
      << Utf8FromWide(Status());
}

// The caption marks a grid the analyser has not got; the status line says
// the port, the analyser and the rows; the backup line names the last backup.
TEST_F(Window, StatusLineAndCaptionFollowTheTable) {
  const std::wstring unsent = Caption() + L" - changes not sent";
  EXPECT_EQ(Text(form.Handle()), Caption());
  EXPECT_EQ(Status(), L"Port: looked for on Refresh   0 rows, 0 used");
  EXPECT_EQ(Text(C(MainControl::BackupLine)), L"No backup yet");
  EXPECT_FALSE(Enabled(MainControl::BackupLine));

  struct Step {
    const char* what;
    std::function<void()> act;
    bool marked;
    std::wstring rows;
  };
  // What the earlier tests left on the analyser: 13 rows with an H row of
  // its own, or 12 without, which the read completes with its own.
  Refresh();
  const bool storesH =
      Tip(Tips(), C(MainControl::StatusLine)).find(L"not stored") == std::wstring::npos;
  const std::wstring shown = storesH ? L"13 rows stored, 13 used"
                                     : L"12 rows stored, 12 used, natural gas H shown, not stored";
  const std::wstring oneChange = shown + L"   1 row changes";
  const Step steps[] = {
      {"refresh", [] {}, false, shown},
      {"move down",
       [&] {
         controller.Table().MoveTo(0);
         Click(MainControl::MoveDownButton);
       },
       true, oneChange},
      {"moved back", [&] { Click(MainControl::MoveUpButton); }, false, shown},
      // Deleting the read's own H row changes nothing the analyser stores.
      {"delete the H row",
       [&] {
         controller.Table().MoveTo(3);
         controller.Table().DeleteCurrent();
       },
       true, storesH ? oneChange : L"12 rows stored, 12 used"},
      {"send", [&] { Click(MainControl::SendButton); }, false, L"12 rows stored, 12 used"},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_EQ(Text(form.Handle()), step.marked ? unsent : Caption()) << step.what;
    // The whole line is the tip; the line shows what fits, the serial
    // number and the count of changes always whole.
    const std::wstring status = Tip(Tips(), C(MainControl::StatusLine));
    EXPECT_EQ(status.rfind(L"Port: " + Port() + L"   Serial ", 0), 0u) << Utf8FromWide(status);
    EXPECT_NE(status.find(L", type 20   "), std::wstring::npos) << Utf8FromWide(status);
    EXPECT_TRUE(status.ends_with(step.rows)) << step.what;
    const std::wstring line = Status();
    EXPECT_NE(line.find(L"Serial 08154711"), std::wstring::npos) << Utf8FromWide(line);
    if (step.rows.ends_with(L"changes")) {
      EXPECT_TRUE(line.ends_with(step.rows.substr(step.rows.rfind(L"   ")))) << Utf8FromWide(line);
    }
  }
  // The send made a backup: its file's name, the whole path in the tip.
  ASSERT_FALSE(controller.LastBackup().empty());
  const std::filesystem::path backup(WideFromUtf8(controller.LastBackup()));
  EXPECT_EQ(Text(C(MainControl::BackupLine)), L"Backup: " + backup.filename().wstring());
  EXPECT_EQ(Tip(Tips(), C(MainControl::BackupLine)),
            backup.wstring() + L"\n" + WideFromUtf8(front::kBackupLineClick));
  EXPECT_TRUE(Enabled(MainControl::BackupLine));
  EXPECT_EQ(backup.parent_path().parent_path(), ops.BackupsFolder());
  EXPECT_EQ(Text(C(MainControl::Legend)),
            L"ID 16 natural gas H    N > 15 beyond row 15: stored, not used by the analyser    "
            L"\u2022 12.5 not sent yet");
}

// A table saved under a name no code page holds comes back whole, in the
// system's line ends; saving over it again replaces it.
TEST_F(Window, TableFilesWithAnyNameThroughTheSession) {
  Refresh();
  const std::filesystem::path file =
      TempFolder() / L"Brennstoffe \u00d6l \u20ac \u8868 \U0001F525.txt";
  ASSERT_TRUE(controller.SaveTable(file));
  EXPECT_TRUE(controller.SaveTable(file)) << "a second save over the file";
  // The log names the file whole, whatever characters its name has.
  const std::wstring logged = file.wstring();
  EXPECT_EQ(Log().back(), L"Saved 13 rows to " + logged);
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  EXPECT_NE(bytes.find("\r\n4;16;Erdgas H;"), std::string::npos) << bytes;
  std::size_t lines = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\n') continue;
    ++lines;
    EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "a line end without CR at " << i;
  }
  EXPECT_EQ(lines, 14u);  // the header and the rows

  controller.Table().DeleteCurrent();
  controller.Table().DeleteCurrent();
  ASSERT_EQ(Rows(), 11);
  Modals modals;  // what was loaded replaces the grid without a question: it is in the file
  ASSERT_TRUE(controller.LoadTable(file));
  EXPECT_TRUE(modals.texts.empty());
  EXPECT_EQ(Rows(), 13);
  EXPECT_EQ(Cell(3, 2), L"Erdgas H");
  EXPECT_EQ(Cell(0, 2), WideFromUtf8("Heiz\u00f6l EL"));
  EXPECT_EQ(Text(form.Handle()), Caption() + L" - changes not sent");
  EXPECT_EQ(Log().back(), L"Loaded 13 rows from " + logged + L": not sent yet");

  // A file that is no table: said in a box, the grid as it was.
  const std::filesystem::path bad = folder_ / L"\u00fcbel.txt";
  std::ofstream(bad, std::ios::binary) << "1;1;Oil;x;1;1;1;1;1;1;1\r\n";
  modals.Answer(L"quelt-fuel", IDOK);
  EXPECT_FALSE(controller.LoadTable(bad));
  ASSERT_EQ(modals.texts.size(), 1u);
  EXPECT_EQ(modals.texts[0].rfind(L"Not loaded: \u00fcbel.txt, line 1", 0), 0u)
      << Utf8FromWide(modals.texts[0]);
  EXPECT_EQ(Rows(), 13);
}

// The window in one of the analyser's languages (tests/support/languages.h):
// the fixture's window, made after the language is set.
using test::SpokenLanguage;
class LanguageWindow : public Window, public ::testing::WithParamInterface<SpokenLanguage> {
 public:
  void SetUp() override {
    ASSERT_TRUE(lang::SetLanguage(GetParam().code));
    Window::SetUp();
  }
  void TearDown() override {
    Window::TearDown();
    lang::SetLanguage("en");
  }
};

// The width `text` needs in `h`'s font, the mnemonic's '&' left out.
int TextWidth(HWND h, std::wstring text) {
  std::erase(text, L'&');
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return size.cx;
}

// Every visible button and one-line label under `top` whose text is wider
// than its client area: "'Sicherungen' needs 80, has 64".
std::vector<std::string> CutTexts(HWND top) {
  std::vector<std::string> cut;
  EnumChildWindows(
      top,
      [](HWND h, LPARAM param) {
        const std::wstring cls = ClassOf(h), text = Text(h);
        const bool label = _wcsicmp(cls.c_str(), L"Static") == 0;
        if (!IsWindowVisible(h) || text.empty() ||
            (!label && _wcsicmp(cls.c_str(), L"Button") != 0)) {
          return TRUE;
        }
        // The editor's note wraps onto two lines by design; the status and
        // backup lines elide and show the whole text as their tool tip; the
        // legend is drawn in the lines it needs (checked on its own).
        const LONG style = GetWindowLongW(h, GWL_STYLE);
        if (label && (GetDlgCtrlID(h) == kNoteId || (style & SS_ELLIPSISMASK) != 0 ||
                      (style & SS_TYPEMASK) == SS_OWNERDRAW)) {
          return TRUE;
        }
        RECT client{};
        GetClientRect(h, &client);
        const int need = TextWidth(h, text);
        if (need > client.right) {
          reinterpret_cast<std::vector<std::string>*>(param)->push_back(
              "'" + Utf8FromWide(text) + "' needs " + std::to_string(need) + ", has " +
              std::to_string(client.right));
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&cut));
  return cut;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

// Each language from its catalogue: the caption, a button, the legend,
// message boxes with their buttons and the editor; no text cut off at this
// resolution.
TEST_P(LanguageWindow, SpeaksItWithNoTextCutOff) {
  const SpokenLanguage& spoken = GetParam();
  auto tr = [](const char* english) { return WideFromUtf8(lang::Tr(english)); };
  Refresh();
  EXPECT_EQ(Text(form.Handle()), WideFromUtf8(spoken.caption));
  EXPECT_EQ(Tip(Tips(), C(MainControl::RefreshButton)),
            WideFromUtf8(control::HintText(front::InfoOf(MainControl::RefreshButton))));
  // What the earlier tests left on the analyser: 13 rows or 12. The status
  // line gives way by design; its tool tip is whole.
  const auto storesThirteen = test::SpokenTexts(spoken, 13, 13);
  const auto storesTwelve = test::SpokenTexts(spoken, 12, 12);
  for (std::size_t i = 0; i < storesThirteen.size(); ++i) {
    HWND control = C(storesThirteen[i].control);
    const std::wstring shown =
        storesThirteen[i].control == MainControl::StatusLine ? Tip(Tips(), control) : Text(control);
    EXPECT_TRUE(shown.find(WideFromUtf8(storesThirteen[i].text)) != std::wstring::npos ||
                shown.find(WideFromUtf8(storesTwelve[i].text)) != std::wstring::npos)
        << Utf8FromWide(shown) << " / " << storesThirteen[i].text;
  }
  EXPECT_EQ(CutTexts(form.Handle()), std::vector<std::string>{}) << Joined(CutTexts(form.Handle()));

  // The legend is drawn, not a control's text: each of its lines fits its
  // width, and it is high enough for its lines.
  HWND legend = C(MainControl::Legend);
  const int pad = ScaleForDpi(front::kLegendSwatchPad, form.Dpi());
  front::LegendWidths widths{{}, ScaleForDpi(front::kLegendGap, form.Dpi())};
  const std::pair<const char*, const char*> entries[] = {
      {front::kLegendSampleNaturalGasH, kLegendNaturalGasH},
      {front::kLegendSampleUnused, kLegendUnused},
      {front::kLegendSampleChanged, front::kLegendChanged}};
  for (const auto& [sample, meaning] : entries) {
    widths.entries.push_back(TextWidth(legend, WideFromUtf8(sample)) + 3 * pad +
                             TextWidth(legend, WideFromUtf8(lang::Tr(meaning))));
  }
  RECT legendRect{};
  GetClientRect(legend, &legendRect);
  const int room = legendRect.right - 2 * pad;
  const std::vector<front::LegendPlace> places = front::PlaceLegend(widths, room);
  for (std::size_t i = 0; i < places.size(); ++i) {
    EXPECT_LE(places[i].x + widths.entries[i], room) << i;
  }
  EXPECT_GE(legendRect.bottom,
            (places.back().line + 1) * ScaleForDpi(front::kLegendLineHeight, form.Dpi()));

  Modals modals;
  modals.Answer(WideFromUtf8(kProgramName), IDCANCEL);  // About: OK
  std::wstring cancel;
  int inkBeyond = -1;
  modals.Expect(WideFromUtf8(kProgramName), [&cancel, &inkBeyond](HWND box) {  // Ctrl+Delete
    cancel = Text(GetDlgItem(box, IDCANCEL));
    inkBeyond = InkBeyondText(box);
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  });
  std::vector<std::string> editorCut{"not opened"};
  modals.Expect(tr("Edit fuel"), [&editorCut](HWND dialog) {
    editorCut = CutTexts(dialog);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  HWND logo = C(MainControl::Logo);
  SendMessageW(logo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(logo, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  pump.ProcessPendingEvents();
  Key(VK_DELETE, true);
  Key(VK_F2, false);
  for (int i = 0; i < 200 && !modals.Done(); ++i) {
    pump.ProcessPendingEvents();
    Sleep(10);
  }
  ASSERT_TRUE(modals.Done());
  ASSERT_EQ(modals.texts.size(), 1u);
  // About names the language whenever it is not English.
  const std::wstring named =
      L"\n" + WideFromUtf8(lang::Format(lang::Tr("Language: {1}"), lang::LanguageName()));
  EXPECT_EQ(modals.texts[0].find(named) != std::wstring::npos, std::string(spoken.code) != "en")
      << Utf8FromWide(modals.texts[0]);
  EXPECT_EQ(cancel, WideFromUtf8(control::ButtonWord(control::Answer::Cancel)));
  EXPECT_EQ(inkBeyond, 0) << "the box's text is cut at the right";
  EXPECT_EQ(Rows(), 13);  // the delete was cancelled
  EXPECT_EQ(editorCut, std::vector<std::string>{}) << Joined(editorCut);
}

INSTANTIATE_TEST_SUITE_P(Nine, LanguageWindow, ::testing::ValuesIn(test::kNineLanguages),
                         [](const ::testing::TestParamInfo<SpokenLanguage>& param) {
                           return std::string(param.param.code);
                         });

// The window's mapping, one row a face call or an event: each face call
// reaches its control, each key, click and menu its command. What the
// commands then decide (the questions, the lock, the files' faults) is the
// controller's, tested without a window in tests/control.
TEST_F(Window, EachFaceCallAndEventReachesItsControlOrCommand) {
  control::WindowFace& face = form;
  const std::wstring program = WideFromUtf8(kProgramName);
  Modals modals;
  auto settle = [&] {
    for (int i = 0; i < 200 && !modals.Done(); ++i) {
      pump.ProcessPendingEvents();
      Sleep(10);
    }
    ASSERT_TRUE(modals.Done());
  };
  int edited = -1;
  auto expectEditor = [&] {
    modals.Expect(L"Edit fuel", [&](HWND dialog) {
      edited = controller.Table().CurrentIndex();
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
  };
  const std::filesystem::path saved = TempFolder() / L"gesichert \u00e4.txt";
  const std::filesystem::path trace = folder_ / L"support \u00e4.txt";
  std::vector<std::wstring> aboutButtons, parties;
  std::wstring third, fourth;  // the names of the rows the editing keys leave in place
  struct Seen {
    bool ran = false, refresh = true, send = true, up = true, down = true, busy = false,
         fast = false;
    UINT edit = 0;
    int currentAfterClick = -1;
  };
  static Seen seen;
  struct Case {
    const char* what;
    std::function<void()> act, check;
  };
  const Case cases[] = {
      // Whatever the analyser sends is shown as the characters it is.
      {"AddLogLine: text that looks like RTF stays text",
       [&] {
         face.ClearLog();
         face.AddLogLine("{\\rtf1\\ansi \\b Fett\\b0 \u00e4}");
         face.AddLogLine("Serial No. :\u20ac 1");
       },
       [&] {
         EXPECT_EQ(Log()[0], WideFromUtf8("{\\rtf1\\ansi \\b Fett\\b0 \u00e4}"));
         EXPECT_EQ(Log()[1], WideFromUtf8("Serial No. :\u20ac 1"));
       }},
      // A red span left open does not run into the next line, and a
      // path's backslashes are no span.
      {"AddLogLine: each line keeps its own colours",
       [&] {
         face.ClearLog();
         face.AddLogLine("x {open");
         face.AddLogLine("Saved 3 rows to C:\\Users\\m\\t.txt");
       },
       [&] {
         const LONG second = static_cast<LONG>(Log()[0].size()) + 1;
         EXPECT_EQ(FormatAt(2).crTextColor, RGB(255, 0, 0)) << "the span of the first line";
         for (LONG i = second; i < second + static_cast<LONG>(Log()[1].size()); ++i) {
           const CHARFORMAT2W f = FormatAt(i);
           EXPECT_TRUE((f.dwEffects & CFE_AUTOCOLOR) != 0 ||
                       f.crTextColor == GetSysColor(COLOR_WINDOWTEXT))
               << "character " << i - second << " of the second line";
         }
       }},
      // The buttons say what they do, in English too, not Yes and No.
      {"Ask: Save, Discard and Cancel by their words and answers", [] {},
       [&] {
         const std::pair<int, control::Answer> answers[] = {{IDYES, control::Answer::Save},
                                                            {IDNO, control::Answer::Discard},
                                                            {IDCANCEL, control::Answer::Cancel}};
         for (const auto& pair : answers) {
           const int button = pair.first;
           const control::Answer answer = pair.second;
           std::vector<std::wstring> words;
           modals.Expect(program, [&words, button](HWND box) {
             for (int id : {IDYES, IDNO, IDCANCEL}) {
               wchar_t word[64] = {};
               GetDlgItemTextW(box, id, word, 64);
               words.push_back(word);
             }
             PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
           });
           EXPECT_EQ(face.Ask(control::UnsentQuestion()), answer);
           EXPECT_EQ(words, (std::vector<std::wstring>{L"&Save", L"&Discard", L"Cancel"}));
         }
       }},
      {"PickFile and StoreSetting: the save dialog's name; the folder in the registry",
       [&] {
         modals.Expect(WideFromUtf8(front::kSaveTitle), [&](HWND dialog) {
           // The file name box of the explorer dialog (a combo box's edit) or the old one.
           SetDlgItemTextW(dialog, cmb13, saved.c_str());
           SetDlgItemTextW(dialog, edt1, saved.c_str());
           PostMessageW(dialog, WM_COMMAND, IDOK, 0);
         });
       },
       [&] {
         EXPECT_EQ(face.PickFile(control::TableFileChoice(true)), saved);
         const std::string before = face.LoadSetting(front::kSettingsFolderKey);
         const std::string folder = Utf8FromWide(saved.parent_path().wstring());
         face.StoreSetting(front::kSettingsFolderKey, folder);
         EXPECT_EQ(ReadSetting(front::kSettingsFolderKey), saved.parent_path().wstring());
         EXPECT_EQ(face.LoadSetting(front::kSettingsFolderKey), folder);
         face.StoreSetting(front::kSettingsFolderKey, before);
       }},
      // About offers the session's trace: its button saves it to the file picked.
      {"the logo opens About: its words and text; Save trace writes the trace",
       [&] {
         modals.Expect(program, [&](HWND box) {
           for (int id : {IDRETRY, IDCANCEL}) aboutButtons.push_back(Text(GetDlgItem(box, id)));
           modals.texts.push_back(Text(GetDlgItem(box, 0xFFFF)));
           PostMessageW(box, WM_COMMAND, IDRETRY, 0);
         });
         std::filesystem::remove(trace);
         modals.Expect(WideFromUtf8(control::TraceFileChoice().title), [&](HWND dialog) {
           SetDlgItemTextW(dialog, cmb13, trace.c_str());
           SetDlgItemTextW(dialog, edt1, trace.c_str());
           PostMessageW(dialog, WM_COMMAND, IDOK, 0);
         });
         HWND logo = C(MainControl::Logo);
         SendMessageW(logo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
         SendMessageW(logo, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
         settle();
       },
       [&] {
         EXPECT_EQ(aboutButtons, (std::vector<std::wstring>{L"Save &trace...", L"OK"}));
         std::ifstream kept(trace, std::ios::binary);
         std::string first;
         std::getline(kept, first);
         EXPECT_EQ(first, LineTrace::FormatLine());
         ASSERT_EQ(modals.texts.size(), 1u);
         EXPECT_EQ(
             modals.texts[0],
             WideFromUtf8(std::string("quelt-fuel ") + QUELT_VERSION +
                          "\nKeeps the fuel table of the QUELT combustion analyser.\n\nPort: "
                          "looked for on Refresh\nBackups: " +
                          PathText(ops.BackupsFolder()) + "\nCommand line: quelt-fuel-cli --help"));
       }},
      // The report's form on the lines remembered; what OK takes from its
      // edits the controller keeps, and the file dialog follows.
      {"Ctrl+P asks for the report's parties first",
       [&] {
         controller.SetParties({"M\u00fcller", "Halle 2", "J. Doe"});
         modals.Expect(WideFromUtf8(lang::Tr(control::kPartiesCaption)), [&](HWND dialog) {
           for (int id : {kCustomerEditId, kSiteEditId, kTechnicianEditId}) {
             parties.push_back(Text(GetDlgItem(dialog, id)));
           }
           EXPECT_EQ(SendDlgItemMessageW(dialog, kSiteEditId, EM_GETLIMITTEXT, 0, 0),
                     control::kPartyMaxChars);
           SetDlgItemTextW(dialog, kSiteEditId, L"Kesselhaus \u00d6st");
           PostMessageW(dialog, WM_COMMAND, IDOK, 0);
         });
         modals.Expect(WideFromUtf8(control::ExportFileChoice(control::ExportKind::Report).title),
                       [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
         Key('P', true);
         settle();
       },
       [&] {
         EXPECT_EQ(parties, (std::vector<std::wstring>{L"M\u00fcller", L"Halle 2", L"J. Doe"}));
         EXPECT_EQ(controller.Parties().site, "Kesselhaus \u00d6st");
         EXPECT_EQ(controller.Parties().customer, "M\u00fcller");
       }},
      {"Ctrl+Enter before a refresh: Send is off", [&] { Key(VK_RETURN, true); },
       [&] { EXPECT_TRUE(Commands().empty()); }},
      {"F5 refreshes", [&] { Key(VK_F5, false); },
       [&] {
         EXPECT_EQ(Rows(), 13);
         EXPECT_EQ(Commands().at(2), "R001");
         EXPECT_EQ(Selected(), 3);
       }},
      {"a row selected in the grid becomes the current row",
       [&] {
         ListView_SetItemState(Grid(), 7, LVIS_SELECTED | LVIS_FOCUSED,
                               LVIS_SELECTED | LVIS_FOCUSED);
       },
       [&] {
         EXPECT_EQ(controller.Table().CurrentIndex(), 7);
         ListView_SetItemState(Grid(), 3, LVIS_SELECTED | LVIS_FOCUSED,
                               LVIS_SELECTED | LVIS_FOCUSED);
         EXPECT_EQ(controller.Table().CurrentIndex(), 3);
       }},
      {"Move up and Move down carry the row and the selection",
       [&] { Click(MainControl::MoveUpButton); },
       [&] {
         EXPECT_EQ(Selected(), 2);
         EXPECT_EQ(Cell(2, 2), L"Erdgas H");
         Click(MainControl::MoveDownButton);
         EXPECT_EQ(Selected(), 3);
         EXPECT_EQ(Cell(3, 2), L"Erdgas H");
       }},
      {"Ctrl+Down moves the row down", [&] { Key(VK_DOWN, true); },
       [&] {
         EXPECT_EQ(Selected(), 4);
         EXPECT_EQ(Cell(4, 2), L"Erdgas H");  // carried, its values unchanged
       }},
      {"Ctrl+Delete in the grid asks first",
       [&] {
         modals.Answer(program, IDCANCEL);
         Key(VK_DELETE, true);
       },
       [&] {
         ASSERT_EQ(modals.texts.size(), 1u);
         EXPECT_EQ(modals.texts[0].rfind(L"Delete row 5 (", 0), 0u) << modals.texts[0];
         EXPECT_EQ(Rows(), 13);
       }},
      {"Delete alone deletes nothing", [&] { Key(VK_DELETE, false); },
       [&] {
         EXPECT_TRUE(modals.texts.empty());
         EXPECT_EQ(Rows(), 13);
       }},
      {"Enter in the grid edits the current row",
       [&] {
         expectEditor();
         SetFocus(Grid());
         Key(VK_RETURN, false);
         settle();
       },
       [&] { EXPECT_EQ(edited, 4); }},
      {"a double click edits the row clicked",
       [&] {
         expectEditor();
         const RECT r = CellRect(7, 2);
         SendMessageW(Grid(), WM_LBUTTONDBLCLK, MK_LBUTTON,
                      MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2));
         settle();
       },
       [&] { EXPECT_EQ(edited, 7); }},
      // Checked from a timer that the transfer's own waits dispatch: neither
      // a click in the grid nor Ctrl+Delete nor Move up changes the table.
      {"SetTransferLock and SetBusyCursor: buttons, the row menu and the grid locked during a send",
       [&] {
         static Window* self;
         self = this;
         seen = {};
         const UINT_PTR timer = SetTimer(nullptr, 0, 15, [](HWND, UINT, UINT_PTR id, DWORD) {
           if (seen.ran || !self->controller.TransferActive()) return;
           KillTimer(nullptr, id);
           seen.ran = true;
           seen.refresh = self->Enabled(MainControl::RefreshButton);
           seen.send = self->Enabled(MainControl::SendButton);
           seen.up = self->Enabled(MainControl::MoveUpButton);
           seen.down = self->Enabled(MainControl::MoveDownButton);
           seen.busy = self->controller.BusyCursor();
           seen.fast = self->pump.FastWakeups();
           seen.edit = GetMenuState(self->form.RowMenu(), kEditMenuId, MF_BYCOMMAND);
           ListView_SetItemState(self->Grid(), 0, LVIS_SELECTED | LVIS_FOCUSED,
                                 LVIS_SELECTED | LVIS_FOCUSED);
           self->KeyToGrid(VK_DELETE, true);
           self->Click(MainControl::MoveUpButton);
           seen.currentAfterClick = self->controller.Table().CurrentIndex();
         });
         Click(MainControl::SendButton);
         KillTimer(nullptr, timer);
       },
       [&] {
         ASSERT_TRUE(seen.ran) << "the send ended before the timer came";
         EXPECT_FALSE(seen.refresh);
         EXPECT_FALSE(seen.send);
         EXPECT_FALSE(seen.up);
         EXPECT_FALSE(seen.down);
         EXPECT_TRUE(seen.busy);
         EXPECT_TRUE(seen.fast);  // the fine timer resolution only while a transfer runs
         EXPECT_TRUE(seen.edit & MF_GRAYED);
         EXPECT_NE(seen.currentAfterClick, 0);
         EXPECT_EQ(Rows(), 13);
         EXPECT_TRUE(modals.texts.empty());
         // Afterwards everything is back.
         EXPECT_TRUE(Enabled(MainControl::RefreshButton));
         EXPECT_TRUE(Enabled(MainControl::MoveUpButton));
         EXPECT_FALSE(controller.BusyCursor());
         EXPECT_FALSE(pump.FastWakeups());
         EXPECT_FALSE(GetMenuState(form.RowMenu(), kEditMenuId, MF_BYCOMMAND) & MF_GRAYED);
       }},
      // Through the program's message loop: Insert adds a row below the
      // current one and opens the editor on its ID (Cancel takes the row
      // away), Ctrl+D duplicates, Ctrl+Z and Ctrl+Y undo and redo; N stays
      // the position, the row acted on selected, changed cells marked.
      {"Insert, Ctrl+D, Ctrl+Z and Ctrl+Y: the editor on a new row, N and the change marks",
       [&] {
         ListView_SetItemState(Grid(), 2, LVIS_SELECTED | LVIS_FOCUSED,
                               LVIS_SELECTED | LVIS_FOCUSED);
         third = Cell(2, 2);
         fourth = Cell(3, 2);
         struct Step {
           const char* what;
           WORD key;
           bool control;
           int editor;         // the button that closes the editor; 0: no editor
           const wchar_t* id;  // typed into the new row's ID first
           int rows, selected;
         };
         const Step steps[] = {
             {"Insert, Cancel", VK_INSERT, false, IDCANCEL, L"", 13, 2},
             {"Insert, OK", VK_INSERT, false, IDOK, L"77", 14, 3},
             // The copy opens in the editor without an ID: the user gives it one.
             {"Ctrl+D, OK", 'D', true, IDOK, L"78", 15, 4},
             {"Ctrl+Z", 'Z', true, 0, L"", 14, 3},
             {"Ctrl+Y", 'Y', true, 0, L"", 15, 4},
         };
         for (const Step& step : steps) {
           SCOPED_TRACE(step.what);
           if (step.editor != 0) {
             modals.Expect(L"Edit fuel", [&step](HWND dialog) {
               HWND id = GetDlgItem(dialog, EditorId(FuelField::ID));
               EXPECT_EQ(GetFocus(), id);
               EXPECT_EQ(GetWindowLongPtrW(id, GWL_STYLE) & ES_READONLY, 0)
                   << "a new row takes an ID";
               EXPECT_EQ(Text(id), L"");
               SetWindowTextW(id, step.id);
               PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(step.editor), 0);
             });
           }
           Key(step.key, step.control);
           settle();
           EXPECT_EQ(Rows(), step.rows);
           EXPECT_EQ(Selected(), step.selected);
           for (int i = 0; i < Rows(); ++i) EXPECT_EQ(Cell(i, 0), std::to_wstring(i + 1)) << i;
         }
       },
       [&] {
         const std::wstring bullet = WideFromUtf8(front::kChangedPrefix);
         EXPECT_EQ(Cell(2, 2), third) << "unchanged: no mark";
         EXPECT_EQ(Cell(3, 2).rfind(bullet, 0), 0u) << "the new row";
         EXPECT_EQ(Cell(5, 2), fourth) << "two places down, unchanged: no mark";
         EXPECT_EQ(Cell(3, 0), L"4") << "N is never marked";
         EXPECT_NE(Status().find(L"rows change"), std::wstring::npos) << Status();
         // Both new rows undone: the table the analyser has, for the rows below.
         Key('Z', true);
         Key('Z', true);
         EXPECT_EQ(Rows(), 13);
       }},
      {"Ctrl+Enter sends", [&] { Key(VK_RETURN, true); },
       [&] { EXPECT_EQ(Log().back(), L"Sent 13 rows, the analyser uses 13"); }},
      // No guide beside the test program: F1 says so instead of nothing.
      {"F1 asks for the user guide",
       [&] {
         controller.SetProgramFolder(ops.BackupsFolder() / "no-guide");
         modals.Answer(program, IDOK);
         Key(VK_F1, false);
       },
       [&] {
         ASSERT_EQ(modals.texts.size(), 1u);
         EXPECT_EQ(modals.texts[0].rfind(L"The user guide is not installed", 0), 0u);
       }},
      // WM_CLOSE in the transfer's own message loop: the window waits for
      // the transfer to end, then goes, without a box. It goes: the last row.
      {"RequestCloseLater: closing during a refresh closes once it ended",
       [&] {
         static Window* self;
         self = this;
         const UINT_PTR timer = SetTimer(nullptr, 0, 15, [](HWND, UINT, UINT_PTR, DWORD) {
           if (self->controller.TransferActive()) PostMessageW(self->form.Handle(), WM_CLOSE, 0, 0);
         });
         Click(MainControl::RefreshButton);
         KillTimer(nullptr, timer);
         for (int i = 0; i < 100 && form.Handle() != nullptr; ++i) {
           pump.ProcessPendingEvents();
           Sleep(10);
         }
       },
       [&] {
         EXPECT_EQ(form.Handle(), nullptr);
         EXPECT_TRUE(modals.texts.empty());
         EXPECT_FALSE(link.port().isOpen());
         EXPECT_FALSE(ops.Busy());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    modals.texts.clear();
    first_ = Transcript().size();
    c.act();
    c.check();
  }
}

// Tab, Shift+Tab and Ctrl+Tab leave the log (a multi-line editor that
// would keep them) and, pressed on, reach the grid: no control traps the
// keyboard.
TEST_F(Window, TabKeysLeaveTheLogAndReachTheGrid) {
  struct Case {
    const char* what;
    bool shift, control;
  };
  const Case cases[] = {
      {"Tab", false, false}, {"Shift+Tab", true, false}, {"Ctrl+Tab", false, true}};
  HWND log = C(MainControl::Log);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = c.shift ? 0x80 : 0;
    keys[VK_CONTROL] = c.control ? 0x80 : 0;
    SetKeyboardState(keys);
    SetFocus(log);
    ASSERT_EQ(GetFocus(), log);
    const std::wstring before = Text(log);
    int presses = 0;
    do {
      PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
      pump.ProcessPendingEvents();
      if (presses == 0) {
        EXPECT_NE(GetFocus(), log) << "the log kept the key";
      }
    } while (GetFocus() != Grid() && ++presses < front::kMainControlCount);
    EXPECT_EQ(GetFocus(), Grid()) << "the grid was not reached";
    EXPECT_EQ(Text(log), before) << "the key went into the log";
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
  }
}

// The tool tip of `control`, from the tip windows of its window's thread.
std::wstring TipOf(HWND control) {
  struct Search {
    HWND control;
    std::wstring text;
  } search{control, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM data) {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t cls[64] = {};
        GetClassNameW(h, cls, 64);
        if (std::wstring(cls) != TOOLTIPS_CLASSW) return TRUE;
        wchar_t text[512] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = GetParent(s.control);
        tool.uId = reinterpret_cast<UINT_PTR>(s.control);
        tool.lpszText = text;
        if (SendMessageW(h, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool)) == FALSE)
          return TRUE;
        SendMessageW(h, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
        s.text = text;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.text;
}

// From Refresh, Tab walks the enabled controls in the order both windows
// share.
TEST_F(Window, TabFollowsTheOrderBothWindowsShare) {
  Refresh();
  std::vector<HWND> expected, walked;
  for (MainControl c : front::kTabOrder) {
    if (IsWindowEnabled(C(c)) != FALSE) expected.push_back(C(c));
    if (c == front::kPortControlFollows) expected.push_back(form.PortChooser());
  }
  HWND h = C(MainControl::RefreshButton);
  for (std::size_t i = 0; i < expected.size(); ++i, h = GetNextDlgTabItem(form.Handle(), h, FALSE))
    walked.push_back(h);
  EXPECT_EQ(walked, expected);
}

// Ctrl+B opens the Backups view on the backup a send made: its list and
// table, Restore (asked first) writes it back, Load into grid takes the
// newest one and closes the view; the Backups button opens it too.
TEST_F(Window, CtrlBOpensTheBackupsViewWhichRestoresAndLoads) {
  std::filesystem::remove_all(ops.BackupsFolder());
  Refresh();
  {
    Modals none;
    Click(MainControl::SendButton);
    ASSERT_TRUE(none.texts.empty());
  }
  first_ = Transcript().size();
  // The send made a backup: its line is a link, drawn in the link colour
  // rather than the disabled grey.
  HWND line = C(MainControl::BackupLine);
  ASSERT_TRUE(IsWindowEnabled(line));
  RedrawWindow(line, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RECT box{};
  GetClientRect(line, &box);
  HDC dc = GetDC(line);
  int linkPixels = 0, greyPixels = 0;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const COLORREF p = GetPixel(dc, x, y);
      linkPixels += p == RGB(front::kLinkColour.r, front::kLinkColour.g, front::kLinkColour.b);
      greyPixels += p == GetSysColor(COLOR_GRAYTEXT);
    }
  }
  ReleaseDC(line, dc);
  EXPECT_GT(linkPixels, 0) << "no pixel in the link colour";
  EXPECT_EQ(greyPixels, 0) << "drawn greyed";

  const std::wstring view =
      WideFromUtf8(std::string(front::kBackupsCaption) + " - " + kProgramName);
  auto count = [](HWND dialog, int id) { return ListView_GetItemCount(GetDlgItem(dialog, id)); };
  auto cell = [](HWND dialog, int id, int row, int column) {
    wchar_t text[256] = {};
    ListView_GetItemText(GetDlgItem(dialog, id), row, column, text, 256);
    return std::wstring(text);
  };
  // The analyser's table before the send: the simulator's twelve fuels, or
  // thirteen when an earlier test sent its table with the H row.
  int stored = 0;
  Modals modals;
  modals.Expect(view, [&](HWND d) {
    EXPECT_EQ(count(d, kBackupsListId), 1);
    stored = count(d, kBackupRowsId);
    EXPECT_EQ(cell(d, kBackupsListId, 0, 1), std::to_wstring(stored));
    EXPECT_EQ(cell(d, kBackupsListId, 0, 3), L"ok");
    EXPECT_EQ(cell(d, kBackupRowsId, 0, 2), L"Heiz\u00f6l EL");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, kRestoreButtonId)));
    // Restore and Load into grid say what they do, as in the Qt window.
    EXPECT_EQ(TipOf(GetDlgItem(d, kRestoreButtonId)),
              WideFromUtf8(control::BackupsView::RestoreHint()));
    EXPECT_EQ(TipOf(GetDlgItem(d, kLoadButtonId)), WideFromUtf8(control::BackupsView::LoadHint()));
    PostMessageW(d, WM_COMMAND, kRestoreButtonId, 0);
  });
  modals.Answer(WideFromUtf8(kProgramName), IDYES);
  // Once the restore is done the list holds the backup made before it too.
  std::function<void(HWND)> load = [&](HWND d) {
    if (count(d, kBackupsListId) < 2) {
      modals.Expect(view, load);
      return;
    }
    EXPECT_EQ(cell(d, kBackupsListId, 0, 1), L"13");
    PostMessageW(d, WM_COMMAND, kLoadButtonId, 0);
  };
  modals.Expect(view, load);
  Key('B', true);
  EXPECT_TRUE(modals.Done());
  EXPECT_EQ(modals.texts.size(), 1u) << "the question before the restore, no other box";
  const auto cmds = Commands();
  const std::string countSent = "W402" + std::to_string(stored) + ";X;X;";
  EXPECT_NE(std::find(cmds.begin(), cmds.end(), countSent), cmds.end());
  const auto log = Log();
  EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                          [](const std::wstring& l) { return l.rfind(L"Restored ", 0) == 0; }));
  EXPECT_EQ(log.back().rfind(L"Loaded 13 rows from the backup ", 0), 0u) << log.back();
  EXPECT_EQ(Rows(), 13);

  modals.Expect(view, [](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
  Click(MainControl::BackupsButton);
  EXPECT_TRUE(modals.Done());
}

// Every control where the layout table puts it at the prefix's resolution,
// in the main window and in the editor.
TEST_F(Window, LayoutFollowsTheScreenResolution) {
  const int dpi = EnvInt("QUELT_TEST_DPI", 96);
  ASSERT_EQ(form.Dpi(), dpi) << "the prefix's LogPixels did not take effect";
  RECT outer{}, area{};
  GetWindowRect(form.Handle(), &outer);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  // The design's size, made smaller where the screen is.
  EXPECT_EQ(outer.right - outer.left,
            std::min<LONG>(ScaleForDpi(front::kMainOuterWidth, dpi), area.right - area.left));
  EXPECT_EQ(outer.bottom - outer.top,
            std::min<LONG>(ScaleForDpi(front::kMainOuterHeight, dpi), area.bottom - area.top));

  RECT client{};
  GetClientRect(form.Handle(), &client);
  const int logHeight = controller.LogHeight();
  const front::MainLayout layout =
      front::LayoutMain(client.right, client.bottom, dpi, logHeight, form.LegendWidths());
  auto place = [](HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
    return front::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
  };
  // The port box lies in the button bar where the shared rule puts it (a
  // closed drop-down list is as high as its selection field).
  const front::Rect box = place(form.PortChooser());
  const front::Rect boxPlace = front::PortBoxRect(layout, dpi);
  EXPECT_EQ(box.x, boxPlace.x);
  EXPECT_EQ(box.y, boxPlace.y);
  EXPECT_EQ(box.w, boxPlace.w);
  EXPECT_GE(box.w, ScaleForDpi(150, dpi)) << "room for the automatic entry";
  int checked = 0;
  for (const auto& info : front::MainControls()) {
    if (C(info.id) == nullptr) continue;
    EXPECT_EQ(place(C(info.id)), layout.Of(info.id)) << info.name;
    ++checked;
  }
  EXPECT_EQ(checked, 15);  // the Backups button among them
  // The grid takes what is left: at the design size 604 x 471 at 96 dpi.
  if (dpi == 96) {
    EXPECT_EQ(layout.Of(MainControl::Grid).w, 604 + client.right - front::kMainClientWidth);
  }
  // Re-laid when the window is resized.
  SetWindowPos(form.Handle(), nullptr, 0, 0, outer.right - outer.left + 40,
               outer.bottom - outer.top + 30, SWP_NOMOVE | SWP_NOZORDER);
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(place(Grid()),
            front::LayoutMain(client.right, client.bottom, dpi, logHeight, form.LegendWidths())
                .Of(MainControl::Grid));
  EXPECT_EQ(place(C(MainControl::ExitButton)),
            front::LayoutMain(client.right, client.bottom, dpi, logHeight, form.LegendWidths())
                .Of(MainControl::ExitButton));

  // The split bar dragged down 40 pixels: the log grows, the grid follows,
  // and the place is kept in the settings the Qt window uses too.
  const front::Rect bar =
      front::LayoutMain(client.right, client.bottom, dpi, logHeight, form.LegendWidths()).splitBar;
  const int logBefore = place(C(MainControl::Log)).h;
  const int barX = bar.x + bar.w / 2, barY = bar.y + 1;
  SendMessageW(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(barX, barY));
  SendMessageW(form.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(barX, barY + 40));
  SendMessageW(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(barX, barY + 40));
  // The place is kept at 96 dpi: a pixel of rounding at other resolutions.
  EXPECT_NEAR(place(C(MainControl::Log)).h, logBefore + 40, 1);
  EXPECT_EQ(ReadSetting(control::kLogHeightSettingKey),
            std::to_wstring(front::LogHeightAt96(logBefore + 40, dpi)));
  EXPECT_EQ(place(Grid()), front::LayoutMain(client.right, client.bottom, dpi,
                                             controller.LogHeight(), form.LegendWidths())
                               .Of(MainControl::Grid));
  controller.SplitMoved(logHeight);  // the other tests start at the default
  SendMessageW(form.Handle(), WM_SIZE, 0, 0);

  // Moved to a monitor of another resolution: Windows suggests a rectangle
  // and the window lays itself out anew.
  const int moved = dpi * 3 / 2;
  RECT suggested{0, 0, ScaleForDpi(front::kMainOuterWidth, moved),
                 ScaleForDpi(front::kMainOuterHeight, moved)};
  SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(moved, moved),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(form.Dpi(), moved);
  GetClientRect(form.Handle(), &client);
  const front::MainLayout relaid = front::LayoutMain(client.right, client.bottom, moved,
                                                     controller.LogHeight(), form.LegendWidths());
  for (const auto& info : front::MainControls()) {
    if (C(info.id) == nullptr) continue;
    EXPECT_EQ(place(C(info.id)), relaid.Of(info.id)) << info.name;
  }
  EXPECT_EQ(ListView_GetColumnWidth(Grid(), 0), ScaleForDpi(front::kIndicatorWidth, moved));
  SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
               reinterpret_cast<LPARAM>(&outer));

  Modals modals;
  modals.Expect(L"Edit fuel", [&](HWND dialog) {
    const front::DialogLayout l = front::LayoutDialog(dpi);
    RECT inside{};
    GetClientRect(dialog, &inside);
    EXPECT_EQ(inside.right, l.clientWidth);
    EXPECT_EQ(inside.bottom, l.clientHeight);
    const std::vector<int> ids = ItemIds(l);
    for (std::size_t i = 0; i < ids.size(); ++i) {
      const front::DialogItem& item = l.items[i];
      HWND h = GetDlgItem(dialog, ids[i]);
      ASSERT_NE(h, nullptr) << i;
      EXPECT_EQ(place(h), item.rect) << i;
      if (item.role == front::DialogItem::Role::Editor) {
        EXPECT_EQ(ids[i], EditorId(item.field));
      }
      if (item.role == front::DialogItem::Role::Label) {
        EXPECT_EQ(Text(h), WideFromUtf8(item.text)) << i;
      }
    }
    // Tab walks the editors in the order both dialogs share, then Cancel and OK.
    std::vector<int> walked, shared;
    for (FuelField field : front::DialogTabOrder()) shared.push_back(EditorId(field));
    shared.insert(shared.end(), {IDCANCEL, IDOK});
    HWND at = GetDlgItem(dialog, EditorId(FuelField::ID));
    for (std::size_t i = 0; i < shared.size(); ++i, at = GetNextDlgTabItem(dialog, at, FALSE))
      walked.push_back(GetDlgCtrlID(at));
    EXPECT_EQ(walked, shared);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  controller.Do(control::Command::Edit);
  EXPECT_TRUE(modals.Done());
}

// On the test's 1280 x 900 screen, at each resolution the prefix is set to:
// the window lies on the screen, the status line and the Exit button show
// whole, and the grid scrolls to its last column and row.
TEST_F(Window, FitsTheScreenWithEveryColumnReachable) {
  RECT area{}, outer{}, client{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  GetWindowRect(form.Handle(), &outer);
  GetClientRect(form.Handle(), &client);
  EXPECT_TRUE(outer.left >= area.left && outer.top >= area.top && outer.right <= area.right &&
              outer.bottom <= area.bottom)
      << "the window reaches beyond the screen";
  Refresh();
  for (MainControl c : {MainControl::StatusLine, MainControl::BackupLine, MainControl::ExitButton,
                        MainControl::Legend, MainControl::Grid}) {
    RECT r{};
    GetWindowRect(C(c), &r);
    MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_TRUE(IsWindowVisible(C(c)) && r.left >= 0 && r.top >= 0 && r.right <= client.right &&
                r.bottom <= client.bottom && r.right > r.left && r.bottom > r.top)
        << front::InfoOf(c).name << " is not shown whole";
  }
  EXPECT_FALSE(Status().empty());
  RECT inside{};
  GetClientRect(Grid(), &inside);
  // The description takes the room the other columns leave: no gap at the right.
  int columns = 0;
  for (int c = 0; c <= kFuelFieldCount; ++c) columns += ListView_GetColumnWidth(Grid(), c);
  EXPECT_GE(columns, inside.right);
  ListView_EnsureVisible(Grid(), Rows() - 1, FALSE);
  ListView_Scroll(Grid(), 100000, 0);
  const RECT soot = CellRect(Rows() - 1, kFuelFieldCount - 1);
  EXPECT_TRUE(soot.left >= 0 && soot.right <= inside.right && soot.top >= 0 &&
              soot.bottom <= inside.bottom)
      << "the last row's Soot cell cannot be scrolled into view";
  EXPECT_EQ(Cell(Rows() - 1, kFuelFieldCount - 1).empty(), false);

  // The Backups view fits the screen too, its Close button within it.
  Modals modals;
  modals.Expect(WideFromUtf8(control::BackupsView::Caption()), [&](HWND view) {
    RECT r{}, inner{}, close{};
    GetWindowRect(view, &r);
    EXPECT_TRUE(r.left >= area.left && r.top >= area.top && r.right <= area.right &&
                r.bottom <= area.bottom)
        << "the Backups view reaches beyond the screen";
    GetClientRect(view, &inner);
    GetWindowRect(GetDlgItem(view, IDCANCEL), &close);
    MapWindowPoints(nullptr, view, reinterpret_cast<POINT*>(&close), 2);
    EXPECT_TRUE(close.left >= 0 && close.right <= inner.right && close.bottom <= inner.bottom)
        << "Close is cut off";
    PostMessageW(view, WM_COMMAND, IDCANCEL, 0);
  });
  Click(MainControl::BackupsButton);
  EXPECT_TRUE(modals.Done());
}

// Run alone against a simulator that falls silent after the first refresh
// (tests/windows registers it with --silent-after 20).
using SilentAnalyser = Window;

TEST_F(SilentAnalyser, GivesTimeoutThenCommunicationError) {
  Refresh();
  Modals modals;
  modals.Answer(L"quelt-fuel", IDOK);
  Click(MainControl::SendButton);
  ASSERT_EQ(modals.texts.size(), 1u);
  EXPECT_EQ(modals.texts[0].rfind(L"Timeout", 0), 0u) << Utf8FromWide(modals.texts[0]);
  EXPECT_EQ(Progress(), 0);
  EXPECT_TRUE(Enabled(MainControl::SendButton));
  EXPECT_TRUE(Enabled(MainControl::RefreshButton));

  Click(MainControl::RefreshButton);
  const auto log = Log();
  EXPECT_EQ(log[log.size() - 2], L"Communication error !");
  EXPECT_EQ(log.back().rfind(L"No answer from the analyser on COM", 0), 0u)
      << Utf8FromWide(log.back());
  EXPECT_FALSE(Enabled(MainControl::SendButton));
  EXPECT_EQ(Rows(), 13);  // the identity failed: the table stays as it was
}

// The port control: the simulator's COM port, listed by the system once it
// is in SERIALCOMM, is chosen from the dropped-down list; the next Refresh
// opens it although discovery finds nothing, and the choice is remembered.
TEST_F(Window, ChosenPortIsUsedByTheNextRefresh) {
  const std::wstring port = Port();
  const wchar_t* serialComm = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
  const wchar_t* value = L"\\Device\\QueltTestSimulator";
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, serialComm, value, REG_SZ, port.c_str(),
                            static_cast<DWORD>((port.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  struct Restore {
    const wchar_t* key;
    const wchar_t* value;
    ~Restore() {
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, value);
      WriteSetting(control::kPortSettingKey, L"");  // the other tests start automatic
    }
  } restore{serialComm, value};
  link.SetDiscovery([] { return FoundPort{}; });

  HWND box = form.PortChooser();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(IsWindowEnabled(box));
  EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 0) << "automatic at first";
  SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);  // the list is made anew
  pump.ProcessPendingEvents();
  const LRESULT found = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(port.c_str()));
  ASSERT_NE(found, CB_ERR) << "the simulator's port is not listed";
  SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
  SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
  SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(kPortChooserId, CBN_SELENDOK),
               reinterpret_cast<LPARAM>(box));
  EXPECT_EQ(ReadSetting(control::kPortSettingKey), port);

  Refresh();
  EXPECT_EQ(Status().rfind(L"Port: " + port + L"   Serial ", 0), 0u) << Utf8FromWide(Status());
  EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), found);
  EXPECT_TRUE(IsWindowEnabled(box));
}

// Run alone with the simulator on the port that the bridge's registry key in
// the prefix names (tests/windows): no port given, discovery finds it.
using Discovery = Window;

TEST_F(Discovery, FindsTheAnalyserThroughTheRegistry) {
  link.SetDiscovery([] { return FindAnalyserPort(); });
  Refresh();
  EXPECT_EQ(link.portNumber(), EnvInt("QUELT_TEST_COM", 0));
  EXPECT_EQ(link.PortText(), "COM" + std::to_string(EnvInt("QUELT_TEST_COM", 0)));
  EXPECT_EQ(Log()[9], L"Found      :QUELT 300");
}

}  // namespace
}  // namespace quelt::win
