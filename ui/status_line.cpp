#include "ui/status_line.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include "front/log_style.h"

namespace quelt::ui {

ElidedLine::ElidedLine(bool clickable, QWidget* parent)
    : QAbstractButton(parent), clickable_(clickable) {
  setFocusPolicy(clickable ? Qt::TabFocus : Qt::NoFocus);
  if (clickable) {
    setCursor(Qt::PointingHandCursor);
  } else {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidedLine::SetLineText(const QString& text) {
  if (text == this->text()) return;
  setText(text);
  setToolTip(text);
  updateGeometry();
  update();
}

void ElidedLine::SetParts(const front::StatusLine& line) {
  parts_ = line;
  SetLineText(QString::fromStdString(line.Text()));
  update();
}

QSize ElidedLine::sizeHint() const {
  // Whole pixels round down: a little more than the text so it is never elided.
  return QSize(fontMetrics().horizontalAdvance(text()) + 10, fontMetrics().height() + 4);
}

QSize ElidedLine::minimumSizeHint() const { return QSize(0, fontMetrics().height() + 4); }

void ElidedLine::paintEvent(QPaintEvent*) {
  QStylePainter p(this);
  const QRect area = rect().adjusted(3, 0, -3, 0);
  QFont f = font();
  // A line that is no link (yet) is still read: the text colour, never greyed.
  QColor colour = palette().color(QPalette::Active, QPalette::WindowText);
  if (clickable_ && isEnabled()) {
    f.setUnderline(true);
    colour = QColor(front::kLinkColour.r, front::kLinkColour.g, front::kLinkColour.b);
  }
  p.setFont(f);
  p.setPen(colour);
  const QFontMetrics metrics(f);
  const QString fitted = parts_.parts.empty()
                             ? text()
                             : QString::fromStdString(front::FitStatusLine(
                                   parts_, area.width(), [&metrics](const std::string& t) {
                                     return metrics.horizontalAdvance(QString::fromStdString(t));
                                   }));
  const QString shown = metrics.elidedText(fitted, Qt::ElideMiddle, area.width());
  p.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

}  // namespace quelt::ui
