#include "front/layout.h"

#include <algorithm>
#include <cstring>

#include "front/texts.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "text/text_helpers.h"

namespace quelt::front {
namespace {

using M = MainControl;
constexpr std::array<MainControlInfo, kMainControlCount> kMain = {{
    {M::ButtonColumn, "ButtonColumn", "", "", "", false, M::ButtonColumn},
    {M::RefreshButton, "RefreshButton", kRefreshCaption, kRefreshHint, "", true, M::ButtonColumn},
    {M::SendButton, "SendButton", kSendCaption, kSendHint, "", true, M::ButtonColumn},
    {M::ExitButton, "ExitButton", "", kExitHint, "", true, M::ButtonColumn},
    {M::Progress, "Progress", "", "", "", false, M::ButtonColumn},
    {M::Logo, "Logo", "", "", "", false, M::ButtonColumn},
    {M::TablePanel, "TablePanel", "", "", "", false, M::TablePanel},
    {M::Log, "Log", "", "", "", true, M::TablePanel},
    {M::ButtonBar, "ButtonBar", "", "", "", false, M::TablePanel},
    {M::MoveUpButton, "MoveUpButton", "", kUpHint, "", true, M::ButtonBar},
    {M::MoveDownButton, "MoveDownButton", "", kDownHint, "", true, M::ButtonBar},
    {M::OpenButton, "OpenButton", "", kOpenHint, "", true, M::ButtonBar},
    {M::SaveButton, "SaveButton", "", kSaveHint, "", true, M::ButtonBar},
    {M::Grid, "Grid", "", kGridHint, kGridKeys, true, M::TablePanel},
    {M::Legend, "Legend", "", "", "", false, M::TablePanel},
    {M::StatusBar, "StatusBar", "", "", "", false, M::TablePanel},
    {M::StatusLine, "StatusLine", "", "", "", false, M::StatusBar},
    {M::BackupLine, "BackupLine", "", "", "", true, M::StatusBar},
    {M::BackupsButton, "BackupsButton", kBackupsCaption, kBackupsHint, "", true, M::ButtonBar},
}};

// Left column: 109 wide with a 1-pixel frame; the buttons are docked inside it.
constexpr int kPanelWidth = 109;
constexpr int kBorder = 1;
constexpr int kBigButtonW = 107, kBigButtonH = 75;
constexpr int kProgressY = 210, kProgressH = 14;
constexpr int kImageH = 68;
constexpr int kBarH = 30;
constexpr int kSmallX1 = 14, kSmallX2 = 46, kSmallY = 4, kSmallW = 23, kSmallH = 22;
// The files beside the arrows, past a gap as wide as the arrows' own.
constexpr int kSmallX3 = 86, kSmallX4 = 118;
// The Backups view's button, a word wide, at the bar's right end.
constexpr int kBackupsW = 64, kBackupsRight = 8;
// Below the grid: the legend, then the sunken status bar with the status
// line and the backup's name, which keeps its room while the facts give way.
constexpr int kStatusH = 20;
constexpr int kStatusInset = 2;
constexpr int kBackupW = 190;
constexpr int kStatusGap = 8;

}  // namespace

const std::array<MainControlInfo, kMainControlCount>& MainControls() { return kMain; }

const MainControlInfo& InfoOf(MainControl control) {
  return kMain[static_cast<std::size_t>(control)];
}

std::string CaptionText(const MainControlInfo& info) {
  return info.caption[0] == 0 ? std::string() : lang::Tr(info.caption);
}

std::string KeyText(std::string_view key) {
  constexpr std::string_view ctrl = "Ctrl+";
  if (key.starts_with(ctrl))
    return lang::Format(lang::TrIn("key", "Ctrl+{1}"), KeyText(key.substr(ctrl.size())));
  if (key == "Enter") return lang::TrIn("key", "Enter");
  if (key == "Up") return lang::TrIn("key", "Up");
  if (key == "Down") return lang::TrIn("key", "Down");
  if (key == "Delete") return lang::TrIn("key", "Delete");
  if (key == "Insert") return lang::TrIn("key", "Insert");
  return std::string(key);
}

int LogHeightAt96(int pixels, int dpi) {
  return dpi > 0 ? (std::max(pixels, 0) * 96 + dpi / 2) / dpi : pixels;
}

std::vector<LegendPlace> PlaceLegend(const LegendWidths& legend, int room) {
  std::vector<LegendPlace> places;
  int line = 0, x = 0;
  for (const int width : legend.entries) {
    if (!places.empty()) x += legend.gap;
    if (!places.empty() && x + width > room) {
      ++line;
      x = 0;
    }
    places.push_back({line, x});
    x += width;
  }
  return places;
}

MainLayout LayoutMain(int width, int height, int dpi, int logHeight, const LegendWidths& legend) {
  auto s = [dpi](int v) { return ScaleForDpi(v, dpi); };
  MainLayout l;
  auto set = [&l](MainControl c, Rect r) {
    r.w = std::max(r.w, 0);
    r.h = std::max(r.h, 0);
    l.rects[static_cast<std::size_t>(c)] = r;
  };
  const int panelW = s(kPanelWidth);
  const int b = s(kBorder);
  set(MainControl::ButtonColumn, {0, 0, panelW, height});
  set(MainControl::RefreshButton, {b, b, s(kBigButtonW), s(kBigButtonH)});
  set(MainControl::SendButton, {b, b + s(kBigButtonH), s(kBigButtonW), s(kBigButtonH)});
  set(MainControl::Progress, {b, s(kProgressY), s(kBigButtonW), s(kProgressH)});
  const int exitY = height - b - s(kBigButtonH);
  set(MainControl::ExitButton, {b, exitY, s(kBigButtonW), s(kBigButtonH)});
  set(MainControl::Logo, {b, exitY - s(kImageH), s(kBigButtonW), s(kImageH)});

  const int rightW = width - panelW;
  l.legend = PlaceLegend(legend, rightW - 2 * s(kLegendSwatchPad));
  const int legendH = s(kLegendLineHeight) * (l.legend.empty() ? 1 : l.legend.back().line + 1);
  set(MainControl::TablePanel, {panelW, 0, rightW, height});
  // What lies below the log besides the grid.
  const int fixedBelow = s(kSplitBarHeight) + s(kBarH) + legendH + s(kStatusH);
  const int logMost = std::max(height - fixedBelow - s(kMinGridHeight), s(kMinLogHeight));
  const int logH = std::clamp(s(std::max(logHeight, kMinLogHeight)), s(kMinLogHeight), logMost);
  set(MainControl::Log, {panelW, 0, rightW, logH});
  l.splitBar = {panelW, logH, std::max(rightW, 0), s(kSplitBarHeight)};
  const int barY = logH + s(kSplitBarHeight);
  set(MainControl::ButtonBar, {panelW, barY, rightW, s(kBarH)});
  set(MainControl::MoveUpButton, {panelW + s(kSmallX1), barY + s(kSmallY), s(kSmallW), s(kSmallH)});
  set(MainControl::MoveDownButton,
      {panelW + s(kSmallX2), barY + s(kSmallY), s(kSmallW), s(kSmallH)});
  set(MainControl::OpenButton, {panelW + s(kSmallX3), barY + s(kSmallY), s(kSmallW), s(kSmallH)});
  set(MainControl::SaveButton, {panelW + s(kSmallX4), barY + s(kSmallY), s(kSmallW), s(kSmallH)});
  set(MainControl::BackupsButton, {panelW + rightW - s(kBackupsRight) - s(kBackupsW),
                                   barY + s(kSmallY), s(kBackupsW), s(kSmallH)});
  const int gridY = barY + s(kBarH);
  const int statusY = height - s(kStatusH);
  const int legendY = statusY - legendH;
  set(MainControl::Grid, {panelW, gridY, rightW, legendY - gridY});
  set(MainControl::Legend, {panelW, legendY, rightW, legendH});
  set(MainControl::StatusBar, {panelW, statusY, rightW, s(kStatusH)});
  const int inset = s(kStatusInset);
  const int lineH = s(kStatusH) - 2 * inset;
  const int backupW = std::min(s(kBackupW), std::max(rightW - 2 * inset, 0));
  const int backupX = panelW + rightW - inset - backupW;
  set(MainControl::BackupLine, {backupX, statusY + inset, backupW, lineH});
  set(MainControl::StatusLine,
      {panelW + inset, statusY + inset, backupX - s(kStatusGap) - panelW - inset, lineH});
  return l;
}

Rect PortBoxRect(const MainLayout& layout, int dpi) {
  const Rect& save = layout.Of(MainControl::SaveButton);
  const Rect& backups = layout.Of(MainControl::BackupsButton);
  const int gap = ScaleForDpi(16, dpi);
  const int left = save.Right() + gap;
  const int w = std::max(0, std::min(ScaleForDpi(200, dpi), backups.x - gap - left));
  return {left, backups.y, w, backups.h};
}

WindowFit FitMainWindow(int dpi, int frameW, int frameH, int areaW, int areaH) {
  WindowFit fit;
  fit.w = std::min(ScaleForDpi(kMainOuterWidth, dpi), areaW);
  fit.h = std::min(ScaleForDpi(kMainOuterHeight, dpi), areaH);
  fit.minW = std::min(ScaleForDpi(kMainMinClientWidth, dpi) + frameW, fit.w);
  fit.minH = std::min(ScaleForDpi(kMainMinClientHeight, dpi) + frameH, fit.h);
  return fit;
}

std::vector<GridColumn> GridColumns() {
  std::vector<GridColumn> columns;
  for (const FuelFieldInfo& info : FuelFields()) {
    columns.push_back(
        {info.field, info.gridTitle, info.gridWidth, info.field != FuelField::Description});
  }
  return columns;
}

namespace {

struct Place {
  DialogItem::Role role;
  const char* text;
  FuelField field;
  bool alignLeft;
  int x, y, w, h;
};

using R = DialogItem::Role;
using F = FuelField;
constexpr int kEditorH = 21;
// A label's box reaches 2 pixels above and below its 8 pt line of text, so
// the text sits where it was designed (4 pixels below its editor's top).
// The labels left of the editors end 2 pixels before them: room for a
// translation such as "O2 di riferimento" in either window's font.
constexpr int kLabelH = 17;

constexpr Place kDialog[] = {
    // Frames first, so that the editors lie above them.
    {R::Frame, "", F::N, false, 6, 10, 300, 59},
    {R::Frame, "", F::N, false, 6, 68, 300, 51},
    {R::Frame, "", F::N, false, 6, 118, 300, 29},
    {R::Frame, "", F::N, false, 6, 146, 300, 77},
    {R::Label, "ID", F::ID, false, 8, 24, 100, kLabelH},
    {R::Label, lang::TrLater("Description"), F::Description, false, 8, 46, 100, kLabelH},
    {R::Label, "Co2Max", F::Co2Max, false, 8, 74, 100, kLabelH},
    {R::Label, "%", F::Co2Max, true, 192, 74, 16, kLabelH},
    {R::Label, "A2", F::A2, false, 8, 96, 100, kLabelH},
    {R::Label, "B", F::B, false, 192, 96, 16, kLabelH},
    {R::Label, lang::TrLater("Reference O2"), F::RefO2, false, 8, 126, 100, kLabelH},
    {R::Label, "%", F::RefO2, true, 192, 124, 16, kLabelH},
    {R::Label, "Vatr", F::Vatr, false, 8, 154, 100, kLabelH},
    {R::Label, "Vaf", F::Vaf, false, 191, 154, 19, kLabelH},
    {R::Label, "Hu", F::HU, false, 8, 174, 100, kLabelH},
    {R::Label, lang::TrLater("Soot"), F::Soot, false, 8, 196, 100, kLabelH},
    // Why the last character was refused, beside the buttons (two lines).
    {R::Note, "", F::N, true, 8, 226, 184, 38},
    // Editors in tab order: reading order, left to right on each line, the
    // lines from the top (Vaf beside Vatr before Hu below them). Both
    // dialogs take their tab order from here (front/tab_order.h).
    {R::Editor, "", F::ID, false, 110, 22, 80, kEditorH},
    {R::Editor, "", F::Description, false, 110, 44, 185, kEditorH},
    {R::Editor, "", F::Co2Max, false, 110, 72, 80, kEditorH},
    {R::Editor, "", F::A2, false, 110, 94, 80, kEditorH},
    {R::Editor, "", F::B, false, 215, 94, 80, kEditorH},
    {R::Editor, "", F::RefO2, false, 110, 122, 80, kEditorH},
    {R::Editor, "", F::Vatr, false, 110, 150, 80, kEditorH},
    {R::Editor, "", F::Vaf, false, 215, 152, 80, kEditorH},
    {R::Editor, "", F::HU, false, 110, 172, 80, kEditorH},
    {R::Editor, "", F::Soot, false, 110, 194, 80, kEditorH},
    {R::Cancel, "", F::N, false, 198, 228, 50, 35},
    {R::Ok, "", F::N, false, 256, 228, 50, 35},
};

}  // namespace

DialogLayout LayoutDialog(int dpi) {
  DialogLayout l;
  l.clientWidth = ScaleForDpi(kDialogClientWidth, dpi);
  l.clientHeight = ScaleForDpi(kDialogClientHeight, dpi);
  for (const Place& p : kDialog) {
    // The first and the last pixel are scaled rather than the size, so that
    // frames sharing a line at 96 dpi still share one at every resolution.
    const int x0 = ScaleForDpi(p.x, dpi), y0 = ScaleForDpi(p.y, dpi);
    const int x1 = ScaleForDpi(p.x + p.w - 1, dpi), y1 = ScaleForDpi(p.y + p.h - 1, dpi);
    l.items.push_back({p.role, p.text, p.field, p.alignLeft, {x0, y0, x1 - x0 + 1, y1 - y0 + 1}});
  }
  return l;
}

}  // namespace quelt::front
