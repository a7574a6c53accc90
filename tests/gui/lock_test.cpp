// A transfer in progress: every control that starts a transfer or changes
// the table is locked, the grid cannot move the row a send walks by, and
// closing the window ends the transfer cleanly before the window goes.
#include <QContextMenuEvent>
#include <QMenu>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include "gui_rig.h"
#include "ui/fuel_grid.h"

using quelt::sim::Config;
using namespace quelt::ui;

namespace {

// Slow enough that a transfer is well under way while the test looks.
Config Slow(int rows) {
  Config c;
  c.rows = Rows(rows);
  c.latencyMs = 60;
  return c;
}

struct ControlState {
  bool refresh, send, up, down, edit;
};

ControlState StateOf(const MainWindow& f) {
  return {RefreshButton(f)->isEnabled(), SendButton(f)->isEnabled(), MoveUpButton(f)->isEnabled(),
          MoveDownButton(f)->isEnabled(), f.EditRowAction()->isEnabled()};
}

}  // namespace

class LockTest : public QObject {
  Q_OBJECT

 private slots:
  void refreshLocksControls() {
    Rig rig(Slow(6));
    MainWindow& f = *rig.form;
    ControlState during{};
    int rowsDuring = -1;
    bool menuDuring = true;
    DuringTransfer inspect([&] { return rig.Table().RowCount() >= 3; },
                           [&] {
                             during = StateOf(f);
                             MoveUpButton(f)->click();
                             f.Grid()->setFocus();
                             QTest::keyClick(f.Grid(), Qt::Key_Delete, Qt::ControlModifier);
                             f.EditRowAction()->trigger();
                             // A right click opens no row menu, as in the Win32 window.
                             QContextMenuEvent click(
                                 QContextMenuEvent::Mouse, QPoint(20, 20),
                                 f.Grid()->viewport()->mapToGlobal(QPoint(20, 20)));
                             QApplication::sendEvent(f.Grid()->viewport(), &click);
                             QCoreApplication::processEvents();
                             menuDuring = f.RowMenu()->isVisible();
                             rowsDuring = rig.Table().RowCount();
                           });
    RefreshButton(f)->click();
    QVERIFY(inspect.done);
    QVERIFY(!during.refresh && !during.send && !during.up && !during.down && !during.edit);
    QVERIFY(!menuDuring);
    QVERIFY(rowsDuring >= 3);
    QVERIFY(rig.boxes.texts.isEmpty());  // no deletion question
    // Afterwards everything is back, send enabled by the successful read.
    const ControlState after = StateOf(f);
    QVERIFY(after.refresh && after.send && after.up && after.down && after.edit);
    QCOMPARE(rig.Table().RowCount(), 7);
  }

  void lockKeepsEarlierSendState() {
    Rig rig(Slow(3));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    QVERIFY(SendButton(f)->isEnabled());
    bool sendDuring = true;
    DuringTransfer inspect([&] { return rig.ops->Busy(); },
                           [&] { sendDuring = SendButton(f)->isEnabled(); });
    SendButton(f)->click();
    QVERIFY(inspect.done);
    QVERIFY(!sendDuring);
    QVERIFY(SendButton(f)->isEnabled());  // a send leaves it enabled
  }

  void gridCannotMoveRowDuringSend() {
    Rig rig(Slow(5));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    rig.sim->ClearTranscript();
    DuringTransfer inspect([&] { return rig.Transcript().size() >= 2; },
                           [&] {
                             FuelGrid* grid = f.Grid();
                             const QRect first = grid->visualRect(grid->model()->index(0, 3));
                             QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                                               first.center());
                             grid->setFocus();
                             QTest::keyClick(grid, Qt::Key_Home);
                             QTest::keyClick(grid, Qt::Key_Up);
                             MoveDownButton(f)->click();
                           });
    SendButton(f)->click();
    QVERIFY(inspect.done);

    // Every row went out once, in table order, and nothing moved.
    const QStringList sent = rig.Transcript().filter(QRegularExpression(QStringLiteral("^W40")));
    QCOMPARE(sent.size(), 7);
    for (int i = 0; i < 6; ++i) {
      const QString prefix = QStringLiteral("W401%1;%2;").arg(i + 1).arg(rig.Table().Row(i).ID);
      QVERIFY2(sent[i].startsWith(prefix), qPrintable(sent[i]));
    }
    QCOMPARE(sent.back(), QStringLiteral("W4026;X;X;"));
    QVERIFY(rig.boxes.texts.isEmpty());
  }

  void closeDuringRefresh() {
    Rig rig(Slow(8));
    MainWindow& f = *rig.form;
    bool visibleAfterClose = false;
    DuringTransfer inspect([&] { return rig.Table().RowCount() >= 2; },
                           [&] {
                             f.close();
                             visibleAfterClose = f.isVisible();
                           });
    RefreshButton(f)->click();
    QVERIFY(inspect.done);
    QVERIFY(visibleAfterClose);  // not while the transfer still runs
    QVERIFY(rig.ops->Aborting());
    QTRY_VERIFY(!f.isVisible());
    QVERIFY(rig.boxes.texts.isEmpty());
    QCOMPARE(rig.Table().RowCount(), 0);  // no half-read list left behind
    QVERIFY(!QApplication::overrideCursor());
    // It did not read on to the end.
    QVERIFY(rig.Transcript().back() != QStringLiteral("R40108"));
  }

  void closeDuringSend() {
    Rig rig(Slow(6));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    rig.sim->ClearTranscript();
    DuringTransfer inspect([&] { return rig.Transcript().size() >= 2; },
                           [&] { ExitButton(f)->click(); });
    SendButton(f)->click();
    QVERIFY(inspect.done);
    QTRY_VERIFY(!f.isVisible());
    QVERIFY(rig.boxes.texts.isEmpty());  // no "Timeout" for a send the user ended
    for (const QString& command : rig.Transcript())
      QVERIFY(!command.startsWith(QStringLiteral("W402")));
    QVERIFY(!QApplication::overrideCursor());
  }
};

QTEST_MAIN(LockTest)
#include "lock_test.moc"
