// The window as it first appears: the empty grid, the intro in the log, the
// buttons' states, and the layout and hints of the controls.
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include "gui_rig.h"
#include "text/text_helpers.h"
#include "ui/fuel_grid.h"
#include "ui/icons.h"

using namespace quelt::ui;

class StartupTest : public QObject {
  Q_OBJECT

 private:
  static int S(const QWidget& w, int v) { return quelt::ScaleForDpi(v, w.logicalDpiY()); }

 private slots:
  void initialState() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    MainWindow& f = *rig.form;

    QCOMPARE(f.windowTitle(), QStringLiteral("QUELT fuel list update"));
    QCOMPARE(f.Grid()->model()->rowCount(), 0);
    QVERIFY(f.Grid()->horizontalHeader()->isVisible());
    QVERIFY(!SendButton(f)->isEnabled());
    QVERIFY(RefreshButton(f)->isEnabled());
    QVERIFY(ExitButton(f)->isEnabled());
    QVERIFY(MoveUpButton(f)->isEnabled() && MoveDownButton(f)->isEnabled() &&
            f.EditRowAction()->isEnabled());
    QCOMPARE(f.Progress()->value(), 0);
    QCOMPARE(f.Progress()->maximum(), 15);

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
    QVERIFY(f.Log()->isReadOnly());
    QVERIFY(f.Log()->textInteractionFlags() & Qt::TextSelectableByMouse);
  }

  void layoutAndHints() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    MainWindow& f = *rig.form;
    const QWidget& w = f;

    QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(f.windowFlags() & Qt::WindowMinimizeButtonHint);

    QCOMPARE(f.Control(quelt::front::MainControl::ButtonColumn)->width(), S(w, 109));
    QCOMPARE(RefreshButton(f)->size(), QSize(S(w, 107), S(w, 75)));
    QCOMPARE(SendButton(f)->geometry().top(), RefreshButton(f)->geometry().bottom() + 1);
    QCOMPARE(f.Progress()->geometry(), QRect(1, S(w, 210), S(w, 107), S(w, 14)));
    QCOMPARE(ExitButton(f)->geometry().bottom(),
             f.Control(quelt::front::MainControl::ButtonColumn)->height() - 2);
    QCOMPARE(f.Control(quelt::front::MainControl::Logo)->geometry().bottom() + 1,
             ExitButton(f)->geometry().top());
    QCOMPARE(f.Log()->height(), S(w, quelt::front::kDefaultLogHeight));
    QCOMPARE(f.Control(quelt::front::MainControl::ButtonBar)->height(), S(w, 30));
    QCOMPARE(MoveUpButton(f)->geometry(), QRect(S(w, 14), S(w, 4), S(w, 23), S(w, 22)));
    QCOMPARE(MoveDownButton(f)->geometry(), QRect(S(w, 46), S(w, 4), S(w, 23), S(w, 22)));
    QCOMPARE(f.Grid()->geometry().top(),
             f.Control(quelt::front::MainControl::ButtonBar)->geometry().bottom() + 1);
    QVERIFY(RefreshButton(f)->font().bold());
    QCOMPARE(RefreshButton(f)->font().pointSize(), 9);
    QCOMPARE(RefreshButton(f)->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    QCOMPARE(RefreshButton(f)->text(), QStringLiteral("Refresh"));
    QCOMPARE(SendButton(f)->text(), QStringLiteral("QUELT"));
    QVERIFY(ExitButton(f)->text().isEmpty());
    QVERIFY(!RefreshButton(f)->icon().isNull() && !ExitButton(f)->icon().isNull() &&
            !MoveUpButton(f)->icon().isNull());
    QVERIFY(!qobject_cast<QLabel*>(f.Control(quelt::front::MainControl::Logo))->pixmap().isNull());
    QCOMPARE(f.Control(quelt::front::MainControl::Logo)->cursor().shape(), Qt::PointingHandCursor);

    // Resizing keeps the left column, the log and the button bar; the grid takes the rest.
    const QSize before = f.Grid()->size();
    f.resize(f.size() + QSize(100, 80));
    QTRY_COMPARE(f.Grid()->size(), before + QSize(100, 80));
    QCOMPARE(f.Control(quelt::front::MainControl::ButtonColumn)->width(), S(w, 109));
    QCOMPARE(f.Log()->height(), S(w, quelt::front::kDefaultLogHeight));
    QCOMPARE(f.Control(quelt::front::MainControl::ButtonBar)->height(), S(w, 30));

    struct Hint {
      QWidget* widget;
      const char* text;
    };
    const Hint hints[] = {
        // Each hint names the key that does the same.
        {RefreshButton(f), "Get fuel list from the instrument (F5)"},
        {SendButton(f), "Send's new list to the instrument (Ctrl+Enter)"},
        {ExitButton(f), "Close window (Ctrl+Q)"},
        {MoveUpButton(f), "fuel move up (Ctrl+Up)"},
        {MoveDownButton(f), "fuel move down (Ctrl+Down)"},
        {OpenButton(f), "Load a table from a file (Ctrl+O)"},
        {SaveButton(f), "Save the table to a file (Ctrl+S)"},
        {f.Grid(),
         "Actual table (Enter or F2: edit the row, Insert: add one, Ctrl+D: duplicate it, "
         "Ctrl+Delete: delete it, Ctrl+Z / Ctrl+Y: undo / redo)"},
        {f.Log(), ""},
        {f.Progress(), ""},
        {f.Control(quelt::front::MainControl::Logo), ""},
    };
    for (const Hint& h : hints) QCOMPARE(h.widget->toolTip(), QString::fromUtf8(h.text));

    const char* titles[] = {"N",      "ID",   "Description", "Co2Max", "A2",  "B",
                            "Ref.O2", "Vatr", "Vaf",         "HU",     "Soot"};
    const int widths[] = {33, 31, 115, 54, 46, 38, 44, 40, 37, 36, 48};
    auto* model = f.Grid()->model();
    QCOMPARE(model->columnCount(), 11);
    for (int c = 0; c < 11; ++c) {
      QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), QString::fromLatin1(titles[c]));
      // Wider platform faces may widen a column, never narrow it.
      QVERIFY(f.Grid()->columnWidth(c) >= S(w, widths[c]));
    }
    QStringList items;
    for (const QAction* a : f.RowMenu()->actions()) items << a->text();
    QCOMPARE(items, QStringList({"Edit\tF2", "Add row\tInsert", "Duplicate\tCtrl+D",
                                 "Delete\tCtrl+Delete", "Undo\tCtrl+Z", "Redo\tCtrl+Y",
                                 "Backups...\tCtrl+B", "Export to CSV...\tCtrl+E",
                                 "Service report...\tCtrl+P", "Today's log file",
                                 "Save a trace for support...", "User guide\tF1", "About"}));
    QCOMPARE(f.EditRowAction(), f.RowMenu()->actions().front());
  }

  // The pictures reach Qt from front's geometry: a wrong byte order would
  // turn the red arrows blue, a lost ratio would blur them, and the disabled
  // images must be grey through and through, lettering included.
  void picturesFromSharedGeometry() {
    using quelt::front::Picture;
    struct Case {
      const char* name;
      QIcon icon;
      int size;
      QPoint inside;  // a pixel well inside a part of this colour, at 1x
      QColor colour;
    };
    const Case cases[] = {
        {"up", PictureIcon(Picture::Up, 16, 2.0), 16, {8, 10}, QColor(230, 0, 0)},
        {"down", PictureIcon(Picture::Down, 16, 2.0), 16, {8, 4}, QColor(230, 0, 0)},
        {"send", PictureIcon(Picture::Send, 16, 2.0), 16, {7, 8}, Qt::black},
        {"refresh", PictureIcon(Picture::Refresh, 16, 2.0), 16, {7, 13}, Qt::black},
        {"open", PictureIcon(Picture::Open, 16, 2.0), 16, {8, 10}, QColor(250, 210, 90)},
        {"save", PictureIcon(Picture::Save, 16, 2.0), 16, {13, 8}, QColor(40, 90, 180)},
        {"exit", PictureIcon(Picture::Exit, 24, 2.0), 24, {12, 17}, QColor(0, 150, 60)},
        {"ok", PictureIcon(Picture::Ok, 18, 2.0), 18, {7, 13}, QColor(0, 150, 0)},
        {"cancel", PictureIcon(Picture::Cancel, 18, 2.0), 18, {9, 9}, QColor(204, 0, 0)},
    };
    for (const Case& c : cases) {
      for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
        const QImage image = c.icon.pixmap(QSize(c.size, c.size), 2.0, mode)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(image.size() == QSize(2 * c.size, 2 * c.size), c.name);
        const QColor at = image.pixelColor(c.inside * 2);
        QVERIFY2(at.alpha() == 255, c.name);
        if (mode == QIcon::Normal) {
          QVERIFY2(at == c.colour, qPrintable(QStringLiteral("%1 %2").arg(c.name, at.name())));
          continue;
        }
        QVERIFY2(at.red() < 200, c.name);  // the part's grey, not the background's white
        for (int y = 0; y < image.height(); ++y) {
          for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            QVERIFY2(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p),
                     qPrintable(QStringLiteral("%1 at %2,%3").arg(c.name).arg(x).arg(y)));
          }
        }
      }
    }
  }

  // The icons draw their image when first asked for, and must answer every
  // request as an icon holding both forms would: the greyed form, the tints
  // of other modes, smaller and larger sizes, at every ratio.
  void picturesAnswerAsIfAllWereDrawn() {
    using quelt::front::Picture;
    const int size = 16;
    for (double dpr : {1.0, 1.25, 1.5, 2.0, 3.0}) {
      QIcon eager;
      for (bool disabled : {false, true}) {
        const int px = qRound(size * dpr);
        QImage image = CanvasImage(quelt::front::DrawPicture(Picture::Up, px, disabled));
        image.setDevicePixelRatio(dpr);
        eager.addPixmap(QPixmap::fromImage(image), disabled ? QIcon::Disabled : QIcon::Normal);
      }
      const QIcon lazy = PictureIcon(Picture::Up, size, dpr);
      for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected}) {
        for (int asked : {12, 16, 32}) {
          const QString what = QStringLiteral("%1x, mode %2, %3 px").arg(dpr).arg(mode).arg(asked);
          const QPixmap want = eager.pixmap(QSize(asked, asked), dpr, mode);
          const QPixmap got = lazy.pixmap(QSize(asked, asked), dpr, mode);
          QVERIFY2(got.devicePixelRatio() == want.devicePixelRatio(), qPrintable(what));
          QVERIFY2(got.toImage() == want.toImage(), qPrintable(what));
          QCOMPARE(lazy.actualSize(QSize(asked, asked), mode),
                   eager.actualSize(QSize(asked, asked), mode));
        }
        QImage painted[2];
        for (int i = 0; i < 2; ++i) {
          painted[i] = QImage(QSize(40, 40) * dpr, QImage::Format_ARGB32_Premultiplied);
          painted[i].setDevicePixelRatio(dpr);
          painted[i].fill(Qt::white);
          QPainter p(&painted[i]);
          (i == 0 ? eager : lazy).paint(&p, QRect(2, 3, 20, 16), Qt::AlignCenter, mode);
        }
        QVERIFY2(painted[1] == painted[0], qPrintable(QStringLiteral("painted at %1x").arg(dpr)));
      }
    }
  }

  void exitButtonClosesWindow() {
    Rig rig(std::nullopt);
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    ExitButton(*rig.form)->click();
    QVERIFY(!rig.form->isVisible());
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
