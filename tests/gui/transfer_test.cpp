// Refresh and send through the window against the simulated analyser: what
// the user sees (log, grid, buttons, progress, boxes) and what went over the
// wire.
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include "gui_rig.h"
#include "ui/fuel_grid.h"

using quelt::sim::Config;

namespace {

Config WithRows(std::vector<std::string> rows) {
  Config c;
  c.rows = std::move(rows);
  return c;
}

QString CurrentDescription(Rig& rig) {
  return QString::fromStdString(rig.Table().Current().Description);
}

}  // namespace

class TransferTest : public QObject {
  Q_OBJECT

 private slots:
  void refreshEndToEnd() {
    Rig rig(WithRows(Rows(5)));
    TFormMain& f = *rig.form;
    f.BtRefresh->click();

    const QStringList log = rig.LogLines();
    QCOMPARE(log.mid(9),
             (QStringList{QStringLiteral("Found      :QUELT 300"), QStringLiteral("Type       :20"),
                          QStringLiteral("Serial No. :08154711"),
                          QStringLiteral("Version    :V 2.31"), QString()}));
    // Five rows read, the built-in H row inserted as the fourth, renumbered, selected.
    QCOMPARE(f.dbGridFuel->model()->rowCount(), 6);
    QCOMPARE(rig.Table().CurrentIndex(), 3);
    QCOMPARE(rig.Table().Current().ID, 16);
    QCOMPARE(CurrentDescription(rig), QStringLiteral("Erdgas H"));
    QCOMPARE(f.dbGridFuel->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(f.dbGridFuel->selectionModel()->selectedRows().first().row(), 3);
    for (int r = 0; r < 6; ++r) QCOMPARE(rig.Table().Row(r).N, r + 1);
    QVERIFY(f.BtSend->isEnabled());
    QVERIFY(f.BtRefresh->isEnabled());
    QCOMPARE(f.ProgressBarMain->value(), 15);
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
    rig.form->BtRefresh->click();
    QVERIFY(rig.LogLines().contains(QString::fromUtf8("Found      :<b>QUELT</b> \xC3\xA4")));
  }

  void noAnalyser() {
    Rig rig(std::nullopt);
    TFormMain& f = *rig.form;
    f.BtRefresh->click();
    const QStringList log = rig.LogLines();
    QCOMPARE(log.size(), 10);
    QCOMPARE(log.last(), QStringLiteral("Communication error !"));
    QVERIFY(!f.BtSend->isEnabled());
    QVERIFY(f.BtRefresh->isEnabled());
    QCOMPARE(f.ProgressBarMain->value(), 0);
    QVERIFY(rig.boxes.texts.isEmpty());
  }

  void failedReadEmptiesTableAndDisablesSend() {
    Rig rig(WithRows(Rows(8)));
    TFormMain& f = *rig.form;
    f.BtRefresh->click();
    QVERIFY(f.BtSend->isEnabled());

    // The analyser stops answering at the fifth row.
    quelt::sim::Faults faults;
    faults.silentOnPrefix = "R40105";
    rig.sim->SetFaults(faults);
    f.BtRefresh->click();
    QCOMPARE(rig.boxes.texts, QStringList{QStringLiteral("Transfer error")});
    QCOMPARE(f.dbGridFuel->model()->rowCount(), 0);
    QVERIFY(!f.BtSend->isEnabled());
    QVERIFY(f.BtRefresh->isEnabled());
    QCOMPARE(f.ProgressBarMain->value(), 0);
    QCOMPARE(rig.LogLines().last(), QStringLiteral("Communication error !"));
    QVERIFY(!QApplication::overrideCursor());
  }

  void failedIdentityKeepsTable() {
    Rig rig(WithRows(Rows(3)));
    TFormMain& f = *rig.form;
    f.BtRefresh->click();
    QCOMPARE(f.dbGridFuel->model()->rowCount(), 4);

    quelt::sim::Faults faults;
    faults.silentOnPrefix = "R004";
    rig.sim->SetFaults(faults);
    f.BtRefresh->click();
    const QStringList log = rig.LogLines();
    QCOMPARE(log.mid(9),
             (QStringList{QStringLiteral("Found      :QUELT 300"), QStringLiteral("Type       :20"),
                          QStringLiteral("Communication error !")}));
    QCOMPARE(f.dbGridFuel->model()->rowCount(), 4);
    QVERIFY(!f.BtSend->isEnabled());
  }

  void sendEndToEnd() {
    Rig rig(WithRows(Rows(3)));
    TFormMain& f = *rig.form;
    f.BtRefresh->click();
    rig.sim->ClearTranscript();
    f.BtSend->click();

    const QStringList expected{
        "W4011;101;Fuel 1;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;",
        "W4012;102;Fuel 2;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;",
        "W4013;16;Erdgas H;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;",
        "W4014;103;Fuel 3;12,1;0,64;0,009;3,0;7,70;9,40;31,68;0;",
        "W4024;X;X;",
    };
    QCOMPARE(rig.Transcript(), expected);
    QCOMPARE(f.ProgressBarMain->value(), 15);
    QVERIFY(f.BtSend->isEnabled());
    QVERIFY(rig.boxes.texts.isEmpty());
    QCOMPARE(rig.sim->RowsInUse(), 4);
  }

  void sendTimeout() {
    Rig rig(WithRows(Rows(3)));
    TFormMain& f = *rig.form;
    f.BtRefresh->click();
    rig.sim->ClearTranscript();
    quelt::sim::Faults faults;
    faults.silentOnPrefix = "W4012";
    rig.sim->SetFaults(faults);
    f.BtSend->click();

    QCOMPARE(rig.boxes.texts, QStringList{QStringLiteral("Timeout")});
    QCOMPARE(f.ProgressBarMain->value(), 0);
    const QStringList sent = rig.Transcript();
    QCOMPARE(sent.size(), 2);
    QVERIFY(sent.back().startsWith("W4012;"));
    QVERIFY(f.BtSend->isEnabled());
    QVERIFY(f.BtRefresh->isEnabled());
  }
};

QTEST_MAIN(TransferTest)
#include "transfer_test.moc"
