// The editor dialog's flow with a recording face: what an editor shows,
// what leaving it and OK store, and when the user is asked and brought back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "control/editor_flow.h"
#include "front/tab_order.h"

namespace quelt::control {
namespace {

class Face : public EditorFace {
 public:
  std::map<FuelField, std::string> texts;
  std::vector<Answer> answers;  // to the boxes, in turn
  std::vector<MessageKind> asked;
  std::vector<FuelField> complaints, returns;
  int notesCleared = 0;

  std::string EditorText(FuelField field) override { return texts[field]; }
  void ShowEditorText(FuelField field, const std::string& utf8) override { texts[field] = utf8; }
  void ClearNote() override { ++notesCleared; }
  Answer Ask(const Message& message) override {
    asked.push_back(message.kind);
    const Answer a = answers.empty() ? message.escapeAnswer : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return a;
  }
  void ReturnTo(FuelField field) override { returns.push_back(field); }
  void ComplainLater(FuelField field) override { complaints.push_back(field); }
};

FuelTable OneRow() {
  FuelTable table;
  FuelRow row;
  row.N = 1;
  row.ID = 101;
  row.Description = "Fuel 1";
  row.Co2Max = 12.1;
  table.AppendRow(row);
  table.MoveTo(0);
  return table;
}

TEST(EditorFlow, ShowsTheRowInTabOrder) {
  FuelTable table = OneRow();
  RowEditor rows(table, false, U',');
  Face face;
  EditorFlow flow(rows, face);
  flow.ShowRow();
  EXPECT_EQ(EditorFlow::Fields(), front::DialogTabOrder());
  for (std::size_t i = 0; i < EditorFlow::Fields().size(); ++i) {
    EXPECT_EQ(EditorFlow::TabIndex(EditorFlow::Fields()[i]), i);
  }
  EXPECT_EQ(EditorFlow::Fields().size(), face.texts.size());
  EXPECT_EQ(face.texts[FuelField::Co2Max], "12,1");
  EXPECT_EQ(face.texts[FuelField::Description], "Fuel 1");
}

// Tab walks the editors in reading order as the layout places them: left to
// right along a line (tops less than half an editor apart), the lines from
// the top. Hu once came before Vaf, beside Vatr, and a new row got Hu typed
// into Soot and Soot into Vaf.
TEST(EditorFlow, TabWalksTheEditorsInReadingOrder) {
  std::vector<front::DialogItem> editors;
  for (const front::DialogItem& item : front::LayoutDialog(96).items) {
    if (item.kind == front::DialogItem::Kind::Editor) editors.push_back(item);
  }
  auto read = editors;
  std::stable_sort(read.begin(), read.end(), [](const auto& a, const auto& b) {
    if (std::abs(a.rect.y - b.rect.y) * 2 < a.rect.h) return a.rect.x < b.rect.x;
    return a.rect.y < b.rect.y;
  });
  std::vector<FuelField> inReadingOrder;
  for (const front::DialogItem& item : read) inReadingOrder.push_back(item.field);
  EXPECT_EQ(front::DialogTabOrder(), inReadingOrder);
  EXPECT_EQ(inReadingOrder.size(), 10u);
}

// Each case: the user types `typed` into Co2Max, leaves the editor (for OK
// or Cancel: `toButton`), answers the boxes, then presses OK.
TEST(EditorFlow, LeavingAndOkStoreOrAskAndBringTheUserBack) {
  struct Case {
    const char* what;
    const char* typed;
    bool toButton;
    std::vector<Answer> answers;
    std::vector<MessageKind> asked;
    bool closes;  // OK closes the dialog
    const char* shown;
  } cases[] = {
      {"a value is stored", "15,5", false, {}, {}, true, "15,5"},
      {"an emptied number shows the 0 sent", "", false, {}, {}, true, "0,0"},
      {"no number: warned, back to the field",
       "1e999",
       false,
       {Answer::Ok, Answer::Ok},
       {MessageKind::Warning, MessageKind::Warning},
       false,
       "1e999"},
      {"out of range, No: back to the field",
       "31",
       false,
       {Answer::No, Answer::No},
       {MessageKind::Question, MessageKind::Question},
       false,
       "31"},
      {"out of range, Yes: kept", "31", false, {Answer::Yes}, {MessageKind::Question}, true, "31"},
      {"left for OK: only OK asks", "1e999", true, {}, {MessageKind::Warning}, false, "1e999"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FuelTable table = OneRow();
    RowEditor rows(table, false, U',');
    Face face;
    EditorFlow flow(rows, face);
    flow.ShowRow();
    face.answers = c.answers;
    face.texts[FuelField::Co2Max] = c.typed;
    rows.Changed(FuelField::Co2Max);
    flow.Left(FuelField::Co2Max, c.toButton);
    EXPECT_EQ(face.notesCleared, 1) << "the note belongs to the editor left";
    const bool refused = !c.toButton && !c.asked.empty();
    EXPECT_EQ(face.complaints.size(), refused ? 1u : 0u);
    if (refused) {
      EXPECT_EQ(flow.Complain(FuelField::Co2Max), c.closes);
    }
    EXPECT_EQ(flow.Accept(), c.closes);
    EXPECT_EQ(face.asked, c.asked);
    EXPECT_EQ(face.returns.size(), c.asked.size() - (c.closes ? c.asked.size() : 0));
    EXPECT_EQ(face.texts[FuelField::Co2Max], c.shown);
    rows.Finish(c.closes);
    EXPECT_EQ(table.GetState(), FuelTable::State::Browse);
  }
}

}  // namespace
}  // namespace quelt::control
