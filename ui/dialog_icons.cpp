#include "ui/dialog_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <functional>

namespace quelt::ui {
namespace {

// Draws on an 18 x 18 grid whatever the pixel size, so the pictures scale
// with the screen instead of being stretched bitmaps.
QPixmap Draw(int size, qreal dpr, const QColor& color,
             const std::function<void(QPainter&)>& shape) {
  QPixmap pixmap(qRound(size * dpr), qRound(size * dpr));
  pixmap.setDevicePixelRatio(dpr);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 18.0, size / 18.0);
  painter.setPen(QPen(color, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  shape(painter);
  return pixmap;
}

QIcon Picture(int size, qreal dpr, const QColor& color,
              const std::function<void(QPainter&)>& shape) {
  QIcon icon;
  icon.addPixmap(Draw(size, dpr, color, shape), QIcon::Normal);
  icon.addPixmap(Draw(size, dpr, QColor(128, 128, 128), shape), QIcon::Disabled);
  return icon;
}

}  // namespace

QIcon CancelPicture(int size, qreal devicePixelRatio) {
  return Picture(size, devicePixelRatio, QColor(204, 0, 0), [](QPainter& p) {
    p.drawLine(QPointF(4, 4), QPointF(14, 14));
    p.drawLine(QPointF(14, 4), QPointF(4, 14));
  });
}

QIcon OkPicture(int size, qreal devicePixelRatio) {
  return Picture(size, devicePixelRatio, QColor(0, 150, 0), [](QPainter& p) {
    QPainterPath check;
    check.moveTo(3, 9.5);
    check.lineTo(7.5, 14);
    check.lineTo(15, 4);
    p.drawPath(check);
  });
}

void PictureButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.state &= ~QStyle::State_HasFocus;
  painter.drawControl(QStyle::CE_PushButton, option);
}

}  // namespace quelt::ui
