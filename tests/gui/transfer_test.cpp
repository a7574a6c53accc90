// Refresh and send through the window against the simulated analyser: what
// the user sees (log, grid, buttons, progress, boxes) and what went over the
// wire.
#include <QFile>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include "gui_rig.h"
#include "ui/fuel_grid.h"

using quelt::sim::Config;
using namespace quelt::ui;

namespace {

QString CurrentDescription(Rig& rig) {
  return QString::fromStdString(rig.Table().Current().Description);
}

}  // namespace

class TransferTest : public QObject {
  Q_OBJECT

 private slots:
  void refreshEndToEnd() {
    Rig rig(WithRows(Rows(5)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();

    const QStringList log = rig.LogLines();
    QCOMPARE(
        log.mid(9),
        (QStringList{QStringLiteral("Found      :QUELT 300"), QStringLiteral("Type       :20"),
                     QStringLiteral("Serial No. :08154711"), QStringLiteral("Version    :V 2.31"),
                     QString(), QStringLiteral("Read 5 rows, natural gas H added as row 4")}));
    // Five rows read, the built-in H row inserted as the fourth, renumbered, selected.
    QCOMPARE(f.Grid()->model()->rowCount(), 6);
    QCOMPARE(rig.Table().CurrentIndex(), 3);
    QCOMPARE(rig.Table().Current().ID, 16);
    QCOMPARE(CurrentDescription(rig), QStringLiteral("Erdgas H"));
    QCOMPARE(f.Grid()->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(f.Grid()->selectionModel()->selectedRows().first().row(), 3);
    for (int r = 0; r < 6; ++r) QCOMPARE(rig.Table().Row(r).N, r + 1);
    QVERIFY(SendButton(f)->isEnabled());
    QVERIFY(RefreshButton(f)->isEnabled());
    QCOMPARE(f.Progress()->value(), 15);
    QVERIFY(rig.boxes.texts.isEmpty());
    QVERIFY(!QApplication::overrideCursor());

    const QStringList expected{"",     "",       "R001",   "R005",   "R004",   "R002",  "",
                               "R402", "R40101", "R40102", "R40103", "R40104", "R40105"};
    QCOMPARE(rig.Transcript(), expected);
  }

  void refreshShowsDeviceTextAsPlainText() {
    Config c = WithRows(Rows(1));
    c.identification = "<b>QUELT</b> \xE4";  // Windows-1252 a-umlaut
    Rig rig(c);
    RefreshButton(*rig.form)->click();
    QVERIFY(rig.LogLines().contains(QString::fromUtf8("Found      :<b>QUELT</b> \xC3\xA4")));
  }

  void noAnalyser() {
    Rig rig(std::nullopt);
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    const QStringList log = rig.LogLines();
    QCOMPARE(log.size(), 11);
    QCOMPARE(log[9], QStringLiteral("Communication error !"));
    QCOMPARE(log.last(), QStringLiteral("Cannot open /nonexistent/quelt-tty: device not found"));
    QVERIFY(!SendButton(f)->isEnabled());
    QVERIFY(RefreshButton(f)->isEnabled());
    QCOMPARE(f.Progress()->value(), 0);
    QVERIFY(rig.boxes.texts.isEmpty());
  }

  void failedReadEmptiesTableAndDisablesSend() {
    Rig rig(WithRows(Rows(8)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    QVERIFY(SendButton(f)->isEnabled());

    // The analyser stops answering at the fifth row.
    quelt::sim::Faults faults;
    faults.silentOnPrefix = "R40105";
    rig.sim->SetFaults(faults);
    RefreshButton(f)->click();
    QCOMPARE(rig.boxes.texts, QStringList{QStringLiteral("Transfer error")});
    QCOMPARE(f.Grid()->model()->rowCount(), 0);
    QVERIFY(!SendButton(f)->isEnabled());
    QVERIFY(RefreshButton(f)->isEnabled());
    QCOMPARE(f.Progress()->value(), 0);
    QCOMPARE(rig.LogLines().mid(rig.LogLines().size() - 2),
             (QStringList{QStringLiteral("Communication error !"),
                          QStringLiteral("No answer from the analyser on %1: is it switched on and "
                                         "its cable plugged in?")
                              .arg(QString::fromStdString(rig.sim->DevicePath()))}));
    QVERIFY(!QApplication::overrideCursor());

    // The box offers the session's trace, saved once the read has ended.
    rig.boxes.answer = QMessageBox::SaveAll;
    rig.boxes.file = rig.files.filePath(QStringLiteral("support.txt"));
    RefreshButton(f)->click();
    QFile saved(rig.boxes.file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().trimmed().split('\n');
    QVERIFY2(lines.back().contains(" outcome "), lines.back().constData());
  }

  void failedIdentityKeepsTable() {
    Rig rig(WithRows(Rows(3)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    QCOMPARE(f.Grid()->model()->rowCount(), 4);

    quelt::sim::Faults faults;
    faults.silentOnPrefix = "R004";
    rig.sim->SetFaults(faults);
    RefreshButton(f)->click();
    const QStringList log = rig.LogLines();
    QCOMPARE(log.mid(9),
             (QStringList{QStringLiteral("Found      :QUELT 300"), QStringLiteral("Type       :20"),
                          QStringLiteral("Communication error !"),
                          QStringLiteral("No answer from the analyser on %1: is it switched on "
                                         "and its cable plugged in?")
                              .arg(QString::fromStdString(rig.sim->DevicePath()))}));
    QCOMPARE(f.Grid()->model()->rowCount(), 4);
    QVERIFY(!SendButton(f)->isEnabled());
  }

  void sendEndToEnd() {
    Rig rig(WithRows(Rows(3)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    const std::vector<std::string> before = rig.sim->Rows();
    rig.sim->ClearTranscript();
    SendButton(f)->click();

    // The identity again (still the analyser last read?), then the backup:
    // the table read anew, the position the fourth row lands on too. The
    // check after the writes reads back the count and every row sent.
    const QStringList expected{
        "R001",
        "R005",
        "R004",
        "R002",
        "",
        "R402",
        "R40101",
        "R40102",
        "R40103",
        "R40104",
        "W4011;101;Fuel 1;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;",
        "W4012;102;Fuel 2;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;",
        "W4013;16;Erdgas H;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;",
        "W4014;103;Fuel 3;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;",
        "W4024;X;X;",
        "",
        "R402",
        "R40101",
        "R40102",
        "R40103",
        "R40104",
    };
    QCOMPARE(rig.Transcript(), expected);
    QCOMPARE(f.Progress()->value(), 15);
    QVERIFY(SendButton(f)->isEnabled());
    QVERIFY(rig.boxes.texts.isEmpty());
    QCOMPARE(rig.sim->RowsInUse(), 4);
    const QStringList log = rig.LogLines();
    QVERIFY(log.contains(QStringLiteral("Checked: 4 rows and the count read back as sent")));

    // The backup names itself in the log and holds the rows as they were stored.
    const QString backupLine =
        log.filter(QStringLiteral("Backup of the analyser's table: ")).value(0);
    const QString path = backupLine.mid(backupLine.indexOf(QLatin1Char('/')));
    QVERIFY2(path.startsWith(rig.backups.path() + "/08154711/"), qPrintable(backupLine));
    std::string error;
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto backup = quelt::ParseBackup(file.readAll().toStdString(), &error);
    QVERIFY2(backup.has_value(), error.c_str());
    QCOMPARE(backup->rows, before);
    QCOMPARE(backup->countReply, std::string("3;"));
    QCOMPARE(backup->rowsBeyondCount.size(), std::size_t{1});
    QCOMPARE(backup->rowsBeyondCount[0].value_or("no answer"), std::string("4;0;;0;0;0;0;0;0;0;0"));
  }

  void sendTimeoutSaysWhatTheAnalyserHolds() {
    Rig rig(WithRows(Rows(3)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    rig.sim->ClearTranscript();
    quelt::sim::Faults faults;
    faults.silentOnPrefix = "W4012";
    rig.sim->SetFaults(faults);
    SendButton(f)->click();

    QCOMPARE(rig.boxes.texts.size(), 1);
    const QString box = rig.boxes.texts[0];
    QVERIFY2(box.startsWith(QStringLiteral("Timeout\n\nRow 1 of 4 was written, row 2 may have been "
                                           "written; the count was not "
                                           "changed. The analyser now holds a mix of the old and "
                                           "the new table. Your previous table is in ") +
                            rig.backups.path()),
             qPrintable(box));
    // The message offers the restore: a question with Restore and Close.
    const qsizetype offer = box.indexOf(
        QStringLiteral(": send again, or restore it.\n\nRestore the previous table from "));
    QVERIFY2(offer > 0 && box.endsWith(QStringLiteral(" now?")), qPrintable(box));
    QCOMPARE(rig.boxes.boxes[0].defaultButton, QMessageBox::Close);
    QVERIFY(rig.LogLines().contains(box.mid(9, offer + 28 - 9)));
    QCOMPARE(f.Progress()->value(), 0);
    const QStringList sent = rig.Transcript();
    // The identity, the backup's wake-up, R402 and R40101 to R40104, W4011, W4012.
    QCOMPARE(sent.size(), 12);
    QVERIFY(sent.back().startsWith("W4012;"));
    QVERIFY(SendButton(f)->isEnabled());
    QVERIFY(RefreshButton(f)->isEnabled());
  }

  void emptyTableSendAsksFirst() {
    Rig rig(WithRows(Rows(2)));
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    rig.Table().Clear();
    rig.sim->ClearTranscript();

    rig.boxes.answer = QMessageBox::No;  // also the default button
    SendButton(f)->click();
    QCOMPARE(rig.boxes.texts, QStringList{QString::fromLatin1(quelt::kEmptyTableQuestion)});
    QVERIFY(rig.Transcript().isEmpty());

    rig.boxes.answer = QMessageBox::Yes;
    SendButton(f)->click();
    QVERIFY(rig.Transcript().contains(QStringLiteral("W4020;X;X;")));
    QCOMPARE(rig.sim->RowsInUse(), 0);
  }

  void checkAfterSendShowsADifference() {
    // An analyser that answers the count write but keeps its old count.
    Config c = WithRows(Rows(3));
    c.countReply = "3;";
    Rig rig(c);
    MainWindow& f = *rig.form;
    RefreshButton(f)->click();
    SendButton(f)->click();
    QCOMPARE(rig.boxes.texts.size(), 1);
    QVERIFY2(rig.boxes.texts[0].startsWith(QStringLiteral(
                 "The table read back differs from the table sent (1 difference, first: Count: "
                 "sent 4, the analyser reported 3).")),
             qPrintable(rig.boxes.texts[0]));
    QVERIFY(rig.LogLines().contains(QStringLiteral("Count: sent 4, the analyser reported 3")));
    QCOMPARE(f.Progress()->value(), 0);
  }
};

QTEST_MAIN(TransferTest)
#include "transfer_test.moc"
