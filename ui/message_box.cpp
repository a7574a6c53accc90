#include "ui/message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <string>
#include <utility>

#include "lang/tr.h"

namespace quelt::ui {
namespace {

using control::Answer;
using B = QMessageBox::StandardButton;

B ButtonOf(Answer answer) {
  switch (answer) {
    case Answer::Ok:
      return QMessageBox::Ok;
    case Answer::Cancel:
      return QMessageBox::Cancel;
    case Answer::Yes:
      return QMessageBox::Yes;
    case Answer::No:
      return QMessageBox::No;
    case Answer::Save:
      return QMessageBox::Save;
    case Answer::Discard:
      return QMessageBox::Discard;
    case Answer::Restore:
      return QMessageBox::Apply;  // labelled "Restore"
    case Answer::Close:
      return QMessageBox::Close;
  }
  return QMessageBox::Ok;
}

QMessageBox::StandardButtons ButtonsOf(control::Buttons buttons) {
  switch (buttons) {
    case control::Buttons::Ok:
      return QMessageBox::Ok;
    case control::Buttons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case control::Buttons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case control::Buttons::SaveDiscardCancel:
      return QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    case control::Buttons::RestoreClose:
      return QMessageBox::Apply | QMessageBox::Close;
  }
  return QMessageBox::Ok;
}

// The buttons' words in the language in use. English keeps Qt's own words.
void LabelButtons(QMessageBox& box) {
  if (QAbstractButton* restore = box.button(QMessageBox::Apply)) {
    restore->setText(QString::fromStdString(lang::TrIn("button", "&Restore")));
  }
  if (lang::Language() == "en") return;
  const std::pair<B, std::string> labels[] = {
      {QMessageBox::Ok, lang::TrIn("button", "OK")},
      {QMessageBox::Cancel, lang::TrIn("button", "Cancel")},
      {QMessageBox::Yes, lang::TrIn("button", "&Yes")},
      {QMessageBox::No, lang::TrIn("button", "&No")},
      {QMessageBox::Save, lang::TrIn("button", "&Save")},
      {QMessageBox::Discard, lang::TrIn("button", "&Discard")},
      {QMessageBox::Close, lang::TrIn("button", "&Close")},
  };
  for (const auto& [which, text] : labels) {
    if (QAbstractButton* button = box.button(which)) button->setText(QString::fromStdString(text));
  }
}

QMessageBox::Icon IconOf(control::MessageKind kind) {
  switch (kind) {
    case control::MessageKind::Error:
      return QMessageBox::Critical;
    case control::MessageKind::Warning:
      return QMessageBox::Warning;
    case control::MessageKind::Question:
      return QMessageBox::Question;
    case control::MessageKind::Information:
      return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

control::Answer AskBox(QWidget* parent, const control::Message& message, const QPixmap& picture) {
  QMessageBox box(IconOf(message.kind), QString::fromStdString(message.title),
                  QString::fromStdString(message.text), ButtonsOf(message.buttons), parent);
  box.setObjectName(message.kind == control::MessageKind::Information ? QStringLiteral("AboutBox")
                                                                      : QStringLiteral("Message"));
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(ButtonOf(message.defaultAnswer));
  box.setEscapeButton(ButtonOf(message.escapeAnswer));
  if (!picture.isNull()) box.setIconPixmap(picture);
  LabelButtons(box);
  const int chosen = box.exec();
  for (Answer a : {Answer::Ok, Answer::Cancel, Answer::Yes, Answer::No, Answer::Save,
                   Answer::Discard, Answer::Restore, Answer::Close}) {
    if (chosen == ButtonOf(a)) return a;
  }
  return message.escapeAnswer;
}

}  // namespace quelt::ui
