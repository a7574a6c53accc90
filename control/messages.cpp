#include "control/messages.h"

#include "fuel/row_compare.h"
#include "fuel/status_text.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "text/cp1252.h"

namespace quelt::control {

std::string TitleOf(MessageKind) { return kProgramName; }

namespace {

Message Make(MessageKind kind, const std::string& text, Buttons buttons, Answer defaultAnswer,
             Answer escapeAnswer) {
  return {kind, TitleOf(kind), text, buttons, defaultAnswer, escapeAnswer};
}

}  // namespace

Message ErrorMessage(const std::string& text) {
  return Make(MessageKind::Error, text, Buttons::Ok, Answer::Ok, Answer::Ok);
}

Message WarningMessage(const std::string& text) {
  return Make(MessageKind::Warning, text, Buttons::Ok, Answer::Ok, Answer::Ok);
}

Message YesNoQuestion(const std::string& text) {
  return Make(MessageKind::Question, text, Buttons::YesNo, Answer::No, Answer::No);
}

Message DeleteQuestion(int position, const std::string& description) {
  const std::size_t last = description.find_last_not_of(' ');
  const std::string shown =
      last == std::string::npos ? std::string() : DeviceText(description.substr(0, last + 1));
  const std::string text = shown.empty()
                               ? lang::Format(lang::Tr("Delete row {1}?"), position)
                               : lang::Format(lang::Tr("Delete row {1} ({2})?"), position, shown);
  return Make(MessageKind::Question, text, Buttons::OkCancel, Answer::Cancel, Answer::Cancel);
}

Message UnsentQuestion() {
  return Make(MessageKind::Question, lang::Tr(kUnsentQuestion), Buttons::SaveDiscardCancel,
              Answer::Save, Answer::Cancel);
}

Message CloseUnsentQuestion() {
  return Make(MessageKind::Question, lang::Tr(kCloseUnsentQuestion), Buttons::SaveDiscardCancel,
              Answer::Save, Answer::Cancel);
}

Message AboutMessage(const std::string& text) {
  return Make(MessageKind::Information, text, Buttons::Ok, Answer::Ok, Answer::Ok);
}

Message FindingMessage(const std::string& text) {
  return Make(MessageKind::Information, text, Buttons::Ok, Answer::Ok, Answer::Ok);
}

Message RestoreQuestion(const std::string& text) {
  return Make(MessageKind::Question, text, Buttons::RestoreClose, Answer::Close, Answer::Close);
}

Message OfferingTrace(Message message) {
  if (message.buttons == Buttons::Ok) message.buttons = Buttons::SaveTraceOk;
  if (message.buttons == Buttons::RestoreClose) message.buttons = Buttons::RestoreSaveTraceClose;
  return message;
}

}  // namespace quelt::control
