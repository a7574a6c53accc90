#include "front/fitting.h"

#include <algorithm>

#include "text/text_helpers.h"

namespace quelt::front {

WindowFit FitMainClient(int dpi, int frameW, int frameH, int areaW, int areaH) {
  if (frameW <= 0 && frameH <= 0) {
    frameW = ScaleForDpi(kMainOuterWidth, dpi) - ScaleForDpi(kMainClientWidth, dpi);
    frameH = ScaleForDpi(kMainOuterHeight, dpi) - ScaleForDpi(kMainClientHeight, dpi);
  }
  const WindowFit outer = FitMainWindow(dpi, frameW, frameH, areaW, areaH);
  return {outer.w - frameW, outer.h - frameH, outer.minW - frameW, outer.minH - frameH};
}

void ColumnWidths::Reset(std::vector<int> design) {
  fitted_.assign(design.size(), 0);
  user_.assign(design.size(), 0);
  design_ = std::move(design);
}

int ColumnWidths::Fit(std::size_t column, int needed, int now, int room) {
  if (column >= design_.size()) return now;
  if (fitted_[column] != 0 && now != fitted_[column]) user_[column] = now;
  const int fill = user_[column] == 0 ? room : 0;
  fitted_[column] = std::max({needed, design_[column], user_[column], fill});
  return fitted_[column];
}

std::vector<int> ColumnWidths::FitAll(const std::function<int(std::size_t)>& needed,
                                      const std::function<int(std::size_t)>& now, int room,
                                      std::size_t filler) {
  std::vector<int> widths(design_.size());
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (c == filler) continue;
    widths[c] = Fit(c, needed(c), now(c));
    room -= widths[c];
  }
  if (filler < widths.size()) widths[filler] = Fit(filler, needed(filler), now(filler), room);
  return widths;
}

std::string StatusLine::Text() const {
  std::string text;
  for (const StatusPart& part : parts) {
    if (part.text.empty()) continue;
    if (!text.empty()) text += kStatusGap;
    text += part.text;
  }
  return text;
}

StatusLine StatusLineOf(std::string_view statusText, const std::string& changes) {
  std::vector<std::string> pieces;
  for (std::size_t from = 0;;) {
    const std::size_t gap = statusText.find(kStatusGap, from);
    pieces.emplace_back(statusText.substr(from, gap == std::string_view::npos ? gap : gap - from));
    if (gap == std::string_view::npos) break;
    from = gap + kStatusGap.size();
  }
  StatusLine line;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const StatusPartKind kind = i == 0                   ? StatusPartKind::Port
                                : i + 1 == pieces.size() ? StatusPartKind::Rows
                                                         : StatusPartKind::Identity;
    line.parts.push_back({kind, std::move(pieces[i])});
  }
  if (!changes.empty()) line.parts.push_back({StatusPartKind::Changes, changes});
  return line;
}

namespace {

// What a part keeps when it is shortened: `text` after its first
// `separator` (after == true) or before it; the whole without one.
std::string Keep(const std::string& text, std::string_view separator, bool after) {
  const std::size_t at = text.find(separator);
  if (at == std::string::npos) return text;
  return after ? text.substr(at + separator.size()) : text.substr(0, at);
}

}  // namespace

std::string FitStatusLine(const StatusLine& line, int room,
                          const std::function<int(const std::string&)>& width) {
  StatusLine fitted = line;
  auto shorten = [&fitted](StatusPartKind kind,
                           const std::function<std::string(const std::string&)>& how) {
    for (StatusPart& part : fitted.parts) {
      if (part.kind == kind) part.text = how(part.text);
    }
  };
  using K = StatusPartKind;
  const std::function<void()> steps[] = {
      [&] { shorten(K::Port, [](const std::string& t) { return Keep(t, ": ", true); }); },
      [&] { shorten(K::Rows, [](const std::string& t) { return Keep(t, ", ", false); }); },
      [&] { shorten(K::Port, [](const std::string&) { return std::string(); }); },
      [&] { shorten(K::Rows, [](const std::string&) { return std::string(); }); },
      [&] { shorten(K::Identity, [](const std::string& t) { return Keep(t, ", ", false); }); },
  };
  std::string text = fitted.Text();
  for (const auto& step : steps) {
    if (width(text) <= room) break;
    step();
    text = fitted.Text();
  }
  return text;
}

}  // namespace quelt::front
