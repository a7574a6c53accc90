#include "ui/parties_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>
#include <string>
#include <utility>

#include "control/box_buttons.h"
#include "lang/tr.h"
#include "ui/utf8_text.h"

namespace quelt::ui {
bool EditReportParties(control::ReportParties& parties, QWidget* parent) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("PartiesDialog"));
  dialog.setWindowTitle(Utf8(lang::Tr(control::kPartiesCaption)));
  auto* layout = new QVBoxLayout(&dialog);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
  layout->addLayout(form);
  const std::array<std::pair<const char*, std::string*>, 3> lines{{
      {control::kCustomerLabel, &parties.customer},
      {control::kSiteLabel, &parties.site},
      {control::kTechnicianLabel, &parties.technician},
  }};
  std::array<QLineEdit*, 3> edits{};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    auto* edit = new QLineEdit(Utf8(*lines[i].second), &dialog);
    edit->setObjectName(QLatin1String(kPartyEditNames[i]));
    edit->setMaxLength(control::kPartyMaxChars);
    // Room for about 40 characters in the font at the screen's resolution.
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 40);
    form->addRow(Utf8(lang::Tr(lines[i].first)), edit);
    edits[i] = edit;
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(Utf8(control::ButtonWord(control::Answer::Ok)));
  buttons->button(QDialogButtonBox::Cancel)
      ->setText(Utf8(control::ButtonWord(control::Answer::Cancel)));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  edits.front()->setFocus();
  if (dialog.exec() != QDialog::Accepted) return false;
  for (std::size_t i = 0; i < lines.size(); ++i) *lines[i].second = edits[i]->text().toStdString();
  return true;
}

}  // namespace quelt::ui
