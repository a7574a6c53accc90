#include "win/gdi_pictures.h"

#include <cmath>
#include <cstring>

namespace quelt::win {
namespace {

HBITMAP CanvasBitmap(const front::Canvas& canvas) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = canvas.Width();
  info.bmiHeader.biHeight = -canvas.Height();  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr && bits != nullptr) {
    std::memcpy(bits, canvas.Pixels().data(), canvas.Pixels().size() * sizeof(std::uint32_t));
  }
  return bitmap;
}

HFONT PixelFont(int pixels, bool bold, const wchar_t* face) {
  return CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, face);
}

void Text(HDC dc, const char* ascii, RECT box, HFONT font, COLORREF colour, UINT format) {
  wchar_t text[32] = {};
  for (int i = 0; ascii[i] != 0 && i < 31; ++i) text[i] = static_cast<wchar_t>(ascii[i]);
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  DrawTextW(dc, text, -1, &box, format | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
}

RECT ScaledBox(const front::Box& b, double k, int x, int y) {
  return {x + static_cast<LONG>(std::lround(b.x * k)), y + static_cast<LONG>(std::lround(b.y * k)),
          x + static_cast<LONG>(std::lround((b.x + b.w) * k)),
          y + static_cast<LONG>(std::lround((b.y + b.h) * k))};
}

}  // namespace

void DrawCanvas(HDC dc, const front::Canvas& canvas, int x, int y) {
  HBITMAP bitmap = CanvasBitmap(canvas);
  if (bitmap == nullptr) return;
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(dc, x, y, canvas.Width(), canvas.Height(), memory, 0, 0, canvas.Width(),
                canvas.Height(), blend);
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(bitmap);
}

void DrawExitSign(HDC dc, int x, int y, int size, bool disabled) {
  DrawCanvas(dc, front::DrawPicture(front::Picture::Exit, size, disabled), x, y);
  const double k = size / 24.0;
  HFONT font = PixelFont(static_cast<int>(std::lround(9 * k)), true, L"Arial");
  Text(dc, front::kExitLettering, ScaledBox(front::kExitLetteringBox, k, x, y), font,
       disabled ? RGB(235, 235, 235) : RGB(255, 255, 255), DT_CENTER | DT_VCENTER);
  DeleteObject(font);
}

void DrawLogo(HDC dc, const RECT& box, double scale) {
  const front::Canvas flame = front::DrawLogoFlame(scale);
  const int x = box.left + (box.right - box.left - flame.Width()) / 2;
  const int y = box.top + (box.bottom - box.top - flame.Height()) / 2;
  DrawCanvas(dc, flame, x, y);

  // The largest size at which the name fits whatever face the system gives.
  const RECT nameBox = ScaledBox(front::kLogoNameBox, scale, x, y);
  HFONT name = nullptr;
  for (int px = static_cast<int>(std::lround(22 * scale)); px > 8; --px) {
    if (name != nullptr) DeleteObject(name);
    name = PixelFont(px, true, L"Arial");
    HGDIOBJ old = SelectObject(dc, name);
    SIZE extent{};
    GetTextExtentPoint32W(dc, L"QUELT", 5, &extent);
    SelectObject(dc, old);
    if (extent.cx <= nameBox.right - nameBox.left) break;
  }
  const auto n = front::kLogoNameColour;
  Text(dc, front::kLogoName, nameBox, name, RGB(n.r, n.g, n.b), DT_LEFT | DT_VCENTER);
  DeleteObject(name);
  HFONT small = PixelFont(static_cast<int>(std::lround(8 * scale)), false, L"Arial");
  const auto s = front::kLogoSubtitleColour;
  Text(dc, front::kLogoSubtitle, ScaledBox(front::kLogoSubtitleBox, scale, x, y), small,
       RGB(s.r, s.g, s.b), DT_LEFT | DT_VCENTER);
  DeleteObject(small);
}

HICON MakeAppIcon(int size) {
  const front::Canvas canvas = front::DrawPicture(front::Picture::AppIcon, size, false);
  HBITMAP colour = CanvasBitmap(canvas);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  ICONINFO info{TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(colour);
  DeleteObject(mask);
  return icon;
}

}  // namespace quelt::win
