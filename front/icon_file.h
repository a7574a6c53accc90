// The program's icon file (.ico) for Windows' Explorer: the flame of the
// shared pictures at each size, drawn by front's rasteriser.
#pragma once

#include <cstdint>
#include <vector>

namespace quelt::front {

// The file's bytes: one 32-bit image with straight alpha a size, in order.
std::vector<std::uint8_t> AppIconFile(const std::vector<int>& sizes);

}  // namespace quelt::front
