#include "ui/dialog_icons.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/icons.h"

namespace quelt::ui {

QIcon CancelPicture(int size, qreal devicePixelRatio) {
  return PictureIcon(front::Picture::Cancel, size, devicePixelRatio);
}

QIcon OkPicture(int size, qreal devicePixelRatio) {
  return PictureIcon(front::Picture::Ok, size, devicePixelRatio);
}

void PictureButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.state &= ~QStyle::State_HasFocus;
  painter.drawControl(QStyle::CE_PushButton, option);
}

}  // namespace quelt::ui
