// The pictures of the fuel dialog's buttons (front's geometry, see
// ui/icons.h) and the picture button that shows no focus rectangle.
#pragma once

#include <QIcon>
#include <QPushButton>

namespace quelt::ui {

// A red cross and a green check mark, `size` pixels square, each with a grey
// image for the disabled state.
QIcon CancelPicture(int size, qreal devicePixelRatio);
QIcon OkPicture(int size, qreal devicePixelRatio);

class PictureButton : public QPushButton {
  Q_OBJECT

 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace quelt::ui
