#include "control/box_buttons.h"

#include <algorithm>

#include "lang/tr.h"

namespace quelt::control {

std::vector<Answer> AnswersOf(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return {Answer::Ok};
    case Buttons::OkCancel:
      return {Answer::Ok, Answer::Cancel};
    case Buttons::YesNo:
      return {Answer::Yes, Answer::No};
    case Buttons::SaveDiscardCancel:
      return {Answer::Save, Answer::Discard, Answer::Cancel};
    case Buttons::RestoreClose:
      return {Answer::Restore, Answer::Close};
    // The box's own answer last, where a system box puts Cancel: Escape.
    case Buttons::SaveTraceOk:
      return {Answer::SaveTrace, Answer::Ok};
    case Buttons::RestoreSaveTraceClose:
      return {Answer::Restore, Answer::SaveTrace, Answer::Close};
  }
  return {Answer::Ok};
}

int DefaultPlace(const Message& message) {
  const std::vector<Answer> answers = AnswersOf(message.buttons);
  const auto it = std::find(answers.begin(), answers.end(), message.defaultAnswer);
  return it == answers.end() ? 0 : static_cast<int>(it - answers.begin());
}

Answer AnswerAt(const Message& message, int place) {
  const std::vector<Answer> answers = AnswersOf(message.buttons);
  if (place < 0 || place >= static_cast<int>(answers.size())) return message.escapeAnswer;
  return answers[static_cast<std::size_t>(place)];
}

std::string ButtonWord(Answer answer) {
  switch (answer) {
    case Answer::Ok:
      return lang::TrIn("button", "OK");
    case Answer::Cancel:
      return lang::TrIn("button", "Cancel");
    case Answer::Yes:
      return lang::TrIn("button", "&Yes");
    case Answer::No:
      return lang::TrIn("button", "&No");
    case Answer::Save:
      return lang::TrIn("button", "&Save");
    case Answer::Discard:
      return lang::TrIn("button", "&Discard");
    case Answer::Restore:
      return lang::TrIn("button", "&Restore");
    case Answer::Close:
      return lang::TrIn("button", "&Close");
    case Answer::SaveTrace:
      return lang::TrIn("button", "Save &trace...");
  }
  return {};
}

}  // namespace quelt::control
