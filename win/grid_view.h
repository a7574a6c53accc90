// The main window's grid: a report ListView whose texts come from the
// controller when painted, the selection following the current row, the
// colour marks and the row indicator drawn, the columns fitted to the
// values, the row menu and the editor from the mouse, the marked rows'
// notes as its tool tip.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "control/grid_cells.h"
#include "control/grid_follower.h"
#include "control/window_controller.h"
#include "front/fitting.h"
#include "win/main_commands.h"

namespace quelt::win {

// What the grid posts its window to be called back once the message in
// hand is over: SyncSelection, FitColumns.
inline constexpr UINT kGridSyncMessage = WM_APP + 1;
inline constexpr UINT kGridFitMessage = WM_APP + 3;

class GridView {
 public:
  GridView(control::WindowController& controller, MainCommands& commands);

  // Its columns, on the ListView `grid` of `window`.
  void Create(HWND grid, HWND window);
  // The fonts of its cells and its design widths at `dpi`.
  void ApplyDpi(int dpi, HFONT font, HFONT bold);
  // A notification from the grid or its header; true when it was one.
  bool Notify(NMHDR* header, LRESULT& result);
  void ShowStep(const control::GridFollower::Step& step);
  // As many items as rows, the selection on the current row, all drawn anew.
  void Rebuild();
  void SyncSelection();
  // The columns fit their values (front/fitting.h).
  void FitColumns();
  void Redraw();
  // A transfer runs: the grid keeps the row the transfer walks by.
  void SetFrozen(bool frozen) { frozen_ = frozen; }
  // WM_CONTEXTMENU at a point of the screen, (-1, -1) from the keyboard.
  void ContextMenu(POINT screen);
  // The grid's tip: the note of the marked row under the mouse, else the
  // grid's hint; it follows the mouse from row to row.
  void Tip(NMTTDISPINFOW& tip);
  void MouseMoved(const MSG& msg, HWND tips);

 private:
  LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
  // The row at a point of the grid's client area; -1 for none.
  int RowAt(POINT client) const;
  int S(int pixels96) const;

  control::WindowController& controller_;
  MainCommands& commands_;
  control::GridCells cells_;
  HWND grid_ = nullptr;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HFONT bold_ = nullptr;
  int dpi_ = 96;
  front::ColumnWidths columnWidths_;
  std::wstring cellBuffer_;
  std::wstring tipBuffer_;
  int tipRow_ = -1;  // the row the tip was last given for
  bool syncing_ = false;
  bool frozen_ = false;
};

// The workstation's decimal separator.
wchar_t UserDecimalSeparator();

}  // namespace quelt::win
