// One line of plain text that gives way when the window is narrow: the
// middle is elided and the whole text is the tool tip. A clickable line
// looks like a link, takes the focus with Tab and runs on Space.
#pragma once

#include <QAbstractButton>

namespace quelt::ui {

class ElidedLine : public QAbstractButton {
  Q_OBJECT
 public:
  ElidedLine(bool clickable, QWidget* parent = nullptr);
  void SetLineText(const QString& text);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool clickable_;
};

}  // namespace quelt::ui
