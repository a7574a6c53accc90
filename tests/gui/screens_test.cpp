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

#include "control/messages.h"
#include "control/row_editor.h"
#include "gui_rig.h"
#include "lang/tr.h"
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
// room it gets: "ObjectName 'text' needs 80, has 64". The status and backup
// lines elide their middle by design and show the whole as their tool tip.
QStringList CutTexts(const QWidget& top) {
  QStringList cut;
  auto check = [&cut](const QWidget& w, const QString& text, int room, bool rich) {
    const int need = TextWidth(w, text, rich);
    if (!text.isEmpty() && need > room) {
      cut << QStringLiteral("%1 '%2' needs %3, has %4")
                 .arg(w.objectName(), text)
                 .arg(need)
                 .arg(room);
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
  return cut;
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

  // German from the catalogue: the caption, a button, the legend, a message
  // box with its buttons and the editor; no text cut off at this resolution.
  void speaksGermanWithNoTextCutOff() {
    QVERIFY(quelt::lang::SetLanguage("de"));
    struct English {
      ~English() { quelt::lang::SetLanguage("en"); }
    } english;
    QStringList buttons;
    WhenModal<QMessageBox>([&buttons](QMessageBox& box) {
      buttons << box.text();
      for (QAbstractButton* b : box.buttons()) buttons << b->text();
    });
    // Before the window: its own helper answers every box it sees.
    AskBox(nullptr, quelt::control::UnsentQuestion());
    QVERIFY2(buttons.size() == 4, qPrintable(buttons.join(QLatin1Char('|'))));
    QVERIFY(buttons[0].startsWith(QStringLiteral("Die Tabelle")));
    for (const char* word : {"&Speichern", "&Verwerfen", "Abbrechen"}) {
      QVERIFY2(buttons.contains(QString::fromUtf8(word)),
               qPrintable(buttons.join(QLatin1Char('|'))));
    }

    Rig rig(WithRows(Rows(20, 5)));
    MainWindow& f = *rig.form;
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    RefreshButton(f)->click();
    QCOMPARE(f.windowTitle(), QStringLiteral("QUELT Brennstoffliste aktualisieren"));
    QCOMPARE(RefreshButton(f)->text(), QStringLiteral("Lesen"));
    QVERIFY2(f.Legend()->text().contains(QStringLiteral("Erdgas H")),
             qPrintable(f.Legend()->text()));
    QVERIFY(f.StatusLine()->text().contains(QStringLiteral("Zeilen")));
    // The operations' lines are Windows-1252 on their way to the log.
    QVERIFY2(
        rig.LogLines().contains(QStringLiteral("[ Taste \"Lesen\" dr\u00fccken.            ]")),
        qPrintable(rig.LogLines().join(QLatin1Char('\n'))));
    const QStringList mainCut = CutTexts(f);
    QVERIFY2(mainCut.isEmpty(), qPrintable(mainCut.join(QLatin1Char('\n'))));

    quelt::control::RowEditor editor(rig.Table(), false, U'.');
    QStringList editorCut;
    QString editorTitle;
    WhenModal<FuelEditorDialog>([&](FuelEditorDialog& d) {
      editorTitle = d.windowTitle();
      editorCut = CutTexts(d);
    });
    FuelEditorDialog dialog(editor, &f);
    dialog.exec();
    QCOMPARE(editorTitle, QStringLiteral("Brennstoff bearbeiten"));
    QVERIFY2(editorCut.isEmpty(), qPrintable(editorCut.join(QLatin1Char('\n'))));
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
