// The fuel grid: what its cells show, the colour marks (also while
// selected), the selection following the table's current row and back, the
// row moves, Ctrl+Delete and the popup menu.
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "gui_rig.h"
#include "ui/fuel_editor_dialog.h"
#include "ui/fuel_editors.h"
#include "ui/fuel_grid.h"

using quelt::FuelField;
using quelt::FuelRow;
using namespace quelt::ui;

namespace {

FuelRow MakeRow(int n, int id, const char* name) {
  FuelRow r;
  r.N = static_cast<std::int16_t>(n);
  r.ID = id;
  r.Description = name;
  r.Co2Max = 12.1;
  r.A2 = 0.6;
  r.B = 0.009;
  r.RefO2 = 3;
  r.Vatr = 10.5;
  r.Vaf = 9.4;
  r.HU = 31.68;
  return r;
}

void Fill(quelt::FuelTable& table, const std::vector<FuelRow>& rows) {
  table.EmptyTable();
  for (const FuelRow& r : rows) table.AppendRow(r);
  table.First();
}

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
  void cellTexts_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("German") << "de_DE"
                            << QStringList{"3",   "16",    "Erdgas H", "12,1",  "0,60", "0,009",
                                           "3,0", "10,50", "9,40",     "31,68", "0"};
    QTest::newRow("English") << "en_US"
                             << QStringList{"3",   "16",    "Erdgas H", "12.1",  "0.60", "0.009",
                                            "3.0", "10.50", "9.40",     "31.68", "0"};
  }
  void cellTexts() {
    QFETCH(QString, locale);
    QFETCH(QStringList, cells);
    QLocale::setDefault(QLocale(locale));
    Rig rig(std::nullopt);
    QLocale::setDefault(QLocale::c());
    FuelRow row = MakeRow(3, 16, "Erdgas H");
    row.HU = 1234.5;  // no thousands separator
    Fill(rig.Table(), {row});
    auto* model = rig.form->Grid()->model();
    for (int c = 0; c < 11; ++c) {
      if (c == 9) continue;
      QCOMPARE(model->index(0, c).data().toString(), cells[c]);
    }
    QCOMPARE(model->index(0, 9).data().toString(),
             locale == "de_DE" ? QStringLiteral("1234,50") : QStringLiteral("1234.50"));
    QCOMPARE(model->index(0, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignLeft);
    QCOMPARE(model->index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    QVERIFY(!(model->index(0, 3).flags() & Qt::ItemIsEditable));
  }

  void cellTextsOfSmallValuesAndNulls() {
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    Rig rig(std::nullopt);
    QLocale::setDefault(QLocale::c());
    FuelRow row = MakeRow(1, 5, "Heiz\xF6l");  // Windows-1252 o-umlaut
    row.A2 = 0.004;                            // two decimals: at least one integer digit
    row.B = -0.5;
    row.SetNull(FuelField::Vaf);
    row.SetNull(FuelField::Description);
    Fill(rig.Table(), {row});
    auto* model = rig.form->Grid()->model();
    QCOMPARE(model->index(0, 4).data().toString(), QStringLiteral("0,00"));
    QCOMPARE(model->index(0, 5).data().toString(), QStringLiteral("-0,500"));
    // A number without a value shows as the 0 that is sent.
    QCOMPARE(model->index(0, 8).data().toString(), QStringLiteral("0,00"));
    QCOMPARE(model->index(0, 2).data().toString(), QString());

    row.SetNull(FuelField::Description, false);
    row.Description = "Heiz\xF6l";
    Fill(rig.Table(), {row});
    QCOMPARE(model->index(0, 2).data().toString(), QString::fromUtf8("Heiz\xC3\xB6l"));
  }

  void numbersAreNotCutOff() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    FuelGrid* grid = rig.form->Grid();
    FuelRow wide = MakeRow(30, 12345, "Braunkohlebrikett Oberlausitz");
    wide.Co2Max = 120.5;
    wide.B = -0.125;
    wide.HU = 118.55;
    wide.Vatr = 99.99;
    wide.Vaf = 333.33;
    Fill(rig.Table(), {MakeRow(1, 1, "a"), wide});
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
    Fill(rig.Table(), {MakeRow(1, 1, "Heizoel"), MakeRow(2, 16, "Erdgas H"),
                       MakeRow(16, 3, "Propan"), MakeRow(17, 16, "Erdgas H")});
    const QColor purple(128, 0, 128), red(255, 0, 0);
    auto* model = grid->model();
    struct Case {
      int row;
      QColor background;
    };
    for (const Case& k : {Case{1, purple}, Case{2, red}, Case{3, red}}) {
      for (int c = 0; c < 11; ++c) {
        QCOMPARE(model->index(k.row, c).data(Qt::BackgroundRole).value<QColor>(), k.background);
        QCOMPARE(model->index(k.row, c).data(Qt::ForegroundRole).value<QColor>(),
                 QColor(Qt::white));
      }
    }
    QVERIFY(!model->index(0, 0).data(Qt::BackgroundRole).isValid());

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

  void selectionFollowsTableAndBack() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    FuelGrid* grid = rig.form->Grid();
    Fill(rig.Table(), {MakeRow(1, 1, "a"), MakeRow(2, 2, "b"), MakeRow(3, 3, "c")});
    QCOMPARE(SelectedRow(grid), 0);
    rig.Table().MoveTo(2);
    QCOMPARE(SelectedRow(grid), 2);

    // A click or a key in the grid moves the table's current row.
    const QRect cell = grid->visualRect(grid->model()->index(1, 3));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(rig.Table().CurrentIndex(), 1);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(rig.Table().CurrentIndex(), 2);
    QCOMPARE(SelectedRow(grid), 2);

    // Without the focus the selection stays as visible as with it.
    QCOMPARE(grid->palette().color(QPalette::Inactive, QPalette::Highlight),
             grid->palette().color(QPalette::Active, QPalette::Highlight));
  }

  void movesThroughButtons() {
    Rig rig(std::nullopt);
    MainWindow& f = *rig.form;
    Fill(rig.Table(), {MakeRow(1, 1, "a"), MakeRow(2, 2, "b"), MakeRow(3, 3, "c")});
    rig.Table().MoveTo(0);
    MoveDownButton(f)->click();
    QCOMPARE(rig.Table().Row(1).ID, 1);
    QCOMPARE(rig.Table().CurrentIndex(), 1);
    QCOMPARE(SelectedRow(f.Grid()), 1);
    MoveUpButton(f)->click();
    MoveUpButton(f)->click();  // already first: nothing happens
    QCOMPARE(rig.Table().Row(0).ID, 1);
    QCOMPARE(SelectedRow(f.Grid()), 0);
    QCOMPARE(f.Grid()->model()->index(1, 1).data().toString(), QStringLiteral("2"));
  }

  void ctrlDelete() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    FuelGrid* grid = rig.form->Grid();
    Fill(rig.Table(), {MakeRow(1, 1, "a"), MakeRow(2, 2, "b"), MakeRow(3, 3, "c")});
    rig.Table().MoveTo(1);
    grid->setFocus();

    rig.boxes.answer = QMessageBox::Cancel;
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(rig.boxes.texts, QStringList{QString::fromUtf8("Datensatz l\xC3\xB6schen?")});
    QCOMPARE(rig.Table().RecordCount(), 3);

    rig.boxes.answer = QMessageBox::Ok;
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(rig.Table().RecordCount(), 2);
    // N is the position: no gap after a deletion.
    QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("1"));
    QCOMPARE(grid->model()->index(1, 0).data().toString(), QStringLiteral("2"));
    QCOMPARE(grid->model()->index(1, 2).data().toString(), QStringLiteral("c"));
    QCOMPARE(SelectedRow(grid), rig.Table().CurrentIndex());

    // Delete alone deletes nothing.
    QTest::keyClick(grid, Qt::Key_Delete);
    QCOMPARE(rig.Table().RecordCount(), 2);
    QCOMPARE(rig.boxes.texts.size(), 2);
  }

  void rightClickSelectsRowAndOpensPopup() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    FuelGrid* grid = rig.form->Grid();
    Fill(rig.Table(), {MakeRow(1, 1, "a"), MakeRow(2, 2, "b"), MakeRow(3, 3, "c")});
    const QRect cell = grid->visualRect(grid->model()->index(2, 4));
    QContextMenuEvent event(QContextMenuEvent::Mouse, cell.center(),
                            grid->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(grid->viewport(), &event);
    QCOMPARE(rig.Table().CurrentIndex(), 2);
    QTRY_VERIFY(rig.form->RowMenu()->isVisible());
    QVERIFY(rig.form->EditRowAction()->isEnabled());
    rig.form->RowMenu()->hide();
  }

  void editOpensEditorOnCurrentRow() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    Fill(rig.Table(), {MakeRow(1, 1, "a"), MakeRow(2, 2, "Propan"), MakeRow(3, 3, "c")});
    rig.Table().MoveTo(1);
    QString shown;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<quelt::ui::FuelEditorDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      shown = dialog->Editor(FuelField::Description)->text();
      dialog->reject();
    });
    closer.start(20);
    rig.form->EditRowAction()->trigger();
    QCOMPARE(shown, QStringLiteral("Propan"));
    QCOMPARE(rig.Table().RecordCount(), 3);
    QCOMPARE(rig.Table().Row(1).Description, std::string("Propan"));
  }
};

QTEST_MAIN(GridTest)
#include "grid_test.moc"
