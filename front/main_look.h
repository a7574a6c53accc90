// How the main window's own drawings look, the same in both windows: the
// buttons' pictures, a flat button's picture above its caption, the colour
// legend's entries and the colours of a grid cell. Each window draws these
// with its toolkit; the rules are here.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "front/grid_mark.h"
#include "front/layout.h"
#include "front/pictures.h"

namespace quelt::front {

// A button's picture and its edge at 96 dpi. The flat ones stand in the
// left column with their captions; the others are the button bar's small
// push buttons.
struct ButtonPicture {
  MainControl button;
  Picture picture;
  int size;
  bool flat;
};
const std::array<ButtonPicture, 7>& ButtonPictures();
// The picture of `button`; nullptr for a control without one.
const ButtonPicture* PictureOf(MainControl button);

// A flat button of `w` x `h`: the picture above the caption, the two centred
// as one group, a third of the text's height between them. `textHeight` 0:
// no caption, the picture alone in the middle.
struct CaptionPlaces {
  Rect picture;
  Rect caption;  // the button's whole width, one line high
};
CaptionPlaces PlaceCaption(int w, int h, int pictureSize, int textHeight);

// What the grid's colours mean: a sample in the mark's colours, then its
// meaning (marked for translation). The change mark is bold text on the
// panel's own face.
struct LegendEntry {
  const char* sample;
  const char* meaning;
  RowMark mark;
  bool changed;
};
const std::array<LegendEntry, 3>& LegendEntries();
// The legend's words in one line, for readers of the screen.
std::string LegendText();

// A grid cell's look: a marked row's colours win over the selection and
// the change mark's colour; a changed cell is bold. No colour: the grid's
// own (the highlight for the selected row).
struct CellLook {
  std::optional<Rgb> background;
  std::optional<Rgb> text;
  bool bold = false;
};
CellLook LookOf(const FuelRow& row, bool changed);

}  // namespace quelt::front
