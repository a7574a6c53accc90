#include "front/pictures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quelt::front {
namespace {

constexpr Rgba kGrey{160, 160, 160, 255};
constexpr Rgba kBlack{0, 0, 0, 255};

Rgba Ink(Rgba colour, bool disabled) { return disabled ? kGrey : colour; }

Rgba Mix(Rgba a, Rgba b, double t) {
  auto m = [t](std::uint8_t x, std::uint8_t y) {
    return static_cast<std::uint8_t>(std::lround(x + (y - x) * std::clamp(t, 0.0, 1.0)));
  };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

// The flame of app/quelt-fuel.svg in its 32-unit view box, placed in `box`.
void DrawFlame(Canvas& canvas, Box box, double k) {
  auto at = [&](double fx, double fy) -> Point {
    return {(box.x + box.w * fx) * k, (box.y + box.h * fy) * k};
  };
  Contour outer{at(0.5, 1)};
  AppendCubic(outer, at(0, 1), at(0, 0.55), at(0.35, 0.25));
  AppendCubic(outer, at(0.45, 0.45), at(0.5, 0.1), at(0.55, 0));
  AppendCubic(outer, at(1.05, 0.35), at(1, 1), at(0.5, 1));
  const double top = box.y * k, height = box.h * k;
  canvas.Fill({outer}, [&](Point p) {
    return Mix({255, 200, 0, 255}, {220, 40, 0, 255}, (p.y - top) / height);
  });
  Contour inner{at(0.5, 0.95)};
  AppendCubic(inner, at(0.25, 0.95), at(0.3, 0.6), at(0.5, 0.45));
  AppendCubic(inner, at(0.7, 0.65), at(0.75, 0.95), at(0.5, 0.95));
  canvas.Fill({inner}, Rgba{255, 240, 150, 255});
}

void DrawArrow(Canvas& canvas, double k, bool disabled, bool up) {
  Contour arrow{{8, 1.5}, {14.5, 8}, {10.5, 8}, {10.5, 14.5}, {5.5, 14.5}, {5.5, 8}, {1.5, 8}};
  if (!up) {
    for (Point& p : arrow) p.y = 16 - p.y;
  }
  canvas.Fill(Scaled({arrow}, k), Ink({230, 0, 0, 255}, disabled));
  canvas.Fill(Scaled(Stroke(arrow, 0.8, false, true), k), Ink({128, 0, 0, 255}, disabled));
}

}  // namespace

int DesignSize(Picture picture) {
  switch (picture) {
    case Picture::Exit:
      return 24;
    case Picture::Ok:
    case Picture::Cancel:
      return 18;
    case Picture::AppIcon:
      return 32;
    default:
      return 16;
  }
}

Canvas DrawPicture(Picture picture, int size, bool disabled) {
  Canvas canvas(size, size);
  const double k = static_cast<double>(size) / DesignSize(picture);
  switch (picture) {
    case Picture::Refresh: {
      // A clockwise arrow: the tail at 45 degrees, the head just left of the top.
      const Point c{8, 8};
      const double r = 5.5;
      canvas.Fill(Scaled(Stroke(ArcPoints(c, r, 45, -295), 2.0, false), k), Ink(kBlack, disabled));
      const double a = 110 * std::numbers::pi / 180;
      const Point end{c.x + r * std::cos(a), c.y - r * std::sin(a)};
      const Point dir{std::sin(a), std::cos(a)};  // clockwise tangent on screen
      const Point across{-dir.y, dir.x};
      canvas.Fill(
          Scaled({{{end.x + dir.x * 3.6, end.y + dir.y * 3.6},
                   {end.x + across.x * 3 - dir.x * 0.4, end.y + across.y * 3 - dir.y * 0.4},
                   {end.x - across.x * 3 - dir.x * 0.4, end.y - across.y * 3 - dir.y * 0.4}}},
                 k),
          Ink(kBlack, disabled));
      break;
    }
    case Picture::Send:
      canvas.Fill(Scaled({Polygon({{4.5, 2}, {13, 8}, {4.5, 14}})}, k), Ink(kBlack, disabled));
      break;
    case Picture::Exit: {
      const Contour sign = RoundedRect(0.5, 5.5, 23, 13, 1.5);
      canvas.Fill(Scaled({sign}, k), Ink({0, 150, 60, 255}, disabled));
      canvas.Fill(Scaled(Stroke(sign, 1.0, false, true), k), Ink({0, 90, 30, 255}, disabled));
      break;
    }
    case Picture::Up:
    case Picture::Down:
      DrawArrow(canvas, k, disabled, picture == Picture::Up);
      break;
    case Picture::Open: {
      // A folder, its front flap opened towards the viewer.
      const Contour back =
          Polygon({{1.5, 3}, {6, 3}, {7.5, 4.5}, {13, 4.5}, {13, 13.5}, {1.5, 13.5}});
      const Contour flap = Polygon({{3.5, 7}, {15, 7}, {13, 13.5}, {1.5, 13.5}});
      const Rgba edge = Ink({120, 85, 0, 255}, disabled);
      canvas.Fill(Scaled({back}, k), Ink({215, 165, 40, 255}, disabled));
      canvas.Fill(Scaled(Stroke(back, 0.8, false, true), k), edge);
      canvas.Fill(Scaled({flap}, k), Ink({250, 210, 90, 255}, disabled));
      canvas.Fill(Scaled(Stroke(flap, 0.8, false, true), k), edge);
      break;
    }
    case Picture::Save: {
      // A diskette: body, label and shutter.
      const Contour body =
          Polygon({{1.5, 1.5}, {12.5, 1.5}, {14.5, 3.5}, {14.5, 14.5}, {1.5, 14.5}});
      const Rgba blue = Ink({40, 90, 180, 255}, disabled);
      const Rgba white = disabled ? Rgba{235, 235, 235, 255} : Rgba{255, 255, 255, 255};
      canvas.Fill(Scaled({body}, k), blue);
      canvas.Fill(Scaled(Stroke(body, 0.8, false, true), k), Ink({10, 40, 100, 255}, disabled));
      canvas.Fill(Scaled({Polygon({{4, 1.5}, {12, 1.5}, {12, 6.5}, {4, 6.5}})}, k), white);
      canvas.Fill(Scaled({Polygon({{3.5, 9}, {12.5, 9}, {12.5, 14.5}, {3.5, 14.5}})}, k), white);
      canvas.Fill(Scaled({Polygon({{9, 2.5}, {11, 2.5}, {11, 5.5}, {9, 5.5}})}, k), blue);
      break;
    }
    case Picture::Ok:
      canvas.Fill(Scaled(Stroke({{3, 9.5}, {7.5, 14}, {15, 4}}, 3.0, true), k),
                  disabled ? Rgba{128, 128, 128, 255} : Rgba{0, 150, 0, 255});
      break;
    case Picture::Cancel: {
      const Rgba red = disabled ? Rgba{128, 128, 128, 255} : Rgba{204, 0, 0, 255};
      canvas.Fill(Scaled(Stroke({{4, 4}, {14, 14}}, 3.0, true), k), red);
      canvas.Fill(Scaled(Stroke({{14, 4}, {4, 14}}, 3.0, true), k), red);
      break;
    }
    case Picture::RowIndicator:
      canvas.Fill(Scaled({Polygon({{5.5, 4}, {10.5, 8}, {5.5, 12}})}, k), Ink(kBlack, disabled));
      break;
    case Picture::AppIcon:
      DrawFlame(canvas, {4, 1, 24, 30}, k);
      break;
  }
  return canvas;
}

Canvas DrawLogoFlame(double scale) {
  Canvas canvas(static_cast<int>(std::lround(kLogoDesignWidth * scale)),
                static_cast<int>(std::lround(kLogoDesignHeight * scale)));
  DrawFlame(canvas, {3, 4, 20, 31}, scale);
  return canvas;
}

}  // namespace quelt::front
