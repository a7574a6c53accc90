// How the main window fits its screen and the grid's columns fit their
// values, for both windows.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "front/layout.h"

namespace quelt::front {

// FitMainWindow in client sizes, for a toolkit that sizes a window by its
// client area. A frame not known yet (0 x 0: the window manager has not
// framed the window) counts as the design's frame.
WindowFit FitMainClient(int dpi, int frameW, int frameH, int areaW, int areaH);

// The grid's data columns: each fits its title and its widest cell, never
// below its design width nor below what the user dragged it to, and grows
// and shrinks with the values (one huge value must not keep its column wide
// once it is gone).
// The column that takes the room the others leave: the description.
inline constexpr std::size_t kFillingColumn = static_cast<std::size_t>(FuelField::Description);

class ColumnWidths {
 public:
  // The design widths at the screen's resolution; what the user dragged is
  // forgotten.
  void Reset(std::vector<int> design);
  // The width to give column `column`, which is `now` wide and needs
  // `needed` for its title and cells. A width other than the one last
  // given is the user's and stays the least from then on. A column given
  // `room` (what the others leave of the grid) fills it until the user
  // drags it.
  int Fit(std::size_t column, int needed, int now, int room = 0);
  // Every column's width; column `filler` comes last and takes the room the
  // others leave of `room`.
  std::vector<int> FitAll(const std::function<int(std::size_t)>& needed,
                          const std::function<int(std::size_t)>& now, int room, std::size_t filler);

 private:
  std::vector<int> design_;
  std::vector<int> fitted_;  // as last given; 0: not yet
  std::vector<int> user_;    // dragged by the user; 0: not
};

// The status line, in parts: what is shown is fitted to the room the line
// has, the less important parts giving way first, so that the serial number
// and the count of changed rows stay whole.
enum class StatusPartKind { Port, Identity, Rows, Changes };
struct StatusPart {
  StatusPartKind kind;
  std::string text;  // UTF-8
  friend bool operator==(const StatusPart&, const StatusPart&) = default;
};
inline constexpr std::string_view kStatusGap = "   ";
struct StatusLine {
  std::vector<StatusPart> parts;
  // The whole line, the parts joined by kStatusGap: the tool tip.
  std::string Text() const;
};
// The status text (fuel/status_text.h: the port first, the rows last, what
// identifies the analyser between them, joined by kStatusGap) and the count
// of changed rows ("" for none) as parts.
StatusLine StatusLineOf(std::string_view statusText, const std::string& changes);
// The line as it fits `room` when `width` measures a text: whole if it
// fits; else the port loses its label, the rows their detail (what follows
// their first ", "), then the port and the rows go, then the identity keeps
// only what precedes its first ", ". The serial number and the changes are
// never shortened here (a window still too narrow elides what is left).
std::string FitStatusLine(const StatusLine& line, int room,
                          const std::function<int(const std::string&)>& width);

}  // namespace quelt::front
