// The window on a 1280 x 900 screen at the resolution QUELT_TEST_DPI names
// (96 when unset): the offscreen platform's one screen, set before the
// application starts. The window lies on the screen, the status line shows
// whole, and the grid scrolls to its last column (Soot) and its last row.
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "gui_rig.h"
#include "ui/fuel_grid.h"
#include "ui/status_line.h"

using namespace quelt::ui;

namespace {

int TestDpi() {
  const int dpi = qEnvironmentVariableIntValue("QUELT_TEST_DPI");
  return dpi > 0 ? dpi : 96;
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
    QCOMPARE(rig.Table().RecordCount(), 20);
    for (QWidget* part : {static_cast<QWidget*>(f.StatusLine()), static_cast<QWidget*>(f.Grid()),
                          static_cast<QWidget*>(ExitButton(f))}) {
      const QRect shown(part->mapTo(&f, QPoint()), part->size());
      QVERIFY2(part->isVisible() && !shown.isEmpty() && f.rect().contains(shown),
               qPrintable(part->objectName() + QStringLiteral(" is not shown whole")));
    }
    QVERIFY(!f.StatusLine()->text().isEmpty());

    FuelGrid* grid = f.Grid();
    const QModelIndex soot = grid->model()->index(19, quelt::kFuelFieldCount - 1);
    grid->scrollTo(soot);
    QVERIFY2(grid->viewport()->rect().contains(grid->visualRect(soot)),
             "the last row's Soot cell cannot be scrolled into view");
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
