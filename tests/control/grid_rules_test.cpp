// What both windows' grids follow without a window: the rows and the row
// indicator after each of the table's notifications, and which control of
// the layout shows each enabling the controller decides.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "control/enabling.h"
#include "control/grid_follower.h"
#include "control/keys.h"

namespace quelt::control {
namespace {

FuelTable TableOf(int rows) {
  FuelTable table;
  while (table.RecordCount() < rows) table.AppendRow(FuelRow{});
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
         t.Edit();
         t.SetDescription("x");
         t.Post();
       },
       false, false, 2, 2, 2, 3},
      // A row being appended is not shown before it is posted.
      {"append begins", [](FuelTable& t) { t.Append(); }, true, true, -1, 2, -1, 3},
      {"append posted", [](FuelTable& t) { t.Post(); }, true, true, -1, -1, 3, 4},
      {"a row deleted", [](FuelTable& t) { t.Delete(); }, true, true, -1, 3, 2, 3},
      {"emptied", [](FuelTable& t) { t.EmptyTable(); }, true, true, -1, 2, -1, 0},
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
  table.DisableControls();
  table.AppendRow(FuelRow{});
  const GridFollower::Step step = grid.Next(FuelTable::Change::RowValues);
  EXPECT_TRUE(step.reset);
  EXPECT_EQ(step.redraw, -1);
  EXPECT_EQ(grid.Rows(), 2);  // until taken
  grid.Take(step);
  EXPECT_EQ(grid.Rows(), 3);
  table.EnableControls();
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
