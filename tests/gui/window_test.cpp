// The Qt window as the controller's face: one table that each face call
// reaches its widget and each widget event its command, and one run from
// end to end against the simulated analyser. What the controller decides
// (the questions, the lock, faulty files, the texts) is tested without a
// window in tests/control.
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <functional>

#include "control/messages.h"
#include "fuel/backup.h"
#include "fuel/fuel_view.h"
#include "fuel/status_text.h"
#include "gui_rig.h"
#include "link/line_trace.h"
#include "ui/fuel_editor_dialog.h"
#include "ui/fuel_editors.h"
#include "ui/fuel_grid.h"
#include "ui/message_box.h"
#include "ui/status_line.h"

using quelt::sim::Config;
using namespace quelt::ui;
using quelt::control::Answer;

namespace {

// Slow enough that a transfer is well under way while the test looks.
Config Slow(int rows) {
  Config c = WithRows(Rows(rows));
  c.latencyMs = 60;
  return c;
}

void Press(MainWindow& f, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  f.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&f));
  QTest::keyClick(&f, key, modifiers);
}

int SelectedRow(const MainWindow& f) {
  const auto rows = f.Grid()->selectionModel()->selectedRows();
  return rows.size() == 1 ? rows.first().row() : -1;
}

// The description the editor showed each time it opened (it is cancelled).
struct EditorWatch {
  EditorWatch() {
    QObject::connect(&timer, &QTimer::timeout, [this] {
      auto* d = qobject_cast<FuelEditorDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      shown << d->Editor(quelt::FuelField::Description)->text();
      d->reject();
    });
    timer.start(20);
  }
  QStringList shown;
  QTimer timer;
};

const QString kCaption = QStringLiteral("QUELT fuel list update");

}  // namespace

// Receives the URLs the window asks the desktop to open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls << url; }
};

