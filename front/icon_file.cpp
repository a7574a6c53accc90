#include "front/icon_file.h"

#include <algorithm>

#include "front/pictures.h"

namespace quelt::front {
namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// One icon image: a bottom-up 32-bit DIB with straight alpha and an empty mask.
std::vector<std::uint8_t> Image(int size) {
  const Canvas canvas = DrawPicture(Picture::AppIcon, size, false);
  std::vector<std::uint8_t> out;
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(size));
  Put32(out, static_cast<std::uint32_t>(size * 2));
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  for (int y = size - 1; y >= 0; --y) {
    for (int x = 0; x < size; ++x) {
      const std::uint32_t p = canvas.At(x, y);
      const unsigned a = p >> 24;
      auto straight = [a](unsigned c) {
        return a == 0 ? 0u : std::min(255u, (c * 255 + a / 2) / a);
      };
      out.push_back(static_cast<std::uint8_t>(straight(p & 0xFF)));
      out.push_back(static_cast<std::uint8_t>(straight((p >> 8) & 0xFF)));
      out.push_back(static_cast<std::uint8_t>(straight((p >> 16) & 0xFF)));
      out.push_back(static_cast<std::uint8_t>(a));
    }
  }
  const int maskRow = ((size + 31) / 32) * 4;
  out.insert(out.end(), static_cast<std::size_t>(maskRow * size), 0);
  return out;
}

}  // namespace

std::vector<std::uint8_t> AppIconFile(const std::vector<int>& sizes) {
  std::vector<std::vector<std::uint8_t>> images;
  for (int s : sizes) images.push_back(Image(s));
  std::vector<std::uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(images.size()));
  auto offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    // 256 is written as 0.
    out.push_back(static_cast<std::uint8_t>(sizes[i] >= 256 ? 0 : sizes[i]));
    out.push_back(static_cast<std::uint8_t>(sizes[i] >= 256 ? 0 : sizes[i]));
    out.push_back(0);
    out.push_back(0);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, static_cast<std::uint32_t>(images[i].size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
  return out;
}

}  // namespace quelt::front
