#include "ui/form_main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWindow>

#include "front/layout.h"
#include "front/texts.h"
#include "fuel/backup.h"
#include "fuel/status_text.h"
#include "quelt/version.h"
#include "text/cp1252.h"
#include "text/text_helpers.h"
#include "ui/fuel_editor_dialog.h"
#include "ui/fuel_grid.h"
#include "ui/icons.h"
#include "ui/log_highlighter.h"
#include "ui/status_line.h"

namespace quelt::ui {

namespace {

const char* const kCaption = "QUELT fuel list update";

QString FromWire(const std::string& text) {
  return QString::fromStdString(quelt::Cp1252ToUtf8(text));
}

// Every box has the program's name as its title: short enough for any box.
QString BoxTitle() { return QString::fromLatin1(quelt::kProgramName); }

// A control's hint with the key that does the same (front/layout.h).
QString Hint(quelt::front::MainControl control) {
  return QString::fromStdString(quelt::front::HintText(quelt::front::InfoOf(control)));
}

// "MS Sans Serif" and "Arial" are not on every system: the family's style
// hint picks the platform's own sans or fixed-pitch face instead.
QFont LogFont() {
  QFont f(QStringLiteral("Arial"), 8);
  f.setStyleHint(QFont::SansSerif);
  return f;
}

QFont SpanFont() {
  QFont f(QStringLiteral("Courier New"), 8, QFont::Bold);
  f.setStyleHint(QFont::TypeWriter);
  if (!QFontInfo(f).fixedPitch()) {
    f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSize(8);
    f.setBold(true);
  }
  return f;
}

// A flat button with its picture above its caption, the two centred as one
// group (the style alone puts the picture at the top edge).
class CaptionButton : public QToolButton {
 public:
  using QToolButton::QToolButton;

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter p(this);
    QStyleOptionToolButton opt;
    initStyleOption(&opt);
    const QString caption = opt.text;
    const QIcon picture = opt.icon;
    opt.text.clear();
    opt.icon = QIcon();
    p.drawComplexControl(QStyle::CC_ToolButton, opt);

    const QSize iconSize = opt.iconSize;
    const int gap = caption.isEmpty() ? 0 : fontMetrics().height() / 3;
    const int textHeight = caption.isEmpty() ? 0 : fontMetrics().height();
    const int top = (height() - iconSize.height() - gap - textHeight) / 2;
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    const QRect iconRect(QPoint((width() - iconSize.width()) / 2, top), iconSize);
    picture.paint(&p, iconRect, Qt::AlignCenter, mode);
    if (!caption.isEmpty()) {
      const QRect textRect(0, iconRect.bottom() + 1 + gap, width(), textHeight);
      style()->drawItemText(&p, textRect, Qt::AlignHCenter | Qt::AlignTop, palette(), isEnabled(),
                            caption, QPalette::ButtonText);
    }
  }
};

}  // namespace

TFormMain::TFormMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(QString::fromLatin1(kCaption));
  QFont base = QApplication::font();
  base.setPointSize(front::kBaseFontPoints);
  setFont(base);

  BuildLeftColumn();
  BuildRightArea();
  BuildShortcuts();

  // The client area of the design; the outer size is set once the frame is known.
  resize(S(front::kMainClientWidth), S(front::kMainClientHeight));
  ApplyDpi();
  sendEnabled_ = false;
  UpdateControls();
}

TFormMain::~TFormMain() {
  if (busyCursor_) QApplication::restoreOverrideCursor();
  // The grid listens to the table, which outlives the children otherwise.
  delete dbGridFuel;
  dbGridFuel = nullptr;
}

int TFormMain::S(int pixels96) const { return quelt::ScaleForDpi(pixels96, logicalDpiY()); }

