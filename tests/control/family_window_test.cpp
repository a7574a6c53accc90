// The analyser family through the window: each member's table read by a
// Refresh, a table sent and checked, and the backup that Send saved written
// back from the Backups view. The grid shows what the analyser holds, the
// restore brings the previous table back exactly, and no box cries wolf.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/backups_view.h"
#include "tests/control/controller_fixture.h"
#include "tests/ops/family.h"

namespace quelt::test {
namespace {

using control::Answer;
using control::Command;

class FamilyWindow : public ControllerFixture, public ::testing::WithParamInterface<Member> {
 protected:
  FamilyWindow() { std::filesystem::remove_all(TestDir() / "backups"); }
  std::vector<std::string> Grid() {
    std::vector<std::string> rows;
    for (int i = 0; i < Table().RowCount(); ++i)
      rows.push_back(WriteFuelRowText(Table().Row(i), i + 1));
    return rows;
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : face.boxes) texts.push_back(box.text);
    return texts;
  }
};

TEST_P(FamilyWindow, RefreshSendAndRestoreShowWhatTheAnalyserHolds) {
  const Member& m = GetParam();
  const sim::Config config = ConfigOf(m);
  const std::vector<std::string>& held = *config.rows;
  Start(config);
  const std::vector<std::string> none;

  window.Do(Command::Refresh);
  EXPECT_EQ(BoxTexts(), none);
  EXPECT_EQ(Differences(Grid(), held), none);
  EXPECT_EQ(Grid().size(), held.size());

  std::string file;
  std::vector<std::string> written;
  for (int n = 1; n <= m.rowsWritten; ++n) {
    written.push_back(RowText(n, 200 + n, "New " + std::to_string(n)));
    file += written.back() + "\n";
  }
  ASSERT_TRUE(window.LoadTable(WriteFile("family.txt", file)));
  window.Do(Command::Send);
  EXPECT_EQ(BoxTexts(), none);
  EXPECT_FALSE(window.Unsent()) << "the check passed";
  EXPECT_EQ(Differences(written, analyser->Rows()), none);

  control::BackupsView view(window);
  ASSERT_EQ(view.Entries().size(), 1u);
  EXPECT_TRUE(view.Entries()[0].restorable) << view.Entries()[0].check;
  face.answers = {Answer::Yes};
  ASSERT_TRUE(view.Restore()) << ::testing::PrintToString(face.log);
  EXPECT_EQ(BoxTexts().size(), 1u) << "the restore's question, nothing else";
  EXPECT_EQ(Differences(held, analyser->Rows()), none);
  EXPECT_EQ(analyser->RowsInUse(), m.rowsHeld);
  EXPECT_EQ(Differences(Grid(), held), none) << "the grid shows the table restored";
  EXPECT_FALSE(window.Unsent());
}

INSTANTIATE_TEST_SUITE_P(Analysers, FamilyWindow, ::testing::ValuesIn(kFamily),
                         [](const auto& member) { return std::string(member.param.name); });

}  // namespace
}  // namespace quelt::test
