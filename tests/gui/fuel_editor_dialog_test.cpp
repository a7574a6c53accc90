// The fuel editor dialog driven like a user would: it runs modally on a row,
// a timer types into its editors, and message boxes are answered as they come.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "front/layout.h"
#include "front/tab_order.h"
#include "tests/support/grid_rows.h"
#include "text/text_helpers.h"
#include "ui/fuel_editor_dialog.h"
#include "ui/fuel_editors.h"

using namespace quelt;
using namespace quelt::ui;

namespace {

// A grid row with the values the editor tests read back.
FuelRow SampleRow(int n) {
  FuelRow row = quelt::test::GridRow(n, 100 + n, ("Fuel " + std::to_string(n)).c_str());
  row.A2 = 0.64;
  row.Vatr = 7.7;
  row.Soot = 1;
  return row;
}

void Fill(FuelTable& table, int rows, int current) {
  for (int i = 1; i <= rows; ++i) table.AppendRow(SampleRow(i));
  table.MoveTo(current);
}

// Answers every message box with OK and keeps its text.
class BoxAnswerer : public QObject {
 public:
  BoxAnswerer() {
    connect(&timer_, &QTimer::timeout, this, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts << box->text();
        box->button(QMessageBox::Ok)->click();
      }
    });
    timer_.start(10);
  }
  QStringList texts;

 private:
  QTimer timer_;
};

// Opens the dialog on the table's current row, as the controller does, and
// runs `script` on it once it is up.
// A dialog the script leaves open is cancelled.
void RunDialog(FuelTable& table, const std::function<void(FuelEditorDialog&)>& script,
               bool readOnly = false) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<FuelEditorDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    dialog->activateWindow();
    if (QTest::qWaitForWindowActive(dialog)) script(*dialog);
    ran = true;
    if (dialog->isVisible()) dialog->reject();
  });
  quelt::control::EditRow(table, readOnly, DecimalSeparator(),
                          [](quelt::control::RowEditor& rows) { return RunFuelEditor(rows); });
  QVERIFY(ran);
}

// Types like a keyboard: one key event per character, also for characters
// that no Qt::Key names.
void Type(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    const bool ascii = c.unicode() < 0x7F && c.isLetterOrNumber();
    const auto key = ascii ? static_cast<Qt::Key>(c.toUpper().unicode()) : Qt::Key_unknown;
    QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
  }
}

// Replaces the editor's text the way a user would: focus, select all, type.
FuelEdit* Retype(FuelEditorDialog& d, FuelField field, const QString& text) {
  FuelEdit* editor = d.Editor(field);
  editor->setFocus();
  editor->selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(editor, Qt::Key_Backspace);
  } else {
    Type(editor, text);
  }
  return editor;
}

struct Snapshot {
  explicit Snapshot(const FuelTable& t) : rows(t.Rows()), current(t.CurrentIndex()) {}
  std::vector<FuelRow> rows;
  int current;
};

void ExpectUnchanged(const FuelTable& table, const Snapshot& before) {
  QCOMPARE(table.GetState(), FuelTable::State::Viewing);
  QVERIFY(table.Rows() == before.rows);
  QCOMPARE(table.CurrentIndex(), before.current);
}

}  // namespace

class FuelEditorDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

  void okWithoutTypingKeepsRow() {
    FuelTable table;
    Fill(table, 12, 4);
    const Snapshot before(table);
    RunDialog(table, [](FuelEditorDialog& d) {
      QCOMPARE(d.Editor(FuelField::Co2Max)->text(), QString("12.1"));
      QCOMPARE(d.Editor(FuelField::B)->text(), QString("0.009"));
      QCOMPARE(d.Editor(FuelField::Description)->text(), QString("Fuel 5"));
      QTest::keyClick(d.Editor(FuelField::ID), Qt::Key_Return);
    });
    ExpectUnchanged(table, before);
  }

  void changedValueKeepsItsPosition_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("leaveEditor");
    QTest::newRow("12 rows, OK in the editor") << 12 << false;
    QTest::newRow("12 rows, editor left first") << 12 << true;
    QTest::newRow("15 rows") << 15 << false;
  }
  void changedValueKeepsItsPosition() {
    QFETCH(int, rows);
    QFETCH(bool, leaveEditor);
    FuelTable table;
    Fill(table, rows, 2);
    const Snapshot before(table);
    RunDialog(table, [&](FuelEditorDialog& d) {
      FuelEdit* editor = Retype(d, FuelField::Co2Max, "7.5");
      QCOMPARE(table.GetState(), FuelTable::State::Editing);
      if (leaveEditor) QTest::keyClick(editor, Qt::Key_Tab);
      QTest::mouseClick(d.findChild<QPushButton*>("ok"), Qt::LeftButton);
    });
    QCOMPARE(table.GetState(), FuelTable::State::Viewing);
    QCOMPARE(table.RowCount(), rows);
    QCOMPARE(table.CurrentIndex(), 2);
    FuelRow expected = before.rows[2];
    expected.Co2Max = 7.5;
    expected.N = 3;  // its position, never the count + 1
    QVERIFY(table.Row(2) == expected);
    for (int i = 0; i < rows; ++i) {
      if (i != 2) QVERIFY(table.Row(i) == before.rows[static_cast<std::size_t>(i)]);
    }
  }

  void cancelDropsChanges_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("button") << "button";
    QTest::newRow("escape") << "escape";
    QTest::newRow("title bar") << "close";
  }
  void cancelDropsChanges() {
    QFETCH(QString, how);
    FuelTable table;
    Fill(table, 6, 3);
    const Snapshot before(table);
    RunDialog(table, [&](FuelEditorDialog& d) {
      QTest::keyClick(Retype(d, FuelField::Co2Max, "9"), Qt::Key_Tab);  // stored in the buffer
      FuelEdit* description = Retype(d, FuelField::Description, "Changed");
      QCOMPARE(table.Current().Co2Max, 9.0);
      if (how == "button") {
        QTest::mouseClick(d.findChild<QPushButton*>("cancel"), Qt::LeftButton);
      } else if (how == "escape") {
        QTest::keyClick(description, Qt::Key_Escape);
      } else {
        d.close();
      }
      QVERIFY(!d.isVisible());
    });
    ExpectUnchanged(table, before);
  }

  void emptyTable_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
  }
  void emptyTable() {
    QFETCH(bool, ok);
    FuelTable table;
    RunDialog(table, [&](FuelEditorDialog& d) {
      for (FuelField f : {FuelField::ID, FuelField::Co2Max, FuelField::Soot}) {
        QVERIFY(d.Editor(f)->text().isEmpty());
      }
      // A new row takes its ID (OK asks for one), and the editor opens on it.
      QCOMPARE(d.focusWidget(), d.Editor(FuelField::ID));
      QVERIFY(!d.Editor(FuelField::ID)->isReadOnly());
      Retype(d, FuelField::ID, "7");
      FuelEdit* editor = Retype(d, FuelField::Co2Max, "5");
      QCOMPARE(table.GetState(), FuelTable::State::Inserting);
      QTest::keyClick(editor, ok ? Qt::Key_Return : Qt::Key_Escape);
    });
    QCOMPARE(table.GetState(), FuelTable::State::Viewing);
    if (!ok) {
      QVERIFY(table.IsEmpty());
      QCOMPARE(table.CurrentIndex(), -1);
      return;
    }
    QCOMPARE(table.RowCount(), 1);
    QCOMPARE(table.CurrentIndex(), 0);
    const FuelRow& row = table.Row(0);
    QCOMPARE(row.N, 1);
    QCOMPARE(row.Co2Max, 5.0);
    QCOMPARE(row.ID, 7);
    QVERIFY(row.IsNull(FuelField::A2));
  }

  void editorsThatCannotChange_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("field");
    QTest::newRow("ID editor") << false << static_cast<int>(FuelField::ID);
    QTest::newRow("read-only dialog, Co2Max") << true << static_cast<int>(FuelField::Co2Max);
    QTest::newRow("read-only dialog, description")
        << true << static_cast<int>(FuelField::Description);
  }
  void editorsThatCannotChange() {
    QFETCH(bool, readOnly);
    QFETCH(int, field);
    FuelTable table;
    Fill(table, 3, 1);
    const Snapshot before(table);
    RunDialog(
        table,
        [&](FuelEditorDialog& d) {
          FuelEdit* editor = d.Editor(static_cast<FuelField>(field));
          const QString shown = editor->text();
          editor->setFocus();
          Type(editor, "123");
          QTest::keyClick(editor, Qt::Key_Backspace);
          QTest::keyClick(editor, Qt::Key_Delete);
          QCOMPARE(editor->text(), shown);
          // A fuel's ID says why it does not change; a read-only dialog only shows.
          QCOMPARE(d.Note()->text().isEmpty(), readOnly);
          QCOMPARE(table.GetState(), FuelTable::State::Viewing);
          QTest::keyClick(editor, Qt::Key_Return);
        },
        readOnly);
    ExpectUnchanged(table, before);
  }

  void validationMessages_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("byTab");
    QTest::addColumn<QString>("message");
    const auto f = [](FuelField x) { return static_cast<int>(x); };
    // The texts themselves are the field rules' (tests/front); here the box
    // comes on Tab and on OK, and the editor keeps the focus and the text.
    QTest::newRow("exponent without digits")
        << f(FuelField::Co2Max) << "1e" << true
        << "'1e' ist kein gültiger Fließkommawert für Feld 'Co2Max'";
    QTest::newRow("beyond 16 bits, OK")
        << f(FuelField::Soot) << "40000" << false
        << "40000 ist kein gültiger Wert für das Feld 'Spezial'. Der zulässige Bereich ist "
           "-32768 bis 32767";
  }
  void validationMessages() {
    QFETCH(int, field);
    QFETCH(QString, text);
    QFETCH(bool, byTab);
    QFETCH(QString, message);
    FuelTable table;
    Fill(table, 4, 1);
    const Snapshot before(table);
    BoxAnswerer answerer;
    RunDialog(table, [&](FuelEditorDialog& d) {
      FuelEdit* editor = Retype(d, static_cast<FuelField>(field), text);
      QTest::keyClick(editor, byTab ? Qt::Key_Tab : Qt::Key_Return);
      QTRY_COMPARE(answerer.texts, QStringList{message});
      QVERIFY(d.isVisible());
      QTRY_COMPARE(d.focusWidget(), editor);
      QCOMPARE(editor->text(), text);
      // Still refused when the user insists.
      QTest::keyClick(editor, Qt::Key_Return);
      QTRY_COMPARE(answerer.texts.size(), 2);
      QVERIFY(d.isVisible());
      QTest::keyClick(editor, Qt::Key_Escape);
    });
    ExpectUnchanged(table, before);
  }

  void emptiedEditorLeavesNoValue() {
    FuelTable table;
    Fill(table, 4, 0);
    RunDialog(table, [](FuelEditorDialog& d) {
      QTest::keyClick(Retype(d, FuelField::A2, ""), Qt::Key_Tab);
      FuelEdit* special = d.Editor(FuelField::Soot);
      special->setFocus();
      special->selectAll();
      QTest::keyClick(special, Qt::Key_X, Qt::ControlModifier);  // a cut is a change too
      QTest::keyClick(special, Qt::Key_Return);
    });
    QVERIFY(table.Row(0).IsNull(FuelField::A2));
    QVERIFY(table.Row(0).IsNull(FuelField::Soot));
    QVERIFY(!table.Row(0).IsNull(FuelField::B));
    QCOMPARE(table.Row(0).N, 1);
  }

  void refusedCharacters_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("refused");
    const auto f = [](FuelField x) { return static_cast<int>(x); };
    QTest::newRow("soot") << f(FuelField::Soot) << "1a+2.5x"
                          << "1+25" << 3;
    QTest::newRow("decimal: both marks taken") << f(FuelField::Co2Max) << "1,5E-3q"
                                               << "1,5E-3" << 1;
    QTest::newRow("nothing taken") << f(FuelField::Vaf) << "x y"
                                   << "9.40" << 3;
    QTest::newRow("semicolon") << f(FuelField::Description) << "Gas;H"
                               << "GasH" << 1;
    QTest::newRow("outside Windows-1252")
        << f(FuelField::Description) << QString::fromUtf8("Öl €\u2713ß")
        << QString::fromUtf8("Öl €ß") << 1;
    QTest::newRow("30 characters")
        << f(FuelField::Description) << QString(35, 'x') << QString(30, 'x') << 0;
    QTest::newRow("a refused character in a full description still gets its note")
        << f(FuelField::Description) << QString(30, 'x') + ';' << QString(30, 'x') << 1;
  }
  void refusedCharacters() {
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, refused);
    FuelTable table;
    Fill(table, 2, 0);
    RunDialog(table, [&](FuelEditorDialog& d) {
      FuelEdit* editor = d.Editor(static_cast<FuelField>(field));
      const QString before = editor->text();
      QSignalSpy refusals(editor, &FuelEdit::Refused);
      Retype(d, static_cast<FuelField>(field), typed);
      QCOMPARE(editor->text(), shown);
      QCOMPARE(refusals.count(), refused);
      // Refused keys are no change: the table stays in browse state.
      QCOMPARE(table.GetState(),
               shown == before ? FuelTable::State::Viewing : FuelTable::State::Editing);
    });
  }

  void pasteIsGuarded_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("clip");
    QTest::addColumn<bool>("taken");
    QTest::newRow("description") << static_cast<int>(FuelField::Description) << "Gas H" << true;
    QTest::newRow("semicolon") << static_cast<int>(FuelField::Description) << "Gas;H" << false;
    QTest::newRow("soot with a separator") << static_cast<int>(FuelField::Soot) << "1.5" << false;
    QTest::newRow("exponent") << static_cast<int>(FuelField::B) << "2E-3" << true;
  }
  void pasteIsGuarded() {
    QFETCH(int, field);
    QFETCH(QString, clip);
    QFETCH(bool, taken);
    FuelTable table;
    Fill(table, 2, 1);
    QGuiApplication::clipboard()->setText(clip);
    RunDialog(table, [&](FuelEditorDialog& d) {
      FuelEdit* editor = d.Editor(static_cast<FuelField>(field));
      const QString before = editor->text();
      QSignalSpy refusals(editor, &FuelEdit::Refused);
      editor->setFocus();
      editor->selectAll();
      QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
      QCOMPARE(editor->text(), taken ? clip : before);
      QCOMPARE(refusals.count(), taken ? 0 : 1);
      QCOMPARE(table.GetState(), taken ? FuelTable::State::Editing : FuelTable::State::Viewing);
      QTest::keyClick(editor, Qt::Key_Return);
    });
    if (taken && static_cast<FuelField>(field) == FuelField::B) QCOMPARE(table.Row(1).B, 0.002);
  }

  void decimalSeparatorFollowsLocale() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    FuelTable table;
    Fill(table, 2, 0);
    RunDialog(table, [](FuelEditorDialog& d) {
      QCOMPARE(d.Editor(FuelField::Co2Max)->text(), QString("12,1"));
      QCOMPARE(d.Editor(FuelField::HU)->text(), QString("31,68"));
      QCOMPARE(d.Editor(FuelField::B)->text(), QString("0,009"));
      // '.' on a ',' workstation is a decimal mark too: "12.5" is never 125.
      QSignalSpy refusals(d.Editor(FuelField::Co2Max), &FuelEdit::Refused);
      QTest::keyClick(Retype(d, FuelField::Co2Max, "12.5"), Qt::Key_Return);
      QCOMPARE(refusals.count(), 0);
    });
    QCOMPARE(table.Row(0).Co2Max, 12.5);
  }

  // A refused character is shown beside the buttons, not only beeped; a
  // value outside its range is kept only when the user says Yes.
  void refusalNoteAndRangeQuestion() {
    FuelTable table;
    Fill(table, 2, 0);
    QStringList asked;
    QMessageBox::StandardButton answer = QMessageBox::No;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        asked << box->text();
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
        box->button(answer)->click();
      }
    });
    answerer.start(10);
    RunDialog(table, [&](FuelEditorDialog& d) {
      FuelEdit* co2 = Retype(d, FuelField::Co2Max, "4x5");
      QCOMPARE(d.Note()->text(), QStringLiteral("Co2Max: 'x' is not allowed here"));
      QCOMPARE(co2->text(), QStringLiteral("45"));
      QTest::mouseClick(d.findChild<QPushButton*>("ok"), Qt::LeftButton);
      QTRY_COMPARE(asked.size(), 1);
      QVERIFY(asked[0].startsWith("45 % is outside the plausible range 0 to 30 %"));
      QVERIFY(d.isVisible());
      QTRY_COMPARE(d.focusWidget(), co2);
      answer = QMessageBox::Yes;
      QTest::mouseClick(d.findChild<QPushButton*>("ok"), Qt::LeftButton);
    });
    QCOMPARE(asked.size(), 2);
    QCOMPARE(table.Row(0).Co2Max, 45.0);
  }

  void layoutAtDpi_data() {
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QSize>("client");
    QTest::newRow("96") << 96 << QSize(318, 276);
    QTest::newRow("120") << 120 << QSize(398, 345);
    QTest::newRow("144") << 144 << QSize(477, 414);
    QTest::newRow("192") << 192 << QSize(636, 552);
  }
  void layoutAtDpi() {
    QFETCH(int, dpi);
    QFETCH(QSize, client);
    const quelt::front::DialogLayout layout = quelt::front::LayoutDialog(dpi);
    auto rectOf = [](const quelt::front::Rect& r) { return QRect(r.x, r.y, r.w, r.h); };
    QCOMPARE(QSize(layout.clientWidth, layout.clientHeight), client);
    const QRect area(QPoint(0, 0), client);
    for (const auto& item : layout.items) {
      QVERIFY2(!rectOf(item.rect).isEmpty() && area.contains(rectOf(item.rect)),
               "an item of the layout");
    }
    // Editors and buttons never cover each other.
    for (const auto& a : layout.items) {
      for (const auto& b : layout.items) {
        using Role = quelt::front::DialogItem::Role;
        const auto control = [](Role r) {
          return r == Role::Editor || r == Role::Cancel || r == Role::Ok;
        };
        if (&a != &b && control(a.role) && control(b.role)) {
          QVERIFY(!rectOf(a.rect).intersects(rectOf(b.rect)));
        }
      }
    }

    FuelTable table;
    quelt::control::RowEditor rows(table, false, U'.');
    FuelEditorDialog dialog(rows);
    dialog.ApplyLayout(dpi);
    QCOMPARE(dialog.minimumSize(), client);
    QCOMPARE(dialog.maximumSize(), client);
    dialog.resize(client * 2);
    QCOMPARE(dialog.size(), client);
    QList<QRect> placed;
    for (QWidget* child : dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      QVERIFY2(area.contains(child->geometry()), qPrintable(child->objectName()));
      placed << child->geometry();
    }
    for (const auto& item : layout.items) QVERIFY(placed.removeOne(rectOf(item.rect)));
  }

  void shownAtScreenResolution() {
    FuelTable table;
    Fill(table, 1, 0);
    RunDialog(table, [](FuelEditorDialog& d) {
      const int dpi = qRound(d.screen()->logicalDotsPerInch());
      QCOMPARE(d.LayoutDpi(), dpi);
      QCOMPARE(d.size(), QSize(quelt::front::LayoutDialog(dpi).clientWidth,
                               quelt::front::LayoutDialog(dpi).clientHeight));
      QCOMPARE(d.windowTitle(), QString("Edit fuel"));
      for (QLabel* label : d.findChildren<QLabel*>()) {
        const QFontMetrics metrics = label->fontMetrics();
        QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->contentsRect().width(),
                 qPrintable(label->text()));
        QVERIFY2(metrics.height() <= label->contentsRect().height(), qPrintable(label->text()));
      }
      // Tab walks the editors in the shared order, then Cancel and OK.
      QStringList order, expected;
      for (FuelField field : quelt::front::DialogTabOrder())
        expected << d.Editor(field)->objectName();
      expected << "cancel"
               << "ok";
      QWidget* w = d.Editor(FuelField::ID);
      for (int i = 0; i < 12; ++i, w = w->nextInFocusChain()) {
        while (!(w->focusPolicy() & Qt::TabFocus)) w = w->nextInFocusChain();
        order << w->objectName();
      }
      QCOMPARE(order, expected);
    });
  }

  // QUELT_DIALOG_SHOT=file.png saves a picture of the dialog for the docs.
  void screenshot() {
    const QString path = qEnvironmentVariable("QUELT_DIALOG_SHOT");
    if (path.isEmpty()) QSKIP("QUELT_DIALOG_SHOT not set");
    FuelTable table;
    FuelRow row = SampleRow(4);
    row.ID = 16;
    row.Description = "Erdgas H";
    row.Soot = 0;
    table.AppendRow(row);
    RunDialog(table, [&](FuelEditorDialog& d) {
      d.Editor(FuelField::Description)->setFocus();
      QVERIFY(d.grab().save(path));
    });
  }
};

QTEST_MAIN(FuelEditorDialogTest)
#include "fuel_editor_dialog_test.moc"
