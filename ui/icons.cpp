#include "ui/icons.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cmath>
#include <functional>
#include <set>

namespace quelt::ui {
namespace {

// Draws on a canvas of `design` x `design` units; `disabled` asks for the
// greyed image.
using Drawing = std::function<void(QPainter&, bool disabled)>;

const QColor kGrey(160, 160, 160);

QPixmap Render(const Drawing& draw, int design, int size, double dpr, bool disabled) {
  const int px = qMax(1, qRound(size * dpr));
  QPixmap pm(px, px);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(static_cast<double>(px) / design, static_cast<double>(px) / design);
  draw(p, disabled);
  p.end();
  pm.setDevicePixelRatio(dpr);
  return pm;
}

QIcon MakeIcon(const Drawing& draw, int design, int size) {
  std::set<double> ratios{1.0, 2.0};
  if (qGuiApp) ratios.insert(qGuiApp->devicePixelRatio());
  QIcon icon;
  for (double dpr : ratios) {
    icon.addPixmap(Render(draw, design, size, dpr, false), QIcon::Normal);
    icon.addPixmap(Render(draw, design, size, dpr, true), QIcon::Disabled);
  }
  return icon;
}

QColor Ink(const QColor& c, bool disabled) { return disabled ? kGrey : c; }

void DrawArrow(QPainter& p, bool disabled, bool up) {
  QPolygonF arrow{{8, 1.5}, {14.5, 8}, {10.5, 8}, {10.5, 14.5}, {5.5, 14.5}, {5.5, 8}, {1.5, 8}};
  if (!up) {
    for (QPointF& pt : arrow) pt.setY(16 - pt.y());
  }
  p.setPen(QPen(Ink(QColor(128, 0, 0), disabled), 0.8));
  p.setBrush(Ink(QColor(230, 0, 0), disabled));
  p.drawPolygon(arrow);
}

}  // namespace

QIcon RefreshIcon(int size) {
  return MakeIcon(
      [](QPainter& p, bool disabled) {
        const QColor ink = Ink(Qt::black, disabled);
        p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::FlatCap));
        // Tail at 45 deg; the arc runs clockwise (negative span) to 110 deg,
        // just left of the top, where the head points on clockwise.
        const QPointF c(8, 8);
        const double r = 5.5;
        p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 45 * 16, -295 * 16);
        const double a = qDegreesToRadians(110.0);
        const QPointF end(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
        const QPointF dir(std::sin(a), std::cos(a));  // clockwise tangent on screen
        const QPointF across(-dir.y(), dir.x());
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygonF{end + dir * 3.6, end + across * 3.0 - dir * 0.4,
                                end - across * 3.0 - dir * 0.4});
      },
      16, size);
}

QIcon SendIcon(int size) {
  return MakeIcon(
      [](QPainter& p, bool disabled) {
        p.setPen(Qt::NoPen);
        p.setBrush(Ink(Qt::black, disabled));
        p.drawPolygon(QPolygonF{{4.5, 2}, {13, 8}, {4.5, 14}});
      },
      16, size);
}

QIcon ExitIcon(int size) {
  return MakeIcon(
      [](QPainter& p, bool disabled) {
        p.setPen(QPen(Ink(QColor(0, 90, 30), disabled), 1.0));
        p.setBrush(Ink(QColor(0, 150, 60), disabled));
        p.drawRoundedRect(QRectF(0.5, 5.5, 23, 13), 1.5, 1.5);
        QFont f;
        f.setStyleHint(QFont::SansSerif);
        f.setBold(true);
        f.setPixelSize(9);
        p.setFont(f);
        p.setPen(disabled ? QColor(235, 235, 235) : QColor(Qt::white));
        p.drawText(QRectF(0, 5, 24, 14), Qt::AlignCenter, QStringLiteral("EXIT"));
      },
      24, size);
}

QIcon UpIcon(int size) {
  return MakeIcon([](QPainter& p, bool disabled) { DrawArrow(p, disabled, true); }, 16, size);
}

QIcon DownIcon(int size) {
  return MakeIcon([](QPainter& p, bool disabled) { DrawArrow(p, disabled, false); }, 16, size);
}

