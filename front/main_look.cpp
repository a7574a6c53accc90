#include "front/main_look.h"

#include "front/change_mark.h"
#include "front/texts.h"
#include "fuel/fuel_ops.h"
#include "fuel/gas_names.h"
#include "fuel/status_text.h"
#include "lang/tr.h"

namespace quelt::front {
namespace {

// The mark a row of this ID and N gets: the legend shows the real colours.
RowMark MarkFor(int id, int n) {
  FuelRow row;
  row.ID = id;
  row.N = static_cast<std::int16_t>(n);
  return *MarkOf(row);
}

}  // namespace

const std::array<ButtonPicture, 7>& ButtonPictures() {
  using M = MainControl;
  static constexpr std::array<ButtonPicture, 7> kPictures = {{
      {M::RefreshButton, Picture::Refresh, kBigPicture, true},
      {M::SendButton, Picture::Send, kBigPicture, true},
      {M::ExitButton, Picture::Exit, kExitPicture, true},
      {M::MoveUpButton, Picture::Up, kSmallPicture, false},
      {M::MoveDownButton, Picture::Down, kSmallPicture, false},
      {M::OpenButton, Picture::Open, kSmallPicture, false},
      {M::SaveButton, Picture::Save, kSmallPicture, false},
  }};
  return kPictures;
}

const ButtonPicture* PictureOf(MainControl button) {
  for (const ButtonPicture& p : ButtonPictures()) {
    if (p.button == button) return &p;
  }
  return nullptr;
}

CaptionPlaces PlaceCaption(int w, int h, int pictureSize, int textHeight) {
  const int gap = textHeight / 3;
  const int top = (h - pictureSize - gap - textHeight) / 2;
  const Rect picture{(w - pictureSize) / 2, top, pictureSize, pictureSize};
  return {picture, {0, picture.Bottom() + gap, w, textHeight}};
}

const std::array<LegendEntry, 3>& LegendEntries() {
  static const std::array<LegendEntry, 3> kEntries = {{
      {kLegendSampleNaturalGasH, kLegendNaturalGasH, MarkFor(kNaturalGasHId, 1), false},
      {kLegendSampleUnused, kLegendUnused, MarkFor(0, kMaxRowsUsed + 1), false},
      {kLegendSampleChanged, kLegendChanged, {{}, kChangedText}, true},
  }};
  return kEntries;
}

std::string LegendText() {
  std::string legend;
  for (const LegendEntry& e : LegendEntries()) {
    if (!legend.empty()) legend += "    ";
    legend += e.sample;
    legend += ' ';
    legend += lang::Tr(e.meaning);
  }
  return legend;
}

CellLook LookOf(const FuelRow& row, bool changed) {
  const bool bold = changed && kChangedBold;
  if (const auto mark = MarkOf(row)) return {mark->background, mark->text, bold};
  if (changed) return {std::nullopt, kChangedText, bold};
  return {std::nullopt, std::nullopt, bold};
}

}  // namespace quelt::front