void TFormMain::BuildLeftColumn() {
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(1);
  Panel1 = panel;

  QFont bold = font();
  bold.setPointSize(front::kBigButtonFontPoints);
  bold.setBold(true);
  auto bigButton = [&](const char* name, const QString& caption, const QString& hint) {
    auto* b = new CaptionButton(panel);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoRaise(true);
    b->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextUnderIcon);
    b->setText(caption);
    b->setToolTip(hint);
    b->setFont(bold);
    return b;
  };
  using front::MainControl;
  BtRefresh = bigButton("BtRefresh", QStringLiteral("Refresh"), Hint(MainControl::BtRefresh));
  BtSend = bigButton("BtSend", QStringLiteral("QUELT"), Hint(MainControl::BtSend));
  BtExit = bigButton("BtExit", QString(), Hint(MainControl::BtExit));

  ProgressBarMain = new QProgressBar(panel);
  ProgressBarMain->setObjectName(QStringLiteral("ProgressBarMain"));
  ProgressBarMain->setRange(0, quelt::kProgressFullScale);
  ProgressBarMain->setValue(0);
  ProgressBarMain->setTextVisible(false);

  Image = new QLabel(panel);
  Image->setObjectName(QStringLiteral("Image"));
  Image->setAlignment(Qt::AlignCenter);
  Image->setCursor(Qt::PointingHandCursor);
  Image->installEventFilter(this);

  connect(BtRefresh, &QToolButton::clicked, this, &TFormMain::BtRefreshClick);
  connect(BtSend, &QToolButton::clicked, this, &TFormMain::BtSendClick);
  connect(BtExit, &QToolButton::clicked, this, &TFormMain::BtExitClick);
}

void TFormMain::BuildRightArea() {
  PanelBrennstoffe = new QWidget(this);
  PanelBrennstoffe->setObjectName(QStringLiteral("PanelBrennstoffe"));

  Memo = new QPlainTextEdit(PanelBrennstoffe);
  Memo->setObjectName(QStringLiteral("Memo"));
  Memo->setReadOnly(true);
  Memo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo->setFont(LogFont());
  Memo->setTabChangesFocus(true);
  highlighter_ = new LogHighlighter(Memo->document(), SpanFont());

  auto* bar = new QFrame(PanelBrennstoffe);
  bar->setObjectName(QStringLiteral("ElPanel1"));
  bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
  ElPanel1 = bar;
  auto smallButton = [&](const char* name, const QString& hint) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    return b;
  };
  using front::MainControl;
  Btauf = smallButton("Btauf", Hint(MainControl::Btauf));
  BtAb = smallButton("BtAb", Hint(MainControl::BtAb));
  BtOpen = smallButton("BtOpen", Hint(MainControl::BtOpen));
  BtSave = smallButton("BtSave", Hint(MainControl::BtSave));

  dbGridFuel = new FuelGrid(
      TableFuel, [this](int v) { return S(v); }, PanelBrennstoffe);
  dbGridFuel->setObjectName(QStringLiteral("dbGridFuel"));
  dbGridFuel->setToolTip(Hint(MainControl::dbGridFuel));

  // What the grid's colours mean, in the colours themselves.
  Legend = new QLabel(PanelBrennstoffe);
  Legend->setObjectName(QStringLiteral("Legend"));
  Legend->setTextFormat(Qt::RichText);
  auto swatch = [](int id, int n, const QString& sample, const char* meaning) {
    quelt::FuelRow row;
    row.ID = id;
    row.N = static_cast<std::int16_t>(n);
    const RowMark mark = *MarkOf(row);
    return QStringLiteral("<span style=\"background-color:%1; color:%2\">&nbsp;%3&nbsp;</span> %4")
        .arg(mark.background.name(), mark.text.name(), sample.toHtmlEscaped(),
             QString::fromUtf8(meaning).toHtmlEscaped());
  };
  Legend->setText(
      swatch(16, 1, QString::fromUtf8(front::kLegendSampleNaturalGasH), quelt::kLegendNaturalGasH) +
      QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;") +
      swatch(0, 16, QString::fromUtf8(front::kLegendSampleUnused), quelt::kLegendUnused));

  auto* status = new QFrame(PanelBrennstoffe);
  status->setObjectName(QStringLiteral("StatusBar"));
  status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  StatusBar = status;
  StatusLine = new ElidedLine(false, status);
  StatusLine->setObjectName(QStringLiteral("StatusLine"));
  BackupLine = new ElidedLine(true, status);
  BackupLine->setObjectName(QStringLiteral("BackupLine"));

  Popup1 = new QMenu(this);
  Popup1->setObjectName(QStringLiteral("Popup1"));
  Edit1 = Popup1->addAction(QStringLiteral("Edit"));
  Edit1->setObjectName(QStringLiteral("Edit1"));

  connect(Btauf, &QToolButton::clicked, this, &TFormMain::BtaufClick);
  connect(BtAb, &QToolButton::clicked, this, &TFormMain::BtAbClick);
  connect(BtOpen, &QToolButton::clicked, this, &TFormMain::BtOpenClick);
  connect(BtSave, &QToolButton::clicked, this, &TFormMain::BtSaveClick);
  connect(BackupLine, &ElidedLine::clicked, this, &TFormMain::BackupLineClick);
  connect(Edit1, &QAction::triggered, this, &TFormMain::Edit1Click);
  connect(dbGridFuel, &FuelGrid::DeleteRequested, this, &TFormMain::dbGridFuelDelete);
  connect(dbGridFuel, &FuelGrid::EditRequested, this, &TFormMain::Edit1Click);
  connect(dbGridFuel->Model(), &QAbstractItemModel::modelReset, this, &TFormMain::UpdateStatus);
  connect(dbGridFuel->Model(), &QAbstractItemModel::dataChanged, this, &TFormMain::UpdateStatus);
  connect(dbGridFuel, &FuelGrid::PopupRequested, Popup1,
          [this](const QPoint& at) { Popup1->popup(at); });
}

