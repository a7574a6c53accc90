#include "ui/fuel_editor_dialog.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>
#include <QWindow>
#include <string_view>
#include <vector>

#include "front/layout.h"
#include "front/texts.h"
#include "lang/tr.h"
#include "text/text_helpers.h"
#include "ui/fuel_editors.h"
#include "ui/icons.h"
#include "ui/message_box.h"

namespace quelt::ui {
namespace {

using front::DialogItem;

int ScreenDpi(const QWidget* widget) {
  const QScreen* screen = widget->screen();
  return screen != nullptr ? qRound(screen->logicalDotsPerInch()) : 96;
}

void SetBlackText(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  widget->setPalette(palette);
}

// No focus rectangle: the picture is the whole button.
class PictureButton : public QPushButton {
 public:
  using QPushButton::QPushButton;

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.state &= ~QStyle::State_HasFocus;
    painter.drawControl(QStyle::CE_PushButton, option);
  }
};

}  // namespace

FuelEditorDialog::FuelEditorDialog(control::RowEditor& editor, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      rows_(editor),
      flow_(editor, *this) {
  setObjectName(QStringLiteral("FuelEditorDialog"));
  setWindowTitle(QString::fromStdString(lang::Tr(front::kDialogCaption)));
  // "MS Sans Serif" does not exist everywhere: the system's sans at the same
  // 8 points.
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setPointSize(front::kBaseFontPoints);
  setFont(font);
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);

  // Frames first, so that the editors lie above them; editors in tab order.
  std::size_t editorIndex = 0;
  note_ = new QLabel(this);
  cancel_ = new PictureButton(this);
  ok_ = new PictureButton(this);
  for (const DialogItem& item : front::LayoutDialog(96).items) {
    QWidget* widget = nullptr;
    switch (item.role) {
      case DialogItem::Role::Frame: {
        auto* frame = new QFrame(this);
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        frame->setLineWidth(1);
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        widget = frame;
        break;
      }
      case DialogItem::Role::Label:
      case DialogItem::Role::Note: {
        auto* label = item.role == DialogItem::Role::Note
                          ? note_
                          : new QLabel(QString::fromStdString(lang::Tr(item.text)), this);
        label->setAlignment((item.alignLeft ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        SetBlackText(label);
        widget = label;
        break;
      }
      case DialogItem::Role::Editor: {
        auto* edit = new FuelEdit(item.field, rows_, this);
        edit->setObjectName(QLatin1String(InfoOf(item.field).name));
        connect(edit, &FuelEdit::Changed, this, [this](FuelEdit* e) { rows_.Changed(e->Field()); });
        connect(edit, &FuelEdit::Refused, this,
                [this](const QString& note) { note_->setText(note); });
        // A click on OK or Cancel takes no focus; Tab onto them stores.
        connect(edit, &FuelEdit::Left, this,
                [this](FuelEdit* e) { flow_.Left(e->Field(), false); });
        editors_.at(editorIndex++) = edit;
        widget = edit;
        break;
      }
      case DialogItem::Role::Cancel:
        widget = cancel_;
        break;
      case DialogItem::Role::Ok:
        widget = ok_;
        break;
    }
    placed_.push_back(widget);
  }

  // The note is read, not beeped: dark red, on up to two lines.
  note_->setWordWrap(true);
  note_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette notePalette = note_->palette();
  notePalette.setColor(QPalette::WindowText, QColor(160, 0, 0));
  note_->setPalette(notePalette);

  cancel_->setObjectName(QStringLiteral("cancel"));
  ok_->setObjectName(QStringLiteral("ok"));
  ok_->setDefault(true);
  for (QPushButton* button : {cancel_, ok_}) {
    // A click must not take the focus: OK then checks the editor the user is
    // still in, and Cancel leaves without checking anything.
    button->setFocusPolicy(Qt::TabFocus);
  }
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(ok_, &QPushButton::clicked, this, &FuelEditorDialog::accept);

  std::vector<QWidget*> tabChain(editors_.begin(), editors_.end());
  tabChain.push_back(cancel_);
  tabChain.push_back(ok_);
  for (std::size_t i = 1; i < tabChain.size(); ++i) setTabOrder(tabChain[i - 1], tabChain[i]);
  flow_.ShowRow();
  editors_.front()->setFocus();

  ApplyLayout(ScreenDpi(this));
  if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

FuelEditorDialog::~FuelEditorDialog() = default;

FuelEdit* FuelEditorDialog::Editor(FuelField field) const {
  return editors_.at(control::EditorFlow::TabIndex(field));
}

void FuelEditorDialog::ApplyLayout(int dpi) {
  const front::DialogLayout layout = front::LayoutDialog(dpi);
  for (std::size_t i = 0; i < layout.items.size(); ++i) {
    const front::Rect& r = layout.items[i].rect;
    placed_.at(i)->setGeometry(r.x, r.y, r.w, r.h);
  }
  const int icon = ScaleForDpi(front::kDialogPicture, dpi);
  cancel_->setIconSize(QSize(icon, icon));
  cancel_->setIcon(PictureIcon(front::Picture::Cancel, icon, devicePixelRatioF()));
  ok_->setIconSize(QSize(icon, icon));
  ok_->setIcon(PictureIcon(front::Picture::Ok, icon, devicePixelRatioF()));
  setFixedSize(layout.clientWidth, layout.clientHeight);
  layoutDpi_ = dpi;
}

// The size is fixed; it only follows the resolution of the screen the dialog
// is on.
void FuelEditorDialog::FollowScreen() {
  const int dpi = ScreenDpi(this);
  if (dpi != layoutDpi_) ApplyLayout(dpi);
}

void FuelEditorDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!screenHooked_ && windowHandle() != nullptr) {
    connect(windowHandle(), &QWindow::screenChanged, this, &FuelEditorDialog::FollowScreen);
    screenHooked_ = true;
  }
  FollowScreen();
}

std::string FuelEditorDialog::EditorText(FuelField field) {
  return Editor(field)->text().toStdString();
}

void FuelEditorDialog::ShowEditorText(FuelField field, const std::string& utf8) {
  Editor(field)->ShowValue(QString::fromStdString(utf8));
}

void FuelEditorDialog::ClearNote() { note_->clear(); }

control::Answer FuelEditorDialog::Ask(const control::Message& message) {
  return AskBox(this, message);
}

void FuelEditorDialog::ReturnTo(FuelField field) {
  Editor(field)->setFocus(Qt::OtherFocusReason);
  Editor(field)->selectAll();
}

void FuelEditorDialog::ComplainLater(FuelField field) {
  QTimer::singleShot(0, this, [this, field] { flow_.Complain(field); });
}

void FuelEditorDialog::accept() {
  if (flow_.Accept()) QDialog::accept();
}

bool RunFuelEditor(control::RowEditor& editor, QWidget* parent) {
  // Closing the parent while the dialog runs deletes the dialog with it.
  QPointer<FuelEditorDialog> dialog = new FuelEditorDialog(editor, parent);
  const bool accepted = dialog->exec() == QDialog::Accepted;
  delete dialog;
  return accepted;
}

}  // namespace quelt::ui
