// What the main window draws itself, and the fonts it draws with: the flat
// buttons (raised while the mouse is over them) with their pictures and
// captions, the small buttons, the logo, the colour legend in the lines the
// layout gives it, the backup line as a link, the panels' edges and the
// split bar.
#pragma once

#include <windows.h>

#include <string>

#include "front/layout.h"

namespace quelt::win {

class MainPainter {
 public:
  MainPainter() = default;
  ~MainPainter();
  MainPainter(const MainPainter&) = delete;
  MainPainter& operator=(const MainPainter&) = delete;

  // The fonts at `dpi`.
  void ApplyDpi(int dpi);
  HFONT Font() const { return font_; }
  HFONT BoldFont() const { return boldFont_; }  // changed cells, the legend's change mark
  // The legend's entries as wide as they are drawn in `window`'s fonts.
  front::LegendWidths MeasureLegend(HWND window) const;
  // An owner-drawn button becomes a flat one.
  void MakeFlat(HWND button);
  // WM_DRAWITEM of the control `control`, the window laid out as `layout`.
  void DrawItem(const DRAWITEMSTRUCT& item, front::MainControl control,
                const front::MainLayout& layout) const;
  // WM_PAINT: the panels' edges and the split bar.
  void PaintPanels(HWND window, const front::MainLayout& layout) const;

 private:
  static LRESULT CALLBACK FlatButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR data);
  void DrawButton(const DRAWITEMSTRUCT& item, front::MainControl control) const;
  void DrawLegend(const DRAWITEMSTRUCT& item, const front::MainLayout& layout) const;
  void DrawBackupLine(const DRAWITEMSTRUCT& item) const;
  int S(int pixels96) const;

  int dpi_ = 96;
  HFONT font_ = nullptr;
  HFONT bigFont_ = nullptr;
  HFONT linkFont_ = nullptr;  // the backup line: underlined
  HFONT boldFont_ = nullptr;
  HWND hot_ = nullptr;  // the flat button under the mouse, drawn raised
};

// A control's text.
std::wstring WindowText(HWND h);
// How wide `text` is in the font selected into `dc`.
int TextWidth(HDC dc, const std::wstring& text);
// The windows' sans-serif face ("MS Shell Dlg 2") at `points` for `dpi`.
HFONT MakeFont(int points, bool bold, int dpi, bool underline = false);
// The work area of the monitor `window` is on.
RECT WorkArea(HWND window);

}  // namespace quelt::win
