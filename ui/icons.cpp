#include "ui/icons.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace quelt::ui {
namespace {

QRectF BoxRect(const front::Box& box) { return {box.x, box.y, box.w, box.h}; }

QColor ColourOf(front::Rgba c) { return QColor(c.r, c.g, c.b, c.a); }

// The lettering's sizes are drawn by scaling one the window's texts load
// anyway (the big buttons' bold 12 px, the window's own 11 px): each new
// size would be another font to look up at start-up.
constexpr int kBoldPixels = 12;
constexpr int kRegularPixels = 11;

QFont LoadedFont(bool bold) {
  QFont f = QGuiApplication::font();
  f.setBold(bold);
  f.setPixelSize(bold ? kBoldPixels : kRegularPixels);
  return f;
}

// Lettering of `pixels` design units in `box` on a picture `k` pixels to
// the unit.
void Letter(QPainter& p, double k, bool bold, double pixels, const QRectF& box, int flags,
            const QString& text) {
  const QFont font = LoadedFont(bold);
  const double f = pixels / font.pixelSize();
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(k * f, k * f);
  p.setFont(font);
  p.drawText(QRectF(box.x() / f, box.y() / f, box.width() / f, box.height() / f), flags, text);
  p.restore();
}

QPixmap PicturePixmap(front::Picture picture, int size, double dpr, bool disabled) {
  const int px = qMax(1, qRound(size * dpr));
  QImage image = CanvasImage(front::DrawPicture(picture, px, disabled));
  if (picture == front::Picture::Exit) {
    QPainter p(&image);
    p.setPen(disabled ? QColor(235, 235, 235) : QColor(Qt::white));
    Letter(p, static_cast<double>(px) / front::DesignSize(picture), true, 9,
           BoxRect(front::kExitLetteringBox), Qt::AlignCenter,
           QString::fromLatin1(front::kExitLettering));
  }
  image.setDevicePixelRatio(dpr);
  return QPixmap::fromImage(image);
}

// A picture's icon that draws its image when it is first asked for: a
// button shows only its normal or only its greyed form, and drawing both up
// front was a large part of the window's start-up. A request in the greyed
// mode draws the greyed image, any other request the normal one, and hands
// it to Qt's own icon: it then scales, aligns and tints the same image as an
// icon holding both would.
class PictureEngine final : public QIconEngine {
 public:
  PictureEngine(front::Picture picture, int size, double ratio)
      : picture_(picture), size_(size), ratio_(ratio) {}

  QIconEngine* clone() const override { return new PictureEngine(*this); }
  QString key() const override { return QStringLiteral("quelt-picture"); }
  bool isNull() override { return false; }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Drawn(mode).paint(painter, rect, Qt::AlignCenter, mode, state);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Drawn(mode).pixmap(size, 1.0, mode, state);
  }

  // `size` in device pixels, `scale` times the logical size.
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                       qreal scale) override {
    if (!(scale > 1.0)) return pixmap(size, mode, state);
    return Drawn(mode).pixmap(size / scale, scale, mode, state);
  }

  void virtual_hook(int id, void* data) override {
    if (id == ScaledPixmapHook) {
      auto& arg = *static_cast<ScaledPixmapArgument*>(data);
      arg.pixmap = scaledPixmap(arg.size, arg.mode, arg.state, arg.scale);
    } else if (id == IsNullHook) {
      *static_cast<bool*>(data) = false;
    } else {
      QIconEngine::virtual_hook(id, data);
    }
  }

  // The image's size, never larger than asked; known without drawing.
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    QSize actual = ImageSize();
    if (actual.width() > size.width() || actual.height() > size.height())
      actual.scale(size, Qt::KeepAspectRatio);
    return actual;
  }

  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    QList<QSize> sizes;
    if (state != QIcon::Off || (mode != QIcon::Normal && mode != QIcon::Disabled)) return sizes;
    sizes.push_back(ImageSize());
    return sizes;
  }

 private:
  QSize ImageSize() const {
    const int px = qMax(1, qRound(size_ * ratio_));
    return {px, px};
  }

  const QIcon& Drawn(QIcon::Mode mode) {
    const bool disabled = mode == QIcon::Disabled;
    QIcon& icon = disabled ? greyed_ : normal_;
    if (icon.isNull()) {
      icon.addPixmap(PicturePixmap(picture_, size_, ratio_, disabled),
                     disabled ? QIcon::Disabled : QIcon::Normal);
    }
    return icon;
  }

  front::Picture picture_;
  int size_;
  double ratio_;
  QIcon normal_, greyed_;
};

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
  return QIcon(new PictureEngine(picture, size, devicePixelRatio));
}

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
  // The largest size at which the name fits whatever face the platform
  // gives, 22 at most: the scaled lettering is as wide as its advance scaled.
  const QString name = QString::fromLatin1(front::kLogoName);
  const QRectF nameBox = BoxRect(front::kLogoNameBox);
  const double advance = QFontMetricsF(LoadedFont(true)).horizontalAdvance(name);
  const int fitting = advance > 0 ? static_cast<int>(kBoldPixels * nameBox.width() / advance) : 22;
  p.setPen(ColourOf(front::kLogoNameColour));
  Letter(p, k, true, std::clamp(fitting, 9, 22), nameBox, Qt::AlignLeft | Qt::AlignVCenter, name);
  p.setPen(ColourOf(front::kLogoSubtitleColour));
  Letter(p, k, false, 8, BoxRect(front::kLogoSubtitleBox), Qt::AlignLeft | Qt::AlignVCenter,
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
