// The buttons every box offers, whatever the window: the answers in their
// order, the default one's place, the answer when the box is left without a
// button, and the words in the language in use.
#include <gtest/gtest.h>

#include "control/box_buttons.h"
#include "lang/tr.h"

namespace quelt::control {
namespace {

TEST(BoxButtons, EachMessageOffersItsAnswersWithTheSafeOneAsDefault) {
  struct Case {
    const char* what;
    Message message;
    std::vector<Answer> answers;
    int defaultPlace;
    Answer escaped;  // Escape or the close box
  } cases[] = {
      {"error", ErrorMessage("x"), {Answer::Ok}, 0, Answer::Ok},
      {"warning", WarningMessage("x"), {Answer::Ok}, 0, Answer::Ok},
      {"about", AboutMessage("x"), {Answer::Ok}, 0, Answer::Ok},
      {"yes/no", YesNoQuestion("x"), {Answer::Yes, Answer::No}, 1, Answer::No},
      {"delete", DeleteQuestion(1, "a"), {Answer::Ok, Answer::Cancel}, 1, Answer::Cancel},
      {"unsent",
       UnsentQuestion(),
       {Answer::Save, Answer::Discard, Answer::Cancel},
       0,
       Answer::Cancel},
      {"restore", RestoreQuestion("x"), {Answer::Restore, Answer::Close}, 1, Answer::Close},
      {"failure, the trace offered",
       OfferingTrace(ErrorMessage("x")),
       {Answer::SaveTrace, Answer::Ok},
       1,
       Answer::Ok},
      {"restore, the trace offered",
       OfferingTrace(RestoreQuestion("x")),
       {Answer::Restore, Answer::SaveTrace, Answer::Close},
       2,
       Answer::Close},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AnswersOf(c.message.buttons), c.answers) << c.what;
    EXPECT_EQ(DefaultPlace(c.message), c.defaultPlace) << c.what;
    for (int place = 0; place < static_cast<int>(c.answers.size()); ++place) {
      EXPECT_EQ(AnswerAt(c.message, place), c.answers[static_cast<std::size_t>(place)]) << c.what;
    }
    EXPECT_EQ(AnswerAt(c.message, -1), c.escaped) << c.what;
    EXPECT_EQ(AnswerAt(c.message, 3), c.escaped) << c.what;
  }
}

TEST(BoxButtons, WordsComeFromTheCatalogue) {
  EXPECT_EQ(ButtonWord(Answer::Restore), "&Restore");
  ASSERT_TRUE(lang::SetLanguage("de"));
  EXPECT_EQ(ButtonWord(Answer::Cancel), "Abbrechen");
  EXPECT_EQ(ButtonWord(Answer::Discard), "&Verwerfen");
  EXPECT_EQ(ButtonWord(Answer::Close), "Schl&ießen");
  lang::SetLanguage("en");
}

}  // namespace
}  // namespace quelt::control
