// The window on a 1280 x 900 screen at the resolution QUELT_TEST_DPI names
// (96 when unset): the offscreen platform's one screen, set before the
// application starts. The window lies on the screen, the status line shows
// whole, and the grid scrolls to its last column (Soot) and its last row.
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <QTextDocument>

#include "control/box_buttons.h"
#include "control/messages.h"
#include "control/row_editor.h"
#include "front/texts.h"
#include "fuel/status_text.h"
#include "gui_rig.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "tests/support/languages.h"
#include "ui/backups_dialog.h"
#include "ui/fuel_editor_dialog.h"
#include "ui/fuel_grid.h"
#include "ui/message_box.h"
#include "ui/status_line.h"

using namespace quelt::ui;

namespace {

int TestDpi() {
  const int dpi = qEnvironmentVariableIntValue("QUELT_TEST_DPI");
  return dpi > 0 ? dpi : 96;
}

// The width `text` needs in `w`'s font: rich text as laid out, else one
// line without the mnemonic's '&'.
int TextWidth(const QWidget& w, const QString& text, bool rich) {
  if (rich) {
    QTextDocument doc;
    doc.setDefaultFont(w.font());
    doc.setDocumentMargin(0);
    doc.setHtml(text);
    return qCeil(doc.idealWidth());
  }
  return w.fontMetrics().horizontalAdvance(QString(text).remove(QLatin1Char('&')));
}

// Every button and one-line label under `top` whose text is wider than the
// room it gets ("ObjectName 'text' needs 80, has 64"), and the tightest fit
// of all: the text that takes most of its room. The status and backup lines
// elide their middle by design and show the whole as their tool tip.
struct Fit {
  QStringList cut;
  double tightest = 0;  // need / room
  QString what;

  void Take(const Fit& other) {
    cut << other.cut;
    if (other.tightest > tightest) {
      tightest = other.tightest;
      what = other.what;
    }
  }
};
Fit CutTexts(const QWidget& top) {
  Fit fit;
  auto check = [&fit](const QWidget& w, const QString& text, int room, bool rich) {
    if (text.isEmpty()) return;
    const int need = TextWidth(w, text, rich);
    const QString what =
        QStringLiteral("%1 '%2' needs %3, has %4").arg(w.objectName(), text).arg(need).arg(room);
    if (need > room) fit.cut << what;
    const double ratio = room > 0 ? double(need) / room : 99;
    if (ratio > fit.tightest) {
      fit.tightest = ratio;
      fit.what = what;
    }
  };
  for (const QAbstractButton* b : top.findChildren<QAbstractButton*>()) {
    if (!b->isVisible() || qobject_cast<const ElidedLine*>(b)) continue;
    // A tool button's text stands beside or under its icon, inside the frame.
    check(*b, b->text(), b->contentsRect().width() - 4, false);
  }
  for (const QLabel* l : top.findChildren<QLabel*>()) {
    if (!l->isVisible() || l->wordWrap()) continue;
    check(*l, l->text(), l->contentsRect().width(), l->textFormat() == Qt::RichText);
  }
  return fit;
}

// Runs `inspect` on the modal widget of type T as soon as it is up, then
// closes it.
template <class T>
void WhenModal(std::function<void(T&)> inspect) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, timer, [timer, inspect] {
    auto* modal = qobject_cast<T*>(QApplication::activeModalWidget());
    if (modal == nullptr) return;
    timer->stop();
    timer->deleteLater();
    inspect(*modal);
    modal->reject();
  });
  timer->start(20);
}

}  // namespace

class ScreensTest : public QObject {
  Q_OBJECT

