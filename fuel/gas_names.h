// The analyser's type codes, the language of the natural gas names they
// select, and the built-in natural gas H row.
#pragma once

#include <cstdint>
#include <optional>

namespace quelt {

struct GasLanguage {
  std::int32_t languageIndex;  // 1..9
  const char* code;            // "CZ", "DE", ...
  std::int32_t lGasFuelId;     // fuel ID of the row named natural gas L
};

// The language of a type code; nullopt for codes outside the table.
std::optional<GasLanguage> LanguageOfType(std::int32_t typeCode);

// Names by LanguageIndex 1..9 (Windows-1252); nullptr outside that range.
const char* NaturalGasLName(std::int32_t languageIndex);
const char* NaturalGasHName(std::int32_t languageIndex);

inline constexpr std::int32_t kNaturalGasHId = 16;
inline constexpr const char* kDefaultHGasRow =
    "4;16;Erdgas H;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0";

}  // namespace quelt
