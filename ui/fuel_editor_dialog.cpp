#include "ui/fuel_editor_dialog.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "front/layout.h"
#include "fuel/status_text.h"
#include "text/text_helpers.h"
#include "ui/dialog_icons.h"
#include "ui/fuel_editors.h"

namespace quelt::ui {
namespace {

// The designed layout (front/layout.h, shared with the Windows window) is
// shown whole: the client area is 318 x 276 scaled, not the smaller outer
// size that used to cut off its right-hand edge.
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

}  // namespace

QRect DialogLayout::Rect(const char* name) const {
  for (const Item& item : items) {
    if (qstrcmp(item.name, name) == 0) return item.rect;
  }
  return {};
}

DialogLayout ComputeDialogLayout(int dpi) {
  const front::DialogLayout shared = front::LayoutDialog(dpi);
  DialogLayout layout;
  layout.client = QSize(shared.clientWidth, shared.clientHeight);
  for (const DialogItem& item : shared.items) {
    layout.items.push_back({item.name, QRect(item.rect.x, item.rect.y, item.rect.w, item.rect.h)});
  }
  return layout;
}

TFormBrennstoffdialog::TFormBrennstoffdialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("FormBrennstoffdialog"));
  setWindowTitle(QStringLiteral("Edit fuel"));
  // The original's "MS Sans Serif" does not exist everywhere: the system's
  // sans at the same 8 points.
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setPointSize(8);
  setFont(font);
  QPalette face = palette();
  face.setColor(QPalette::Window, face.color(QPalette::Button));
  setPalette(face);
  setAutoFillBackground(true);

  // Frames first, so that the editors lie above them; editors in tab order.
  std::size_t editorIndex = 0;
  for (const DialogItem& item : front::LayoutDialog(96).items) {
    switch (item.kind) {
      case DialogItem::Kind::Frame: {
        auto* frame = new QFrame(this);
        frame->setObjectName(QLatin1String(item.name));
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        frame->setLineWidth(1);
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        SetBlackText(frame);
        break;
      }
      case DialogItem::Kind::Label: {
        auto* label = new QLabel(QString::fromUtf8(item.text), this);
        label->setObjectName(QLatin1String(item.name));
        label->setAlignment((item.alignLeft ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        SetBlackText(label);
        break;
      }
      case DialogItem::Kind::Editor: {
        auto* editor = new FuelEdit(item.field, locale_, this);
        editor->setObjectName(QLatin1String(item.name));
        connect(editor, &FuelEdit::Changed, this, &TFormBrennstoffdialog::EditorChanged);
        connect(editor, &FuelEdit::Left, this, &TFormBrennstoffdialog::EditorLeft);
        editors_.at(editorIndex++) = editor;
        break;
      }
      case DialogItem::Kind::Button:
        break;  // below
    }
  }
  Editor(FuelField::ID)->setReadOnly(true);

  btCancel_ = new PictureButton(this);
  btCancel_->setObjectName(QStringLiteral("BtCancel"));
  btOk_ = new PictureButton(this);
  btOk_->setObjectName(QStringLiteral("BtOk"));
  btOk_->setDefault(true);
  for (QPushButton* button : {btCancel_, btOk_}) {
    // A click must not take the focus: OK then checks the editor the user is
    // still in, and Cancel leaves without checking anything.
    button->setFocusPolicy(Qt::TabFocus);
  }
  connect(btCancel_, &QPushButton::clicked, this, &TFormBrennstoffdialog::BtCancelClick);
  connect(btOk_, &QPushButton::clicked, this, &TFormBrennstoffdialog::accept);

  std::vector<QWidget*> tabChain(editors_.begin(), editors_.end());
  tabChain.push_back(btCancel_);
  tabChain.push_back(btOk_);
  for (std::size_t i = 1; i < tabChain.size(); ++i) setTabOrder(tabChain[i - 1], tabChain[i]);
  editors_.front()->setFocus();

  ApplyLayout(ScreenDpi(this));
  if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

TFormBrennstoffdialog::~TFormBrennstoffdialog() = default;

FuelEdit* TFormBrennstoffdialog::Editor(FuelField field) const {
  for (FuelEdit* editor : editors_) {
    if (editor->Field() == field) return editor;
  }
  return nullptr;
}

void TFormBrennstoffdialog::SetReadOnly() {
  for (FuelEdit* editor : editors_) editor->SetDisplayOnly(true);
}

void TFormBrennstoffdialog::Bind(FuelTable* table) {
  table_ = table;
  ShowRow();
}

void TFormBrennstoffdialog::Unbind() { table_ = nullptr; }

bool TFormBrennstoffdialog::AnyModified() const {
  for (const FuelEdit* editor : editors_) {
    if (editor->IsModified()) return true;
  }
  return false;
}

void TFormBrennstoffdialog::ShowRow() {
  const bool noRow =
      table_ == nullptr || (table_->IsEmpty() && table_->GetState() == FuelTable::State::Browse);
  for (FuelEdit* editor : editors_) {
    editor->ShowValue(noRow ? QString()
                            : FieldDisplayText(table_->Current(), editor->Field(), locale_));
  }
}

void TFormBrennstoffdialog::ApplyLayout(int dpi) {
  const DialogLayout layout = ComputeDialogLayout(dpi);
  for (const DialogLayout::Item& item : layout.items) {
    if (auto* widget = findChild<QWidget*>(QLatin1String(item.name), Qt::FindDirectChildrenOnly)) {
      widget->setGeometry(item.rect);
    }
  }
  const int icon = ScaleForDpi(front::kDialogPicture, dpi);
  btCancel_->setIconSize(QSize(icon, icon));
  btCancel_->setIcon(CancelPicture(icon, devicePixelRatioF()));
  btOk_->setIconSize(QSize(icon, icon));
  btOk_->setIcon(OkPicture(icon, devicePixelRatioF()));
  setFixedSize(layout.client);
  layoutDpi_ = dpi;
}

// The size is fixed; it only follows the resolution of the screen the dialog
// is on.
void TFormBrennstoffdialog::FormResize() {
  const int dpi = ScreenDpi(this);
  if (dpi != layoutDpi_) ApplyLayout(dpi);
}

void TFormBrennstoffdialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!screenHooked_ && windowHandle() != nullptr) {
    connect(windowHandle(), &QWindow::screenChanged, this, &TFormBrennstoffdialog::FormResize);
    screenHooked_ = true;
  }
  FormResize();
}

