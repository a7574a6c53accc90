// The window as a technician uses it: table files, the question before
// unsent changes are dropped, the status line and its causes, the keys, the
// colour legend, the message boxes and the grid's columns following the
// values both ways.
#include <time.h>

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>

#include "front/tab_order.h"
#include "fuel/status_text.h"
#include "gui_rig.h"
#include "sim/inprocess_line.h"
#include "text/text_helpers.h"
#include "ui/fuel_editor_dialog.h"
#include "ui/fuel_editors.h"
#include "ui/fuel_grid.h"
#include "ui/port_chooser.h"
#include "ui/status_line.h"

using quelt::sim::Config;
using namespace quelt::ui;

namespace {

// Every cell as the grid shows it, row by row.
QStringList Cells(const MainWindow& f) {
  QStringList out;
  const auto* m = f.Grid()->model();
  for (int r = 0; r < m->rowCount(); ++r) {
    QStringList row;
    for (int c = 0; c < m->columnCount(); ++c) row << m->index(r, c).data().toString();
    out << row.join(QLatin1Char('|'));
  }
  return out;
}

QString WriteFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return {};
  file.write(text);
  return path;
}

void Activate(MainWindow& f) {
  f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&f));
}

// A key pressed in the window, which is active again after any dialog.
void Press(MainWindow& f, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  Activate(f);
  QTest::keyClick(&f, key, modifiers);
}

// Changes the table the way the user would: the first row moves down.
void MoveFirstRowDown(Rig& rig) {
  rig.Table().MoveToFirst();
  MoveDownButton(*rig.form)->click();
}

const QString kTitle = QStringLiteral("quelt-fuel");

}  // namespace

// Receives the URLs the window asks the desktop to open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls << url; }
};

class WorkbenchTest : public QObject {
  Q_OBJECT

