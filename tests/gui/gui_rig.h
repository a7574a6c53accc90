// What every window test needs: the window wired to the link and the
// session as the program wires them, an optional simulated analyser on a
// pseudo-terminal, and a helper that answers the modal boxes and file
// dialogs the way a user would, noting what they said. Settings and backups
// go into the test's own temporary folders.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include "control/window_controller.h"
#include "fuel/fuel_ops.h"
#include "link/analyser_link.h"
#include "sim/sim.h"
#include "ui/main_window.h"
#include "ui/qt_pump.h"

// Answers every modal message box as soon as it opens, and every file
// dialog: with `file` when set, else with Cancel.
class BoxAnswerer : public QObject {
 public:
  explicit BoxAnswerer(QMessageBox::StandardButton initial = QMessageBox::Ok) : answer(initial) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
        fileDialogs << dialog->windowTitle();
        if (file.isEmpty()) {
          dialog->reject();
        } else {
          // The name typed: a selection waits for the folder to be listed.
          if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            edit->setText(file);
          } else {
            dialog->selectFile(file);
          }
          static_cast<QDialog*>(dialog)->accept();
        }
        return;
      }
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      QAbstractButton* button = box->button(this->answer);
      if (!button) button = box->button(QMessageBox::Ok);
      if (!button) button = box->defaultButton();
      if (!button) return;
      texts << box->text();
      boxes.push_back({box->windowTitle(), box->icon(), box->standardButton(box->defaultButton())});
      button->click();
    });
    timer_.start(20);
  }
  QMessageBox::StandardButton answer;
  QStringList texts;  // every box answered, in order
  struct Seen {
    QString title;
    QMessageBox::Icon icon;
    QMessageBox::StandardButton defaultButton;
  };
  std::vector<Seen> boxes;  // the same boxes: their title, icon and default
  QString file;             // the answer to a file dialog; empty: Cancel
  QStringList fileDialogs;  // titles of the file dialogs answered

 private:
  QTimer timer_;
};

// The built-in row pattern of the tests, in the wire form.
inline std::string RowText(int n, int id, const std::string& name) {
  return std::to_string(n) + ";" + std::to_string(id) + ";" + name +
         ";12,1;0,64;0,009;3,0;7,70;9,40;31,68;0";
}

// A simulated analyser that serves these rows.
inline quelt::sim::Config WithRows(std::vector<std::string> rows) {
  quelt::sim::Config c;
  c.rows = std::move(rows);
  return c;
}

inline std::vector<std::string> Rows(int count, int hRowAt = 0) {
  std::vector<std::string> rows;
  for (int k = 1; k <= count; ++k)
    rows.push_back(RowText(k, k == hRowAt ? 16 : 100 + k, "Fuel " + std::to_string(k)));
  return rows;
}

// The window's buttons, found through the layout table's names.
inline QToolButton* ButtonOf(const quelt::ui::MainWindow& f, quelt::front::MainControl c) {
  return f.Button(c);
}
inline QToolButton* RefreshButton(const quelt::ui::MainWindow& f) {
  return ButtonOf(f, quelt::front::MainControl::RefreshButton);
}
inline QToolButton* SendButton(const quelt::ui::MainWindow& f) {
  return ButtonOf(f, quelt::front::MainControl::SendButton);
}
inline QToolButton* ExitButton(const quelt::ui::MainWindow& f) {
  return ButtonOf(f, quelt::front::MainControl::ExitButton);
}
inline QToolButton* MoveUpButton(const quelt::ui::MainWindow& f) {
  return ButtonOf(f, quelt::front::MainControl::MoveUpButton);
}
inline QToolButton* MoveDownButton(const quelt::ui::MainWindow& f) {
  return ButtonOf(f, quelt::front::MainControl::MoveDownButton);
}
inline QToolButton* OpenButton(const quelt::ui::MainWindow& f) {
  return ButtonOf(f, quelt::front::MainControl::OpenButton);
}
inline QToolButton* SaveButton(const quelt::ui::MainWindow& f) {
  return ButtonOf(f, quelt::front::MainControl::SaveButton);
}

struct Rig {
  // No config: no analyser at all (the port does not exist).
  explicit Rig(std::optional<quelt::sim::Config> config = quelt::sim::Config{}) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, files.path());
    if (config) sim = std::make_unique<quelt::sim::Analyser>(*config);
    link = std::make_unique<quelt::AnalyserLink>(pump);
    link->SetPortOverride(sim ? sim->DevicePath() : std::string("/nonexistent/quelt-tty"));
    controller = std::make_unique<quelt::control::WindowController>(*link);
    ops = &controller->Ops();
    ops->SetBackupsFolder(backups.path().toStdString());
    form = std::make_unique<quelt::ui::MainWindow>(*controller);
    form->show();
  }
  ~Rig() { form.reset(); }

  // The log since the last Refresh began: a Refresh puts a separator line
  // in ("---- Refresh 10:42:07 ----") and keeps what stood before it.
  QStringList LogLines() const {
    const QStringList all = form->Log()->toPlainText().split(QLatin1Char('\n'));
    for (qsizetype i = all.size() - 1; i >= 0; --i) {
      if (all[i].startsWith(QStringLiteral("---- ")) && all[i].endsWith(QStringLiteral(" ----")))
        return all.mid(i + 1);
    }
    return all;
  }
  quelt::FuelTable& Table() { return form->Controller().Table(); }
  // The commands the analyser received, as text (QCOMPARE shows the lists).
  QStringList Transcript() const {
    QStringList out;
    if (sim) {
      for (const std::string& c : sim->Transcript())
        out << QString::fromLatin1(c.data(), static_cast<qsizetype>(c.size()));
    }
    return out;
  }

  QTemporaryDir backups;
  QTemporaryDir files;  // settings and table files
  std::unique_ptr<quelt::sim::Analyser> sim;
  quelt::ui::QtPump pump;
  std::unique_ptr<quelt::AnalyserLink> link;
  std::unique_ptr<quelt::control::WindowController> controller;
  std::unique_ptr<quelt::ui::MainWindow> form;
  quelt::FuelOperations* ops = nullptr;
  BoxAnswerer boxes;
};

// Runs `inspect` once from inside the event processing of a running
// transfer, as soon as `ready` holds.
class DuringTransfer : public QObject {
 public:
  DuringTransfer(std::function<bool()> ready, std::function<void()> inspect)
      : ready_(std::move(ready)), inspect_(std::move(inspect)) {
    connect(&timer_, &QTimer::timeout, this, [this] {
      if (done || !ready_()) return;
      done = true;
      timer_.stop();
      inspect_();
    });
    timer_.start(10);
  }
  bool done = false;

 private:
  std::function<bool()> ready_;
  std::function<void()> inspect_;
  QTimer timer_;
};
