// The table's current-row machinery the operations and the editor rely on.
#include <gtest/gtest.h>

#include "fuel/fuel_table.h"

namespace quelt {
namespace {

FuelRow Row(int id) {
  FuelRow r;
  r.ID = id;
  return r;
}

TEST(FuelTable, NavigationStopsAtTheEndsWithTheFlags) {
  FuelTable t;
  t.MoveToFirst();
  EXPECT_TRUE(t.AtEnd());
  EXPECT_EQ(t.CurrentIndex(), -1);
  for (int id : {1, 2, 3}) t.AppendRow(Row(id));
  t.MoveToFirst();
  EXPECT_FALSE(t.AtEnd());
  t.MoveToNext();
  t.MoveToNext();
  EXPECT_FALSE(t.AtEnd());
  t.MoveToNext();
  EXPECT_TRUE(t.AtEnd());
  EXPECT_EQ(t.Current().ID, 3) << "past the end the last row stays current";
  t.MoveToPrevious();
  EXPECT_EQ(t.Current().ID, 2);
  t.MoveToFirst();
  t.MoveToPrevious();
  EXPECT_TRUE(t.AtStart());
  EXPECT_EQ(t.Current().ID, 1);
}

TEST(FuelTable, InsertGoesBeforeTheCurrentRowAndCancelDropsIt) {
  FuelTable t;
  t.InsertRow(Row(5));  // into an empty table: the only row
  t.AppendRow(Row(7));
  t.MoveTo(1);
  t.InsertRow(Row(6));
  ASSERT_EQ(t.RowCount(), 3);
  EXPECT_EQ(t.Row(1).ID, 6);
  EXPECT_EQ(t.CurrentIndex(), 1);

  t.MoveTo(2);
  t.BeginInsert();
  EXPECT_TRUE(t.Current().IsNull(FuelField::ID)) << "a new row holds no values yet";
  t.SetInteger(FuelField::ID, 99);
  EXPECT_FALSE(t.Current().IsNull(FuelField::ID));
  EXPECT_EQ(t.Current().ID, 99);
  t.CancelEdit();
  EXPECT_EQ(t.RowCount(), 3);
  EXPECT_EQ(t.Current().ID, 7);
  EXPECT_EQ(t.GetState(), FuelTable::State::Viewing);
}

TEST(FuelTable, EditCancelRestoresAndPostStores) {
  FuelTable t;
  t.AppendRow(Row(1));
  t.BeginEdit();
  t.SetDecimal(FuelField::B, 0.5);
  t.SetDescription(std::string(40, 'x'));
  EXPECT_EQ(t.Current().Description.size(), 30u);
  t.CancelEdit();
  EXPECT_EQ(t.Current().B, 0.0);
  EXPECT_EQ(t.Current().Description, "");
  t.BeginEdit();
  t.SetNull(FuelField::HU);
  t.StoreEdit();
  EXPECT_TRUE(t.Row(0).IsNull(FuelField::HU));
}

TEST(FuelTable, IntegersBeyondTheirWidthAreRefused) {
  FuelTable t;
  t.AppendRow(Row(1));
  t.BeginEdit();
  EXPECT_FALSE(t.SetInteger(FuelField::N, 32768));
  EXPECT_FALSE(t.SetInteger(FuelField::Soot, -32769));
  EXPECT_TRUE(t.SetInteger(FuelField::Soot, -32768));
  EXPECT_TRUE(t.SetInteger(FuelField::ID, 2147483647));
  EXPECT_FALSE(t.SetInteger(FuelField::ID, 2147483648LL));
  t.StoreEdit();
  EXPECT_EQ(t.Row(0).N, 0);
  EXPECT_EQ(t.Row(0).Soot, -32768);
}

TEST(FuelTable, DeleteKeepsAPlaceAndSuspendedChangesArriveAsOneReset) {
  FuelTable t;
  int resets = 0, others = 0;
  t.SetListener([&](FuelTable::Change c) { c == FuelTable::Change::Reset ? ++resets : ++others; });
  t.HoldNotifications();
  for (int id : {1, 2, 3}) t.AppendRow(Row(id));
  t.MoveTo(2);
  t.DeleteCurrent();
  EXPECT_EQ(resets + others, 0);
  t.ReleaseNotifications();
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(t.CurrentIndex(), 1) << "deleting the last row makes the one above current";
  t.MoveTo(0);
  t.DeleteCurrent();
  EXPECT_EQ(t.Current().ID, 2);
}

}  // namespace
}  // namespace quelt
