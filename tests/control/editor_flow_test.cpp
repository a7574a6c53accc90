// The editor dialog's flow with a recording face: what an editor shows,
// what leaving it and OK store, and when the user is asked and brought back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "control/editor_flow.h"
#include "front/tab_order.h"
#include "tests/support/grid_rows.h"

namespace quelt::control {
namespace {

class Face : public EditorFace {
 public:
  std::map<FuelField, std::string> texts;
  std::vector<Answer> answers;  // to the boxes, in turn
  std::vector<MessageKind> asked;
  std::string lastText;  // of the last box
  std::vector<FuelField> complaints, returns;
  int notesCleared = 0;

  std::string EditorText(FuelField field) override { return texts[field]; }
  void ShowEditorText(FuelField field, const std::string& utf8) override { texts[field] = utf8; }
  void ClearNote() override { ++notesCleared; }
  Answer Ask(const Message& message) override {
    asked.push_back(message.kind);
    lastText = message.text;
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
    if (item.role == front::DialogItem::Role::Editor) editors.push_back(item);
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
    EXPECT_EQ(table.GetState(), FuelTable::State::Viewing);
  }
}

// A row without an ID (Insert, Ctrl+D) takes one, 1 to 999, which OK asks
// for even when it was never typed; an ID another row uses and Soot other
// than 0 or 1 are kept only on the user's Yes (No goes back to the field).
// A row that has an ID keeps it.
TEST(EditorFlow, ANewRowTakesAnIdAndDoubtsAreAsked) {
  using F = FuelField;
  struct Case {
    bool newRow;  // inserted without an ID below row 1 of IDs 101, 102, 103
    std::vector<std::pair<F, const char*>> typed;
    Answer answer;     // to the one box, if any
    const char* says;  // the box's text begins so; "" no box
    int id, soot;      // of the row after OK (or Cancel, when the box's No keeps it open)
  } cases[] = {
      {false, {{F::Soot, "-1"}}, Answer::Yes, "Soot -1 is neither 0 nor 1. Keep it?", 101, -1},
      {true, {{F::ID, "7"}, {F::Soot, "1"}}, Answer::No, "", 7, 1},
      {true, {}, Answer::Ok, "The row needs an ID: a number from 1 to 999.", 0, 0},
      {true,
       {{F::ID, "1000"}},
       Answer::Ok,
       "ID 1000 is not allowed: an ID is a number from 1 to 999.",
       0,
       0},
      {true, {{F::ID, "103"}}, Answer::No, "ID 103 is used by row 4 (Fuel 3) too. Keep it?", 0, 0},
      {true, {{F::ID, "103"}}, Answer::Yes, "ID 103 is used by row 4", 103, 0},
      {true, {{F::ID, "7"}, {F::Soot, "2"}}, Answer::No, "Soot 2 is neither 0 nor 1", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    FuelTable table;
    for (int i = 1; i <= 3; ++i)
      table.AppendRow(test::GridRow(i, 100 + i, ("Fuel " + std::to_string(i)).c_str()));
    table.MoveTo(c.newRow ? 1 : 0);
    if (c.newRow) table.InsertRow(FuelRow{});  // as Insert and Ctrl+D make it
    RowEditor rows(table, false, U',');
    EXPECT_EQ(rows.Editable(F::ID), c.newRow);
    Face face;
    EditorFlow flow(rows, face);
    flow.ShowRow();
    EXPECT_EQ(face.texts[F::ID], c.newRow ? "" : "101") << "0 is no ID to show";
    face.answers = {c.answer};
    for (const auto& [field, text] : c.typed) {
      face.texts[field] = text;
      rows.Changed(field);
    }
    const bool closes = flow.Accept();
    EXPECT_EQ(closes, c.id != 0);
    EXPECT_EQ(face.asked.size(), *c.says ? 1u : 0u);
    EXPECT_EQ(face.lastText.rfind(c.says, 0), 0u) << face.lastText;
    // No, or a refusal: back to the field asked about (Soot when it was typed after the ID).
    const F field = c.typed.size() == 2 ? F::Soot : F::ID;
    EXPECT_EQ(face.returns, closes ? std::vector<F>{} : std::vector<F>{field});
    rows.Finish(closes);
    EXPECT_EQ(table.Current().ID, c.id);
    EXPECT_EQ(table.Current().Soot, c.soot);
  }
}

}  // namespace
}  // namespace quelt::control
