// Moving rows: swaps at every place, renumbering, the moved row selected
// by its place (also with the odd N a file or an old table may hold), and
// values that travel whole.
#include <gtest/gtest.h>

#include "fuel/fuel_ops.h"
#include "link/clock_pump.h"
#include "tests/support/recording_view.h"

namespace quelt {
namespace {

class Moves : public ::testing::Test {
 protected:
  // Rows with IDs 1..count and N as given (default 1..count).
  void Fill(int count, std::vector<int> ns = {}) {
    table.Clear();
    for (int i = 0; i < count; ++i) {
      FuelRow r;
      r.ID = i + 1;
      r.N = static_cast<std::int16_t>(ns.empty() ? i + 1 : ns[static_cast<std::size_t>(i)]);
      r.Description = "Fuel " + std::to_string(i + 1);
      table.AppendRow(r);
    }
  }
  std::vector<int> Ids() const {
    std::vector<int> ids;
    for (const auto& r : table.Rows()) ids.push_back(r.ID);
    return ids;
  }

  ClockPump pump;
  AnalyserLink link{pump};
  FuelTable table;
  test::RecordingView view;
  FuelOperations ops{link, table, view};
};

TEST_F(Moves, SwapAtEveryPlaceAndKeepTheMovedRowSelected) {
  struct Case {
    int rows, at, step;
    std::vector<int> ids;
    int selected;
  };
  const Case cases[] = {
      {2, 0, +1, {2, 1}, 1},          {2, 1, -1, {2, 1}, 0},          {4, 2, +1, {1, 2, 4, 3}, 3},
      {4, 3, -1, {1, 2, 4, 3}, 2},    {4, 0, -1, {1, 2, 3, 4}, 0},    {4, 3, +1, {1, 2, 3, 4}, 3},
      {5, 1, +1, {1, 3, 2, 4, 5}, 2}, {5, 1, -1, {2, 1, 3, 4, 5}, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.rows << " rows, row " << k.at << " by " << k.step);
    Fill(k.rows);
    table.MoveTo(k.at);
    k.step > 0 ? ops.MoveDown() : ops.MoveUp();
    EXPECT_EQ(Ids(), k.ids);
    EXPECT_EQ(table.CurrentIndex(), k.selected);
    for (int i = 0; i < k.rows; ++i) EXPECT_EQ(table.Row(i).N, i + 1);
  }
}

TEST_F(Moves, EmptyTableAndBoundsDoNothingNotEvenRenumber) {
  ops.MoveDown();
  ops.MoveUp();
  EXPECT_TRUE(table.IsEmpty());

  Fill(3, {1, 7, 3});
  table.MoveTo(0);
  ops.MoveUp();
  EXPECT_EQ(table.Row(1).N, 7);
  table.MoveTo(2);
  ops.MoveDown();
  EXPECT_EQ(table.Row(1).N, 7);
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3}));
}

// Rows numbered oddly (a table from elsewhere, count + 1 in an edited row, a
// gap) move by their place: the moved row stays selected, N counts 1..n, so
// the next Ctrl+Up moves the same row again.
TEST_F(Moves, OddNumbersMoveByPlaceAndTheMovedRowStaysSelected) {
  struct Case {
    const char* what;
    std::vector<int> ns;
    int at, step;
    std::vector<int> ids;
    int selected;
  };
  const Case cases[] = {
      {"an edited last row numbered count + 1", {1, 2, 3, 5}, 3, -1, {1, 2, 4, 3}, 2},
      {"an edited first row numbered count + 1", {4, 2, 3}, 0, +1, {2, 1, 3}, 1},
      {"a gap after a deletion", {2, 3, 4, 5}, 0, +1, {2, 1, 3, 4}, 1},
      {"a gap, last row down: nothing", {2, 3, 4, 5}, 3, +1, {1, 2, 3, 4}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Fill(static_cast<int>(c.ns.size()), c.ns);
    table.MoveTo(c.at);
    c.step > 0 ? ops.MoveDown() : ops.MoveUp();
    EXPECT_EQ(Ids(), c.ids);
    EXPECT_EQ(table.CurrentIndex(), c.selected);
    if (Ids() != std::vector<int>{1, 2, 3, 4}) {
      for (int i = 0; i < table.RowCount(); ++i) EXPECT_EQ(table.Row(i).N, i + 1);
    }
  }
  Fill(4, {1, 2, 3, 5});
  table.MoveTo(3);
  ops.MoveUp();
  ops.MoveUp();
  EXPECT_EQ(Ids(), (std::vector<int>{1, 4, 2, 3})) << "the same row moved twice";
  EXPECT_EQ(table.CurrentIndex(), 1);
}

TEST_F(Moves, ValuesTravelWhole) {
  Fill(3);
  table.MoveTo(1);
  table.BeginEdit();
  FuelRow& r = table.Buffer();
  r.Description = "Gas; wet \xE4\xF6\xFC";  // a ';' and umlauts
  r.B = 0.00005;
  r.HU = 1.0 / 3.0;
  r.Co2Max = 1e17;
  table.StoreEdit();
  table.SetNull(FuelField::Vaf);
  table.StoreEdit();
  const FuelRow before = table.Current();

  ops.MoveDown();
  FuelRow after = table.Current();
  EXPECT_EQ(after.N, 3);
  after.N = before.N;
  EXPECT_EQ(after, before);
  EXPECT_TRUE(after.IsNull(FuelField::Vaf));
}

TEST_F(Moves, RefusedWhileATransferRuns) {
  Fill(3);
  table.MoveTo(0);
  // Moves requested from the events a wait processes must not touch the table.
  pump.AddTickHandler([&] { ops.MoveDown(); });
  link.SetPortOverride("/dev/quelt-missing");
  ops.SendTable(SendOptions{false, false});
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(view.transfers, 1);
  EXPECT_FALSE(view.transferActive);
}

}  // namespace
}  // namespace quelt
