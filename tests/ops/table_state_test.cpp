// When the grid holds changes the analyser has not got, and when dropping
// them needs a question; the table files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "fuel/read_file.h"
#include "fuel/table_file.h"
#include "fuel/table_state.h"
#include "tests/ops/ops_fixture.h"
#include "tests/support/test_files.h"

namespace quelt::test {
namespace {

FuelTable Table(int rows) {
  FuelTable table;
  for (int i = 1; i <= rows; ++i) {
    FuelRow row = ReadFuelRowText(RowText(i, 100 + i, "Fuel " + std::to_string(i))).ToRow();
    table.AppendRow(row);
  }
  table.MoveToFirst();
  return table;
}

void SetCo2Max(FuelTable& table, int index, double value) {
  table.MoveTo(index);
  table.BeginEdit();
  table.SetDecimal(FuelField::Co2Max, value);
  table.StoreEdit();
}

struct Case {
  const char* name;
  std::function<void(FuelTable&, UnsentChanges&)> change;
  bool pending;
  bool mustAsk;
};

TEST(UnsentChanges, FollowWhatTheAnalyserWouldGet) {
  const Case cases[] = {
      {"nothing", [](FuelTable&, UnsentChanges&) {}, false, false},
      {"a value", [](FuelTable& t, UnsentChanges&) { SetCo2Max(t, 1, 13.0); }, true, true},
      {"a value and back",
       [](FuelTable& t, UnsentChanges&) {
         SetCo2Max(t, 1, 13.0);
         SetCo2Max(t, 1, 15.4);
       },
       false, false},
      // The editor gives an edited row N = count + 1; the wire numbers by position.
      {"N only",
       [](FuelTable& t, UnsentChanges&) {
         t.BeginEdit();
         t.SetInteger(FuelField::N, 4);
         t.StoreEdit();
       },
       false, false},
      {"a row moved to the end",
       [](FuelTable& t, UnsentChanges&) {
         const FuelRow first = t.Row(0);
         t.MoveTo(0);
         t.DeleteCurrent();
         t.AppendRow(first);
       },
       true, true},
      {"a row deleted", [](FuelTable& t, UnsentChanges&) { t.DeleteCurrent(); }, true, true},
      {"a number emptied",
       [](FuelTable& t, UnsentChanges&) {
         t.BeginEdit();
         t.SetNull(FuelField::Vaf);
         t.StoreEdit();
       },
       true, true},
      {"a file loaded", [](FuelTable& t, UnsentChanges& u) { u.MarkLoaded(t); }, true, false},
      {"changed after loading",
       [](FuelTable& t, UnsentChanges& u) {
         u.MarkLoaded(t);
         SetCo2Max(t, 0, 9.0);
       },
       true, true},
      {"saved to a file",
       [](FuelTable& t, UnsentChanges& u) {
         SetCo2Max(t, 0, 9.0);
         u.MarkSaved(t);
       },
       true, false},
      {"changed after saving",
       [](FuelTable& t, UnsentChanges& u) {
         u.MarkSaved(t);
         SetCo2Max(t, 0, 9.0);
       },
       true, true},
      {"sent",
       [](FuelTable& t, UnsentChanges& u) {
         SetCo2Max(t, 0, 9.0);
         u.MarkInSync(t);
       },
       false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FuelTable table = Table(3);
    UnsentChanges unsent;
    unsent.MarkInSync(table);
    c.change(table, unsent);
    EXPECT_EQ(unsent.Pending(table), c.pending);
    EXPECT_EQ(unsent.MustAskBeforeDropping(table), c.mustAsk);
  }
}

TEST(UnsentChanges, RowsBeyondThirtyNeverTravel) {
  FuelTable table = Table(32);
  UnsentChanges unsent;
  std::vector<std::string> sent = WireTexts(table);
  sent.resize(30);
  unsent.MarkSent(sent);
  EXPECT_TRUE(unsent.Pending(table));
}

TEST(TableFile, KeepsEveryValueAWireTextCarries) {
  FuelTable table = Table(2);
  table.MoveTo(1);
  table.BeginEdit();
  table.SetDescription("Heiz\xF6l EL");  // Windows-1252 in the table, UTF-8 in the file
  table.SetDecimal(FuelField::B, -0.0125);
  table.SetInteger(FuelField::Soot, -32768);
  table.StoreEdit();
  const auto path = TestDir() / "round.txt";
  std::ofstream(path, std::ios::binary) << FormatTableFile(table.Rows());
  std::string error;
  const auto rows = ReadTableFile(path, &error);
  ASSERT_TRUE(rows) << error;
  ASSERT_EQ(rows->size(), 2u);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(WriteFuelRowText((*rows)[static_cast<std::size_t>(i)], i + 1),
              WriteFuelRowText(table.Row(i), i + 1));
  }
}

// The window's load reads only what a table file can be: a device, a pipe,
// a folder or a huge file is refused at once, naming the file, instead of
// being read forever (/dev/zero) or into memory whole.
TEST(TableFile, OnlyARegularFileOfAtMostOneMegabyteIsRead) {
  const auto fifo = TestDir() / "fifo.txt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string big = WriteFile("big.txt", std::string(kMaxInputBytes + 1, '#'));
  struct Refused {
    std::filesystem::path file;
    const char* says;
  };
  const Refused cases[] = {
      {"/dev/zero", "is not a regular file"},
      {"/dev/null", "is not a regular file"},
      {fifo, "is not a regular file"},
      {TestDir(), "is a folder"},
      {TestDir() / "missing.txt", "cannot be read"},
      {big, "larger than 1 MB"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.file.string());
    std::string error;
    EXPECT_FALSE(ReadTableFile(c.file, &error));
    EXPECT_EQ(error.rfind(c.file.string() + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  // Just under the limit still loads.
  const std::string comments = std::string(kMaxInputBytes - 64, '#') + "\n" + RowText(1, 7) + "\n";
  std::string error;
  const auto rows = ReadTableFile(WriteFile("near.txt", comments), &error);
  ASSERT_TRUE(rows) << error;
  EXPECT_EQ(rows->size(), 1u);
}

}  // namespace
}  // namespace quelt::test
