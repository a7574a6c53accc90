#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWindow>
#include <QtMath>

#include <functional>
#include <utility>

#include "control/enabling.h"
#include "control/row_menu.h"
#include "front/fitting.h"
#include "front/main_look.h"
#include "front/tab_order.h"
#include "front/texts.h"
#include "fuel/status_text.h"
#include "lang/tr.h"
#include "text/text_helpers.h"
#include "ui/backups_dialog.h"
#include "ui/fuel_editor_dialog.h"
#include "ui/fuel_editors.h"
#include "ui/fuel_grid.h"
#include "ui/icons.h"
#include "ui/log_highlighter.h"
#include "ui/message_box.h"
#include "ui/parties_dialog.h"
#include "ui/port_chooser.h"
#include "ui/status_line.h"
#include "ui/utf8_text.h"

namespace quelt::ui {

namespace {

using front::MainControl;

// Qt's keys of control::Key, in its order.
constexpr Qt::Key kQtKeys[] = {Qt::Key_F1,   Qt::Key_F2,     Qt::Key_F5, Qt::Key_Return, Qt::Key_Up,
                               Qt::Key_Down, Qt::Key_Delete, Qt::Key_O,  Qt::Key_S,      Qt::Key_Q,
                               Qt::Key_B,    Qt::Key_E,      Qt::Key_P,  Qt::Key_Insert, Qt::Key_D,
                               Qt::Key_Z,    Qt::Key_Y};
static_assert(std::size(kQtKeys) == static_cast<std::size_t>(control::Key::Y) + 1);

QKeySequence SequenceOf(const control::KeyBinding& k) {
  const Qt::Key key = kQtKeys[static_cast<std::size_t>(k.key)];
  return k.ctrl ? QKeySequence(Qt::CTRL | key) : QKeySequence(key);
}

// The bracket spans of the log: bold in the platform's fixed-pitch face,
// the log's size. The log's text is in the window's own face. Faces asked
// for by name ("Courier New", "Arial") are missing on most systems, and
// searching for their stand-ins was a large part of the start-up.
QFont SpanFont() {
  QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  f.setPointSize(front::kLogFontPoints);
  f.setBold(true);
  return f;
}

// An entry of the legend in its own colours: the sample, then its meaning.
QString LegendEntryHtml(const front::LegendEntry& e) {
  auto name = [](front::Rgb c) { return QColor(c.r, c.g, c.b).name(); };
  const QString sample = QString::fromUtf8(e.sample).toHtmlEscaped();
  return (e.changed ? QStringLiteral("<b style=\"color:%1\">%2</b>").arg(name(e.mark.text), sample)
                    : QStringLiteral("<span style=\"background-color:%1; color:%2\">&nbsp;%3&nbsp;"
                                     "</span>")
                          .arg(name(e.mark.background), name(e.mark.text), sample)) +
         QLatin1Char(' ') + Utf8(lang::Tr(e.meaning)).toHtmlEscaped();
}

const QString kLegendGap = QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;");

// The width of rich text in `font`, as a label lays it out.
int RichWidth(const QString& html, const QFont& font) {
  QTextDocument doc;
  doc.setDefaultFont(font);
  doc.setDocumentMargin(0);
  doc.setHtml(html);
  return qCeil(doc.idealWidth());
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

    const int textHeight = caption.isEmpty() ? 0 : fontMetrics().height();
    const front::CaptionPlaces places =
        front::PlaceCaption(width(), height(), opt.iconSize.width(), textHeight);
    auto rect = [](const front::Rect& r) { return QRect(r.x, r.y, r.w, r.h); };
    picture.paint(&p, rect(places.picture), Qt::AlignCenter,
                  isEnabled() ? QIcon::Normal : QIcon::Disabled);
    if (!caption.isEmpty()) {
      style()->drawItemText(&p, rect(places.caption), Qt::AlignHCenter | Qt::AlignTop, palette(),
                            isEnabled(), caption, QPalette::ButtonText);
    }
  }
};

}  // namespace

