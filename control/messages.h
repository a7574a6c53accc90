// The message boxes of the window and the editor: each has a kind, and the
// kind gives its title, its picture and its buttons with the default one.
// Texts are UTF-8; a face only maps them onto the platform's box.
#pragma once

#include <string>

namespace quelt::control {

enum class MessageKind {
  Error,        // an operation failed
  Warning,      // an input was refused; nothing changed
  Question,     // the user decides
  Information,  // the About box: the program's own picture
};

enum class Buttons {
  Ok,
  OkCancel,
  YesNo,
  SaveDiscardCancel,
  RestoreClose,
  SaveTraceOk,            // a failure on the line, and About
  RestoreSaveTraceClose,  // a write that stopped part-way
};
enum class Answer { Ok, Cancel, Yes, No, Save, Discard, Restore, Close, SaveTrace };

struct Message {
  MessageKind kind = MessageKind::Error;
  std::string title;
  std::string text;
  Buttons buttons = Buttons::Ok;
  Answer defaultAnswer = Answer::Ok;  // Enter
  Answer escapeAnswer = Answer::Ok;   // Escape and the close box
};

// Every box is titled with the program's name: short enough for any box.
std::string TitleOf(MessageKind kind);

// An operation's failure ("Transfer error", "Timeout", a refused row ...).
Message ErrorMessage(const std::string& text);
// A refused input: a file that cannot be loaded, an editor's text.
Message WarningMessage(const std::string& text);
// A question whose safe answer is No: it is the default.
Message YesNoQuestion(const std::string& text);
// Ctrl+Delete: Enter and Escape keep the row. Names the row by its
// position (from 1) and its description (Windows-1252, as stored).
Message DeleteQuestion(int position, const std::string& description);
// Before unsent changes are dropped: Save is the default, Escape cancels.
Message UnsentQuestion();
// The same when the program ends: also a table kept in a file is asked for.
Message CloseUnsentQuestion();
Message AboutMessage(const std::string& text);
// What a look-up found (a comparison): OK only.
Message FindingMessage(const std::string& text);
// A write stopped part-way: Restore writes the backup made before it back,
// Close (the default, and Escape) leaves the analyser as it is.
Message RestoreQuestion(const std::string& text);
// The same box offering "Save trace...": the session's exchanges go to a
// file for support. Enter and Escape still give the box's own answer.
Message OfferingTrace(Message message);

}  // namespace quelt::control
