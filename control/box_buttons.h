// The buttons of a message box, written once for both windows: which
// answers a button set offers, in their order on the box, and each
// button's word in the language in use. A face maps each answer onto the
// platform's button and labels it.
#pragma once

#include <string>
#include <vector>

#include "control/messages.h"

namespace quelt::control {

// The answers of `buttons`, in their order on the box (the affirmative
// first, Cancel last).
std::vector<Answer> AnswersOf(Buttons buttons);
// The place of the message's default answer among AnswersOf (0 when it is
// none of them).
int DefaultPlace(const Message& message);
// The answer to the button at `place` of AnswersOf; a place the box has not
// (Escape, the close box) is the message's escape answer.
Answer AnswerAt(const Message& message, int place);
// A button's word from the catalogue ("&Save", "Abbrechen").
std::string ButtonWord(Answer answer);

}  // namespace quelt::control
