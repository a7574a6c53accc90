#include "front/raster.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quelt::front {
namespace {

constexpr int kSubRows = 8;

double SignedArea(const Contour& c) {
  double a = 0;
  for (std::size_t i = 0; i < c.size(); ++i) {
    const Point& p = c[i];
    const Point& q = c[(i + 1) % c.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return a / 2;
}

// Outlines that are unioned must turn the same way, or non-zero winding
// would cut holes where they overlap.
Contour Clockwise(Contour c) {
  if (SignedArea(c) < 0) std::reverse(c.begin(), c.end());
  return c;
}

struct Crossing {
  double x;
  int dir;
};

struct Edge {
  Point a, b;  // as the outline runs, never horizontal
};

}  // namespace

Canvas::Canvas(int width, int height)
    : width_(std::max(width, 1)),
      height_(std::max(height, 1)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0) {}

void Canvas::Fill(const std::vector<Contour>& outlines, Rgba colour) {
  Fill(outlines, [colour](Point) { return colour; });
}

void Canvas::Fill(const std::vector<Contour>& outlines, const std::function<Rgba(Point)>& paint) {
  // Each pixel row looks only at the edges that reach into it, in the
  // outlines' order: a stroked curve has hundreds of edges, a row meets few.
  std::vector<std::vector<Edge>> rows(static_cast<std::size_t>(height_));
  for (const Contour& c : outlines) {
    for (std::size_t i = 0; i < c.size(); ++i) {
      const Point& a = c[i];
      const Point& b = c[(i + 1) % c.size()];
      if (a.y == b.y) continue;
      const double top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
      if (!(bottom > 0) || !(top < height_)) continue;
      const auto first = static_cast<int>(std::max(0.0, std::floor(top)));
      const auto last = static_cast<int>(std::min(height_ - 1.0, std::floor(bottom)));
      for (int py = first; py <= last; ++py) rows[static_cast<std::size_t>(py)].push_back({a, b});
    }
  }
  std::vector<double> coverage(static_cast<std::size_t>(width_));
  std::vector<Crossing> crossings;
  for (int py = 0; py < height_; ++py) {
    const std::vector<Edge>& edges = rows[static_cast<std::size_t>(py)];
    if (edges.empty()) continue;
    std::fill(coverage.begin(), coverage.end(), 0.0);
    bool any = false;
    for (int s = 0; s < kSubRows; ++s) {
      const double y = py + (s + 0.5) / kSubRows;
      crossings.clear();
      for (const auto& [a, b] : edges) {
        const bool down = b.y > a.y;
        const double y0 = down ? a.y : b.y, y1 = down ? b.y : a.y;
        if (y < y0 || y >= y1) continue;
        crossings.push_back({a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y), down ? 1 : -1});
      }
      if (crossings.empty()) continue;
      std::sort(crossings.begin(), crossings.end(),
                [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
      int winding = 0;
      for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
        winding += crossings[i].dir;
        if (winding == 0) continue;
        const double x0 = std::max(crossings[i].x, 0.0);
        const double x1 = std::min(crossings[i + 1].x, static_cast<double>(width_));
        if (x1 <= x0) continue;
        any = true;
        for (int px = static_cast<int>(x0); px < width_ && px < x1; ++px) {
          const double overlap = std::min(x1, px + 1.0) - std::max(x0, static_cast<double>(px));
          if (overlap > 0) coverage[static_cast<std::size_t>(px)] += overlap / kSubRows;
        }
      }
    }
    if (!any) continue;
    for (int px = 0; px < width_; ++px) {
      const double cover = std::min(coverage[static_cast<std::size_t>(px)], 1.0);
      if (cover <= 0) continue;
      const Rgba c = paint({px + 0.5, py + 0.5});
      const double alpha = cover * c.a / 255.0;
      std::uint32_t& dst = pixels_[static_cast<std::size_t>(py * width_ + px)];
      auto channel = [&](int shift, double src) {
        const double under = (dst >> shift) & 0xFF;
        return static_cast<std::uint32_t>(std::lround(src * alpha + under * (1 - alpha)));
      };
      dst =
          channel(24, 255) << 24 | channel(16, c.r) << 16 | channel(8, c.g) << 8 | channel(0, c.b);
    }
  }
}

void AppendCubic(Contour& c, Point p1, Point p2, Point p3) {
  const Point p0 = c.empty() ? p1 : c.back();
  constexpr int kSteps = 24;
  for (int i = 1; i <= kSteps; ++i) {
    const double t = static_cast<double>(i) / kSteps, u = 1 - t;
    c.push_back(
        {u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
         u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y});
  }
}

Contour Polygon(std::initializer_list<Point> points) { return Contour(points); }

Contour ArcPoints(Point centre, double radius, double startDeg, double sweepDeg) {
  Contour c;
  const int steps = std::max(8, static_cast<int>(std::abs(sweepDeg) / 6));
  for (int i = 0; i <= steps; ++i) {
    const double a = (startDeg + sweepDeg * i / steps) * std::numbers::pi / 180;
    c.push_back({centre.x + radius * std::cos(a), centre.y - radius * std::sin(a)});
  }
  return c;
}

Contour Circle(Point centre, double radius) {
  Contour c = ArcPoints(centre, radius, 0, 360);
  c.pop_back();
  return c;
}

Contour RoundedRect(double x, double y, double w, double h, double r) {
  Contour c;
  auto corner = [&](double cx, double cy, double start) {
    const Contour arc = ArcPoints({cx, cy}, r, start, 90);
    c.insert(c.end(), arc.begin(), arc.end());
  };
  corner(x + w - r, y + r, 0);
  corner(x + r, y + r, 90);
  corner(x + r, y + h - r, 180);
  corner(x + w - r, y + h - r, 270);
  return c;
}

std::vector<Contour> Stroke(const Contour& line, double width, bool round, bool closed) {
  std::vector<Contour> out;
  const double h = width / 2;
  const std::size_t n = line.size();
  const std::size_t segments = closed ? n : n - 1;
  for (std::size_t i = 0; i < segments && n > 1; ++i) {
    const Point a = line[i], b = line[(i + 1) % n];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len = std::hypot(dx, dy);
    if (len == 0) continue;
    const double nx = -dy / len * h, ny = dx / len * h;
    // Flat segments overlap a little so that a curve has no cracks.
    const double ex = dx / len * 0.02, ey = dy / len * 0.02;
    out.push_back(Clockwise({{a.x + nx - ex, a.y + ny - ey},
                             {b.x + nx + ex, b.y + ny + ey},
                             {b.x - nx + ex, b.y - ny + ey},
                             {a.x - nx - ex, a.y - ny - ey}}));
  }
  if (round) {
    for (const Point& p : line) out.push_back(Clockwise(Circle(p, h)));
  }
  return out;
}

std::vector<Contour> Scaled(std::vector<Contour> outlines, double k, Point offset) {
  for (Contour& c : outlines) {
    for (Point& p : c) p = {p.x * k + offset.x, p.y * k + offset.y};
  }
  return outlines;
}

}  // namespace quelt::front
