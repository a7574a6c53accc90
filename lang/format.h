// Texts with numbered places for values: Format(Tr("Row {1} of {2}"), 3, 17).
// A translation may put the places in any order and use one more than once.
// A place without a value stays as it is written, so a fault shows instead
// of losing text.
#pragma once

#include <array>
#include <concepts>
#include <set>
#include <span>
#include <string>
#include <string_view>

namespace quelt::lang {

std::string FormatList(std::string_view pattern, std::span<const std::string> values);

inline std::string FormatValue(std::string_view text) { return std::string(text); }
template <std::integral I>
requires(!std::same_as<I, char> && !std::same_as<I, bool>) std::string FormatValue(I number) {
  return std::to_string(number);
}

template <class... Values>
std::string Format(std::string_view pattern, const Values&... values) {
  const std::array<std::string, sizeof...(Values)> list{FormatValue(values)...};
  return FormatList(pattern, list);
}

// The numbers of the places in `pattern`: {1} and {2} give 1 and 2.
std::set<int> Placeholders(std::string_view pattern);

}  // namespace quelt::lang
