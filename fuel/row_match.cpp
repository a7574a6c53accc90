#include "fuel/row_match.h"

#include <algorithm>
#include <string>

namespace quelt {
namespace {

// The row as a send writes it, with the place left out.
std::string Key(const FuelRow& row) { return WriteFuelRowText(row, 0); }

std::string_view FieldOf(std::string_view text, int index) {
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) {
    const std::size_t semi = text.find(';', start);
    if (semi == std::string_view::npos) return {};
    start = semi + 1;
  }
  const std::size_t end = text.find(';', start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace

int RowMatch::Changing() const {
  return removed + static_cast<int>(std::count_if(kind.begin(), kind.end(),
                                                  [](Kind k) { return k != Kind::Same; }));
}

bool FieldDiffers(const FuelRow& before, const FuelRow& now, FuelField field) {
  if (field == FuelField::N) return false;
  const int index = static_cast<int>(field);
  return FieldOf(Key(before), index) != FieldOf(Key(now), index);
}

bool CellDiffers(const RowMatch& match, const std::vector<FuelRow>& stored, const FuelRow& now,
                 std::size_t row, FuelField field) {
  switch (match.kind[row]) {
    case RowMatch::Kind::Same:
      return false;
    case RowMatch::Kind::Added:
      return field != FuelField::N;
    case RowMatch::Kind::Moved:
      return field == FuelField::N;
    case RowMatch::Kind::Changed:
      return FieldDiffers(stored[static_cast<std::size_t>(match.storedRow[row])], now, field);
  }
  return false;
}

RowMatch MatchRows(const std::vector<FuelRow>& stored, const std::vector<FuelRow>& table,
                   int moving) {
  const std::size_t n = stored.size(), m = table.size();
  std::vector<std::string> s(n), t(m);
  std::transform(stored.begin(), stored.end(), s.begin(), Key);
  std::transform(table.begin(), table.end(), t.begin(), Key);
  // The row acted on stays out of the order at first; it joins it below
  // when it stands where it stood.
  const bool hint = moving >= 0 && static_cast<std::size_t>(moving) < m;
  std::string movingKey;
  if (hint) std::swap(movingKey, t[static_cast<std::size_t>(moving)]);
  if (hint) t[static_cast<std::size_t>(moving)] = std::string(1, '\0');

  RowMatch match;
  match.kind.assign(m, RowMatch::Kind::Added);
  match.storedRow.assign(m, -1);
  std::vector<bool> taken(n, false);
  auto pair = [&](std::size_t j, std::size_t i, RowMatch::Kind kind) {
    match.kind[j] = kind;
    match.storedRow[j] = static_cast<int>(i);
    taken[i] = true;
  };

  // The longest run of unchanged rows in the stored order stays where it is.
  std::vector<std::vector<int>> lcs(n + 1, std::vector<int>(m + 1, 0));
  for (std::size_t i = n; i-- > 0;) {
    for (std::size_t j = m; j-- > 0;) {
      lcs[i][j] = s[i] == t[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    }
  }
  for (std::size_t i = 0, j = 0; i < n && j < m;) {
    if (s[i] == t[j]) {
      pair(j++, i++, RowMatch::Kind::Same);
    } else if (lcs[i + 1][j] >= lcs[i][j + 1]) {
      ++i;
    } else {
      ++j;
    }
  }
  if (hint) {
    const auto j = static_cast<std::size_t>(moving);
    t[j] = std::move(movingKey);
    // The stored rows of the ordered neighbours above and below it.
    int above = -1, below = static_cast<int>(n);
    for (std::size_t k = 0; k < m; ++k) {
      if (match.kind[k] != RowMatch::Kind::Same) continue;
      if (k < j) above = std::max(above, match.storedRow[k]);
      if (k > j) below = std::min(below, match.storedRow[k]);
    }
    for (int i = above + 1; i < below; ++i) {
      if (!taken[static_cast<std::size_t>(i)] && s[static_cast<std::size_t>(i)] == t[j]) {
        pair(j, static_cast<std::size_t>(i), RowMatch::Kind::Same);
        break;
      }
    }
  }
  // Unchanged rows elsewhere moved; then rows of the same fuel ID changed.
  for (std::size_t j = 0; j < m; ++j) {
    if (match.storedRow[j] >= 0) continue;
    for (std::size_t i = 0; i < n; ++i) {
      if (!taken[i] && s[i] == t[j]) {
        pair(j, i, RowMatch::Kind::Moved);
        break;
      }
    }
  }
  for (std::size_t j = 0; j < m; ++j) {
    if (match.storedRow[j] >= 0) continue;
    // The stored row at the same place first, then the first of the same ID.
    if (j < n && !taken[j] && stored[j].ID == table[j].ID) {
      pair(j, j, RowMatch::Kind::Changed);
      continue;
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (!taken[i] && stored[i].ID == table[j].ID) {
        pair(j, i, RowMatch::Kind::Changed);
        break;
      }
    }
  }
  match.removed = static_cast<int>(std::count(taken.begin(), taken.end(), false));
  return match;
}

}  // namespace quelt