void TFormMain::ApplyDpi() {
  layoutDpi_ = logicalDpiY();
  struct Picture {
    QToolButton* button;
    QIcon (*icon)(int);
    int size;
  };
  const Picture pictures[] = {
      {BtRefresh, RefreshIcon, front::kBigPicture}, {BtSend, SendIcon, front::kBigPicture},
      {BtExit, ExitIcon, front::kExitPicture},      {Btauf, UpIcon, front::kSmallPicture},
      {BtAb, DownIcon, front::kSmallPicture},       {BtOpen, OpenIcon, front::kSmallPicture},
      {BtSave, SaveIcon, front::kSmallPicture},
  };
  for (const Picture& p : pictures) {
    p.button->setIcon(p.icon(S(p.size)));
    p.button->setIconSize(QSize(S(p.size), S(p.size)));
  }
  Image->setPixmap(LogoPixmap(layoutDpi_ / 96.0, devicePixelRatioF()));
  Legend->setContentsMargins(S(front::kLegendSwatchPad), S(2), S(front::kLegendSwatchPad), S(2));
  dbGridFuel->ApplyScale();
  setMinimumSize(S(front::kMainMinClientWidth), S(front::kMainMinClientHeight));
  PlaceControls();
}

QWidget* TFormMain::Control(front::MainControl control) const {
  using front::MainControl;
  switch (control) {
    case MainControl::Panel1:
      return Panel1;
    case MainControl::BtRefresh:
      return BtRefresh;
    case MainControl::BtSend:
      return BtSend;
    case MainControl::BtExit:
      return BtExit;
    case MainControl::ProgressBarMain:
      return ProgressBarMain;
    case MainControl::Image:
      return Image;
    case MainControl::PanelBrennstoffe:
      return PanelBrennstoffe;
    case MainControl::Memo:
      return Memo;
    case MainControl::ElPanel1:
      return ElPanel1;
    case MainControl::Btauf:
      return Btauf;
    case MainControl::BtAb:
      return BtAb;
    case MainControl::BtOpen:
      return BtOpen;
    case MainControl::BtSave:
      return BtSave;
    case MainControl::dbGridFuel:
      return dbGridFuel;
    case MainControl::Legend:
      return Legend;
    case MainControl::StatusBar:
      return StatusBar;
    case MainControl::StatusLine:
      return StatusLine;
    case MainControl::BackupLine:
      return BackupLine;
  }
  return nullptr;
}

