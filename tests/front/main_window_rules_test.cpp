// The main window's rules both windows follow: the buttons' pictures, a flat
// button's picture above its caption, the legend, a cell's look, the
// window's fit on its screen and the columns' widths.
#include <gtest/gtest.h>

#include <set>

#include "front/change_mark.h"
#include "front/fitting.h"
#include "front/main_look.h"
#include "front/texts.h"
#include "fuel/fuel_ops.h"
#include "fuel/gas_names.h"

namespace quelt::front {
namespace {

TEST(MainLook, EachPictureOnAButtonOfItsPanel) {
  std::set<MainControl> seen;
  for (const ButtonPicture& p : ButtonPictures()) {
    EXPECT_TRUE(seen.insert(p.button).second) << InfoOf(p.button).name;
    // The flat buttons are the left column's; the small ones the bar's.
    EXPECT_EQ(InfoOf(p.button).parent, p.flat ? MainControl::ButtonColumn : MainControl::ButtonBar)
        << InfoOf(p.button).name;
    EXPECT_EQ(PictureOf(p.button), &p);
  }
  EXPECT_EQ(PictureOf(MainControl::BackupsButton), nullptr);
  EXPECT_EQ(PictureOf(MainControl::Logo), nullptr);
}

TEST(MainLook, PictureAndCaptionCentredAsOneGroup) {
  struct Case {
    int w, h, picture, text;
    Rect pictureAt, captionAt;
  } cases[] = {
      // Refresh at 96 dpi: a third of the text's height between the two.
      {107, 75, 16, 15, {45, 19, 16, 16}, {0, 40, 107, 15}},
      // Exit has no caption: the picture alone in the middle.
      {107, 75, 24, 0, {41, 25, 24, 24}, {0, 49, 107, 0}},
      // At 192 dpi.
      {214, 150, 32, 30, {91, 39, 32, 32}, {0, 81, 214, 30}},
  };
  for (const Case& c : cases) {
    const CaptionPlaces places = PlaceCaption(c.w, c.h, c.picture, c.text);
    EXPECT_EQ(places.picture, c.pictureAt) << c.w << "x" << c.h << " " << c.text;
    EXPECT_EQ(places.caption, c.captionAt) << c.w << "x" << c.h << " " << c.text;
  }
}

TEST(MainLook, LegendShowsTheGridsOwnColours) {
  FuelRow gasH;
  gasH.ID = kNaturalGasHId;
  gasH.N = 1;
  FuelRow unused;
  unused.N = kMaxRowsUsed + 1;
  const auto& entries = LegendEntries();
  EXPECT_EQ(entries[0].mark, *MarkOf(gasH));
  EXPECT_EQ(entries[1].mark, *MarkOf(unused));
  EXPECT_TRUE(entries[2].changed);
  EXPECT_EQ(entries[2].mark.text, kChangedText);
  // Readers of the screen hear the samples in the order they are drawn.
  const std::string text = LegendText();
  EXPECT_LT(text.find(kLegendSampleNaturalGasH), text.find(kLegendSampleUnused)) << text;
  EXPECT_LT(text.find(kLegendSampleUnused), text.find(kLegendSampleChanged)) << text;
}

TEST(MainLook, MarkWinsOverTheChangeColourButNotOverBold) {
  auto row = [](int id, int n) {
    FuelRow r;
    r.ID = id;
    r.N = static_cast<std::int16_t>(n);
    return r;
  };
  const Rgb purple{128, 0, 128}, red{255, 0, 0}, white{255, 255, 255};
  struct Case {
    FuelRow row;
    bool changed;
    std::optional<Rgb> background, text;
    bool bold;
  } cases[] = {
      {row(3, 2), false, std::nullopt, std::nullopt, false},
      {row(3, 2), true, std::nullopt, kChangedText, true},
      {row(kNaturalGasHId, 2), false, purple, white, false},
      {row(kNaturalGasHId, 2), true, purple, white, true},
      {row(3, kMaxRowsUsed + 1), true, red, white, true},
  };
  for (const Case& c : cases) {
    const CellLook look = LookOf(c.row, c.changed);
    EXPECT_EQ(look.background, c.background) << c.row.ID << "/" << c.row.N << " " << c.changed;
    EXPECT_EQ(look.text, c.text) << c.row.ID << "/" << c.row.N << " " << c.changed;
    EXPECT_EQ(look.bold, c.bold) << c.row.ID << "/" << c.row.N << " " << c.changed;
  }
}

TEST(MainFit, ClientSizesWithTheFrameKnownOrNot) {
  struct Case {
    int dpi, frameW, frameH, areaW, areaH;
    WindowFit client;
  } cases[] = {
      // Framed: the design's outer size less the frame.
      {96, 18, 41, 1920, 1080, {713, 728, 520, 430}},
      // Not framed yet: the design's own frame.
      {96, 0, 0, 1920, 1080, {713, 728, 520, 430}},
      // A small screen: the area less the frame, the minimum within it.
      {96, 20, 40, 700, 400, {680, 360, 520, 360}},
      {192, 0, 0, 3840, 2160, {1426, 1456, 1040, 860}},
  };
  for (const Case& c : cases) {
    const WindowFit fit = FitMainClient(c.dpi, c.frameW, c.frameH, c.areaW, c.areaH);
    EXPECT_EQ(fit.w, c.client.w) << c.dpi << " " << c.frameW << " " << c.areaW;
    EXPECT_EQ(fit.h, c.client.h) << c.dpi << " " << c.frameW << " " << c.areaW;
    EXPECT_EQ(fit.minW, c.client.minW) << c.dpi << " " << c.frameW << " " << c.areaW;
    EXPECT_EQ(fit.minH, c.client.minH) << c.dpi << " " << c.frameW << " " << c.areaW;
  }
}

TEST(ColumnWidths, FitTheValuesButKeepWhatTheUserDragged) {
  ColumnWidths widths;
  widths.Reset({50, 80, 60});
  struct Step {
    std::size_t column;
    int needed, now, want;
    int room = 0;
  } steps[] = {
      {0, 30, 50, 50},                              // the design width is the least
      {0, 120, 50, 120},                            // a wide value widens the column
      {0, 30, 120, 50},                             // and narrows it again once it is gone
      {1, 10, 80, 80},         {1, 10, 200, 200},   // the user dragged it wider: it stays so
      {1, 10, 200, 200},       {1, 300, 200, 300},  // a value needs more
      {0, 30, 40, 50},          // dragged below the design width: the design wins
      {2, 10, 60, 400, 400},    // the room left is filled
      {2, 500, 400, 500, 400},  // unless a value needs more
      {2, 10, 500, 300, 300},   // it follows the room
      {2, 10, 250, 250, 600},   // until the user drags the column
  };
  for (const Step& s : steps) {
    EXPECT_EQ(widths.Fit(s.column, s.needed, s.now, s.room), s.want)
        << s.column << " " << s.needed << " " << s.now << " " << s.room;
  }
  // Another resolution forgets the dragged widths.
  widths.Reset({100, 160, 60});
  EXPECT_EQ(widths.Fit(1, 10, 200), 160);

  // All at once: the filler takes what the others leave of the room.
  widths.Reset({50, 80, 60});
  const auto all = widths.FitAll([](std::size_t c) { return c == 2 ? 90 : 10; },
                                 [](std::size_t) { return 0; }, 400, 1);
  EXPECT_EQ(all, (std::vector<int>{50, 260, 90}));
}

}  // namespace
}  // namespace quelt::front
