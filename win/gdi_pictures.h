// The shared pictures and colours on a GDI device context, and the
// program's icon.
#pragma once

#include <windows.h>

#include "front/layout.h"
#include "front/log_style.h"
#include "front/pictures.h"

namespace quelt::win {

inline COLORREF Colour(front::Rgb c) { return RGB(c.r, c.g, c.b); }
inline RECT WinRect(const front::Rect& r) { return {r.x, r.y, r.Right(), r.Bottom()}; }

// Blends a premultiplied canvas onto `dc` with its top left at (x, y).
void DrawCanvas(HDC dc, const front::Canvas& canvas, int x, int y);

// The exit sign with its lettering, `size` pixels square.
void DrawExitSign(HDC dc, int x, int y, int size, bool disabled);

// The 100 x 39 logo scaled by `scale`, centred in `box`.
void DrawLogo(HDC dc, const RECT& box, double scale);

// The flame as a window icon `size` pixels square; the caller destroys it.
HICON MakeAppIcon(int size);

}  // namespace quelt::win