void TFormMain::PlaceControls() {
  const front::MainLayout layout = front::LayoutMain(width(), height(), layoutDpi_);
  for (const front::MainControlInfo& info : front::MainControls()) {
    QWidget* widget = Control(info.id);
    if (widget == nullptr) continue;
    // The table is in client coordinates; a widget sits in its panel's.
    const front::Rect& r = layout.Of(info.id);
    const front::Rect& panel = layout.Of(info.parent);
    const QPoint origin = info.parent == info.id ? QPoint() : QPoint(panel.x, panel.y);
    widget->setGeometry(QRect(QPoint(r.x, r.y) - origin, QSize(r.w, r.h)));
  }
}

void TFormMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (logicalDpiY() != layoutDpi_) {
    ApplyDpi();
  } else {
    PlaceControls();
  }
}

void TFormMain::BuildShortcuts() {
  auto key = [this](QKeyCombination combination, void (TFormMain::*handler)()) {
    auto* shortcut = new QShortcut(QKeySequence(combination), this);
    connect(shortcut, &QShortcut::activated, this, handler);
  };
  key(QKeyCombination(Qt::Key_F5), &TFormMain::BtRefreshClick);
  key(Qt::CTRL | Qt::Key_Return, &TFormMain::BtSendClick);
  key(Qt::CTRL | Qt::Key_Enter, &TFormMain::BtSendClick);
  key(Qt::CTRL | Qt::Key_Up, &TFormMain::BtaufClick);
  key(Qt::CTRL | Qt::Key_Down, &TFormMain::BtAbClick);
  key(QKeyCombination(Qt::Key_F2), &TFormMain::Edit1Click);
  key(Qt::CTRL | Qt::Key_O, &TFormMain::BtOpenClick);
  key(Qt::CTRL | Qt::Key_S, &TFormMain::BtSaveClick);
  key(Qt::CTRL | Qt::Key_Q, &TFormMain::BtExitClick);
  key(QKeyCombination(Qt::Key_F1), &TFormMain::ImageClick);

  // Tab walks the buttons, the grid and the status line; inside the grid
  // the arrow keys move.
  QWidget* const chain[] = {BtRefresh, BtSend,     Btauf,      BtAb, BtOpen,
                            BtSave,    dbGridFuel, BackupLine, Memo, BtExit};
  for (std::size_t i = 1; i < std::size(chain); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void TFormMain::SetSession(quelt::TableSession* session) {
  session_ = session;
  ops_ = session ? &session->Ops() : nullptr;
  UpdateStatus();
}

void TFormMain::UpdateStatus() {
  if (!session_) return;
  setWindowTitle(QString::fromStdString(session_->Caption()));
  StatusLine->SetLineText(QString::fromStdString(quelt::StatusText(session_->Status())));
  BackupLine->SetLineText(QString::fromStdString(quelt::BackupText(session_->LastBackup())));
  BackupLine->setToolTip(
      session_->LastBackup().empty()
          ? QString()
          : QStringLiteral("%1\n%2").arg(QString::fromStdString(session_->LastBackup()),
                                         QString::fromUtf8(quelt::front::kBackupLineClick)));
  BackupLine->setEnabled(!session_->LastBackup().empty());
}

void TFormMain::PlaceOnScreen() {
  placed_ = true;
  const QRect screen =
      (this->screen() ? this->screen() : QGuiApplication::primaryScreen())->availableGeometry();
  move(screen.center() - rect().center());
  // Once the window manager has framed the window, give it the outer size of
  // the design and centre it again.
  QTimer::singleShot(0, this, [this] {
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() <= 0 && frame.height() <= 0) return;
    resize(QSize(S(front::kMainOuterWidth), S(front::kMainOuterHeight)) - frame);
    const QRect area =
        (this->screen() ? this->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    QRect outer(QPoint(), QSize(S(front::kMainOuterWidth), S(front::kMainOuterHeight)));
    outer.moveCenter(area.center());
    move(outer.topLeft());
  });
}

void TFormMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!screenHooked_ && windowHandle() != nullptr) {
    // Another screen may have another resolution and pixel ratio.
    connect(windowHandle(), &QWindow::screenChanged, this, [this] { ApplyDpi(); });
    screenHooked_ = true;
  }
  if (event->spontaneous()) return;  // restored from the task bar: not a new show
  if (!placed_) PlaceOnScreen();
  FormShow();
}

