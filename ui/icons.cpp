#include "ui/icons.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <set>

namespace quelt::ui {
namespace {

QRectF BoxRect(const front::Box& box) { return {box.x, box.y, box.w, box.h}; }

QColor ColourOf(front::Rgba c) { return QColor(c.r, c.g, c.b, c.a); }

QFont SansFont(int pixels, bool bold) {
  QFont f;
  f.setStyleHint(QFont::SansSerif);
  f.setBold(bold);
  f.setPixelSize(pixels);
  return f;
}

// Lettering in design units on a picture `k` pixels to the unit.
void StartText(QPainter& p, double k) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(k, k);
}

QPixmap PicturePixmap(front::Picture picture, int size, double dpr, bool disabled) {
  const int px = qMax(1, qRound(size * dpr));
  QImage image = CanvasImage(front::DrawPicture(picture, px, disabled));
  if (picture == front::Picture::Exit) {
    QPainter p(&image);
    StartText(p, static_cast<double>(px) / front::DesignSize(picture));
    p.setFont(SansFont(9, true));
    p.setPen(disabled ? QColor(235, 235, 235) : QColor(Qt::white));
    p.drawText(BoxRect(front::kExitLetteringBox), Qt::AlignCenter,
               QString::fromLatin1(front::kExitLettering));
  }
  image.setDevicePixelRatio(dpr);
  return QPixmap::fromImage(image);
}

QIcon MakeIcon(front::Picture picture, int size) {
  std::set<double> ratios{1.0, 2.0};
  if (qGuiApp) ratios.insert(qGuiApp->devicePixelRatio());
  QIcon icon;
  for (double dpr : ratios) {
    icon.addPixmap(PicturePixmap(picture, size, dpr, false), QIcon::Normal);
    icon.addPixmap(PicturePixmap(picture, size, dpr, true), QIcon::Disabled);
  }
  return icon;
}

}  // namespace

QImage CanvasImage(const front::Canvas& canvas) {
  // Qt's premultiplied ARGB32 holds a pixel as the same 32-bit word.
  QImage image(canvas.Width(), canvas.Height(), QImage::Format_ARGB32_Premultiplied);
  const auto rowBytes = static_cast<std::size_t>(canvas.Width()) * sizeof(std::uint32_t);
  for (int y = 0; y < canvas.Height(); ++y) {
    std::memcpy(image.scanLine(y), &canvas.Pixels()[static_cast<std::size_t>(y * canvas.Width())],
                rowBytes);
  }
  return image;
}

QIcon PictureIcon(front::Picture picture, int size, double devicePixelRatio) {
  QIcon icon;
  icon.addPixmap(PicturePixmap(picture, size, devicePixelRatio, false), QIcon::Normal);
  icon.addPixmap(PicturePixmap(picture, size, devicePixelRatio, true), QIcon::Disabled);
  return icon;
}

QIcon RefreshIcon(int size) { return MakeIcon(front::Picture::Refresh, size); }
QIcon SendIcon(int size) { return MakeIcon(front::Picture::Send, size); }
QIcon ExitIcon(int size) { return MakeIcon(front::Picture::Exit, size); }
QIcon UpIcon(int size) { return MakeIcon(front::Picture::Up, size); }
QIcon DownIcon(int size) { return MakeIcon(front::Picture::Down, size); }
QIcon OpenIcon(int size) { return MakeIcon(front::Picture::Open, size); }
QIcon SaveIcon(int size) { return MakeIcon(front::Picture::Save, size); }

QIcon AppIcon() {
  const int size = front::DesignSize(front::Picture::AppIcon);
  QIcon icon;
  for (double dpr : {1.0, 2.0})
    icon.addPixmap(PicturePixmap(front::Picture::AppIcon, size, dpr, false));
  return icon;
}

QPixmap LogoPixmap(double scale, double devicePixelRatio) {
  const double k = scale * devicePixelRatio;
  QImage image = CanvasImage(front::DrawLogoFlame(k));
  QPainter p(&image);
  StartText(p, k);
  // The largest size at which the name fits whatever face the platform gives.
  const QString name = QString::fromLatin1(front::kLogoName);
  const QRectF nameBox = BoxRect(front::kLogoNameBox);
  QFont f = SansFont(22, true);
  for (int px = 22; px > 8; --px) {
    f.setPixelSize(px);
    if (QFontMetricsF(f).horizontalAdvance(name) <= nameBox.width()) break;
  }
  p.setFont(f);
  p.setPen(ColourOf(front::kLogoNameColour));
  p.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter, name);
  p.setFont(SansFont(8, false));
  p.setPen(ColourOf(front::kLogoSubtitleColour));
  p.drawText(BoxRect(front::kLogoSubtitleBox), Qt::AlignLeft | Qt::AlignVCenter,
             QString::fromLatin1(front::kLogoSubtitle));
  p.end();
  image.setDevicePixelRatio(devicePixelRatio);
  return QPixmap::fromImage(image);
}

void PaintRowIndicator(QPainter& painter, const QRectF& cell) {
  // The picture fills the cell's smaller side, drawn at the device's pixels.
  const double dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  const double size = qMin(cell.width(), cell.height());
  const int px = qMax(1, qRound(size * dpr));
  QImage image = CanvasImage(front::DrawPicture(front::Picture::RowIndicator, px, false));
  image.setDevicePixelRatio(dpr);
  // On whole device pixels, so that the triangle's edges stay sharp.
  const QPointF at(std::round((cell.center().x() - px / dpr / 2) * dpr) / dpr,
                   std::round((cell.center().y() - px / dpr / 2) * dpr) / dpr);
  painter.drawImage(at, image);
}

}  // namespace quelt::ui
