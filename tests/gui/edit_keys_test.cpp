// The editing keys of the Qt window, pressed as a user would: Insert adds a
// row and opens the editor on it (Cancel takes it away), Ctrl+D duplicates,
// Ctrl+Z and Ctrl+Y undo and redo; the row menu offers the same with their
// keys; changed cells are drawn with the change mark and counted.
#include <QLabel>
#include <QMenu>
#include <QtTest>

#include "front/change_mark.h"
#include "tests/gui/gui_rig.h"
#include "ui/fuel_editor_dialog.h"
#include "ui/fuel_editors.h"
#include "ui/fuel_grid.h"
#include "ui/status_line.h"

using quelt::FuelField;
using quelt::ui::MainWindow;

namespace {

void Press(MainWindow& f, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&f));
  QTest::keyClick(&f, key, modifiers);
}

std::vector<int> Ids(quelt::FuelTable& table) {
  std::vector<int> ids;
  for (const quelt::FuelRow& r : table.Rows()) ids.push_back(r.ID);
  return ids;
}

// The ID the last editor opened with.
QString shownId;

// The editor that the next key opens: OK with the new row's `id` and
// `description` (if any) typed, or Cancel.
void AnswerEditor(bool ok, const QString& id, const QString& description = {}) {
  QTimer::singleShot(50, [ok, id, description] {
    auto* d = qobject_cast<quelt::ui::FuelEditorDialog*>(QApplication::activeModalWidget());
    if (d == nullptr) return;
    shownId = d->Editor(FuelField::ID)->text();
    if (!ok) {
      d->reject();
      return;
    }
    QTest::keyClicks(d->Editor(FuelField::ID), id);
    auto* editor = d->Editor(FuelField::Description);
    editor->setFocus();
    QTest::keyClicks(editor, description);
    d->accept();
  });
}

}  // namespace

class EditKeysTest : public QObject {
  Q_OBJECT

 private slots:
  void keysMenuAndMarks() {
    Rig rig(WithRows(Rows(3, 2)));  // IDs 101, 16, 103
    MainWindow& f = *rig.form;
    Press(f, Qt::Key_F5);
    QCOMPARE(Ids(rig.Table()), (std::vector<int>{101, 16, 103}));
    rig.Table().MoveTo(0);

    struct Step {
      const char* what;
      Qt::Key key;
      Qt::KeyboardModifiers modifiers;
      int editor;               // -1 none, 0 Cancel, 1 OK
      const char* id;           // typed into the new row's ID
      const char* description;  // typed after the copied one
      std::vector<int> ids;
      int current;
    };
    const Step steps[] = {
        {"Insert, Cancel", Qt::Key_Insert, Qt::NoModifier, 0, "", "", {101, 16, 103}, 0},
        {"Insert, OK", Qt::Key_Insert, Qt::NoModifier, 1, "7", "Biogas", {101, 7, 16, 103}, 1},
        // The copy's ID is left for the user to give.
        {"Ctrl+D, OK", Qt::Key_D, Qt::ControlModifier, 1, "8", "", {101, 7, 8, 16, 103}, 2},
        {"Ctrl+Z", Qt::Key_Z, Qt::ControlModifier, -1, "", "", {101, 7, 16, 103}, 1},
        {"Ctrl+Z again", Qt::Key_Z, Qt::ControlModifier, -1, "", "", {101, 16, 103}, 0},
        {"Ctrl+Y", Qt::Key_Y, Qt::ControlModifier, -1, "", "", {101, 7, 16, 103}, 1},
        {"Ctrl+Y again", Qt::Key_Y, Qt::ControlModifier, -1, "", "", {101, 7, 8, 16, 103}, 2},
    };
    for (const Step& s : steps) {
      if (s.editor >= 0) AnswerEditor(s.editor == 1, s.id, s.description);
      Press(f, s.key, s.modifiers);
      QVERIFY2(Ids(rig.Table()) == s.ids, s.what);
      QCOMPARE(rig.Table().CurrentIndex(), s.current);
      QCOMPARE(f.Grid()->selectionModel()->currentIndex().row(), s.current);
      for (int i = 0; i < rig.Table().RowCount(); ++i) QCOMPARE(rig.Table().Row(i).N, i + 1);
    }

    // Rows 2 and 3 are new and carry the mark; the rows below them are the
    // analyser's own, only further down.
    auto* model = f.Grid()->model();
    const QString bullet = QString::fromUtf8(quelt::front::kChangedPrefix);
    const int description = static_cast<int>(FuelField::Description);
    QCOMPARE(model->index(0, description).data().toString(), QStringLiteral("Fuel 1"));
    QCOMPARE(model->index(1, description).data().toString(), bullet + "Biogas");
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("2"));  // N is never marked
    QVERIFY(f.StatusLine()->text().endsWith("2 rows change"));
    QVERIFY(f.Legend()->text().contains(QString::fromUtf8(quelt::front::kLegendChanged)));

    // The row menu: every item with its key; Redo is grey with nothing to redo.
    QMenu* menu = f.RowMenu();
    QStringList enabled;
    QTimer::singleShot(50, menu, [menu, &enabled] {
      for (QAction* a : menu->actions()) {
        if (a->isEnabled()) enabled << a->text().section('\t', 0, 0);
      }
      menu->close();
    });
    menu->exec(f.mapToGlobal(QPoint(200, 400)));
    QCOMPARE(enabled, (QStringList{"Edit", "Add row", "Duplicate", "Delete", "Undo", "Backups...",
                                   "Export to CSV...", "Service report...", "Today's log file",
                                   "Save a trace for support...", "User guide", "About"}));

    // A Send makes the grid what the analyser holds: no mark, a new history.
    Press(f, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(model->index(1, description).data().toString(), QStringLiteral("Biogas"));
    Press(f, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(rig.Table().RowCount(), 5);

    // A double-click on a row (a click, then the second press) edits it.
    auto* grid = f.Grid();
    const QPoint row4 = grid->visualRect(model->index(3, description)).center();
    AnswerEditor(false, {});
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row4);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row4);
    QTRY_COMPARE(shownId, QStringLiteral("16"));
  }
};

QTEST_MAIN(EditKeysTest)
#include "edit_keys_test.moc"