void TFormMain::closeEvent(QCloseEvent* event) {
  if (ops_ && ops_->Busy()) {
    // End the transfer first; the window closes once its closing steps ran.
    closePending_ = true;
    ops_->AbortTransfer();
    event->ignore();
    return;
  }
  closePending_ = false;
  if (!MayDropChanges()) {
    event->ignore();
    return;
  }
  event->accept();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    ImageClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TFormMain::FormShow() {
  if (ops_) ops_->ShowIntro();
  EnableSend(false);
  SetProgress(0);
}

void TFormMain::BtRefreshClick() {
  // Keys reach here also while the button is disabled.
  if (!session_ || transferActive_ || !refreshEnabled_) return;
  if (!MayDropChanges() || transferActive_) return;
  session_->Refresh();
  UpdateStatus();
}

void TFormMain::BtSendClick() {
  if (!session_ || transferActive_ || !sendEnabled_) return;
  session_->Send();
  UpdateStatus();
}

void TFormMain::BtOpenClick() {
  if (!session_ || transferActive_) return;
  if (!MayDropChanges()) return;
  const QString path = AskTableFile(false);
  if (path.isEmpty() || transferActive_) return;
  LoadTable(path);
}

void TFormMain::BtSaveClick() {
  if (!session_ || transferActive_) return;
  const QString path = AskTableFile(true);
  if (!path.isEmpty()) SaveTable(path);
}

bool TFormMain::LoadTable(const QString& path) {
  if (!session_ || transferActive_) return false;
  const bool loaded = session_->LoadFile(QFile::encodeName(path).toStdString());
  UpdateStatus();
  return loaded;
}

bool TFormMain::SaveTable(const QString& path) {
  if (!session_) return false;
  const bool saved = session_->SaveFile(QFile::encodeName(path).toStdString());
  UpdateStatus();
  return saved;
}

QString TFormMain::AskTableFile(bool save) {
  QSettings settings(QLatin1String(front::kSettingsOrganisation),
                     QLatin1String(quelt::kProgramName));
  const QString folder =
      settings.value(QLatin1String(front::kSettingsFolderKey), QDir::homePath()).toString();
  const QString filter = QStringLiteral("%1 (*.%2);;%3 (*)")
                             .arg(QString::fromUtf8(front::kTableFilesName),
                                  QString::fromUtf8(front::kTableFileExtension),
                                  QString::fromUtf8(front::kAllFilesName));
  QFileDialog dialog(this, QString::fromUtf8(save ? front::kSaveTitle : front::kOpenTitle), folder,
                     filter);
  dialog.setObjectName(QStringLiteral("TableFileDialog"));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save) dialog.setDefaultSuffix(QString::fromUtf8(front::kTableFileExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = dialog.selectedFiles().first();
  settings.setValue(QLatin1String(front::kSettingsFolderKey), QFileInfo(path).absolutePath());
  return path;
}

bool TFormMain::MayDropChanges() {
  if (!session_ || !session_->MustAskBeforeDropping()) return true;
  QMessageBox box(QMessageBox::Question, BoxTitle(), QString::fromUtf8(quelt::kUnsentQuestion),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Save: {
      const QString path = AskTableFile(true);
      return !path.isEmpty() && SaveTable(path);
    }
    case QMessageBox::Discard:
      return true;
    default:
      return false;
  }
}

void TFormMain::ImageClick() {
  if (!session_) return;
  const std::filesystem::path backups =
      ops_->BackupsFolder.empty() ? quelt::BackupsRoot() : ops_->BackupsFolder;
  QMessageBox box(
      QMessageBox::Information, BoxTitle(),
      QString::fromStdString(quelt::AboutText(QUELT_VERSION, session_->Port(), backups)),
      QMessageBox::Ok, this);
  box.setObjectName(QStringLiteral("AboutBox"));
  box.setTextFormat(Qt::PlainText);
  box.setIconPixmap(Image->pixmap());
  box.exec();
}

void TFormMain::BackupLineClick() {
  if (!session_ || session_->LastBackup().empty()) return;
  const QString file = QString::fromStdString(session_->LastBackup());
  QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absolutePath()));
}

