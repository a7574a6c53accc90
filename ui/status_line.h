// One line of plain text that gives way when the window is narrow: the
// middle is elided and the whole text is the tool tip; a line in parts
// first lets its less important parts give way. A clickable line
// looks like a link, takes the focus with Tab and runs on Space.
#pragma once

#include <QAbstractButton>

#include "front/fitting.h"

namespace quelt::ui {

class ElidedLine : public QAbstractButton {
  Q_OBJECT
 public:
  ElidedLine(bool clickable, QWidget* parent = nullptr);
  void SetLineText(const QString& text);
  // The status line: what fits is shown (front::FitStatusLine), the whole
  // line is the text and the tool tip.
  void SetParts(const front::StatusLine& line);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool clickable_;
  front::StatusLine parts_;
};

}  // namespace quelt::ui
