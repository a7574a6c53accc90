// NextField over any bytes: the fields put back together give the text, no
// field holds a ';', and the position only moves forward.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "text/text_helpers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto end = static_cast<std::int32_t>(size) + 1;
  std::int32_t pos = 1;
  std::string joined;
  bool first = true;
  while (pos <= end) {
    const std::int32_t before = pos;
    const std::string field = quelt::NextField(text, pos);
    if (field.find(';') != std::string::npos || pos <= before) std::abort();
    if (!first) joined += ';';
    joined += field;
    first = false;
  }
  if (joined != text) std::abort();

  // Any start position, also far off or negative.
  if (size >= 4) {
    std::int32_t start = 0;
    std::memcpy(&start, data, sizeof start);
    std::int32_t p = start;
    const std::string field = quelt::NextField(text, p);
    if (!field.empty() && text.find(field) == std::string_view::npos) std::abort();
  }
  return 0;
}
