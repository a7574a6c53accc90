#include "ui/message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <algorithm>
#include <vector>

#include "control/box_buttons.h"
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
  const std::vector<Answer> answers = control::AnswersOf(message.buttons);
  QMessageBox::StandardButtons buttons;
  for (Answer a : answers) buttons |= ButtonOf(a);
  QMessageBox box(IconOf(message.kind), QString::fromStdString(message.title),
                  QString::fromStdString(message.text), buttons, parent);
  box.setObjectName(message.kind == control::MessageKind::Information ? QStringLiteral("AboutBox")
                                                                      : QStringLiteral("Message"));
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(ButtonOf(message.defaultAnswer));
  box.setEscapeButton(ButtonOf(message.escapeAnswer));
  if (!picture.isNull()) box.setIconPixmap(picture);
  // English keeps Qt's own words, but for Restore, which Qt has no button of.
  for (Answer a : answers) {
    if (a == Answer::Restore || lang::Language() != "en") {
      box.button(ButtonOf(a))->setText(QString::fromStdString(control::ButtonWord(a)));
    }
  }
  const int chosen = box.exec();
  const auto it = std::find_if(answers.begin(), answers.end(),
                               [chosen](Answer a) { return chosen == ButtonOf(a); });
  return it != answers.end() ? *it : message.escapeAnswer;
}

}  // namespace quelt::ui