void TFormBrennstoffdialog::BtCancelClick() { reject(); }

void TFormBrennstoffdialog::EditorChanged(FuelEdit*) {
  if (table_ == nullptr || table_->GetState() != FuelTable::State::Browse) return;
  if (!table_->IsEmpty()) {
    table_->Edit();
    return;
  }
  // A new row holds no value until the user gives it one.
  table_->Append();
  for (const FuelFieldInfo& info : FuelFields()) table_->SetNull(info.field);
}

bool TFormBrennstoffdialog::StoreEditor(FuelEdit* editor, QString* message) {
  if (table_ == nullptr || !editor->IsPending() || table_->GetState() == FuelTable::State::Browse) {
    return true;
  }
  const FuelField field = editor->Field();
  const FieldInput input = ReadFieldText(field, editor->text(), locale_);
  switch (input.kind) {
    case FieldInput::Kind::Null:
      table_->SetNull(field);
      // Show the value the analyser will get instead of a blank.
      if (field != FuelField::Description) {
        editor->setText(FieldDisplayText(table_->Current(), field, locale_));
      }
      break;
    case FieldInput::Kind::Integer:
      table_->SetInteger(field, input.integer);
      break;
    case FieldInput::Kind::Decimal:
      table_->SetDecimal(field, input.decimal);
      break;
    case FieldInput::Kind::Text:
      table_->SetDescription(input.text);
      break;
    case FieldInput::Kind::Invalid:
      *message = input.error;
      return false;
  }
  editor->SetStored();
  return true;
}

void TFormBrennstoffdialog::EditorLeft(FuelEdit* editor) {
  QString message;
  if (StoreEditor(editor, &message)) return;
  // The focus is on its way elsewhere; let it arrive, then complain and bring
  // it back.
  QPointer<FuelEdit> target(editor);
  QTimer::singleShot(0, this, [this, target, message] {
    if (target) ShowFieldError(target, message);
  });
}

void TFormBrennstoffdialog::ShowFieldError(FuelEdit* editor, const QString& message) {
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kProgramName), message, QMessageBox::Ok,
                  this);
  box.exec();
  editor->setFocus(Qt::OtherFocusReason);
  editor->selectAll();
}

void TFormBrennstoffdialog::accept() {
  for (FuelEdit* editor : editors_) {
    QString message;
    if (!StoreEditor(editor, &message)) {
      ShowFieldError(editor, message);
      return;
    }
  }
  QDialog::accept();
}

void EditFuelRow(FuelTable& table, bool readOnly, QWidget* parent) {
  QPointer<TFormBrennstoffdialog> dialog = new TFormBrennstoffdialog(parent);
  if (readOnly) dialog->SetReadOnly();
  dialog->Bind(&table);
  const bool ok = dialog->exec() == QDialog::Accepted;
  const bool editing = table.GetState() != FuelTable::State::Browse;
  if (ok && dialog && editing && dialog->AnyModified()) {
    table.SetInteger(FuelField::N, table.RecordCount() + 1);
    table.Post();
  } else if (editing) {
    table.Cancel();
  }
  if (dialog) {
    dialog->Unbind();
    delete dialog;
  }
}

}  // namespace quelt::ui
