// The window's pictures, drawn in code so that they stay crisp at any scale:
// each icon carries a greyed image for its disabled state.
#pragma once

#include <QIcon>
#include <QPixmap>

class QPainter;
class QRectF;

namespace quelt::ui {

// `size` is the icon's edge in logical pixels (16 or 24 at 96 dpi, scaled).
QIcon RefreshIcon(int size);  // black circular arrow, clockwise
QIcon SendIcon(int size);     // black triangle pointing right
QIcon ExitIcon(int size);     // green exit sign, white lettering
QIcon UpIcon(int size);       // red arrow up
QIcon DownIcon(int size);     // red arrow down
QIcon OpenIcon(int size);     // yellow folder: load a table file
QIcon SaveIcon(int size);     // blue diskette: save the table to a file
// The application's icon (logo colours, square).
QIcon AppIcon();

// The 100 x 39 logo at `scale` (logical-dpi scale) and device pixel ratio.
QPixmap LogoPixmap(double scale, double devicePixelRatio);

// The grid's current-row mark: a small black triangle centred in `cell`.
void PaintRowIndicator(QPainter& painter, const QRectF& cell);

}  // namespace quelt::ui
