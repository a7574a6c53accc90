#include "win/split_drag.h"

#include <windowsx.h>

#include <algorithm>

namespace quelt::win {
namespace {

bool Inside(POINT at, const front::Rect& r) {
  return at.x >= r.x && at.x < r.Right() && at.y >= r.y && at.y < r.Bottom();
}

}  // namespace

int SplitDrag::LogHeight() const {
  return dragLogHeight_ > 0 ? dragLogHeight_ : controller_.LogHeight();
}

bool SplitDrag::Mouse(HWND window, UINT msg, LPARAM lp, const front::MainLayout& layout, int dpi) {
  const POINT at{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (!Inside(at, layout.splitBar)) return false;
      grab_ = at.y - layout.splitBar.y;
      SetCapture(window);
      return true;
    case WM_MOUSEMOVE:
      if (grab_ < 0) return false;
      dragLogHeight_ = std::max(front::LogHeightAt96(at.y - grab_, dpi), 1);
      relayout_();
      return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
      if (grab_ < 0) return false;
      grab_ = -1;
      if (msg == WM_LBUTTONUP) ReleaseCapture();
      const int shown = front::LogHeightAt96(layout.Of(front::MainControl::Log).h, dpi);
      dragLogHeight_ = 0;
      controller_.SplitMoved(shown);
      relayout_();
      return true;
    }
    default:
      return false;
  }
}

bool SplitDrag::SetCursorOver(HWND window, const front::MainLayout& layout) {
  POINT at{};
  GetCursorPos(&at);
  ScreenToClient(window, &at);
  if (!Inside(at, layout.splitBar)) return false;
  SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
  return true;
}

}  // namespace quelt::win
