// Where the controls of both windows sit: the main window's docking rules and
// the editor dialog's table, in pixels at 96 dpi, scaled for the screen's
// resolution. Each front end only moves its widgets to these rectangles.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "fuel/fuel_row.h"

namespace quelt::front {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  int Right() const { return x + w; }
  int Bottom() const { return y + h; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// --- main window -----------------------------------------------------------

// Outer size at 96 dpi, and the client area it was designed around.
inline constexpr int kMainOuterWidth = 731;
inline constexpr int kMainOuterHeight = 769;
inline constexpr int kMainClientWidth = 713;
inline constexpr int kMainClientHeight = 728;
// The smallest client area the window can be made: every control still whole.
inline constexpr int kMainMinClientWidth = 520;
inline constexpr int kMainMinClientHeight = 430;

// In tab order for the ones that take the focus. The panels (ButtonColumn,
// TablePanel, ButtonBar, StatusBar) are drawn, not windows.
enum class MainControl : int {
  ButtonColumn,
  RefreshButton,
  SendButton,
  ExitButton,
  Progress,
  Logo,
  TablePanel,
  Log,
  ButtonBar,
  MoveUpButton,
  MoveDownButton,
  OpenButton,  // load a table file
  SaveButton,  // save the table to a file
  Grid,
  Legend,  // what the grid's colours mean
  StatusBar,
  StatusLine,
  BackupLine,     // the last backup's file; a click opens its folder
  BackupsButton,  // the Backups view; at the bar's right end
};
inline constexpr int kMainControlCount = static_cast<int>(MainControl::BackupsButton) + 1;

struct MainControlInfo {
  MainControl id;
  const char* name;
  const char* caption;  // UTF-8; "" for none
  const char* hint;     // tool tip; "" for none
  const char* keys;     // the grid's sentence that lists its keys; "" for the others
  bool tabStop;
  MainControl parent;  // the panel it lies in; itself for the two halves of the window
};
const std::array<MainControlInfo, kMainControlCount>& MainControls();
const MainControlInfo& InfoOf(MainControl control);
// The caption in the language in use; "" for none.
std::string CaptionText(const MainControlInfo& info);
// A key as the keyboard in the language in use labels it: "Ctrl+Up" gives
// "Strg+Nach-oben" in German; letters and F keys stay as they are.
std::string KeyText(std::string_view key);

// The legend under the grid as a window measured it in its fonts, in the
// screen's pixels: each entry's width (its sample and its meaning) and the
// room between two entries on one line.
struct LegendWidths {
  std::vector<int> entries;
  int gap = 0;
};
// Where an entry of the legend goes: its line (0 the first) and its left
// edge from the legend's inner left edge.
struct LegendPlace {
  int line = 0;
  int x = 0;
  friend bool operator==(const LegendPlace&, const LegendPlace&) = default;
};
// The entries in lines no wider than `room`: as many on a line as fit, the
// next on a new line; an entry wider than the room has a line to itself.
std::vector<LegendPlace> PlaceLegend(const LegendWidths& legend, int room);

struct MainLayout {
  std::array<Rect, kMainControlCount> rects;
  // The bar between the log and the button bar that the user drags to give
  // the log or the grid more room; drawn by the window, no control.
  Rect splitBar;
  // The legend's entries (PlaceLegend) in the legend's rectangle, which is
  // a line high for each of their lines.
  std::vector<LegendPlace> legend;
  const Rect& Of(MainControl c) const { return rects[static_cast<std::size_t>(c)]; }
};

// The log's height at 96 dpi: by default the grid gets most of the window
// (at least ten rows on a 1280 x 900 screen up to 192 dpi); the user's
// choice is kept between runs. Neither the log nor the grid is made
// smaller than its least by the split bar; a window too small for both
// takes the room from the grid first, then from the log.
inline constexpr int kDefaultLogHeight = 110;
inline constexpr int kMinLogHeight = 40;
inline constexpr int kMinGridHeight = 80;
inline constexpr int kSplitBarHeight = 5;

// The left column keeps its width, the log (`logHeight` at 96 dpi, within
// the rule above) and the button bar their heights; the grid takes what
// remains of a client area of `width` x `height` (never less than
// nothing). The legend gets the lines its entries need in its width.
// Positions are client coordinates.
MainLayout LayoutMain(int width, int height, int dpi, int logHeight = kDefaultLogHeight,
                      const LegendWidths& legend = {});
// The log's height at 96 dpi for a split bar dragged so that the log is
// `pixels` high at `dpi`.
int LogHeightAt96(int pixels, int dpi);

// The port control: in the button bar between the file buttons and the
// Backups button, at most 200 px wide at 96 dpi, as high as the Backups
// button (client coordinates). The status line below keeps its whole width.
Rect PortBoxRect(const MainLayout& layout, int dpi);

// The main window on a screen whose work area is `areaW` x `areaH`, its
// frame adding `frameW` x `frameH` to the client area, all in the screen's
// pixels: the design's outer size at `dpi`, made smaller where the area is
// (the grid gives way and scrolls), and the smallest outer size the user
// may drag it to, the designed minimum but never beyond the area.
struct WindowFit {
  int w = 0, h = 0, minW = 0, minH = 0;
};
WindowFit FitMainWindow(int dpi, int frameW, int frameH, int areaW, int areaH);

// Picture edges at 96 dpi.
inline constexpr int kBigPicture = 16;    // Refresh, Send
inline constexpr int kExitPicture = 24;   // Exit
inline constexpr int kSmallPicture = 16;  // up, down
inline constexpr int kLogoWidth = 100;
inline constexpr int kLogoHeight = 39;
// Legend: a swatch in the mark's colours around its sample text; the
// height of one of its lines; the room left and right of its lines.
inline constexpr int kLegendSwatchPad = 3;
inline constexpr int kLegendLineHeight = 18;
inline constexpr int kLegendGap = 16;  // between the two marks

// Fonts, in points.
inline constexpr int kBaseFontPoints = 8;
inline constexpr int kBigButtonFontPoints = 9;  // bold
inline constexpr int kLogFontPoints = 8;        // Win32: "Arial", spans "Courier New" bold

// --- grid ------------------------------------------------------------------

// The row indicator column left of the data columns.
inline constexpr int kIndicatorWidth = 12;

struct GridColumn {
  FuelField field;
  const char* title;
  int width;  // at 96 dpi
  bool alignRight;
};
// The eleven data columns, left to right.
std::vector<GridColumn> GridColumns();

// --- editor dialog ----------------------------------------------------------

inline constexpr int kDialogClientWidth = 318;
inline constexpr int kDialogClientHeight = 276;
inline constexpr int kDialogPicture = 18;

struct DialogItem {
  // What the item is to the dialog; the windows build and find their widgets
  // by it.
  enum class Role { Frame, Label, Note, Editor, Cancel, Ok };
  Role role;
  const char* text;  // labels: UTF-8
  FuelField field;   // editors
  bool alignLeft;    // labels: the unit labels; the others are right-aligned
  Rect rect;         // client pixels
};

struct DialogLayout {
  int clientWidth = 0, clientHeight = 0;
  // Frames, labels, the note, editors in tab order, then Cancel and OK.
  std::vector<DialogItem> items;
};

// The whole designed layout scaled, so that no control is cut off at any
// resolution; the dialog's size stays fixed at the result.
DialogLayout LayoutDialog(int dpi);

}  // namespace quelt::front
