// The fuel grid as drawn: the workstation's separator in its cells, the
// numbers never cut off, the colour marks as painted (also while selected).
// Its events are the window's mapping table (window_test.cpp).
#include <QHeaderView>
#include <QTest>
#include <QToolButton>

#include "gui_rig.h"
#include "tests/support/grid_rows.h"
#include "ui/fuel_grid.h"

using quelt::FuelRow;
using namespace quelt::ui;
using quelt::test::FillGrid;
using quelt::test::GridRow;

namespace {

QColor Pixel(FuelGrid* grid, int row, int column) {
  const QRect cell = grid->visualRect(grid->model()->index(row, column));
  const QImage image = grid->viewport()->grab().toImage();
  const double dpr = image.devicePixelRatio();
  // Near the edge away from the text: numbers are right-aligned, the description left.
  const int x = column == 2 ? cell.right() - 3 : cell.left() + 3;
  return image.pixelColor(QPoint(qRound(x * dpr), qRound(cell.center().y() * dpr)));
}

int SelectedRow(FuelGrid* grid) {
  const auto rows = grid->selectionModel()->selectedRows();
  return rows.size() == 1 ? rows.first().row() : -1;
}

}  // namespace

class GridTest : public QObject {
  Q_OBJECT

 private slots:
  // The texts themselves are control::GridCells' (tests/control); here the
  // workstation's separator reaches them, and the model's alignment.
  void cellTexts_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("co2");
    QTest::newRow("German") << "de_DE"
                            << "12,1";
    QTest::newRow("English") << "en_US"
                             << "12.1";
  }
  void cellTexts() {
    QFETCH(QString, locale);
    QFETCH(QString, co2);
    QLocale::setDefault(QLocale(locale));
    Rig rig(std::nullopt);
    QLocale::setDefault(QLocale::c());
    FillGrid(rig.Table(), {GridRow(3, 16, "Erdgas H")});
    auto* model = rig.form->Grid()->model();
    QCOMPARE(model->index(0, 3).data().toString(), co2);
    QCOMPARE(model->index(0, 2).data().toString(), QStringLiteral("Erdgas H"));
    QCOMPARE(model->index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignLeft);
    QCOMPARE(model->index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    QVERIFY(!(model->index(0, 3).flags() & Qt::ItemIsEditable));
    // Each title stands over its values, as in the Win32 grid.
    for (int c : {2, 3}) {
      QCOMPARE(model->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                   Qt::AlignHorizontal_Mask,
               model->index(0, c).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                   Qt::AlignHorizontal_Mask);
    }
  }

  void numbersAreNotCutOff() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    FuelGrid* grid = rig.form->Grid();
    FuelRow wide = GridRow(30, 12345, "Braunkohlebrikett Oberlausitz");
    wide.Co2Max = 120.5;
    wide.B = -0.125;
    wide.HU = 118.55;
    wide.Vatr = 99.99;
    wide.Vaf = 333.33;
    FillGrid(rig.Table(), {GridRow(1, 1, "a"), wide});
    const int margin =
        2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
    const QFontMetrics fm(grid->font());
    for (int c = 0; c < 11; ++c) {
      const QString text = grid->model()->index(1, c).data().toString();
      QVERIFY2(fm.horizontalAdvance(text) + margin <= grid->columnWidth(c), qPrintable(text));
    }
  }

  void colourMarks() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    FuelGrid* grid = rig.form->Grid();
    // Rows: plain, H gas, N 16, H gas with N 16.
    FillGrid(rig.Table(), {GridRow(1, 1, "Heizoel"), GridRow(2, 16, "Erdgas H"),
                           GridRow(16, 3, "Propan"), GridRow(17, 16, "Erdgas H")});
    const QColor purple(128, 0, 128), red(255, 0, 0);

    // The marks are what the user sees, in every column, also on the
    // selected row; the plain row shows the selection highlight.
    for (int selected : {0, 1, 2}) {
      rig.Table().MoveTo(selected);
      QCOMPARE(SelectedRow(grid), selected);
      for (int c = 0; c < 11; ++c) {
        QCOMPARE(Pixel(grid, 1, c), purple);
        QCOMPARE(Pixel(grid, 2, c), red);
      }
      const QColor plain = Pixel(grid, 0, 0);
      QCOMPARE(plain, selected == 0 ? grid->palette().color(QPalette::Active, QPalette::Highlight)
                                    : grid->palette().color(QPalette::Active, QPalette::Base));
    }
  }

  // The selection as visible without the focus as with it.
  void selectionShownWithoutTheFocus() {
    Rig rig(std::nullopt);
    FuelGrid* grid = rig.form->Grid();
    QCOMPARE(grid->palette().color(QPalette::Inactive, QPalette::Highlight),
             grid->palette().color(QPalette::Active, QPalette::Highlight));
  }
};

QTEST_MAIN(GridTest)
#include "grid_test.moc"