// The bar between the log and the button bar: dragged, it gives the log or
// the grid more room. It reports where its top would be in its panel.
class SplitBar : public QWidget {
 public:
  SplitBar(QWidget* parent, std::function<void(int)> dragged, std::function<void()> released)
      : QWidget(parent), dragged_(std::move(dragged)), released_(std::move(released)) {
    setObjectName(QStringLiteral("SplitBar"));
    setCursor(Qt::SplitVCursor);
  }

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) grab_ = event->position().toPoint().y();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if ((event->buttons() & Qt::LeftButton) != 0 && grab_ >= 0)
      dragged_(mapToParent(event->position().toPoint()).y() - grab_);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || grab_ < 0) return;
    grab_ = -1;
    released_();
  }

 private:
  std::function<void(int)> dragged_;
  std::function<void()> released_;
  int grab_ = -1;
};

MainWindow::MainWindow(control::WindowController& controller, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      controller_(controller) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(Utf8(lang::Tr(front::kMainCaption)));
  QFont base = QApplication::font();
  base.setPointSize(front::kBaseFontPoints);
  setFont(base);

  BuildButtonColumn();
  BuildTablePanel();
  BuildKeys();

  // The client area of the design, within the screen; the outer size is set
  // once the frame is known.
  const front::WindowFit fit = ClientFit();
  resize(fit.w, fit.h);
  ApplyDpi();
  controller_.Attach(this);
  PlaceControls();  // at the split remembered from the last run
}

MainWindow::~MainWindow() {
  controller_.Attach(nullptr);
  if (busyCursor_) QApplication::restoreOverrideCursor();
  // The grid listens to the table, which outlives the children otherwise.
  delete grid_;
  grid_ = nullptr;
}

namespace {

// The work area of the screen the window is on.
QRect WorkArea(const QWidget& window) {
  return (window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen())
      ->availableGeometry();
}

}  // namespace

int MainWindow::S(int pixels96) const { return quelt::ScaleForDpi(pixels96, logicalDpiY()); }

front::WindowFit MainWindow::ClientFit() const {
  const QRect area = WorkArea(*this);
  const QSize frame = frameGeometry().size() - size();
  return front::FitMainClient(logicalDpiY(), frame.width(), frame.height(), area.width(),
                              area.height());
}

QWidget* MainWindow::Control(MainControl control) const {
  return controls_[static_cast<std::size_t>(control)];
}

QWidget* MainWindow::Splitter() const { return splitBar_; }

QToolButton* MainWindow::Button(MainControl control) const {
  return qobject_cast<QToolButton*>(Control(control));
}

void MainWindow::BuildButtonColumn() {
  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(1);
  controls_[static_cast<std::size_t>(MainControl::ButtonColumn)] = panel;

  QFont bold = font();
  bold.setPointSize(front::kBigButtonFontPoints);
  bold.setBold(true);
  for (MainControl c :
       {MainControl::RefreshButton, MainControl::SendButton, MainControl::ExitButton}) {
    auto* b = new CaptionButton(panel);
    const QString caption = Utf8(front::CaptionText(front::InfoOf(c)));
    b->setAutoRaise(true);
    b->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextUnderIcon);
    b->setText(caption);
    b->setFont(bold);
    controls_[static_cast<std::size_t>(c)] = b;
  }
  progress_ = new QProgressBar(panel);
  progress_->setRange(0, quelt::kProgressFullScale);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  controls_[static_cast<std::size_t>(MainControl::Progress)] = progress_;

  logo_ = new QLabel(panel);
  logo_->setAlignment(Qt::AlignCenter);
  logo_->setCursor(Qt::PointingHandCursor);
  logo_->installEventFilter(this);
  controls_[static_cast<std::size_t>(MainControl::Logo)] = logo_;
}

