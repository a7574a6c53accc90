// The grid's change mark, the same in both windows: a cell whose value
// differs from what the analyser last reported is drawn bold, after a "•",
// in dark blue where no row colour is painted. The bullet and the bold face
// say it without the colour, which some eyes and some screens lose.
#pragma once

#include <string>

#include "front/log_style.h"
#include "lang/tr.h"

namespace quelt::front {

inline constexpr const char* kChangedPrefix = "\u2022 ";  // "• "
inline constexpr Rgb kChangedText{0, 0, 160};
inline constexpr bool kChangedBold = true;

inline std::string ChangedCellText(const std::string& text) { return kChangedPrefix + text; }

// The legend's entry: the sample drawn as a changed cell, then its meaning.
inline constexpr const char* kLegendSampleChanged = "\u2022 12.5";
inline constexpr const char* kLegendChanged = lang::TrLater("not sent yet");

}  // namespace quelt::front
