// TFormMain: the program's window. It shows the log, the fuel grid, the
// progress bar and the buttons, forwards every click and key to the table
// session and redraws from the table's notifications. Below the grid: the
// colour legend and the status line.
#pragma once

#include <QWidget>

#include "front/layout.h"
#include "fuel/fuel_ops.h"
#include "fuel/fuel_table.h"
#include "fuel/fuel_view.h"
#include "fuel/table_session.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;

namespace quelt::ui {

class ElidedLine;
class FuelGrid;
class LogHighlighter;

class TFormMain : public QWidget, public quelt::FuelView {
  Q_OBJECT
 public:
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // The session (and with it the operations) starts after the link exists,
  // which is created after the window; until then the buttons do nothing.
  void SetSession(quelt::TableSession* session);

  quelt::FuelTable TableFuel;

  QWidget* Panel1;
  QToolButton* BtRefresh;
  QToolButton* BtSend;
  QProgressBar* ProgressBarMain;
  QLabel* Image;
  QToolButton* BtExit;
  QWidget* PanelBrennstoffe;
  QPlainTextEdit* Memo;
  QWidget* ElPanel1;
  QToolButton* Btauf;
  QToolButton* BtAb;
  QToolButton* BtOpen;  // load a table file
  QToolButton* BtSave;  // save the table to a file
  FuelGrid* dbGridFuel;
  QLabel* Legend;
  QWidget* StatusBar;  // the sunken frame of the two lines below
  ElidedLine* StatusLine;
  ElidedLine* BackupLine;  // the last backup's file; a click opens its folder
  QMenu* Popup1;
  QAction* Edit1;

  // quelt::FuelView
  void ClearLog() override;
  void AddLogLine(const std::string& line) override;
  void SetProgress(int value) override;
  void SetBusyCursor(bool busy) override;
  void ShowMessage(const std::string& text) override;
  bool Confirm(const std::string& question) override;
  void EnableRefresh(bool enabled) override;
  void EnableSend(bool enabled) override;
  void SetTransferActive(bool active) override;

  // Event handlers.
  void FormShow();
  void BtRefreshClick();
  void BtSendClick();
  void BtExitClick();
  void BtaufClick();
  void BtAbClick();
  void Edit1Click();
  void dbGridFuelDelete();  // Ctrl+Delete in the grid
  void BtOpenClick();
  void BtSaveClick();
  void ImageClick();  // the About box
  void BackupLineClick();

  // Loads or saves without asking for a file; false when it failed.
  bool LoadTable(const QString& path);
  bool SaveTable(const QString& path);

  // A transfer ended while the user was closing the window: it closes then.
  bool ClosePending() const { return closePending_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int S(int pixels96) const;
  void BuildLeftColumn();
  void BuildRightArea();
  void BuildShortcuts();
  // What follows the screen's resolution: the pictures, the grid's widths,
  // the smallest size, then the controls' places.
  void ApplyDpi();
  // Every control to its rectangle of the shared layout table (front/layout.h).
  void PlaceControls();
  QWidget* Control(front::MainControl control) const;
  void UpdateControls();
  // Caption and status line from the session.
  void UpdateStatus();
  // Before unsent changes are dropped: Save, Discard or Cancel. True when
  // the caller may go on.
  bool MayDropChanges();
  // Asks for a file; empty when the user cancelled.
  QString AskTableFile(bool save);
  void PlaceOnScreen();
  void CloseWhenIdle();

  quelt::TableSession* session_ = nullptr;
  quelt::FuelListOps* ops_ = nullptr;
  LogHighlighter* highlighter_ = nullptr;
  bool refreshEnabled_ = true;
  bool sendEnabled_ = true;
  bool transferActive_ = false;
  bool busyCursor_ = false;
  bool closePending_ = false;
  bool placed_ = false;
  bool screenHooked_ = false;
  int layoutDpi_ = 0;
};

}  // namespace quelt::ui
