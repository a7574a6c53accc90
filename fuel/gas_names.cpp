#include "fuel/gas_names.h"

#include <array>

namespace quelt {

namespace {

struct Range {
  std::int32_t from, to;
  std::int32_t languageIndex;
};

// Type codes by language. Codes not listed (0, 18, 37, 38, 43..100, 145 and
// above, negatives) keep the language of the last recognised code.
// One language a group of lines.
// clang-format off
constexpr Range kTypeRanges[] = {
    {39, 39, 1}, {129, 129, 1}, {133, 133, 1},
    {1, 6, 2}, {20, 20, 2}, {23, 23, 2}, {25, 28, 2}, {31, 31, 2}, {101, 102, 2},
    {104, 107, 2}, {109, 114, 2}, {117, 117, 2}, {119, 119, 2}, {125, 125, 2},
    {127, 127, 2}, {136, 136, 2}, {140, 140, 2},
    {7, 7, 3}, {115, 116, 3}, {118, 118, 3}, {134, 134, 3}, {139, 139, 3}, {143, 144, 3},
    {19, 19, 4}, {35, 35, 4}, {42, 42, 4}, {108, 108, 4}, {122, 123, 4}, {126, 126, 4},
    {135, 135, 4}, {137, 137, 4}, {141, 141, 4},
    {10, 12, 5}, {16, 16, 5}, {24, 24, 5}, {29, 29, 5}, {32, 32, 5}, {34, 34, 5},
    {103, 103, 5}, {121, 121, 5}, {130, 130, 5}, {142, 142, 5},
    {30, 30, 6},
    {40, 40, 7},
    {21, 21, 8}, {36, 36, 8},
    {8, 9, 9}, {13, 15, 9}, {17, 17, 9}, {22, 22, 9}, {33, 33, 9}, {41, 41, 9},
    {120, 120, 9}, {124, 124, 9}, {128, 128, 9}, {131, 132, 9}, {138, 138, 9},
};
// clang-format on

constexpr std::array<const char*, 9> kLanguageCodes = {"CZ", "DE", "EN", "FN", "IT",
                                                       "KR", "PL", "RU", "SP"};

// "í" is byte 0xED in Windows-1252.
constexpr std::array<const char*, 9> kLNames = {
    "Zemn\xED plyn L", "Erdgas L",     "Natural gas L", "Maakaasu L",   "METANO L",
    "Prirodni plin L", "Gaz ziemny L", "Gaz natural L", "Gas natural L"};
constexpr std::array<const char*, 9> kHNames = {
    "Zemn\xED plyn H", "Erdgas H",     "Natural gas H", "Maakaasu H",   "METANO H",
    "Prirodni plin H", "Gaz ziemny H", "Gaz natural H", "Gas natural H"};

// Czech analysers keep natural gas L under fuel ID 50, all others under 2.
constexpr std::int32_t kCzechLGasId = 50;
constexpr std::int32_t kLGasId = 2;

}  // namespace

std::optional<GasLanguage> LanguageOfType(std::int32_t typeCode) {
  for (const Range& r : kTypeRanges) {
    if (typeCode >= r.from && typeCode <= r.to) {
      return GasLanguage{r.languageIndex,
                         kLanguageCodes[static_cast<std::size_t>(r.languageIndex - 1)],
                         r.languageIndex == 1 ? kCzechLGasId : kLGasId};
    }
  }
  return std::nullopt;
}

const char* NaturalGasLName(std::int32_t languageIndex) {
  if (languageIndex < 1 || languageIndex > 9) return nullptr;
  return kLNames[static_cast<std::size_t>(languageIndex - 1)];
}

const char* NaturalGasHName(std::int32_t languageIndex) {
  if (languageIndex < 1 || languageIndex > 9) return nullptr;
  return kHNames[static_cast<std::size_t>(languageIndex - 1)];
}

}  // namespace quelt
