// The pictures of both windows as geometry: the button pictures with their
// greyed forms, the dialog's check mark and cross, the row indicator, the
// flame of the logo and of the program's icon. Text (the exit sign's
// lettering, the logo's name) is left to the toolkit's fonts: the boxes say
// where it goes.
#pragma once

#include "front/raster.h"

namespace quelt::front {

enum class Picture { Refresh, Send, Exit, Up, Down, Open, Save, Ok, Cancel, RowIndicator, AppIcon };

// Edge of the design grid a picture is drawn on (16, 18, 24 or 32 units).
int DesignSize(Picture picture);

// `picture` drawn `size` pixels square; `disabled` gives the greyed form.
Canvas DrawPicture(Picture picture, int size, bool disabled);

struct Box {
  double x, y, w, h;
};
// The exit sign's lettering "EXIT": white (light grey when disabled), bold,
// 9 units high, centred in this box of the 24-unit design.
inline constexpr Box kExitLetteringBox{0, 5, 24, 14};
inline constexpr const char* kExitLettering = "EXIT";

// The logo, a 100 x 39 design: the flame, then the name and a line under it.
inline constexpr int kLogoDesignWidth = 100;
inline constexpr int kLogoDesignHeight = 39;
inline constexpr Box kLogoNameBox{26, 2, 72, 26};       // bold, as large as fits, 22 at most
inline constexpr Box kLogoSubtitleBox{27, 27, 73, 10};  // 8 units, regular
inline constexpr const char* kLogoName = "QUELT";
inline constexpr const char* kLogoSubtitle = "fuel list update";
inline constexpr Rgba kLogoNameColour{0, 60, 130, 255};
inline constexpr Rgba kLogoSubtitleColour{90, 90, 90, 255};
// The logo's flame on a canvas `scale` times the design size.
Canvas DrawLogoFlame(double scale);

}  // namespace quelt::front
