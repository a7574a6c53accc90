// The Backups view in the Qt window: Ctrl+B and the button open it, it
// lists the backup a send made with its table, Restore writes it back and
// Load into grid takes its rows.
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "gui_rig.h"
#include "ui/backups_dialog.h"
#include "ui/parties_dialog.h"

using quelt::sim::Config;
using namespace quelt::ui;

namespace {

// Runs `inspect` on the Backups dialog once it is open, then closes it
// unless `inspect` did.
void WithBackupsDialog(const std::function<void()>& open,
                       const std::function<void(BackupsDialog&)>& inspect) {
  bool seen = false;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<BackupsDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || seen) return;
    seen = true;
    inspect(*dialog);
    if (dialog->isVisible()) dialog->reject();
  });
  timer.start(20);
  open();
  QTRY_VERIFY_WITH_TIMEOUT(seen, 10000);
}

bool Logged(Rig& rig, const QString& part) { return rig.form->Log()->toPlainText().contains(part); }

}  // namespace

class BackupsTest : public QObject {
  Q_OBJECT
 private slots:
  void KeyAndButtonOpenTheViewWhichRestoresAndLoads() {
    Rig rig(WithRows(Rows(3, 2)));
    RefreshButton(*rig.form)->click();
    QCOMPARE(rig.Table().RowCount(), 3);
    rig.Table().MoveToFirst();
    rig.Table().DeleteCurrent();  // the table sent: rows 2 and 3
    SendButton(*rig.form)->click();
    QVERIFY(Logged(rig, QStringLiteral("Backup of the analyser's table: ")));

    // Ctrl+B: the backup of the three rows, its table, both buttons.
    WithBackupsDialog(
        [&] {
          rig.form->activateWindow();
          QTest::keyClick(rig.form.get(), Qt::Key_B, Qt::ControlModifier);
        },
        [&](BackupsDialog& d) {
          QCOMPARE(d.List()->topLevelItemCount(), 1);
          QCOMPARE(d.List()->topLevelItem(0)->text(1), QStringLiteral("3"));
          QCOMPARE(d.List()->topLevelItem(0)->text(3), QStringLiteral("ok"));
          QCOMPARE(d.Rows()->rowCount(), 3);
          QCOMPARE(d.Rows()->item(0, 2)->text(), QStringLiteral("Fuel 1"));
          QVERIFY(d.RestoreButton()->isEnabled());
          QVERIFY(d.LoadButton()->isEnabled());
          // Rows as compact as the grid's: the whole table shows.
          QVERIFY(d.Rows()->rowHeight(0) < 2 * d.fontMetrics().height());
          // Enter is Close's, never Restore's: it writes the analyser.
          const auto sent = rig.Transcript().size();
          QTest::keyClick(&d, Qt::Key_Return);
          QVERIFY(!d.isVisible());
          QCOMPARE(rig.Transcript().size(), sent);
          d.show();
          // Restore: asked first (Yes), written back, checked, listed anew.
          rig.boxes.answer = QMessageBox::Yes;
          d.RestoreButton()->click();
          QCOMPARE(d.List()->topLevelItemCount(), 2);
        });
    QVERIFY(Logged(rig, QStringLiteral("Restored ")));
    QVERIFY(rig.Transcript().contains(QStringLiteral("W4023;X;X;")));

    // The button: Load into grid takes the newest backup (two rows) and closes.
    WithBackupsDialog(
        [&] { ButtonOf(*rig.form, quelt::front::MainControl::BackupsButton)->click(); },
        [&](BackupsDialog& d) {
          QCOMPARE(d.List()->topLevelItem(0)->text(1), QStringLiteral("2"));
          d.LoadButton()->click();
          QVERIFY(!d.isVisible());
        });
    QCOMPARE(rig.Table().RowCount(), 2);
    QVERIFY(Logged(rig, QStringLiteral("Loaded 2 rows from the backup ")));
    QVERIFY(rig.form->windowTitle().contains(QStringLiteral("changes not sent")));
  }

  // Ctrl+P: the form shows the lines remembered, what is typed in it reaches
  // the report.
  void TheReportsFormFillsThePage() {
    Rig rig;
    rig.controller->SetParties({"Old customer", "Old site", "Old technician"});
    const QString page = rig.files.filePath(QStringLiteral("report.html"));
    rig.boxes.file = page;
    QStringList shown;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (dialog == nullptr || dialog->objectName() != QLatin1String("PartiesDialog")) return;
      const QStringList typed{QStringLiteral("M\u00fcller"), QStringLiteral("Hall 2"),
                              QStringLiteral("J. Doe")};
      for (int i = 0; i < 3; ++i) {
        auto* edit = dialog->findChild<QLineEdit*>(QLatin1String(kPartyEditNames[i]));
        shown << edit->text();
        QCOMPARE(edit->maxLength(), quelt::control::kPartyMaxChars);
        edit->setText(typed[i]);
      }
      static_cast<QDialog*>(dialog)->accept();
    });
    timer.start(20);
    rig.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.form.get()));
    QTest::keyClick(rig.form.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(shown, (QStringList{QStringLiteral("Old customer"), QStringLiteral("Old site"),
                                 QStringLiteral("Old technician")}));
    QFile file(page);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    for (const char* line : {"M\u00fcller", "Hall 2", "J. Doe"}) {
      QVERIFY2(html.contains(QString::fromUtf8(line)), line);
    }
  }
};

QTEST_MAIN(BackupsTest)
#include "backups_test.moc"
