// What both windows' grids follow without a window: the rows and the row
// indicator after each of the table's notifications, what each cell shows,
// what a pick in the grid does, and which control of the layout shows each
// enabling the controller decides.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "control/enabling.h"
#include "control/grid_cells.h"
#include "control/grid_follower.h"
#include "control/keys.h"
#include "fuel/gas_names.h"
#include "link/clock_pump.h"
#include "tests/control/recording_face.h"
#include "tests/support/grid_rows.h"

namespace quelt::control {
namespace {

FuelTable TableOf(int rows) {
  FuelTable table;
  while (table.RowCount() < rows) table.AppendRow(FuelRow{});
  table.MoveTo(0);
  return table;
}

TEST(GridFollower, EachNotificationSaysWhatToDrawAnew) {
  FuelTable table = TableOf(3);
  GridFollower grid(table);
  std::vector<GridFollower::Step> steps;
  table.SetListener([&](FuelTable::Change change) {
    steps.push_back(grid.Next(change));
    grid.Take(steps.back());
  });
  EXPECT_EQ(grid.Rows(), 3);
  EXPECT_EQ(grid.Current(), 0);

  struct Case {
    const char* what;
    void (*act)(FuelTable&);
    bool reset, moved;
    int redraw, before, current, rows;
  } cases[] = {
      {"another row", [](FuelTable& t) { t.MoveTo(2); }, false, true, -1, 0, 2, 3},
      {"values of the current row",
       [](FuelTable& t) {
         t.BeginEdit();
         t.SetDescription("x");
         t.StoreEdit();
       },
       false, false, 2, 2, 2, 3},
      // A row being appended is not shown before it is posted.
      {"append begins", [](FuelTable& t) { t.BeginAppend(); }, true, true, -1, 2, -1, 3},
      {"append posted", [](FuelTable& t) { t.StoreEdit(); }, true, true, -1, -1, 3, 4},
      {"a row deleted", [](FuelTable& t) { t.DeleteCurrent(); }, true, true, -1, 3, 2, 3},
      {"emptied", [](FuelTable& t) { t.Clear(); }, true, true, -1, 2, -1, 0},
  };
  for (const Case& c : cases) {
    steps.clear();
    c.act(table);
    ASSERT_FALSE(steps.empty()) << c.what;
    const GridFollower::Step& s = steps.back();
    EXPECT_EQ(s.reset, c.reset) << c.what;
    EXPECT_EQ(s.Moved(), c.moved) << c.what;
    EXPECT_EQ(s.redraw, c.redraw) << c.what;
    EXPECT_EQ(s.before, c.before) << c.what;
    EXPECT_EQ(s.current, c.current) << c.what;
    EXPECT_EQ(grid.Rows(), c.rows) << c.what;
  }
}

TEST(GridFollower, ARowCountChangedUnderAnyNotificationRedrawsAll) {
  FuelTable table = TableOf(2);
  GridFollower grid(table);
  // Notifications held back while rows came: the next one, whatever it is,
  // finds more rows than the grid shows.
  table.HoldNotifications();
  table.AppendRow(FuelRow{});
  const GridFollower::Step step = grid.Next(FuelTable::Change::RowValues);
  EXPECT_TRUE(step.reset);
  EXPECT_EQ(step.redraw, -1);
  EXPECT_EQ(grid.Rows(), 2);  // until taken
  grid.Take(step);
  EXPECT_EQ(grid.Rows(), 3);
  table.ReleaseNotifications();
}

// A controller without an analyser: the grid's rules need only its table.
class Grid : public ::testing::Test {
 public:
  void Fill(const std::vector<FuelRow>& rows) { test::FillGrid(window.Table(), rows); }
  ClockPump pump;
  AnalyserLink link{pump};
  WindowController window{link};
};

TEST_F(Grid, CellsShowTheValuesWithTheWorkstationsSeparator) {
  FuelRow plain = test::GridRow(3, 16, "Erdgas H");
  plain.HU = 1234.5;                                 // no thousands separator
  FuelRow small = test::GridRow(1, 5, "Heiz\xF6l");  // Windows-1252 o-umlaut
  small.A2 = 0.004;                                  // two decimals: at least one integer digit
  small.B = -0.5;
  small.SetNull(FuelField::Vaf);  // a number without a value shows as the 0 that is sent
  FuelRow nameless = small;
  nameless.SetNull(FuelField::Description);
  Fill({plain, small, nameless});
  struct Case {
    int row;
    char32_t separator;
    std::vector<std::string> cells;
  } cases[] = {
      {0,
       U',',
       {"3", "16", "Erdgas H", "12,1", "0,60", "0,009", "3,0", "10,50", "9,40", "1234,50", "0"}},
      {0,
       U'.',
       {"3", "16", "Erdgas H", "12.1", "0.60", "0.009", "3.0", "10.50", "9.40", "1234.50", "0"}},
      {1,
       U',',
       {"1", "5", "Heiz\xC3\xB6l", "12,1", "0,00", "-0,500", "3,0", "10,50", "0,00", "31,68", "0"}},
      {2, U',', {"1", "5", "", "12,1", "0,00", "-0,500", "3,0", "10,50", "0,00", "31,68", "0"}},
      // Beyond the table: empty.
      {3, U',', std::vector<std::string>(kFuelFieldCount)},
  };
  for (const Case& c : cases) {
    const GridCells cells(window, c.separator);
    for (int column = 0; column < kFuelFieldCount; ++column) {
      EXPECT_EQ(cells.Text(c.row, column), c.cells[static_cast<std::size_t>(column)])
          << c.row << " " << column;
    }
    EXPECT_EQ(cells.Text(c.row, kFuelFieldCount), "") << c.row;
  }
}

TEST_F(Grid, AColumnNeedsItsTitleAndItsWidestCell) {
  FuelRow wide = test::GridRow(2, 12345, "Braunkohlebrikett Oberlausitz");
  wide.HU = 118.55;
  Fill({test::GridRow(1, 1, "a"), wide});
  const GridCells cells(window, U',');
  // One unit a character.
  auto width = [](const std::string& text, bool) { return static_cast<int>(text.size()); };
  struct Case {
    int column, needed;
  } cases[] = {
      {0, 1},   // "N"
      {1, 5},   // "12345"
      {2, 29},  // the long description
      {9, 6},   // "118,55"
      {11, 0},  // no such column
  };
  for (const Case& c : cases) EXPECT_EQ(cells.Needed(c.column, width), c.needed) << c.column;
}

TEST_F(Grid, MarkedRowsHaveTheirColoursAndANote) {
  Fill({test::GridRow(1, 1, "Heizoel"), test::GridRow(2, kNaturalGasHId, "Erdgas H"),
        test::GridRow(16, 3, "Propan"), test::GridRow(17, kNaturalGasHId, "Erdgas H")});
  const front::Rgb purple{128, 0, 128}, red{255, 0, 0}, white{255, 255, 255};
  struct Case {
    int row;
    std::optional<front::Rgb> background, text;
    const char* note;
  } cases[] = {
      {0, std::nullopt, std::nullopt, ""},
      {1, purple, white, "Row 2: natural gas H"},
      {2, red, white, "Row 3: beyond row 15: stored, not used by the analyser"},
      // Red hides the purple: the note says both.
      {3, red, white, "Row 4: beyond row 15: stored, not used by the analyser (natural gas H)"},
      {4, std::nullopt, std::nullopt, ""},  // beyond the table
  };
  const GridCells cells(window, U',');
  for (const Case& c : cases) {
    for (int column = -1; column < kFuelFieldCount; ++column) {
      const front::CellLook look = column < 0 ? cells.RowLook(c.row) : cells.Look(c.row, column);
      EXPECT_EQ(look.background, c.background) << c.row << " " << column;
      EXPECT_EQ(look.text, c.text) << c.row << " " << column;
      EXPECT_FALSE(look.bold) << c.row << " " << column;  // nothing reported: no change
    }
    EXPECT_EQ(cells.Note(c.row), c.note) << c.row;
  }
}

TEST_F(Grid, APickMovesTheCurrentRowOutsideATransfer) {
  Fill({test::GridRow(1, 1, "a"), test::GridRow(2, 2, "b"), test::GridRow(3, 3, "c")});
  GridCells cells(window, U',');
  struct Case {
    int row;
    bool taken;
    int current;
    bool edits;  // a double-click there opens the editor on the row
  } cases[] = {
      {2, true, 2, true},
      {0, true, 0, true},
      // Beside the rows (a right click on empty space): the current row stays.
      {-1, true, 0, false},
      {3, true, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cells.Pick(c.row), c.taken) << c.row;
    EXPECT_EQ(window.Table().CurrentIndex(), c.current) << c.row;
    EXPECT_EQ(cells.DoubleClicked(c.row),
              c.edits ? std::optional<Command>(Command::Edit) : std::nullopt)
        << c.row;
    EXPECT_EQ(window.Table().CurrentIndex(), c.current) << c.row;
  }

  // During a transfer (a Refresh that finds no analyser) the grid keeps the
  // row the transfer walks by.
  test::RecordingFace face;
  window.Attach(&face);
  face.answers = {Answer::Discard};
  std::vector<bool> taken;
  face.onLock = [&](bool on) {
    if (!on) return;
    const int current = window.Table().CurrentIndex();
    taken.push_back(cells.Pick(current == 0 ? 1 : 0));
    EXPECT_EQ(cells.DoubleClicked(current == 0 ? 1 : 0), std::nullopt);
    EXPECT_EQ(window.Table().CurrentIndex(), current);
  };
  link.SetPortOverride("no-such-port");
  window.Do(Command::Refresh);
  window.Attach(nullptr);
  EXPECT_EQ(taken, std::vector<bool>{false});
}

TEST(Enabling, EachEnablingShownByOneControlOrKeptByTheWindow) {
  std::set<front::MainControl> shown;
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    const auto at = MainControlOf(control);
    if (control == Control::EditMenu || control == Control::Port) {
      EXPECT_FALSE(at.has_value()) << i;
      continue;
    }
    ASSERT_TRUE(at.has_value()) << i;
    EXPECT_TRUE(shown.insert(*at).second) << i;
    // What is enabled is what the user clicks.
    EXPECT_TRUE(CommandForClick(*at).has_value()) << front::InfoOf(*at).name;
  }
  EXPECT_EQ(shown.size(), 7u);
}

}  // namespace
}  // namespace quelt::control