namespace {

struct Mapping {
  const char* what;
  std::function<void()> run;
};

// Face call -> widget, then widget event -> command.
const Mapping kMappings[] = {
    {"SetCaption: the title marks a change not sent",
     [] {
       Rig rig(WithRows(Rows(4)));
       RefreshButton(*rig.form)->click();
       QCOMPARE(rig.form->windowTitle(), kCaption);
       rig.Table().MoveToFirst();
       MoveDownButton(*rig.form)->click();
       QCOMPARE(rig.form->windowTitle(), kCaption + QStringLiteral(" - changes not sent"));
     }},
    {"SetStatusLine: the port, the analyser and the rows",
     [] {
       Rig rig(WithRows(Rows(17)));
       const QString port = QString::fromStdString(rig.sim->DevicePath());
       QCOMPARE(rig.form->StatusLine()->text(),
                QStringLiteral("Port: %1   0 rows, 0 used").arg(port));
       RefreshButton(*rig.form)->click();
       QCOMPARE(rig.form->StatusLine()->text(),
                QStringLiteral("Port: %1   Serial 08154711, type 20   17 rows stored, 15 used, "
                               "natural gas H shown, not stored")
                    .arg(port));
     }},
    {"SetBackupLine: read before any backup, a link after a send; a click opens its folder",
     [] {
       Rig rig(WithRows(Rows(3)));
       MainWindow& f = *rig.form;
       QCOMPARE(f.BackupLine()->text(), QStringLiteral("No backup yet"));
       QVERIFY(!f.BackupLine()->isEnabled());
       // Not a link yet, but read: drawn in the text colour, never greyed.
       const QImage line = f.BackupLine()->grab().toImage();
       int darkest = 255;
       for (int y = 0; y < line.height(); ++y) {
         for (int x = 0; x < line.width(); ++x) darkest = qMin(darkest, qGray(line.pixel(x, y)));
       }
       QCOMPARE_LT(darkest, 64);
       RefreshButton(f)->click();
       SendButton(f)->click();
       const QString backup = QString::fromStdString(rig.controller->LastBackup());
       QVERIFY2(backup.startsWith(rig.backups.path() + QStringLiteral("/08154711/")),
                qPrintable(backup));
       QCOMPARE(f.BackupLine()->text(), QStringLiteral("Backup: ") + QFileInfo(backup).fileName());
       QVERIFY(f.BackupLine()->isEnabled());
       UrlCatcher catcher;
       QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
       QTest::mouseClick(f.BackupLine(), Qt::LeftButton);
       QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
       QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile(QFileInfo(backup).path())});
     }},
    {"SetEnabled: Send once a table is there, Refresh always",
     [] {
       Rig rig(WithRows(Rows(2)));
       QVERIFY(!SendButton(*rig.form)->isEnabled());
       QVERIFY(RefreshButton(*rig.form)->isEnabled());
       RefreshButton(*rig.form)->click();
       QVERIFY(SendButton(*rig.form)->isEnabled());
     }},
    {"ShowGridStep: the rows read, the current row selected and followed",
     [] {
       Rig rig(WithRows(Rows(5)));
       MainWindow& f = *rig.form;
       RefreshButton(f)->click();
       QCOMPARE(f.Grid()->model()->rowCount(), 6);
       QCOMPARE(SelectedRow(f), 3);
       QCOMPARE(f.Grid()->model()->index(3, 2).data().toString(), QStringLiteral("Erdgas H"));
       rig.Table().MoveTo(1);
       QCOMPARE(SelectedRow(f), 1);
     }},
    {"AddLogLine: the analyser's text as plain text",
     [] {
       Config c = WithRows(Rows(1));
       c.identification = "<b>QUELT</b> \xE4";  // Windows-1252 a-umlaut
       Rig rig(c);
       RefreshButton(*rig.form)->click();
       QVERIFY(rig.LogLines().contains(QString::fromUtf8("Found      :<b>QUELT</b> \xC3\xA4")));
     }},
    {"SetProgress: each operation starts at 0 and ends at full scale",
     [] {
       Rig rig(WithRows(Rows(3)));
       QSignalSpy progress(rig.form->Progress(), &QProgressBar::valueChanged);
       RefreshButton(*rig.form)->click();
       QCOMPARE(rig.form->Progress()->value(), quelt::kProgressFullScale);
       progress.clear();
       SendButton(*rig.form)->click();
       QCOMPARE(progress.value(0).value(0).toInt(), 0);
       QCOMPARE(rig.form->Progress()->value(), quelt::kProgressFullScale);
     }},
    {"SetBusyCursor and SetTransferLock: busy, controls off and no row menu while a transfer runs",
     [] {
       Rig rig(Slow(6));
       MainWindow& f = *rig.form;
       bool busy = false, anyEnabled = true, menu = true;
       DuringTransfer inspect(
           [&] { return rig.Table().RowCount() >= 3; },
           [&] {
             busy = QApplication::overrideCursor() != nullptr;
             anyEnabled = RefreshButton(f)->isEnabled() || SendButton(f)->isEnabled() ||
                          MoveUpButton(f)->isEnabled() || MoveDownButton(f)->isEnabled() ||
                          f.EditRowAction()->isEnabled();
             QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20),
                                     f.Grid()->viewport()->mapToGlobal(QPoint(20, 20)));
             QApplication::sendEvent(f.Grid()->viewport(), &click);
             QCoreApplication::processEvents();
             menu = f.RowMenu()->isVisible();
           });
       RefreshButton(f)->click();
       QVERIFY(inspect.done);
       QVERIFY(busy);
       QVERIFY(!anyEnabled);
       QVERIFY(!menu);
       QVERIFY(!QApplication::overrideCursor());
       QVERIFY(RefreshButton(f)->isEnabled() && SendButton(f)->isEnabled() &&
               f.EditRowAction()->isEnabled());
     }},
    {"Ask: each kind's icon, the buttons' answers, the safe default",
     [] {
       using B = QMessageBox;
       struct Box {
         quelt::control::Message message;
         B::StandardButton click;
         B::Icon icon;
         B::StandardButton defaultButton;
         Answer answer;
       };
       const Box boxes[] = {
           {quelt::control::ErrorMessage("Transfer error"), B::Ok, B::Critical, B::Ok, Answer::Ok},
           // Qt has no Save trace button: Save All stands for it.
           {quelt::control::OfferingTrace(quelt::control::ErrorMessage("Transfer error")),
            B::SaveAll, B::Critical, B::Ok, Answer::SaveTrace},
           {quelt::control::WarningMessage("Not loaded"), B::Ok, B::Warning, B::Ok, Answer::Ok},
           {quelt::control::DeleteQuestion(1, "Gas"), B::Ok, B::Question, B::Cancel, Answer::Ok},
           {quelt::control::UnsentQuestion(), B::Discard, B::Question, B::Save, Answer::Discard},
           {quelt::control::YesNoQuestion("Send?"), B::Yes, B::Question, B::No, Answer::Yes},
           // Qt has no Restore button: Apply stands for it.
           {quelt::control::RestoreQuestion("Restore?"), B::Apply, B::Question, B::Close,
            Answer::Restore},
           {quelt::control::AboutMessage("quelt-fuel"), B::Ok, B::Information, B::Ok, Answer::Ok},
       };
       for (const Box& b : boxes) {
         BoxAnswerer answerer(b.click);
         QCOMPARE(AskBox(nullptr, b.message), b.answer);
         QCOMPARE(answerer.boxes.size(), std::size_t{1});
         QCOMPARE(answerer.boxes[0].title, QString::fromStdString(b.message.title));
         QCOMPARE(answerer.boxes[0].icon, b.icon);
         QCOMPARE(answerer.boxes[0].defaultButton, b.defaultButton);
       }
     }},
    {"PickFile and StoreSetting: Ctrl+S and Ctrl+O, the folder remembered",
     [] {
       Rig rig(WithRows(Rows(3)));
       MainWindow& f = *rig.form;
       RefreshButton(f)->click();
       rig.boxes.file = rig.files.filePath(QStringLiteral("kept.txt"));
       Press(f, Qt::Key_S, Qt::ControlModifier);
       QVERIFY(QFile::exists(rig.boxes.file));
       QCOMPARE(QSettings(QStringLiteral("quelt-fuel"), QStringLiteral("quelt-fuel"))
                    .value(QStringLiteral("files/folder"))
                    .toString(),
                rig.files.path());
       Press(f, Qt::Key_O, Qt::ControlModifier);
       QCOMPARE(rig.LogLines().last(),
                QStringLiteral("Loaded 4 rows from %1: not sent yet").arg(rig.boxes.file));
       QCOMPARE(rig.boxes.fileDialogs,
                (QStringList{QStringLiteral("Save the table"), QStringLiteral("Load a table")}));
     }},
    {"OpenWithSystem and the About box: F1 opens the guide, the logo About, its Save trace",
     [] {
       Rig rig(WithRows(Rows(2)));
       MainWindow& f = *rig.form;
       const QString guide = rig.files.filePath(QStringLiteral("USER-GUIDE.md"));
       QVERIFY(QFile(guide).open(QIODevice::WriteOnly));
       rig.controller->SetProgramFolder(rig.files.path().toStdString());
       UrlCatcher catcher;
       QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
       Press(f, Qt::Key_F1);
       QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
       QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile(guide)});
       QVERIFY(rig.boxes.texts.isEmpty());
       rig.boxes.answer = QMessageBox::SaveAll;
       rig.boxes.file = rig.files.filePath(QStringLiteral("support.txt"));
       QTest::mouseClick(f.Control(quelt::front::MainControl::Logo), Qt::LeftButton);
       QCOMPARE(rig.boxes.texts.size(), 1);
       QVERIFY(rig.boxes.texts[0].contains(QStringLiteral("Backups: ") + rig.backups.path()));
       QFile trace(rig.boxes.file);
       QVERIFY(trace.open(QIODevice::ReadOnly));
       QCOMPARE(trace.readLine().trimmed().toStdString(), quelt::LineTrace::FormatLine());
     }},
    {"RequestCloseLater: closing during a transfer closes once it ended",
     [] {
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
       QVERIFY(visibleAfterClose);
       QTRY_VERIFY(!f.isVisible());
       QVERIFY(rig.boxes.texts.isEmpty());
     }},
    {"Buttons: Move up and Move down carry the current row",
     [] {
       Rig rig(WithRows(Rows(3)));
       MainWindow& f = *rig.form;
       RefreshButton(f)->click();
       rig.Table().MoveTo(0);
       const int first = rig.Table().Row(0).ID;
       MoveDownButton(f)->click();
       QCOMPARE(rig.Table().Row(1).ID, first);
       QCOMPARE(SelectedRow(f), 1);
       MoveUpButton(f)->click();
       QCOMPARE(rig.Table().Row(0).ID, first);
       QCOMPARE(SelectedRow(f), 0);
     }},
    {"Keys of the window: F5, Ctrl+Up, Ctrl+Down, Ctrl+Enter, Ctrl+Q",
     [] {
       Rig rig(WithRows(Rows(4)));
       MainWindow& f = *rig.form;
       Press(f, Qt::Key_F5);
       QCOMPARE(rig.Table().RowCount(), 5);
       QCOMPARE(rig.Table().CurrentIndex(), 3);
       Press(f, Qt::Key_Up, Qt::ControlModifier);
       QCOMPARE(rig.Table().Row(2).ID, 16);
       Press(f, Qt::Key_Down, Qt::ControlModifier);
       QCOMPARE(rig.Table().Row(3).ID, 16);
       for (const auto modifiers : {Qt::KeyboardModifiers(Qt::ControlModifier),
                                    Qt::ControlModifier | Qt::KeypadModifier}) {
         rig.sim->ClearTranscript();
         Press(f, modifiers & Qt::KeypadModifier ? Qt::Key_Enter : Qt::Key_Return, modifiers);
         QVERIFY(rig.Transcript().contains(QStringLiteral("W4025;X;X;")));
       }
       Press(f, Qt::Key_Q, Qt::ControlModifier);
       QVERIFY(!f.isVisible());
     }},
    {"Keys of the grid: Enter and F2 edit, Ctrl+Delete asks, Delete alone does nothing",
     [] {
       Rig rig(WithRows(Rows(3)));
       MainWindow& f = *rig.form;
       RefreshButton(f)->click();
       rig.Table().MoveTo(1);
       f.Grid()->setFocus();
       {
         EditorWatch editor;
         QTest::keyClick(f.Grid(), Qt::Key_Return);
         QTest::keyClick(f.Grid(), Qt::Key_F2);
         QCOMPARE(editor.shown, (QStringList{QStringLiteral("Fuel 2"), QStringLiteral("Fuel 2")}));
       }
       rig.boxes.answer = QMessageBox::Cancel;
       QTest::keyClick(f.Grid(), Qt::Key_Delete);
       QVERIFY(rig.boxes.texts.isEmpty());
       QTest::keyClick(f.Grid(), Qt::Key_Delete, Qt::ControlModifier);
       QCOMPARE(rig.boxes.texts, QStringList{QStringLiteral("Delete row 2 (Fuel 2)?")});
       QCOMPARE(rig.Table().RowCount(), 4);
     }},
    {"Grid: a click or a key picks the row, a double click edits it",
     [] {
       Rig rig(WithRows(Rows(3)));
       MainWindow& f = *rig.form;
       QVERIFY(QTest::qWaitForWindowExposed(&f));
       RefreshButton(f)->click();
       FuelGrid* grid = f.Grid();
       const QRect cell = grid->visualRect(grid->model()->index(1, 3));
       QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
       QCOMPARE(rig.Table().CurrentIndex(), 1);
       grid->setFocus();
       QTest::keyClick(grid, Qt::Key_Down);
       QCOMPARE(rig.Table().CurrentIndex(), 2);
       EditorWatch editor;
       QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
       QTRY_COMPARE(editor.shown, QStringList{QStringLiteral("Fuel 2")});
     }},
    {"Row menu: a right click picks the row and opens the menu, Edit edits it",
     [] {
       Rig rig(WithRows(Rows(3)));
       MainWindow& f = *rig.form;
       QVERIFY(QTest::qWaitForWindowExposed(&f));
       RefreshButton(f)->click();
       FuelGrid* grid = f.Grid();
       const QRect cell = grid->visualRect(grid->model()->index(2, 4));
       QContextMenuEvent event(QContextMenuEvent::Mouse, cell.center(),
                               grid->viewport()->mapToGlobal(cell.center()));
       QApplication::sendEvent(grid->viewport(), &event);
       QCOMPARE(rig.Table().CurrentIndex(), 2);
       QTRY_VERIFY(f.RowMenu()->isVisible());
       f.RowMenu()->hide();
       EditorWatch editor;
       f.EditRowAction()->trigger();
       QCOMPARE(editor.shown,
                QStringList{QString::fromStdString(rig.Table().Current().Description)});
     }},
    {"Exit and closing ask the controller: Cancel keeps the window",
     [] {
       Rig rig(WithRows(Rows(3)));
       MainWindow& f = *rig.form;
       RefreshButton(f)->click();
       rig.Table().MoveToFirst();
       MoveDownButton(f)->click();
       rig.boxes.answer = QMessageBox::Cancel;
       ExitButton(f)->click();
       f.close();
       QVERIFY(f.isVisible());
       const QString asked = QString::fromLatin1(quelt::kCloseUnsentQuestion);
       QCOMPARE(rig.boxes.texts, (QStringList{asked, asked}));
       rig.boxes.answer = QMessageBox::Discard;
       ExitButton(f)->click();
       QVERIFY(!f.isVisible());
     }},
};

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void mapping_data() {
    QTest::addColumn<int>("index");
    for (std::size_t i = 0; i < std::size(kMappings); ++i)
      QTest::newRow(kMappings[i].what) << static_cast<int>(i);
  }
  void mapping() {
    QFETCH(int, index);
    kMappings[index].run();
  }

  // Refresh, an edit in the editor, Send: the wire, the grid, the log and
  // the backup the send made.
  void refreshEditSendEndToEnd() {
    Rig rig(WithRows(Rows(3)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    QCOMPARE(rig.Transcript(), (QStringList{"", "", "R001", "R005", "R004", "R002", "", "R402",
                                            "R40101", "R40102", "R40103"}));
    QCOMPARE(
        rig.LogLines().mid(9),
        (QStringList{QStringLiteral("Found      :QUELT 300"), QStringLiteral("Type       :20"),
                     QStringLiteral("Serial No. :08154711"), QStringLiteral("Version    :V 2.31"),
                     QString(), QStringLiteral("Read 3 rows, natural gas H added as row 3")}));
    QCOMPARE(f.Grid()->model()->rowCount(), 4);
    const std::vector<std::string> before = rig.sim->Rows();

    rig.Table().MoveTo(1);
    QTimer::singleShot(50, [] {
      auto* d = qobject_cast<FuelEditorDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      auto* description = d->Editor(quelt::FuelField::Description);
      description->setFocus();
      description->selectAll();
      QTest::keyClicks(description, QStringLiteral("Propan"));
      d->accept();
    });
    f.EditRowAction()->trigger();
    QCOMPARE(f.Grid()->model()->index(1, 2).data().toString().endsWith(QStringLiteral("Propan")),
             true);

    rig.sim->ClearTranscript();
    SendButton(f)->click();
    const QStringList sent = rig.Transcript();
    QVERIFY(
        sent.contains(QStringLiteral("W4012;102;Propan;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;")));
    QVERIFY(sent.contains(QStringLiteral("W4024;X;X;")));
    QCOMPARE(rig.sim->RowsInUse(), 4);
    QVERIFY(rig.boxes.texts.isEmpty());
    QCOMPARE(f.windowTitle(), kCaption);
    const QStringList log = rig.LogLines();
    QVERIFY(log.contains(QStringLiteral("Checked: 4 rows and the count read back as sent")));
    QCOMPARE(log.last(), QStringLiteral("Sent 4 rows, the analyser uses 4"));

    // The backup holds the rows as they were stored before the send.
    const QString path = QString::fromStdString(rig.controller->LastBackup());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    std::string error;
    const auto backup = quelt::ParseBackup(file.readAll().toStdString(), &error);
    QVERIFY2(backup.has_value(), error.c_str());
    QCOMPARE(backup->rows, before);
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
