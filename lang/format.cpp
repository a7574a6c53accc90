#include "lang/format.h"

namespace quelt::lang {
namespace {

// The number of a place "{N}" (N from 1 to 99) starting at `at`, and its
// length; 0 when there is none.
int PlaceAt(std::string_view s, std::size_t at, std::size_t* length) {
  if (s[at] != '{') return 0;
  std::size_t i = at + 1;
  int number = 0;
  while (i < s.size() && i - at <= 2 && s[i] >= '0' && s[i] <= '9') {
    number = number * 10 + (s[i] - '0');
    ++i;
  }
  if (i == at + 1 || i >= s.size() || s[i] != '}' || number == 0) return 0;
  *length = i + 1 - at;
  return number;
}

}  // namespace

std::string FormatList(std::string_view pattern, std::span<const std::string> values) {
  std::string out;
  out.reserve(pattern.size() + 16 * values.size());
  for (std::size_t i = 0; i < pattern.size();) {
    std::size_t length = 0;
    const int number = PlaceAt(pattern, i, &length);
    if (number > 0 && static_cast<std::size_t>(number) <= values.size()) {
      out += values[static_cast<std::size_t>(number) - 1];
      i += length;
    } else {
      out += pattern[i++];
    }
  }
  return out;
}

std::set<int> Placeholders(std::string_view pattern) {
  std::set<int> numbers;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    std::size_t length = 0;
    if (const int number = PlaceAt(pattern, i, &length)) numbers.insert(number);
  }
  return numbers;
}

}  // namespace quelt::lang
