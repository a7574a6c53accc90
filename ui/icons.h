// The window's pictures as Qt images: the geometry is front's (front/pictures.h,
// shared with the Win32 window), drawn at the screen's pixel size so it stays
// crisp; each icon carries its greyed image for the disabled state. Only the
// lettering is Qt's, in the boxes front gives.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "front/pictures.h"

class QPainter;
class QRectF;

namespace quelt::ui {

// A front canvas as it is: premultiplied 0xAARRGGBB.
QImage CanvasImage(const front::Canvas& canvas);

// `picture` `size` logical pixels square at `devicePixelRatio`, in its normal
// and its disabled image.
QIcon PictureIcon(front::Picture picture, int size, double devicePixelRatio);

// The application's icon: the flame.
QIcon AppIcon();

// The 100 x 39 logo at `scale` (logical-dpi scale) and device pixel ratio.
QPixmap LogoPixmap(double scale, double devicePixelRatio);

// The grid's current-row mark, centred in `cell`.
void PaintRowIndicator(QPainter& painter, const QRectF& cell);

}  // namespace quelt::ui