 private slots:
  void saveThenLoadGivesTheSameGrid() {
    Rig rig(WithRows(Rows(17, 3)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    const QStringList before = Cells(f);
    QVERIFY(!f.windowTitle().contains(QStringLiteral("not sent")));

    rig.boxes.file = rig.files.filePath(QStringLiteral("kept.txt"));
    Press(f, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QFile::exists(rig.boxes.file));
    QCOMPARE(rig.LogLines().last(), QStringLiteral("Saved 17 rows to ") + rig.boxes.file);
    // The folder is remembered for the next file.
    QCOMPARE(QSettings(QStringLiteral("quelt-fuel"), QStringLiteral("quelt-fuel"))
                 .value(QStringLiteral("files/folder"))
                 .toString(),
             rig.files.path());

    rig.Table().Clear();
    rig.boxes.answer = QMessageBox::Discard;
    Press(f, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(Cells(f), before);
    QCOMPARE(rig.LogLines().last(),
             QStringLiteral("Loaded 17 rows from %1: not sent yet").arg(rig.boxes.file));
    // A loaded table is not on the analyser, even where it equals its table.
    QCOMPARE(f.windowTitle(), QStringLiteral("QUELT fuel list update - changes not sent"));
    QCOMPARE(rig.boxes.fileDialogs,
             (QStringList{QStringLiteral("Save the table"), QStringLiteral("Load a table")}));
  }

  void faultyFileNamesItsLineAndKeepsTheGrid() {
    Rig rig(WithRows(Rows(3)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    const QStringList before = Cells(f);
    const QString path = WriteFile(rig.files.filePath(QStringLiteral("bad.txt")),
                                   "1;101;Gas;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;\n"
                                   "# a comment\n"
                                   "2;102;Oil;12,x;0,64;0,009;3,0;7,70;9,40;31,68;0;\n");
    QVERIFY(!f.Controller().LoadTable(path.toStdString()));
    QCOMPARE(rig.boxes.texts.size(), 1);
    QCOMPARE(rig.boxes.texts[0], QStringLiteral("Not loaded: bad.txt, line 3: Co2Max '12,x' is "
                                                "not a number. The table is as it was."));
    QCOMPARE(rig.boxes.boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(Cells(f), before);
    QVERIFY(!f.windowTitle().contains(QStringLiteral("not sent")));
  }

  void unsentChangesAskBeforeTheyAreDropped_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("goesOn");
    const QString actions[] = {QStringLiteral("exit"), QStringLiteral("close"),
                               QStringLiteral("refresh")};
    for (const QString& a : actions) {
      QTest::addRow("%s save", qPrintable(a)) << a << int(QMessageBox::Save) << true;
      QTest::addRow("%s discard", qPrintable(a)) << a << int(QMessageBox::Discard) << true;
      QTest::addRow("%s cancel", qPrintable(a)) << a << int(QMessageBox::Cancel) << false;
    }
  }
  void unsentChangesAskBeforeTheyAreDropped() {
    QFETCH(QString, action);
    QFETCH(int, answer);
    QFETCH(bool, goesOn);
    Rig rig(WithRows(Rows(4)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    MoveFirstRowDown(rig);
    QCOMPARE(f.windowTitle(), QStringLiteral("QUELT fuel list update - changes not sent"));
    const QStringList moved = Cells(f);
    rig.sim->ClearTranscript();

    rig.boxes.answer = static_cast<QMessageBox::StandardButton>(answer);
    rig.boxes.file = rig.files.filePath(QStringLiteral("before.txt"));
    if (action == QLatin1String("exit")) ExitButton(f)->click();
    if (action == QLatin1String("close")) f.close();
    if (action == QLatin1String("refresh")) RefreshButton(f)->click();

    const char* question =
        action == QLatin1String("refresh") ? quelt::kUnsentQuestion : quelt::kCloseUnsentQuestion;
    QCOMPARE(rig.boxes.texts, QStringList{QString::fromLatin1(question)});
    QCOMPARE(QFile::exists(rig.boxes.file), answer == QMessageBox::Save);
    if (action == QLatin1String("refresh")) {
      QCOMPARE(!rig.Transcript().isEmpty(), goesOn);
      QCOMPARE(Cells(f) != moved, goesOn);
    } else {
      QCOMPARE(!f.isVisible(), goesOn);
    }
  }

  void sentTablesCloseWithoutAQuestion() {
    Rig rig(WithRows(Rows(4)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    MoveFirstRowDown(rig);
    QVERIFY(f.Controller().SaveTable(rig.files.filePath(QStringLiteral("t.txt")).toStdString()));
    // Saved, but still not on the analyser: closing asks all the same.
    QVERIFY(f.windowTitle().contains(QStringLiteral("not sent")));
    rig.boxes.answer = QMessageBox::Cancel;
    ExitButton(f)->click();
    QVERIFY(f.isVisible());
    QCOMPARE(rig.boxes.texts, QStringList{QString::fromLatin1(quelt::kCloseUnsentQuestion)});
    SendButton(f)->click();
    QVERIFY(!f.windowTitle().contains(QStringLiteral("not sent")));
    rig.boxes.texts.clear();
    ExitButton(f)->click();
    QVERIFY(!f.isVisible());
    QVERIFY(rig.boxes.texts.isEmpty());
  }

  void statusLine() {
    Rig rig(WithRows(Rows(17)));
    MainWindow& f = *rig.form;
    const QString port = QString::fromStdString(rig.sim->DevicePath());
    QCOMPARE(f.StatusLine()->text(), QStringLiteral("Port: %1   0 rows, 0 used").arg(port));
    QCOMPARE(f.BackupLine()->text(), QStringLiteral("No backup yet"));
    QVERIFY(!f.BackupLine()->isEnabled());
    // Not a link yet, but read: drawn in the text colour, never greyed, as
    // in the Win32 window.
    const QImage line = f.BackupLine()->grab().toImage();
    int darkest = 255;
    for (int y = 0; y < line.height(); ++y) {
      for (int x = 0; x < line.width(); ++x) darkest = qMin(darkest, qGray(line.pixel(x, y)));
    }
    QCOMPARE_LT(darkest, 64);

    RefreshButton(f)->click();
    QCOMPARE(f.StatusLine()->text(),
             QStringLiteral("Port: %1   Serial 08154711, type 20   17 rows stored, 15 used, "
                            "natural gas H shown, not stored")
                 .arg(port));

    SendButton(f)->click();
    const QString backup = QString::fromStdString(rig.controller->LastBackup());
    QVERIFY2(backup.startsWith(rig.backups.path() + QStringLiteral("/08154711/")),
             qPrintable(backup));
    QVERIFY(QFile::exists(backup));
    QCOMPARE(f.BackupLine()->text(), QStringLiteral("Backup: ") + QFileInfo(backup).fileName());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    QTest::mouseClick(f.BackupLine(), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls,
             QList<QUrl>{QUrl::fromLocalFile(rig.backups.path() + QStringLiteral("/08154711"))});

    // The analyser goes away: the port stays named, its identity is gone.
    rig.sim.reset();
    RefreshButton(f)->click();
    QCOMPARE(f.StatusLine()->text(), QStringLiteral("Port: %1   18 rows, 15 used").arg(port));
  }

  // --demo: the window on the in-process analyser, wired as the program
  // wires it. The progress bar moves while the paced replies come, and the
  // window's waits neither spin nor lose a tick on each reply.
  void demoRefreshesOverTheInProcessLine() {
    Config paced;
    paced.baud = 9600;
    quelt::sim::InProcessLine line(paced);
    Rig rig(std::nullopt);
    rig.controller->AttachSimulated(line, line.DevicePath());
    QList<int> progress;
    connect(rig.form->Progress(), &QProgressBar::valueChanged, this, [&](int v) { progress << v; });
    timespec cpu0{}, cpu1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu0);
    QElapsedTimer wall;
    wall.start();
    RefreshButton(*rig.form)->click();
    const double seconds = static_cast<double>(wall.elapsed()) / 1000;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu1);
    const double busy = static_cast<double>(cpu1.tv_sec - cpu0.tv_sec) +
                        static_cast<double>(cpu1.tv_nsec - cpu0.tv_nsec) / 1e9;

    QCOMPARE(rig.Table().RowCount(), 13);
    QCOMPARE(line.Transcript().size(), std::size_t{20});
    QVERIFY2(rig.LogLines().first().endsWith(QStringLiteral(" - simulated analyser")),
             qPrintable(rig.LogLines().first()));
    QVERIFY(rig.LogLines().contains(QStringLiteral("Found      :QUELT 300")));
    QCOMPARE(
        rig.form->StatusLine()->text(),
        QStringLiteral("Port: simulated analyser   Serial 08154711, type 20   12 rows stored, 12 "
                       "used, natural gas H shown, not stored"));
    QVERIFY2(progress.contains(6) && progress.last() == 15,
             qPrintable(QString::number(progress.size())));
    const double wire = static_cast<double>(rig.link->bytesReceived()) * 10 / 9600;
    QVERIFY2(seconds >= 0.9 * wire && seconds < wire + 1.0,
             qPrintable(QStringLiteral("%1 s for %2 s of line").arg(seconds).arg(wire)));
    QVERIFY2(busy < 0.5 * seconds, qPrintable(QStringLiteral("cpu %1 s").arg(busy)));
  }

  // What the command line says about a port that cannot be used, the window
  // says on the line after "Communication error !".
  void causesOfAFailedRefresh_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("cause");
    QTest::newRow("no bridge") << "no bridge"
                               << "No analyser found: the USB bridge of the QUELT is not attached.";
    QTest::newRow("no such port") << "no such port"
                                  << "Cannot open /nonexistent/quelt-tty";
    QTest::newRow("port went away") << "port went away"
                                    << "Cannot open /dev/";
  }
  void causesOfAFailedRefresh() {
    QFETCH(QString, situation);
    QFETCH(QString, cause);
    Rig rig(situation == QLatin1String("port went away") ? std::optional<Config>(Config{})
                                                         : std::nullopt);
    if (situation == QLatin1String("no bridge")) {
      rig.link->SetPortOverride({});
      rig.link->SetDiscovery([] { return quelt::FoundPort{}; });
    }
    if (situation == QLatin1String("port went away")) {
      RefreshButton(*rig.form)->click();
      rig.sim.reset();
    }
    RefreshButton(*rig.form)->click();
    const QStringList log = rig.LogLines();
    QCOMPARE(log[log.size() - 2], QStringLiteral("Communication error !"));
    QVERIFY2(log.last().startsWith(cause), qPrintable(log.last()));
    if (situation == QLatin1String("no bridge")) {
      QVERIFY(rig.form->StatusLine()->text().startsWith(QStringLiteral("Port: no analyser found")));
    }
  }

  void eachOperationStartsAtZeroAndEndsWithOneLine() {
    Rig rig(WithRows(Rows(16)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    QCOMPARE(f.Progress()->value(), 15);
    QCOMPARE(rig.LogLines().last(), QStringLiteral("Read 16 rows, natural gas H added as row 4"));

    QSignalSpy progress(f.Progress(), &QProgressBar::valueChanged);
    SendButton(f)->click();
    QCOMPARE(progress.value(0).value(0).toInt(), 0);
    QCOMPARE(f.Progress()->value(), 15);
    QCOMPARE(rig.LogLines().last(), QStringLiteral("Sent 17 rows, the analyser uses 15"));

    progress.clear();
    RefreshButton(f)->click();
    QCOMPARE(progress.value(0).value(0).toInt(), 0);
  }

  void keys() {
    Rig rig(WithRows(Rows(4)));
    MainWindow& f = *rig.form;
    Activate(f);

    Press(f, Qt::Key_F5);
    QCOMPARE(rig.Table().RowCount(), 5);
    QCOMPARE(rig.Table().CurrentIndex(), 3);

    Press(f, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(rig.Table().CurrentIndex(), 2);
    QCOMPARE(rig.Table().Row(2).ID, 16);
    Press(f, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(rig.Table().Row(3).ID, 16);

    rig.sim->ClearTranscript();
    Press(f, Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(rig.Transcript().contains(QStringLiteral("W4025;X;X;")));
    rig.sim->ClearTranscript();
    Press(f, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    QVERIFY(rig.Transcript().contains(QStringLiteral("W4025;X;X;")));

    // Enter in the grid and F2 anywhere open the editor on the current row.
    QStringList editors;
    auto closeEditor = [&] {
      QTimer::singleShot(50, [&] {
        if (auto* d =
                qobject_cast<quelt::ui::FuelEditorDialog*>(QApplication::activeModalWidget())) {
          editors << d->Editor(quelt::FuelField::Description)->text();
          d->reject();
        }
      });
    };
    f.Grid()->setFocus();
    closeEditor();
    QTest::keyClick(f.Grid(), Qt::Key_Return);
    closeEditor();
    QTest::keyClick(f.Grid(), Qt::Key_F2);
    const QString current = QString::fromStdString(rig.Table().Current().Description);
    QCOMPARE(editors, (QStringList{current, current}));

    Press(f, Qt::Key_S, Qt::ControlModifier);
    Press(f, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(rig.boxes.fileDialogs,
             (QStringList{QStringLiteral("Save the table"), QStringLiteral("Load a table")}));

    // F1 opens the user guide beside the program with the system's viewer.
    const QString guide = rig.files.filePath(QStringLiteral("USER-GUIDE.md"));
    QVERIFY(QFile(guide).open(QIODevice::WriteOnly));
    rig.controller->SetProgramFolder(rig.files.path().toStdString());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    Press(f, Qt::Key_F1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile(guide)});
    QVERIFY(rig.boxes.texts.isEmpty());
    // A click on the logo shows About.
    QTest::mouseClick(f.Control(quelt::front::MainControl::Logo), Qt::LeftButton);
    QCOMPARE(rig.boxes.texts.size(), 1);
    QVERIFY(rig.boxes.texts[0].contains(QStringLiteral("Backups: ") + rig.backups.path()));
    QVERIFY(rig.boxes.texts[0].contains(QStringLiteral("quelt-fuel-cli")));
    QVERIFY(rig.boxes.texts[0].contains(QStringLiteral("Port: ") +
                                        QString::fromStdString(rig.sim->DevicePath())));

    Press(f, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!f.isVisible());
  }

  void tabLeavesTheGridAndReachesEveryControl() {
    Rig rig(WithRows(Rows(4)));
    MainWindow& f = *rig.form;
    Activate(f);
    RefreshButton(f)->click();
    SendButton(f)->click();  // a backup: the status line's link takes the focus too
    f.Grid()->setFocus();
    const int row = rig.Table().CurrentIndex();
    QTest::keyClick(f.Grid(), Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != f.Grid());
    QCOMPARE(rig.Table().CurrentIndex(), row);

    QSet<QWidget*> reached;
    for (int i = 0; i < 20; ++i) {
      reached << QApplication::focusWidget();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{
             RefreshButton(f), SendButton(f), MoveUpButton(f), MoveDownButton(f), OpenButton(f),
             SaveButton(f), f.Grid(), f.BackupLine(), ExitButton(f)}) {
      QVERIFY2(reached.contains(w), qPrintable(w->objectName()));
    }

    // From Refresh, Tab follows the order both windows share.
    QStringList expected, walked;
    for (quelt::front::MainControl c : quelt::front::kTabOrder) {
      if (f.Control(c)->isEnabled()) expected << f.Control(c)->objectName();
      if (c == quelt::front::kPortControlFollows) expected << f.PortChooser()->objectName();
    }
    RefreshButton(f)->setFocus();
    for (qsizetype i = 0; i < expected.size(); ++i) {
      walked << QApplication::focusWidget()->objectName();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(walked, expected);
  }

  void legendAndNotesOnMarkedRows() {
    Rig rig(WithRows(Rows(16)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    const QString legend = f.Legend()->text();
    QVERIFY(legend.contains(QStringLiteral("natural gas H")));
    QVERIFY(legend.contains(QStringLiteral("beyond row 15: stored, not used by the analyser")));
    QVERIFY(legend.contains(QStringLiteral("#800080")) &&
            legend.contains(QStringLiteral("#ff0000")));
    QVERIFY(f.Legend()->isVisible());

    auto* m = f.Grid()->model();
    QCOMPARE(m->index(3, 2).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Row 4: natural gas H"));
    QCOMPARE(m->index(16, 0).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Row 17: beyond row 15: stored, not used by the analyser"));
    QVERIFY(m->index(0, 0).data(Qt::ToolTipRole).isNull());

    // Hovering shows the note on a marked row, the grid's hint elsewhere.
    Activate(f);
    auto hover = [&](int row) {
      const QPoint at = f.Grid()->visualRect(m->index(row, 1)).center();
      QHelpEvent help(QEvent::ToolTip, at, f.Grid()->viewport()->mapToGlobal(at));
      QApplication::sendEvent(f.Grid()->viewport(), &help);
      return QToolTip::text();
    };
    f.Grid()->scrollToTop();
    QCOMPARE(hover(3), QStringLiteral("Row 4: natural gas H"));
    QCOMPARE(hover(0), f.Grid()->toolTip());
  }

  void messageBoxes() {
    Rig rig(WithRows(Rows(3)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    rig.boxes.answer = QMessageBox::Cancel;
    f.Grid()->setFocus();
    QTest::keyClick(f.Grid(), Qt::Key_Delete, Qt::ControlModifier);  // "Delete row 1 (...)?"
    MoveFirstRowDown(rig);
    RefreshButton(f)->click();  // the unsent question, cancelled

    quelt::sim::Faults faults;
    faults.silentOnPrefix = "W4012";
    rig.sim->SetFaults(faults);
    SendButton(f)->click();  // "Timeout"
    rig.sim->SetFaults({});
    rig.Table().Clear();
    rig.boxes.answer = QMessageBox::No;
    SendButton(f)->click();  // the empty table's question
    faults.silentOnPrefix = "R40102";
    rig.sim->SetFaults(faults);
    rig.boxes.answer = QMessageBox::Discard;
    RefreshButton(f)->click();  // the unsent question again, then "Transfer error"

    QCOMPARE(rig.boxes.texts.size(), 6);
    QVERIFY(rig.boxes.texts[0].startsWith(QStringLiteral("Delete row ")));
    QVERIFY(rig.boxes.texts[2].startsWith(QStringLiteral("Timeout\n")));
    QCOMPARE(rig.boxes.texts[3], QString::fromLatin1(quelt::kEmptyTableQuestion));
    QCOMPARE(rig.boxes.texts[5], QStringLiteral("Transfer error"));
    using B = QMessageBox;
    const std::pair<B::Icon, B::StandardButton> expected[] = {
        {B::Question, B::Cancel}, {B::Question, B::Save}, {B::Question, B::Close},
        {B::Question, B::No},     {B::Question, B::Save}, {B::Critical, B::Ok},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
      QCOMPARE(rig.boxes.boxes[i].title, kTitle);
      QCOMPARE(rig.boxes.boxes[i].icon, expected[i].first);
      QCOMPARE(rig.boxes.boxes[i].defaultButton, expected[i].second);
    }
  }

  void editorErrorHasTheProgramsTitle() {
    quelt::FuelTable table;
    table.AppendRow(quelt::FuelRow{});
    BoxAnswerer boxes;
    QTimer::singleShot(50, [] {
      auto* d = qobject_cast<quelt::ui::FuelEditorDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      auto* co2 = d->Editor(quelt::FuelField::Co2Max);
      co2->setFocus();
      QTest::keyClicks(co2, QStringLiteral("1e999"));
      d->accept();
      QTimer::singleShot(100, d, &QDialog::reject);
    });
    quelt::ui::EditFuelRow(table, false);
    QCOMPARE(boxes.boxes.size(), std::size_t{1});
    QCOMPARE(boxes.boxes[0].title, kTitle);
  }

  void columnsFollowTheirValuesBothWays() {
    Rig rig(std::nullopt);
    MainWindow& f = *rig.form;
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    FuelGrid* grid = f.Grid();
    quelt::FuelRow row;
    row.N = 1;
    row.ID = 7;
    row.Description = "Gas";
    row.Co2Max = 12.1;
    rig.Table().AppendRow(row);
    const int normal = grid->columnWidth(3);
    const int description = static_cast<int>(quelt::FuelField::Description);
    auto widths = [&] {
      int sum = 0;
      for (int c = 0; c < 11; ++c) sum += grid->columnWidth(c);
      return sum;
    };
    // The description takes the room left.
    QCOMPARE(widths(), grid->viewport()->width());

    rig.Table().BeginEdit();
    rig.Table().SetDecimal(quelt::FuelField::Co2Max, 123456789012.5);
    rig.Table().StoreEdit();
    QVERIFY(grid->columnWidth(3) > normal + 40);

    rig.Table().BeginEdit();
    rig.Table().SetDecimal(quelt::FuelField::Co2Max, 12.1);
    rig.Table().StoreEdit();
    QCOMPARE(grid->columnWidth(3), normal);
    QCOMPARE(widths(), grid->viewport()->width());
    QVERIFY(grid->columnWidth(description) >= quelt::ScaleForDpi(115, f.logicalDpiY()));
  }
};

QTEST_MAIN(WorkbenchTest)
#include "workbench_test.moc"