void MainWindow::BuildTablePanel() {
  auto* area = new QWidget(this);
  controls_[static_cast<std::size_t>(MainControl::TablePanel)] = area;

  log_ = new QPlainTextEdit(area);
  log_->setReadOnly(true);
  log_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  log_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  log_->setTabChangesFocus(true);
  new LogHighlighter(log_->document(), SpanFont());
  controls_[static_cast<std::size_t>(MainControl::Log)] = log_;
  splitBar_ = new SplitBar(
      area,
      [this](int top) {
        dragLogHeight_ = std::max(front::LogHeightAt96(top, layoutDpi_), 1);
        PlaceControls();
      },
      [this] {
        dragLogHeight_ = 0;
        controller_.SplitMoved(front::LogHeightAt96(log_->height(), layoutDpi_));
        PlaceControls();
      });

  auto* bar = new QFrame(area);
  bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
  controls_[static_cast<std::size_t>(MainControl::ButtonBar)] = bar;
  for (MainControl c : {MainControl::MoveUpButton, MainControl::MoveDownButton,
                        MainControl::OpenButton, MainControl::SaveButton}) {
    controls_[static_cast<std::size_t>(c)] = new QToolButton(bar);
  }
  ports_ = new PortChooserBox(controller_, bar);
  auto* backups = new QToolButton(bar);
  backups->setText(Utf8(front::CaptionText(front::InfoOf(MainControl::BackupsButton))));
  controls_[static_cast<std::size_t>(MainControl::BackupsButton)] = backups;

  grid_ = new FuelGrid(
      controller_, [this](int v) { return S(v); }, area);
  controls_[static_cast<std::size_t>(MainControl::Grid)] = grid_;

  legend_ = new QLabel(area);
  legend_->setTextFormat(Qt::RichText);
  controls_[static_cast<std::size_t>(MainControl::Legend)] = legend_;

  auto* status = new QFrame(area);
  status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  controls_[static_cast<std::size_t>(MainControl::StatusBar)] = status;
  statusLine_ = new ElidedLine(false, status);
  controls_[static_cast<std::size_t>(MainControl::StatusLine)] = statusLine_;
  backupLine_ = new ElidedLine(true, status);
  controls_[static_cast<std::size_t>(MainControl::BackupLine)] = backupLine_;

  rowMenu_ = new QMenu(this);
  rowMenu_->setObjectName(QStringLiteral("RowMenu"));
  // Each item with its key after the tab; items that cannot run now are grey.
  for (const control::RowMenuItem& item : control::RowMenuItems()) {
    QAction* action = rowMenu_->addAction(Utf8(control::MenuText(item)));
    connect(action, &QAction::triggered, this,
            [this, command = item.command] { controller_.Do(command); });
    if (item.command == control::Command::Edit) {
      editRow_ = action;
      editRow_->setObjectName(QStringLiteral("EditRowAction"));
    }
    rowActions_.push_back({action, item.command});
  }

  // Names, tool tips and the clicks of the layout table's controls.
  for (const front::MainControlInfo& info : front::MainControls()) {
    QWidget* widget = Control(info.id);
    widget->setObjectName(QLatin1String(info.name));
    // The hint with the key that does the same.
    if (info.hint[0] != 0) widget->setToolTip(Utf8(control::HintText(info)));
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (const auto command = control::CommandForClick(info.id); button != nullptr && command) {
      connect(button, &QAbstractButton::clicked, this,
              [this, command = *command] { controller_.Do(command); });
    }
  }
  // Items that cannot run now are grey; during a transfer there is no menu.
  connect(rowMenu_, &QMenu::aboutToShow, this, [this] {
    const auto enabled = controller_.RowMenuNow();
    for (std::size_t i = 0; i < rowActions_.size(); ++i) {
      rowActions_[i].first->setEnabled(enabled && (*enabled)[i]);
    }
  });
  connect(grid_, &FuelGrid::PopupRequested, rowMenu_, [this](const QPoint& at) {
    if (controller_.RowMenuNow()) rowMenu_->popup(at);
  });
}