QIcon OpenIcon(int size) {
  return MakeIcon(
      [](QPainter& p, bool disabled) {
        // A folder, its front flap opened towards the viewer.
        p.setPen(QPen(Ink(QColor(120, 85, 0), disabled), 0.8));
        p.setBrush(Ink(QColor(215, 165, 40), disabled));
        p.drawPolygon(QPolygonF{{1.5, 3}, {6, 3}, {7.5, 4.5}, {13, 4.5}, {13, 13.5}, {1.5, 13.5}});
        p.setBrush(Ink(QColor(250, 210, 90), disabled));
        p.drawPolygon(QPolygonF{{3.5, 7}, {15, 7}, {13, 13.5}, {1.5, 13.5}});
      },
      16, size);
}

QIcon SaveIcon(int size) {
  return MakeIcon(
      [](QPainter& p, bool disabled) {
        // A diskette: body, label and shutter.
        p.setPen(QPen(Ink(QColor(10, 40, 100), disabled), 0.8));
        p.setBrush(Ink(QColor(40, 90, 180), disabled));
        p.drawPolygon(QPolygonF{{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}});
        p.setPen(Qt::NoPen);
        p.setBrush(disabled ? QColor(235, 235, 235) : QColor(Qt::white));
        p.drawRect(QRectF(4, 1.5, 8, 5));
        p.drawRect(QRectF(3.5, 9, 9, 5.5));
        p.setBrush(Ink(QColor(40, 90, 180), disabled));
        p.drawRect(QRectF(9, 2.5, 2, 3));
      },
      16, size);
}

namespace {

// A flame, in a 100 x 39 design.
void DrawFlame(QPainter& p, const QRectF& box) {
  QPainterPath outer;
  const double x = box.x(), y = box.y(), w = box.width(), h = box.height();
  outer.moveTo(x + w * 0.5, y + h);
  outer.cubicTo(x, y + h, x, y + h * 0.55, x + w * 0.35, y + h * 0.25);
  outer.cubicTo(x + w * 0.45, y + h * 0.45, x + w * 0.5, y + h * 0.1, x + w * 0.55, y);
  outer.cubicTo(x + w * 1.05, y + h * 0.35, x + w, y + h, x + w * 0.5, y + h);
  QLinearGradient g(box.topLeft(), box.bottomLeft());
  g.setColorAt(0, QColor(255, 200, 0));
  g.setColorAt(1, QColor(220, 40, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawPath(outer);
  QPainterPath inner;
  inner.moveTo(x + w * 0.5, y + h * 0.95);
  inner.cubicTo(x + w * 0.25, y + h * 0.95, x + w * 0.3, y + h * 0.6, x + w * 0.5, y + h * 0.45);
  inner.cubicTo(x + w * 0.7, y + h * 0.65, x + w * 0.75, y + h * 0.95, x + w * 0.5, y + h * 0.95);
  p.setBrush(QColor(255, 240, 150));
  p.drawPath(inner);
}

void DrawLogo(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  DrawFlame(p, QRectF(3, 4, 20, 31));
  QFont f;
  f.setStyleHint(QFont::SansSerif);
  f.setBold(true);
  // The largest size at which the name fits whatever face the platform gives.
  const QString name = QStringLiteral("QUELT");
  const QRectF nameBox(26, 2, 72, 26);
  for (int px = 22; px > 8; --px) {
    f.setPixelSize(px);
    if (QFontMetricsF(f).horizontalAdvance(name) <= nameBox.width()) break;
  }
  p.setFont(f);
  p.setPen(QColor(0, 60, 130));
  p.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, name);
  QFont small = f;
  small.setPixelSize(8);
  small.setBold(false);
  p.setFont(small);
  p.setPen(QColor(90, 90, 90));
  p.drawText(QRectF(27, 27, 73, 10), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("fuel list update"));
}

}  // namespace

QPixmap LogoPixmap(double scale, double devicePixelRatio) {
  const double k = scale * devicePixelRatio;
  QPixmap pm(qRound(100 * k), qRound(39 * k));
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.scale(k, k);
  DrawLogo(p);
  p.end();
  pm.setDevicePixelRatio(devicePixelRatio);
  return pm;
}

QIcon AppIcon() {
  return MakeIcon([](QPainter& p, bool) { DrawFlame(p, QRectF(4, 1, 24, 30)); }, 32, 32);
}

void PaintRowIndicator(QPainter& painter, const QRectF& cell) {
  const double h = qMin(cell.height() * 0.5, cell.width() * 0.6);
  const double x = cell.center().x() - h * 0.3;
  const double y = cell.center().y();
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawPolygon(QPolygonF{{x, y - h / 2}, {x + h * 0.6, y}, {x, y + h / 2}});
  painter.restore();
}

}  // namespace quelt::ui
