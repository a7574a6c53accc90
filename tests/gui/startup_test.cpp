// The window as it first appears: the empty grid, the intro in the log, the
// buttons' states, and the layout and hints of the controls.
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include "gui_rig.h"
#include "text/text_helpers.h"
#include "ui/fuel_grid.h"

using namespace quelt::ui;

class StartupTest : public QObject {
  Q_OBJECT

 private:
  static int S(const QWidget& w, int v) { return quelt::ScaleForDpi(v, w.logicalDpiY()); }

 private slots:
  void initialState() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    TFormMain& f = *rig.form;

    QCOMPARE(f.windowTitle(), QStringLiteral("QUELT fuel list update"));
    QCOMPARE(f.dbGridFuel->model()->rowCount(), 0);
    QVERIFY(f.dbGridFuel->horizontalHeader()->isVisible());
    QVERIFY(!f.BtSend->isEnabled());
    QVERIFY(f.BtRefresh->isEnabled());
    QVERIFY(f.BtExit->isEnabled());
    QVERIFY(f.Btauf->isEnabled() && f.BtAb->isEnabled() && f.Edit1->isEnabled());
    QCOMPARE(f.ProgressBarMain->value(), 0);
    QCOMPARE(f.ProgressBarMain->maximum(), 15);

    const QStringList expected{
        QStringLiteral("QUELT fuel list update"),
        QStringLiteral("QUELT fuel list updater: 1.0,001"),
        QString(),
        QStringLiteral("[ Connect your QUELT with computer. ]"),
        QStringLiteral("[ Switch QUELT ON.                  ]"),
        QStringLiteral("[ Press Button \"Refresh\".           ]"),
        QStringLiteral("[ Check table of fuel.              ]"),
        QStringLiteral("[ With cklick on right button you   ]"),
        QStringLiteral("[ are able to edit discription.     ]"),
    };
    QCOMPARE(rig.LogLines(), expected);
    QVERIFY(f.Memo->isReadOnly());
    QVERIFY(f.Memo->textInteractionFlags() & Qt::TextSelectableByMouse);
  }

  void layoutAndHints() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    TFormMain& f = *rig.form;
    const QWidget& w = f;

    QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(f.windowFlags() & Qt::WindowMinimizeButtonHint);

    QCOMPARE(f.Panel1->width(), S(w, 109));
    QCOMPARE(f.BtRefresh->size(), QSize(S(w, 107), S(w, 75)));
    QCOMPARE(f.BtSend->geometry().top(), f.BtRefresh->geometry().bottom() + 1);
    QCOMPARE(f.ProgressBarMain->geometry(), QRect(1, S(w, 210), S(w, 107), S(w, 14)));
    QCOMPARE(f.BtExit->geometry().bottom(), f.Panel1->height() - 2);
    QCOMPARE(f.Image->geometry().bottom() + 1, f.BtExit->geometry().top());
    QCOMPARE(f.Memo->height(), S(w, 227));
    QCOMPARE(f.ElPanel1->height(), S(w, 30));
    QCOMPARE(f.Btauf->geometry(), QRect(S(w, 14), S(w, 4), S(w, 23), S(w, 22)));
    QCOMPARE(f.BtAb->geometry(), QRect(S(w, 46), S(w, 4), S(w, 23), S(w, 22)));
    QCOMPARE(f.dbGridFuel->geometry().top(), f.ElPanel1->geometry().bottom() + 1);
    QVERIFY(f.BtRefresh->font().bold());
    QCOMPARE(f.BtRefresh->font().pointSize(), 9);
    QCOMPARE(f.BtRefresh->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QCOMPARE(f.BtRefresh->text(), QStringLiteral("Refresh"));
    QCOMPARE(f.BtSend->text(), QStringLiteral("QUELT"));
    QVERIFY(f.BtExit->text().isEmpty());
    QVERIFY(!f.BtRefresh->icon().isNull() && !f.BtExit->icon().isNull() &&
            !f.Btauf->icon().isNull());
    QVERIFY(!f.Image->pixmap().isNull());
    QCOMPARE(f.Image->cursor().shape(), Qt::PointingHandCursor);

    // Resizing keeps the left column, the log and the button bar; the grid takes the rest.
    const QSize before = f.dbGridFuel->size();
    f.resize(f.size() + QSize(100, 80));
    QTRY_COMPARE(f.dbGridFuel->size(), before + QSize(100, 80));
    QCOMPARE(f.Panel1->width(), S(w, 109));
    QCOMPARE(f.Memo->height(), S(w, 227));
    QCOMPARE(f.ElPanel1->height(), S(w, 30));

    struct Hint {
      QWidget* widget;
      const char* text;
    };
    const Hint hints[] = {
        // Each hint names the key that does the same.
        {f.BtRefresh, "Get fuel list from the instrument (F5)"},
        {f.BtSend, "Send's new list to the instrument (Ctrl+Enter)"},
        {f.BtExit, "Close window (Ctrl+Q)"},
        {f.Btauf, "fuel move up (Ctrl+Up)"},
        {f.BtAb, "fuel move down (Ctrl+Down)"},
        {f.BtOpen, "Load a table from a file (Ctrl+O)"},
        {f.BtSave, "Save the table to a file (Ctrl+S)"},
        {f.dbGridFuel, "Actual table (Enter or F2: edit the row, Ctrl+Delete: delete it)"},
        {f.Memo, ""},
        {f.ProgressBarMain, ""},
        {f.Image, ""},
    };
    for (const Hint& h : hints) QCOMPARE(h.widget->toolTip(), QString::fromUtf8(h.text));

    const char* titles[] = {"N",      "ID",   "Description", "Co2Max", "A2",  "B",
                            "Ref.O2", "Vatr", "Vaf",         "HU",     "Soot"};
    const int widths[] = {33, 31, 115, 54, 46, 38, 44, 40, 37, 36, 48};
    auto* model = f.dbGridFuel->model();
    QCOMPARE(model->columnCount(), 11);
    for (int c = 0; c < 11; ++c) {
      QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), QString::fromLatin1(titles[c]));
      // Wider platform faces may widen a column, never narrow it.
      QVERIFY(f.dbGridFuel->columnWidth(c) >= S(w, widths[c]));
    }
    QCOMPARE(f.Popup1->actions().size(), 1);
    QCOMPARE(f.Edit1->text(), QStringLiteral("Edit"));
  }

  void exitButtonClosesWindow() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    rig.form->BtExit->click();
    QVERIFY(!rig.form->isVisible());
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