void TFormMain::BtExitClick() { close(); }

void TFormMain::BtaufClick() {
  if (ops_ && !transferActive_) ops_->MoveUp();
}

void TFormMain::BtAbClick() {
  if (ops_ && !transferActive_) ops_->MoveDown();
}

void TFormMain::Edit1Click() {
  if (transferActive_) return;
  EditFuelRow(TableFuel, false, this);
}

void TFormMain::dbGridFuelDelete() {
  if (transferActive_ || TableFuel.IsEmpty()) return;
  QMessageBox box(QMessageBox::Question, BoxTitle(), QStringLiteral("Datensatz löschen?"),
                  QMessageBox::Ok | QMessageBox::Cancel, this);
  // Enter must not delete: the safe answer is the default.
  box.setDefaultButton(QMessageBox::Cancel);
  box.setEscapeButton(QMessageBox::Cancel);
  if (box.exec() != QMessageBox::Ok) return;
  // The box ran an event loop: the table may have changed meanwhile.
  if (transferActive_ || TableFuel.IsEmpty()) return;
  TableFuel.Delete();
}

void TFormMain::ClearLog() { Memo->clear(); }

void TFormMain::AddLogLine(const std::string& line) { Memo->appendPlainText(FromWire(line)); }

void TFormMain::SetProgress(int value) {
  // A send of more than 15 rows counts on past the full scale.
  ProgressBarMain->setValue(qBound(0, value, quelt::kProgressFullScale));
}

void TFormMain::SetBusyCursor(bool busy) {
  if (busy == busyCursor_) return;
  busyCursor_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void TFormMain::ShowMessage(const std::string& text) {
  // Every message of the operations reports a problem.
  QMessageBox box(QMessageBox::Warning, BoxTitle(), FromWire(text), QMessageBox::Ok, this);
  box.setDefaultButton(QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool TFormMain::Confirm(const std::string& question) {
  QMessageBox box(QMessageBox::Question, BoxTitle(), FromWire(question),
                  QMessageBox::Yes | QMessageBox::No, this);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void TFormMain::EnableRefresh(bool enabled) {
  refreshEnabled_ = enabled;
  UpdateControls();
}

void TFormMain::EnableSend(bool enabled) {
  sendEnabled_ = enabled;
  UpdateControls();
}

void TFormMain::SetTransferActive(bool active) {
  transferActive_ = active;
  dbGridFuel->SetLocked(active);
  UpdateControls();
  if (!active && closePending_) {
    // Close from the outer event loop, once the operation has returned.
    QTimer::singleShot(0, this, &TFormMain::CloseWhenIdle);
  }
}

void TFormMain::CloseWhenIdle() {
  if (ops_ && ops_->Busy()) {
    QTimer::singleShot(10, this, &TFormMain::CloseWhenIdle);
  } else {
    close();
  }
}

void TFormMain::UpdateControls() {
  BtRefresh->setEnabled(refreshEnabled_ && !transferActive_);
  BtSend->setEnabled(sendEnabled_ && !transferActive_);
  Btauf->setEnabled(!transferActive_);
  BtAb->setEnabled(!transferActive_);
  BtOpen->setEnabled(!transferActive_);
  BtSave->setEnabled(!transferActive_);
  Edit1->setEnabled(!transferActive_);
}

}  // namespace quelt::ui