 private slots:
  void fitsTheScreenWithEveryColumnReachable() {
    Rig rig(WithRows(Rows(20, 5)));
    MainWindow& f = *rig.form;
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QCOMPARE(qRound(f.screen()->logicalDotsPerInch() * f.screen()->devicePixelRatio()), TestDpi());
    QCoreApplication::processEvents();  // the placement once framed

    const QRect area = f.screen()->availableGeometry();
    QVERIFY2(area.contains(f.frameGeometry()), "the window reaches beyond the screen");
    RefreshButton(f)->click();
    QCOMPARE(rig.Table().RowCount(), 20);
    for (QWidget* part : {static_cast<QWidget*>(f.StatusLine()), static_cast<QWidget*>(f.Grid()),
                          static_cast<QWidget*>(ExitButton(f))}) {
      const QRect shown(part->mapTo(&f, QPoint()), part->size());
      QVERIFY2(part->isVisible() && !shown.isEmpty() && f.rect().contains(shown),
               qPrintable(part->objectName() + QStringLiteral(" is not shown whole")));
    }
    QVERIFY(!f.StatusLine()->text().isEmpty());

    // The grid gets most of the window: ten rows at least, at every resolution.
    FuelGrid* grid = f.Grid();
    int whole = 0;
    for (int r = 0; r < 20; ++r) {
      whole += grid->viewport()->rect().contains(grid->visualRect(grid->model()->index(r, 0)));
    }
    QVERIFY2(whole >= 10, qPrintable(QStringLiteral("%1 rows shown whole").arg(whole)));

    // The split bar dragged down: the log grows, and the place is kept.
    QWidget* bar = f.Splitter();
    const int logBefore = f.Log()->height();
    auto mouse = [bar](QEvent::Type type, int y, Qt::MouseButtons buttons) {
      const QPointF at(bar->width() / 2.0, y);
      QMouseEvent event(type, at, bar->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
      QApplication::sendEvent(bar, &event);
    };
    mouse(QEvent::MouseButtonPress, 1, Qt::LeftButton);
    mouse(QEvent::MouseMove, 41, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 41, Qt::NoButton);
    QCOMPARE(f.Log()->height(), logBefore + 40);
    QCOMPARE(f.Controller().LogHeight(),
             quelt::front::LogHeightAt96(logBefore + 40, f.logicalDpiY()));
    QCOMPARE(bar->y(), f.Log()->height());

    const QModelIndex soot = grid->model()->index(19, quelt::kFuelFieldCount - 1);
    grid->scrollTo(soot);
    QVERIFY2(grid->viewport()->rect().contains(grid->visualRect(soot)),
             "the last row's Soot cell cannot be scrolled into view");
  }

  // Each of the analyser's languages from its catalogue: the caption, the
  // buttons, the legend, the status line, a message box with its buttons,
  // the editor and the Backups view; no text cut off at this resolution.
  // The tightest fit is printed for the notes on the translations.
  void speaksEachLanguageWithNoTextCutOff_data() {
    QTest::addColumn<int>("language");
    for (std::size_t i = 0; i < std::size(quelt::test::kNineLanguages); ++i)
      QTest::newRow(quelt::test::kNineLanguages[i].code) << static_cast<int>(i);
  }

  void speaksEachLanguageWithNoTextCutOff() {
    using quelt::lang::Tr;
    QFETCH(int, language);
    const quelt::test::SpokenLanguage& spoken = quelt::test::kNineLanguages[language];
    const QString code = QString::fromUtf8(spoken.code);
    QVERIFY(quelt::lang::SetLanguage(spoken.code));
    struct English {
      ~English() { quelt::lang::SetLanguage("en"); }
    } english;
    auto utf8 = [](const std::string& text) { return QString::fromStdString(text); };
    Fit fit;
    QStringList buttons;
    WhenModal<QMessageBox>([&buttons, &fit](QMessageBox& box) {
      buttons << box.text();
      for (QAbstractButton* b : box.buttons()) buttons << b->text();
      fit.Take(CutTexts(box));
    });
    // Before the window: its own helper answers every box it sees.
    const quelt::control::Message unsent = quelt::control::UnsentQuestion();
    AskBox(nullptr, unsent);
    QVERIFY2(buttons.size() == 4, qPrintable(buttons.join(QLatin1Char('|'))));
    QCOMPARE(buttons[0], utf8(unsent.text));
    // English keeps Qt's own words, which mark no key here.
    const QString words = buttons.join(QLatin1Char('|')).remove(QLatin1Char('&'));
    for (const auto answer : {quelt::control::Answer::Save, quelt::control::Answer::Discard,
                              quelt::control::Answer::Cancel}) {
      const QString word = utf8(quelt::control::ButtonWord(answer));
      QVERIFY2(buttons.contains(word) || (code == QStringLiteral("en") &&
                                          words.contains(QString(word).remove(QLatin1Char('&')))),
               qPrintable(words));
    }

    Rig rig(WithRows(Rows(20, 5)));
    MainWindow& f = *rig.form;
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    RefreshButton(f)->click();
    QCOMPARE(f.windowTitle(), QString::fromUtf8(spoken.caption));
    for (const quelt::test::SpokenText& t : quelt::test::SpokenTexts(spoken, 20, 15)) {
      const QWidget* control = f.Control(t.control);
      const QString shown = control->property("text").toString();
      QVERIFY2(shown.contains(utf8(t.text)),
               qPrintable(shown + QStringLiteral(" / ") + utf8(t.text)));
    }
    // The operations' lines reach the log in the language too.
    const QString press = utf8(Tr("Press Button \"Refresh\"."));
    QVERIFY2(rig.LogLines().filter(press).size() == 1,
             qPrintable(press + QLatin1Char('\n') + rig.LogLines().join(QLatin1Char('\n'))));
    fit.Take(CutTexts(f));

    quelt::control::RowEditor editor(rig.Table(), false, U'.');
    QString editorTitle;
    WhenModal<FuelEditorDialog>([&](FuelEditorDialog& d) {
      editorTitle = d.windowTitle();
      fit.Take(CutTexts(d));
    });
    FuelEditorDialog dialog(editor, &f);
    dialog.exec();
    QCOMPARE(editorTitle, utf8(Tr("Edit fuel")));

    QString backupsTitle;
    WhenModal<BackupsDialog>([&](BackupsDialog& d) {
      backupsTitle = d.windowTitle();
      fit.Take(CutTexts(d));
    });
    BackupsDialog backups(f.Controller(), &f);
    backups.exec();
    const std::string backupsWord = Tr(quelt::front::kBackupsCaption);
    QVERIFY2(backupsTitle.startsWith(utf8(backupsWord + " - ")), qPrintable(backupsTitle));

    qInfo("%s at %d dpi: tightest fit %.2f: %s", qPrintable(code), TestDpi(), fit.tightest,
          qPrintable(fit.what));
    QVERIFY2(fit.cut.isEmpty(), qPrintable(fit.cut.join(QLatin1Char('\n'))));
  }
};

int main(int argc, char** argv) {
  QTemporaryDir dir;
  const QString config = dir.filePath(QStringLiteral("screens.json"));
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return 2;
  file.write(QStringLiteral(R"({"screens": [{"name": "Laptop", "x": 0, "y": 0, "width": 1280,
      "height": 900, "logicalDpi": %1, "logicalBaseDpi": 96, "dpr": 1}]})")
                 .arg(TestDpi())
                 .toUtf8());
  file.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
  QApplication app(argc, argv);
  ScreensTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "screens_test.moc"
