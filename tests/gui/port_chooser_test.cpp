// The port control in the Qt window's status line: opening it lists the
// ports of a fake /sys and /dev tree whose by-id link leads to the simulated
// analyser; the entry chosen with the keyboard is what the next Refresh
// opens, and it is remembered.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include "gui_rig.h"
#include "link/port_list.h"
#include "ui/port_chooser.h"
#include "ui/status_line.h"

using namespace quelt::ui;

class PortChooserTest : public QObject {
  Q_OBJECT

 private slots:
  void chosenPortIsTheNextRefreshs() {
    Rig rig(WithRows(Rows(3)));
    MainWindow& f = *rig.form;
    QTemporaryDir root;
    const QString byId = root.filePath(QStringLiteral("dev/serial/by-id"));
    QVERIFY(QDir().mkpath(byId));
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("sys/class/tty"))));
    const QString link = byId + QStringLiteral("/usb-QUELT_Test-if00");
    QVERIFY(QFile::link(QString::fromStdString(rig.sim->DevicePath()), link));
    const std::string sys = root.filePath(QStringLiteral("sys")).toStdString();
    const std::string dev = root.filePath(QStringLiteral("dev")).toStdString();
    f.Controller().Ports().SetLister([sys, dev] { return quelt::ListSerialPorts(sys, dev); });

    PortChooserBox* box = f.PortChooser();
    QVERIFY(box->isVisible());
    QVERIFY(box->isEnabled());
    // Started with the simulator's device given: that entry, after the
    // automatic one (no ports listed before the control was opened).
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->currentIndex(), 1);
    QCOMPARE(box->itemText(0), QStringLiteral("Find the analyser automatically"));

    box->showPopup();  // the user opens it: the by-id link is listed
    box->hidePopup();
    QCOMPARE(box->count(), 3);
    QVERIFY2(box->itemText(1).endsWith(QStringLiteral("(usb-QUELT_Test-if00)")),
             qPrintable(box->itemText(1)));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Up);  // from the given device to the link
    QCOMPARE(box->currentIndex(), 1);

    RefreshButton(f)->click();
    QCOMPARE(QString::fromStdString(rig.link->portOverride()), link);
    QVERIFY2(f.StatusLine()->text().startsWith(QStringLiteral("Port: ") + link),
             qPrintable(f.StatusLine()->text()));
    QCOMPARE(rig.Table().RowCount(), 4);  // three rows and the built-in H row
    QVERIFY(box->isEnabled());
    QSettings settings(QStringLiteral("quelt-fuel"), QStringLiteral("quelt-fuel"));
    QCOMPARE(settings.value(QStringLiteral("port/device")).toString(), link);

    // A port typed into the box and Enter: used as given, remembered.
    const QString typed = QStringLiteral("/dev/ttyQUELT9");
    box->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), typed);
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QCOMPARE(QString::fromStdString(rig.link->portOverride()), typed);
    QCOMPARE(box->currentText(), typed);
    QCOMPARE(settings.value(QStringLiteral("port/device")).toString(), typed);
  }
};

QTEST_MAIN(PortChooserTest)
#include "port_chooser_test.moc"
