// A small antialiasing rasteriser: filled outlines (non-zero winding) into a
// premultiplied 32-bit picture. The windows' pictures are drawn with it from
// one geometry, crisp at every screen resolution, and so is the program's
// icon file at build time; no toolkit needed.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace quelt::front {

struct Point {
  double x = 0, y = 0;
};
using Contour = std::vector<Point>;

struct Rgba {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

class Canvas {
 public:
  Canvas(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Premultiplied 0xAARRGGBB, rows top-down: a Win32 32-bit DIB as it is.
  const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
  std::uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }

  // Paints the inside of the outlines (pixel coordinates) over what is there.
  void Fill(const std::vector<Contour>& outlines, Rgba colour);
  // The same with a colour per point (gradients).
  void Fill(const std::vector<Contour>& outlines, const std::function<Rgba(Point)>& paint);

 private:
  int width_, height_;
  std::vector<std::uint32_t> pixels_;
};

// Outline helpers, in any units.
void AppendCubic(Contour& c, Point p1, Point p2, Point p3);  // from c.back()
Contour Polygon(std::initializer_list<Point> points);
Contour RoundedRect(double x, double y, double w, double h, double radius);
Contour Circle(Point centre, double radius);
// Points along a circle from `startDeg` for `sweepDeg` (counter-clockwise
// positive, y pointing down as on screen).
Contour ArcPoints(Point centre, double radius, double startDeg, double sweepDeg);
// The outline of a line `width` wide along the points; round caps and joins
// when asked, flat otherwise.
std::vector<Contour> Stroke(const Contour& line, double width, bool round, bool closed = false);
std::vector<Contour> Scaled(std::vector<Contour> outlines, double k, Point offset = {});

}  // namespace quelt::front
