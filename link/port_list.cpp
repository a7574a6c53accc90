#include "link/port_list.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace quelt {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The digit run at `i` without its leading zeros; `i` moves past it.
std::string_view DigitRun(const std::string& s, std::size_t& i) {
  while (i < s.size() && s[i] == '0' && i + 1 < s.size() && IsDigit(s[i + 1])) ++i;
  const std::size_t start = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  return std::string_view(s).substr(start, i - start);
}

}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const std::string_view x = DigitRun(a, i);
      const std::string_view y = DigitRun(b, j);
      if (x.size() != y.size()) return x.size() < y.size();
      if (x != y) return x < y;
      continue;
    }
    const int x = std::tolower(static_cast<unsigned char>(a[i]));
    const int y = std::tolower(static_cast<unsigned char>(b[j]));
    if (x != y) return x < y;
    ++i;
    ++j;
  }
  if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
  return a < b;  // equal but for case or zeros: still a strict order
}

void SortPorts(std::vector<PortEntry>& ports) {
  std::stable_sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) {
    if (a.bridge != b.bridge) return a.bridge;
    return NaturalLess(a.port, b.port);
  });
}

}  // namespace quelt
