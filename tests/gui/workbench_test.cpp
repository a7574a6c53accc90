// The window as drawn and paced: the demo line's waits, the Tab order, the
// colour legend and the notes on marked rows, the editor's boxes' title and
// the grid's columns following the values both ways.
#include <time.h>

#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include "front/tab_order.h"
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

void Activate(MainWindow& f) {
  f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&f));
}

const QString kTitle = QStringLiteral("quelt-fuel");

}  // namespace

class WorkbenchTest : public QObject {
  Q_OBJECT

 private slots:
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
    quelt::control::EditRow(
        table, false, quelt::ui::DecimalSeparator(),
        [](quelt::control::RowEditor& rows) { return quelt::ui::RunFuelEditor(rows); });
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
