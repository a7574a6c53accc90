// The rules both windows share: the log's colouring, the grid's marks, the
// editor's filters and messages, the main window's docking.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "front/field_rules.h"
#include "front/fitting.h"
#include "front/grid_mark.h"
#include "front/icon_file.h"
#include "front/layout.h"
#include "front/log_style.h"
#include "front/pictures.h"
#include "front/setting_place.h"
#include "text/text_helpers.h"

namespace quelt::front {
namespace {

struct Styled {
  std::size_t start, length;
  bool fixed;
  bool coloured;
  Rgb colour;
};

TEST(LogStyle, KeywordsAndBracketSpans) {
  struct Case {
    std::u16string line;
    std::vector<Styled> spans;
  } cases[] = {
      {u"Found      :QUELT 300", {{0, 5, false, false, {}}}},
      // Keywords in any case of A-Z, also inside words; "Types" bolds four letters.
      {u"Types", {{0, 4, false, false, {}}}},
      {u"Brokers", {{2, 2, false, true, kDarkGreen}}},
      {u"nicht ok", {{6, 2, false, true, kDarkGreen}, {0, 5, false, true, kRed}}},
      {u"Serial No. :0815", {{0, 6, false, false, {}}, {7, 3, false, false, {}}}},
      // Umlauts do not fold: no keyword.
      {u"\u00d6k", {}},
      // Spans come after keywords so that they win: "[ ... OK ]" is one green span.
      {u"[ OK ]", {{2, 2, false, true, kDarkGreen}, {0, 6, true, true, kDarkGreen}}},
      {u"a {b} \\c\\ [d",
       {{2, 3, true, true, kRed}, {6, 3, true, true, kMagenta}, {10, 2, true, true, kDarkGreen}}},
      // A path's backslashes are no brackets, also beside a span.
      {u"Saved 3 rows to C:\\Users\\m\\t.txt", {}},
      {u"Backup: C:\\b\\x.txt \\ok\\",
       {{20, 2, false, true, kDarkGreen}, {19, 4, true, true, kMagenta}}},
      // The identity labels only where a line starts with them, never in a sentence.
      {u"  Version    :1.07", {{2, 7, false, false, {}}}},
      {u"No analyser found on COM7", {}},
      {u"Type 20, version 1.07, serial no. 4711", {{0, 4, false, false, {}}}},
      {u"Serial number unknown: no. 5", {{0, 6, false, false, {}}}},
      // A bracket left open ends with its line: the next line is its own.
      {u"x {start", {{2, 6, true, true, kRed}}},
      {u"end} y", {}},
  };
  for (const Case& c : cases) {
    const auto spans = StyleLogLine(c.line);
    ASSERT_EQ(spans.size(), c.spans.size()) << std::string(c.line.begin(), c.line.end());
    for (std::size_t i = 0; i < spans.size(); ++i) {
      EXPECT_EQ(spans[i].start, c.spans[i].start);
      EXPECT_EQ(spans[i].length, c.spans[i].length);
      EXPECT_TRUE(spans[i].style.bold);
      EXPECT_EQ(spans[i].style.alternateFont, c.spans[i].fixed);
      EXPECT_EQ(spans[i].style.coloured, c.spans[i].coloured);
      if (c.spans[i].coloured) {
        EXPECT_EQ(spans[i].style.colour, c.spans[i].colour);
      }
    }
  }
}

// The status line gives way part by part, the least important first; the
// serial number and the count of changes are never shortened. A character
// is one unit wide: each case's room is exactly its text.
TEST(StatusFitting, PortAndRowsGiveWayBeforeTheSerialAndTheChanges) {
  const StatusLine line = StatusLineOf(
      "Port: /dev/ttyUSB0   Serial 08154711, type 20   17 rows, 15 used", "2 rows changed");
  const std::vector<StatusPartKind> kinds = {StatusPartKind::Port, StatusPartKind::Identity,
                                             StatusPartKind::Rows, StatusPartKind::Changes};
  ASSERT_EQ(line.parts.size(), kinds.size());
  for (std::size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(line.parts[i].kind, kinds[i]);
  const std::string whole =
      "Port: /dev/ttyUSB0   Serial 08154711, type 20   17 rows, 15 used   2 rows changed";
  EXPECT_EQ(line.Text(), whole);
  const std::string steps[] = {
      whole,
      "/dev/ttyUSB0   Serial 08154711, type 20   17 rows, 15 used   2 rows changed",
      "/dev/ttyUSB0   Serial 08154711, type 20   17 rows   2 rows changed",
      "Serial 08154711, type 20   17 rows   2 rows changed",
      "Serial 08154711, type 20   2 rows changed",
      "Serial 08154711   2 rows changed",
  };
  auto width = [](const std::string& t) { return static_cast<int>(t.size()); };
  for (const std::string& step : steps) {
    EXPECT_EQ(FitStatusLine(line, static_cast<int>(step.size()), width), step);
  }
  EXPECT_EQ(FitStatusLine(line, 5, width), steps[5]);  // the window elides the rest
  // Before the analyser is known: the port and the rows only.
  const StatusLine early = StatusLineOf("Port: looked for on Refresh   0 rows, 0 used", "");
  ASSERT_EQ(early.parts.size(), 2u);
  EXPECT_EQ(FitStatusLine(early, 20, width), "0 rows");
}

TEST(GridMark, RedWinsOverPurple) {
  auto row = [](int n, int id) {
    FuelRow r;
    r.N = static_cast<std::int16_t>(n);
    r.ID = id;
    return r;
  };
  const RowMark purple{{128, 0, 128}, {255, 255, 255}};
  const RowMark red{{255, 0, 0}, {255, 255, 255}};
  EXPECT_EQ(MarkOf(row(4, 16)), purple);
  EXPECT_EQ(MarkOf(row(15, 16)), purple);
  EXPECT_EQ(MarkOf(row(16, 16)), red);
  EXPECT_EQ(MarkOf(row(16, 3)), red);
  EXPECT_EQ(MarkOf(row(15, 3)), std::nullopt);
}

TEST(FieldRules, FiltersFollowTheFieldAndTheSeparator) {
  struct Case {
    FuelField field;
    char32_t c;
    char32_t separator;
    bool accepted;
  } cases[] = {
      {FuelField::Soot, U'7', U',', true},
      {FuelField::Soot, U'-', U',', true},
      {FuelField::Soot, U'e', U',', false},
      {FuelField::Soot, U',', U',', false},
      {FuelField::Co2Max, U'e', U',', true},
      {FuelField::Co2Max, U',', U',', true},
      {FuelField::Co2Max, U'.', U',', true},  // either mark, whatever the workstation uses
      {FuelField::Co2Max, U',', U'.', true},
      {FuelField::Co2Max, U'.', U'.', true},
      {FuelField::Co2Max, U'x', U'.', false},
      {FuelField::Description, U';', U'.', false},
      {FuelField::Description, U'\r', U'.', false},
      {FuelField::Description, U'\u00e4', U'.', true},
      {FuelField::Description, U'\u20ac', U'.', true},  // in Windows-1252
      {FuelField::Description, U'\u0160', U'.', true},
      {FuelField::Description, U'\u4e00', U'.', false},  // not in Windows-1252
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EditorAcceptsChar(c.field, c.c, c.separator), c.accepted)
        << static_cast<int>(c.field) << " " << static_cast<std::uint32_t>(c.c);
  }
  EXPECT_EQ(EditorRefusedChar(FuelField::Description, "Zemn\xc3\xad plyn", U','), std::nullopt);
  EXPECT_EQ(EditorRefusedChar(FuelField::Description, "a;b", U','), U';');
  EXPECT_EQ(EditorRefusedChar(FuelField::Description, "\xff", U','), U'?');  // not UTF-8
}

TEST(FieldRules, ReadingAnEditorsText) {
  using K = FieldInput::Kind;
  struct Case {
    FuelField field;
    const char* text;
    char32_t separator;
    K kind;
    const char* error;
  } cases[] = {
      {FuelField::Co2Max, "12,5", U',', K::Decimal, ""},
      {FuelField::Co2Max, "1e1", U',', K::Decimal, ""},
      {FuelField::Co2Max, "", U',', K::Null, ""},
      {FuelField::Co2Max, "12.5", U',', K::Decimal, ""},
      {FuelField::Co2Max, "12,5", U'.', K::Decimal, ""},
      {FuelField::Co2Max, "1.2,5", U',', K::Invalid,
       "'1.2,5' ist kein g\u00fcltiger Flie\u00dfkommawert f\u00fcr Feld 'Co2Max'"},
      {FuelField::RefO2, "+-", U'.', K::Invalid,
       "'+-' ist kein g\u00fcltiger Flie\u00dfkommawert f\u00fcr Feld 'O2-Bezug'"},
      {FuelField::Soot, "-32768", U',', K::Integer, ""},
      {FuelField::Soot, "1e3", U',', K::Invalid,
       "'1e3' ist kein g\u00fcltiger Integerwert f\u00fcr Feld 'Spezial'"},
      {FuelField::Soot, "99999999999", U',', K::Invalid,
       "'99999999999' ist kein g\u00fcltiger Integerwert f\u00fcr Feld 'Spezial'"},
      {FuelField::Soot, "32768", U',', K::Invalid,
       "32768 ist kein g\u00fcltiger Wert f\u00fcr das Feld 'Spezial'. Der zul\u00e4ssige "
       "Bereich ist -32768 bis 32767"},
      {FuelField::Soot, "-2147483648", U'.', K::Invalid,
       "-2.14748e+09 ist kein g\u00fcltiger Wert f\u00fcr das Feld 'Spezial'. Der "
       "zul\u00e4ssige Bereich ist -32768 bis 32767"},
      {FuelField::Soot, "5-", U'.', K::Invalid,
       "'5-' ist kein g\u00fcltiger Integerwert f\u00fcr Feld 'Spezial'"},
      {FuelField::Co2Max, "1e", U'.', K::Invalid,
       "'1e' ist kein g\u00fcltiger Flie\u00dfkommawert f\u00fcr Feld 'Co2Max'"},
      {FuelField::RefO2, "+", U'.', K::Invalid,
       "'+' ist kein g\u00fcltiger Flie\u00dfkommawert f\u00fcr Feld 'O2-Bezug'"},
      {FuelField::HU, "1.2.3", U'.', K::Invalid,
       "'1.2.3' ist kein g\u00fcltiger Flie\u00dfkommawert f\u00fcr Feld 'HU'"},
      // The wire text of so large a value would be cut: the analyser would
      // store a number many times smaller.
      {FuelField::Vaf, "1E30", U'.', K::Invalid,
       "'1E30' ist kein g\u00fcltiger Flie\u00dfkommawert f\u00fcr Feld 'Vaf'"},
      {FuelField::Description, "Gr\xc3\xbcn", U',', K::Text, ""},
      // The lenient forms a user types.
      {FuelField::A2, "+2.5", U'.', K::Decimal, ""},
      {FuelField::A2, ".5", U'.', K::Decimal, ""},
      {FuelField::A2, "5.", U'.', K::Decimal, ""},
      {FuelField::Vatr, "-25e-1", U'.', K::Decimal, ""},
      {FuelField::Soot, "+32767", U',', K::Integer, ""},
  };
  for (const Case& c : cases) {
    const FieldInput in = ReadFieldText(c.field, c.text, c.separator);
    EXPECT_EQ(in.kind, c.kind) << c.text;
    EXPECT_EQ(in.error, c.error) << c.text;
  }
  EXPECT_DOUBLE_EQ(ReadFieldText(FuelField::Co2Max, "12,5", U',').decimal, 12.5);
  EXPECT_DOUBLE_EQ(ReadFieldText(FuelField::Co2Max, "12,5", U'.').decimal, 12.5);
  EXPECT_EQ(ReadFieldText(FuelField::Description, "Gr\xc3\xbcn", U',').text, "Gr\xfcn");

  FuelRow row;
  row.SetDecimal(FuelField::B, 0.0085);
  EXPECT_EQ(FieldDisplayText(row, FuelField::B, U','), "0,009");  // as the wire carries it
  EXPECT_EQ(FieldDisplayText(row, FuelField::B, U'.'), "0.009");
  row.SetNull(FuelField::HU);
  EXPECT_EQ(FieldDisplayText(row, FuelField::HU, U'.'), "0.00");  // sent as 0, shown as 0
  row.SetNull(FuelField::Description);
  EXPECT_EQ(FieldDisplayText(row, FuelField::Description, U'.'), "");
}

TEST(MainLayout, TheGridTakesWhatTheFixedPartsLeave) {
  const MainLayout at96 = LayoutMain(kMainClientWidth, kMainClientHeight, 96);
  EXPECT_EQ(at96.Of(MainControl::Log), (Rect{109, 0, 604, kDefaultLogHeight}));
  EXPECT_EQ(at96.splitBar, (Rect{109, 110, 604, 5}));
  EXPECT_EQ(at96.Of(MainControl::Grid), (Rect{109, 145, 604, 545}));
  EXPECT_EQ(at96.Of(MainControl::Legend), (Rect{109, 690, 604, 18}));
  EXPECT_EQ(at96.Of(MainControl::StatusBar), (Rect{109, 708, 604, 20}));
  EXPECT_EQ(at96.Of(MainControl::StatusLine), (Rect{111, 710, 402, 16}));
  EXPECT_EQ(at96.Of(MainControl::BackupLine), (Rect{521, 710, 190, 16}));
  EXPECT_EQ(at96.Of(MainControl::SaveButton), (Rect{109 + 118, 115 + 4, 23, 22}));
  EXPECT_EQ(at96.Of(MainControl::Progress), (Rect{1, 210, 107, 14}));
  EXPECT_EQ(at96.Of(MainControl::ExitButton), (Rect{1, 728 - 76, 107, 75}));
  EXPECT_EQ(at96.Of(MainControl::MoveUpButton), (Rect{109 + 14, 115 + 4, 23, 22}));
  const MainLayout at192 = LayoutMain(1426, 1456, 192);
  EXPECT_EQ(at192.Of(MainControl::Grid), (Rect{218, 290, 1208, 1090}));
  // The split the user chose, within the least of the log and of the grid.
  EXPECT_EQ(LayoutMain(kMainClientWidth, kMainClientHeight, 96, 300).Of(MainControl::Log).h, 300);
  EXPECT_EQ(LayoutMain(kMainClientWidth, kMainClientHeight, 96, 1).Of(MainControl::Log).h,
            kMinLogHeight);
  EXPECT_EQ(LayoutMain(kMainClientWidth, kMainClientHeight, 96, 5000).Of(MainControl::Grid).h,
            kMinGridHeight);
  EXPECT_EQ(LogHeightAt96(301, 192), 151);
  EXPECT_EQ(at192.Of(MainControl::SendButton), (Rect{2, 152, 214, 150}));
  // Too small a window never gives a negative size.
  EXPECT_EQ(LayoutMain(50, 100, 96).Of(MainControl::Grid).w, 0);
  EXPECT_EQ(LayoutMain(50, 100, 96).Of(MainControl::Grid).h, 0);
}

// The legend in the lines it needs: as many entries on a line as fit, the
// legend a line high for each of them, the grid giving way.
TEST(MainLayout, TheLegendWrapsWhereItDoesNotFit) {
  struct Case {
    std::vector<int> entries;
    int room;
    std::vector<LegendPlace> places;
  };
  const Case cases[] = {
      {{100, 200, 80}, 400, {{0, 0}, {0, 110}, {0, 320}}},  // just fits, gaps of 10
      {{100, 200, 80}, 399, {{0, 0}, {0, 110}, {1, 0}}},
      {{300, 300, 80}, 250, {{0, 0}, {1, 0}, {2, 0}}},  // wider than the room: alone
      {{}, 100, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(PlaceLegend({c.entries, 10}, c.room), c.places) << c.room;
  const MainLayout one =
      LayoutMain(kMainClientWidth, kMainClientHeight, 96, kDefaultLogHeight, {{290, 290}, 16});
  const MainLayout two =
      LayoutMain(kMainClientWidth, kMainClientHeight, 96, kDefaultLogHeight, {{300, 290}, 16});
  EXPECT_EQ(one.Of(MainControl::Legend), (Rect{109, 690, 604, 18}));
  EXPECT_EQ(two.Of(MainControl::Legend), (Rect{109, 672, 604, 36}));
  EXPECT_EQ(two.Of(MainControl::Grid).h, one.Of(MainControl::Grid).h - 18);
}

// At every resolution the windows run at, in the design's client area, in
// the smallest one the window allows and in the one it gets on a 1280 x 900
// screen: each control inside the panel it lies in, and no two controls of
// one panel on top of each other.
TEST(MainLayout, EveryControlInsideItsPanelAndNoneOverlapping) {
  auto inside = [](const Rect& r, const Rect& outer) {
    return r.x >= outer.x && r.y >= outer.y && r.Right() <= outer.Right() &&
           r.Bottom() <= outer.Bottom();
  };
  auto overlap = [](const Rect& a, const Rect& b) {
    return a.w > 0 && a.h > 0 && b.w > 0 && b.h > 0 && a.x < b.Right() && b.x < a.Right() &&
           a.y < b.Bottom() && b.y < a.Bottom();
  };
  for (int dpi : {96, 120, 144, 192}) {
    const int frameW = ScaleForDpi(kMainOuterWidth - kMainClientWidth, dpi);
    const int frameH = ScaleForDpi(kMainOuterHeight - kMainClientHeight, dpi);
    const WindowFit fit = FitMainWindow(dpi, frameW, frameH, 1280, 900);
    EXPECT_LE(fit.w, 1280) << dpi << " dpi";
    EXPECT_LE(fit.h, 900) << dpi << " dpi";
    EXPECT_TRUE(fit.minW <= fit.w && fit.minH <= fit.h) << dpi << " dpi";
    const int smallW = fit.minW - frameW, smallH = fit.minH - frameH;
    for (auto [width, height] :
         {std::pair{ScaleForDpi(kMainClientWidth, dpi), ScaleForDpi(kMainClientHeight, dpi)},
          std::pair{ScaleForDpi(kMainMinClientWidth, dpi), ScaleForDpi(kMainMinClientHeight, dpi)},
          std::pair{smallW, smallH}}) {
      const MainLayout l = LayoutMain(width, height, dpi);
      for (const MainControlInfo& a : MainControls()) {
        const Rect& r = l.Of(a.id);
        const Rect outer = a.parent == a.id ? Rect{0, 0, width, height} : l.Of(a.parent);
        EXPECT_TRUE(inside(r, outer))
            << a.name << " at " << dpi << " dpi, " << width << "x" << height;
        EXPECT_GT(r.w * r.h, 0) << a.name << " at " << dpi << " dpi, " << width << "x" << height;
        for (const MainControlInfo& b : MainControls()) {
          if (&a < &b && a.parent == b.parent && a.id != a.parent && b.id != b.parent) {
            EXPECT_FALSE(overlap(r, l.Of(b.id))) << a.name << " and " << b.name << " at " << dpi
                                                 << " dpi, " << width << "x" << height;
          }
        }
      }
    }
  }
}

// Every picture at the sizes the screens ask for: drawn inside its canvas
// (ASan watches the writes), not empty, and grey all over when disabled.
TEST(Pictures, DrawnAtEveryScaleAndGreyedWhenDisabled) {
  const Picture all[] = {Picture::Refresh, Picture::Send,         Picture::Exit,   Picture::Up,
                         Picture::Down,    Picture::Open,         Picture::Save,   Picture::Ok,
                         Picture::Cancel,  Picture::RowIndicator, Picture::AppIcon};
  for (Picture p : all) {
    for (int size : {1, 12, 16, 18, 20, 24, 32, 48, 256}) {
      for (bool disabled : {false, true}) {
        const Canvas c = DrawPicture(p, size, disabled);
        ASSERT_EQ(c.Width(), size);
        int covered = 0;
        for (std::uint32_t px : c.Pixels()) {
          const unsigned a = px >> 24, r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
          EXPECT_LE(r, a);  // premultiplied
          if (a == 0) continue;
          ++covered;
          if (disabled && p != Picture::AppIcon) {
            EXPECT_LE(std::max({r, g, b}) - std::min({r, g, b}), 1u) << static_cast<int>(p);
          }
        }
        if (size >= 12) {
          EXPECT_GT(covered, size) << static_cast<int>(p) << " at " << size;
        }
      }
    }
  }
  const Canvas logo = DrawLogoFlame(2.0);
  EXPECT_EQ(logo.Width(), 200);
  EXPECT_EQ(logo.Height(), 78);
}

// A filled outline covers what lies inside it, whole or in part, and is cut
// at the canvas's edges: rows above and below it, and outlines reaching past
// any side, must neither lose nor gain coverage.
TEST(Raster, FillCoversTheInsideAndClipsAtTheEdges) {
  struct Case {
    const char* name;
    Contour outline;
    std::uint32_t expected[4][4];  // alpha of each pixel of a 4 x 4 canvas
  } cases[] = {
      {"inside",
       Polygon({{1, 1}, {3, 1}, {3, 3}, {1, 3}}),
       {{0, 0, 0, 0}, {0, 255, 255, 0}, {0, 255, 255, 0}, {0, 0, 0, 0}}},
      {"past every side",
       Polygon({{-5, -5}, {9, -5}, {9, 9}, {-5, 9}}),
       {{255, 255, 255, 255}, {255, 255, 255, 255}, {255, 255, 255, 255}, {255, 255, 255, 255}}},
      {"from above, to a row's middle",
       Polygon({{0, -3}, {2, -3}, {2, 1.5}, {0, 1.5}}),
       {{255, 255, 0, 0}, {128, 128, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
      {"half a pixel wide, below",
       Polygon({{2.5, 3}, {3, 3}, {3, 30}, {2.5, 30}}),
       {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 128, 0}}},
      {"wholly outside",
       Polygon({{0, 5}, {4, 5}, {4, 8}, {0, 8}}),
       {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
  };
  for (const Case& c : cases) {
    Canvas canvas(4, 4);
    canvas.Fill({c.outline}, Rgba{255, 255, 255, 255});
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(canvas.At(x, y) >> 24, c.expected[y][x]) << c.name << " at " << x << "," << y;
      }
    }
  }
}

// The icon file: its directory names every size (256 as 0) and each image
// lies where its entry says, one after the other up to the file's end.
TEST(IconFile, DirectoryNamesEachImageWhereItLies) {
  const std::vector<int> sizes = {16, 32, 256};
  const std::vector<std::uint8_t> file = AppIconFile(sizes);
  auto u16 = [&file](std::size_t at) {
    return static_cast<std::size_t>(file.at(at) | file.at(at + 1) << 8);
  };
  auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  ASSERT_EQ(u16(2), 1u);  // an icon
  ASSERT_EQ(u16(4), sizes.size());
  std::size_t next = 6 + 16 * sizes.size();
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const std::size_t entry = 6 + 16 * i;
    EXPECT_EQ(file.at(entry), sizes[i] % 256) << sizes[i];
    EXPECT_EQ(u32(entry + 12), next) << sizes[i];
    EXPECT_EQ(u32(next + 4), static_cast<std::size_t>(sizes[i])) << "the image's width";
    next += u32(entry + 8);
  }
  EXPECT_EQ(next, file.size());
}

// The registry holds the settings where QSettings would: groups as keys.
TEST(SettingPlace, GroupsBecomeKeys) {
  struct Case {
    const char* name;
    const char* key;
    const char* value;
  } cases[] = {
      {"port/device", "Software\\quelt-fuel\\quelt-fuel\\port", "device"},
      {"a/b/c", "Software\\quelt-fuel\\quelt-fuel\\a\\b", "c"},
      {"plain", "Software\\quelt-fuel\\quelt-fuel", "plain"},
  };
  for (const Case& c : cases) {
    const SettingPlace place = SettingPlaceOf(c.name);
    EXPECT_EQ(place.key, c.key) << c.name;
    EXPECT_EQ(place.value, c.value) << c.name;
  }
}

}  // namespace
}  // namespace quelt::front
