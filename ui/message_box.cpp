#include "ui/message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <algorithm>
#include <utility>
#include <vector>

#include "control/box_buttons.h"
#include "lang/tr.h"

namespace quelt::ui {
namespace {

using control::Answer;
using B = QMessageBox::StandardButton;

// Each answer's button; Qt has no Restore or Save trace button: Apply and
// Save All, labelled so.
constexpr std::pair<Answer, B> kButtons[] = {
    {Answer::Ok, QMessageBox::Ok},
    {Answer::Cancel, QMessageBox::Cancel},
    {Answer::Yes, QMessageBox::Yes},
    {Answer::No, QMessageBox::No},
    {Answer::Save, QMessageBox::Save},
    {Answer::Discard, QMessageBox::Discard},
    {Answer::Restore, QMessageBox::Apply},
    {Answer::Close, QMessageBox::Close},
    {Answer::SaveTrace, QMessageBox::SaveAll},
};
constexpr std::pair<control::MessageKind, QMessageBox::Icon> kIcons[] = {
    {control::MessageKind::Error, QMessageBox::Critical},
    {control::MessageKind::Warning, QMessageBox::Warning},
    {control::MessageKind::Question, QMessageBox::Question},
    {control::MessageKind::Information, QMessageBox::Information},
};

template <typename Key, typename Value, std::size_t N>
Value Lookup(const std::pair<Key, Value> (&table)[N], Key key) {
  for (const auto& [k, v] : table) {
    if (k == key) return v;
  }
  return table[0].second;
}

B ButtonOf(Answer answer) { return Lookup(kButtons, answer); }

}  // namespace

control::Answer AskBox(QWidget* parent, const control::Message& message, const QPixmap& picture) {
  const std::vector<Answer> answers = control::AnswersOf(message.buttons);
  QMessageBox::StandardButtons buttons;
  for (Answer a : answers) buttons |= ButtonOf(a);
  QMessageBox box(Lookup(kIcons, message.kind), QString::fromStdString(message.title),
                  QString::fromStdString(message.text), buttons, parent);
  box.setObjectName(message.kind == control::MessageKind::Information ? QStringLiteral("AboutBox")
                                                                      : QStringLiteral("Message"));
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(ButtonOf(message.defaultAnswer));
  box.setEscapeButton(ButtonOf(message.escapeAnswer));
  if (!picture.isNull()) box.setIconPixmap(picture);
  // The words are the catalogue's, as in the Win32 boxes.
  for (Answer a : answers) {
    box.button(ButtonOf(a))->setText(QString::fromStdString(control::ButtonWord(a)));
  }
  const int chosen = box.exec();
  const auto it = std::find_if(answers.begin(), answers.end(),
                               [chosen](Answer a) { return chosen == ButtonOf(a); });
  return it != answers.end() ? *it : message.escapeAnswer;
}

}  // namespace quelt::ui