void MainWindow::BuildKeys() {
  for (const control::KeyBinding& k : control::KeyTable()) {
    if (k.inGridOnly) continue;  // the grid reports its own
    std::vector<QKeySequence> sequences{SequenceOf(k)};
    // Enter on the keypad is the same key.
    if (k.key == control::Key::Enter) sequences.push_back(QKeySequence(Qt::CTRL | Qt::Key_Enter));
    for (const QKeySequence& sequence : sequences) {
      auto* shortcut = new QShortcut(sequence, this);
      connect(shortcut, &QShortcut::activated, this,
              [this, command = k.command] { controller_.Do(command); });
    }
  }
  // Tab walks the controls in the windows' shared order; inside the grid
  // the arrow keys move.
  QWidget* previous = nullptr;
  for (MainControl c : front::kTabOrder) {
    if (previous != nullptr) setTabOrder(previous, Control(c));
    previous = Control(c);
    if (c == front::kPortControlFollows) {
      setTabOrder(previous, ports_);
      previous = ports_;
    }
  }
}

void MainWindow::ApplyDpi() {
  layoutDpi_ = logicalDpiY();
  for (const front::ButtonPicture& p : front::ButtonPictures()) {
    Button(p.button)->setIcon(PictureIcon(p.picture, S(p.size), devicePixelRatioF()));
    Button(p.button)->setIconSize(QSize(S(p.size), S(p.size)));
  }
  logo_->setPixmap(LogoPixmap(layoutDpi_ / 96.0, devicePixelRatioF()));
  legend_->setContentsMargins(S(front::kLegendSwatchPad), S(2), S(front::kLegendSwatchPad), S(2));
  legendWidths_ = {{}, RichWidth(kLegendGap, font())};
  for (const front::LegendEntry& e : front::LegendEntries())
    legendWidths_.entries.push_back(RichWidth(LegendEntryHtml(e), font()));
  legendPlaces_.clear();
  grid_->ApplyScale();
  const front::WindowFit fit = ClientFit();
  setMinimumSize(fit.minW, fit.minH);
  PlaceControls();
}

void MainWindow::PlaceControls() {
  const front::MainLayout layout = front::LayoutMain(
      width(), height(), layoutDpi_, dragLogHeight_ > 0 ? dragLogHeight_ : controller_.LogHeight(),
      legendWidths_);
  if (layout.legend != legendPlaces_ || legend_->text().isEmpty()) {
    // What the grid's colours mean, in the colours themselves, in the lines
    // the layout gives them.
    legendPlaces_ = layout.legend;
    QString legend;
    for (std::size_t i = 0; i < legendPlaces_.size(); ++i) {
      if (i > 0) legend += legendPlaces_[i].x == 0 ? QStringLiteral("<br>") : kLegendGap;
      legend += LegendEntryHtml(front::LegendEntries()[i]);
    }
    legend_->setText(legend);
  }
  for (const front::MainControlInfo& info : front::MainControls()) {
    // The table is in client coordinates; a widget sits in its panel's.
    const front::Rect& r = layout.Of(info.id);
    const front::Rect& panel = layout.Of(info.parent);
    const QPoint origin = info.parent == info.id ? QPoint() : QPoint(panel.x, panel.y);
    Control(info.id)->setGeometry(QRect(QPoint(r.x, r.y) - origin, QSize(r.w, r.h)));
  }
  const front::Rect& panel = layout.Of(MainControl::TablePanel);
  const front::Rect& split = layout.splitBar;
  splitBar_->setGeometry(split.x - panel.x, split.y - panel.y, split.w, split.h);
  const front::Rect box = front::PortBoxRect(layout, layoutDpi_);
  const front::Rect& bar = layout.Of(MainControl::ButtonBar);
  ports_->Place(QRect(box.x - bar.x, box.y - bar.y, box.w, box.h));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (logicalDpiY() != layoutDpi_) {
    ApplyDpi();
  } else {
    PlaceControls();
  }
}

void MainWindow::PlaceOnScreen() {
  placed_ = true;
  move(WorkArea(*this).center() - rect().center());
  // Once the window manager has framed the window, give it the outer size of
  // the design, within the screen, and centre it again.
  QTimer::singleShot(0, this, [this] {
    const QSize frame = frameGeometry().size() - size();
    if (frame.width() <= 0 && frame.height() <= 0) return;
    const front::WindowFit fit = ClientFit();
    setMinimumSize(fit.minW, fit.minH);
    resize(fit.w, fit.h);
    QRect outer(QPoint(), QSize(fit.w, fit.h) + frame);
    outer.moveCenter(WorkArea(*this).center());
    move(outer.topLeft());
  });
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!screenHooked_ && windowHandle() != nullptr) {
    // Another screen may have another resolution and pixel ratio.
    connect(windowHandle(), &QWindow::screenChanged, this, [this] { ApplyDpi(); });
    screenHooked_ = true;
  }
  if (event->spontaneous() || shown_) return;  // restored from the task bar: not a new show
  shown_ = true;
  if (!placed_) PlaceOnScreen();
  controller_.Shown();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (controller_.CloseRequested()) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == logo_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    controller_.Do(control::Command::About);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// --- the face ---------------------------------------------------------------

void MainWindow::SetCaption(const std::string& text) { setWindowTitle(Utf8(text)); }

void MainWindow::SetStatusLine(const front::StatusLine& line) { statusLine_->SetParts(line); }

void MainWindow::SetBackupLine(const std::string& text, const std::string& tip) {
  backupLine_->SetLineText(Utf8(text));
  backupLine_->setToolTip(Utf8(tip));
}

void MainWindow::SetEnabled(control::Control control, bool enabled) {
  if (const auto shown = control::MainControlOf(control)) {
    Control(*shown)->setEnabled(enabled);
  } else if (control == control::Control::EditMenu) {
    editRow_->setEnabled(enabled);
  } else {
    ports_->setEnabled(enabled);
  }
}

// The grid asks the controller whether a transfer runs.
void MainWindow::SetTransferLock(bool locked) { grid_->SetFrozen(locked); }

void MainWindow::ClearLog() { log_->clear(); }

void MainWindow::AddLogLine(const std::string& line) { log_->appendPlainText(Utf8(line)); }

void MainWindow::SetProgress(int value) { progress_->setValue(value); }

void MainWindow::SetBusyCursor(bool busy) {
  if (busy == busyCursor_) return;
  busyCursor_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

control::Answer MainWindow::Ask(const control::Message& message) {
  const bool about = message.kind == control::MessageKind::Information;
  return AskBox(this, message, about ? logo_->pixmap() : QPixmap());
}

bool MainWindow::EditRow(control::RowEditor& editor) { return RunFuelEditor(editor, this); }

char32_t MainWindow::DecimalSeparator() const { return ui::DecimalSeparator(); }

void MainWindow::ShowGridStep(const control::GridFollower::Step& step) {
  grid_->Model()->ShowStep(step);
}

bool MainWindow::EditReportParties(control::ReportParties& parties) {
  return ui::EditReportParties(parties, this);
}

void MainWindow::RedrawGrid() {
  grid_->FitColumns();  // bold cells are wider
  grid_->viewport()->update();
}

bool MainWindow::OpenWithSystem(const std::filesystem::path& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path.string().c_str())));
}

void MainWindow::ShowBackups() {
  BackupsDialog dialog(controller_, this);
  dialog.exec();
}

void MainWindow::RequestClose() { close(); }

void MainWindow::RequestCloseLater() { QTimer::singleShot(10, this, &QWidget::close); }

std::string MainWindow::LoadSetting(const std::string& name) {
  QSettings settings(QLatin1String(front::kSettingsOrganisation),
                     QLatin1String(quelt::kProgramName));
  return settings.value(Utf8(name)).toString().toStdString();
}

void MainWindow::StoreSetting(const std::string& name, const std::string& value) {
  QSettings settings(QLatin1String(front::kSettingsOrganisation),
                     QLatin1String(quelt::kProgramName));
  settings.setValue(Utf8(name), Utf8(value));
}

void MainWindow::SetPortChoices(const std::vector<std::string>& texts, int chosen,
                                const std::string& tip) {
  ports_->SetChoices(texts, chosen);
  ports_->setToolTip(Utf8(tip));
}

}  // namespace quelt::ui
