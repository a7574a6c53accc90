// TFormMain: the program's window. It shows the log, the fuel grid, the
// progress bar and the buttons, forwards every click to the fuel-list
// operations and redraws from the table's notifications.
#pragma once

#include <QWidget>

#include "fuel/fuel_ops.h"
#include "fuel/fuel_table.h"
#include "fuel/fuel_view.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;
class FuelGrid;
class LogHighlighter;

class TFormMain : public QWidget, public quelt::FuelView {
  Q_OBJECT
 public:
  explicit TFormMain(QWidget* parent = nullptr);
  ~TFormMain() override;

  // The operations start after the link exists, which is created after the
  // window; until then the buttons do nothing.
  void SetOps(quelt::FuelListOps* ops) { ops_ = ops; }

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
  FuelGrid* dbGridFuel;
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

  // A transfer ended while the user was closing the window: it closes then.
  bool ClosePending() const { return closePending_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  int S(int pixels96) const;
  void BuildLeftColumn();
  void BuildRightArea();
  void UpdateControls();
  void PlaceOnScreen();
  void CloseWhenIdle();

  quelt::FuelListOps* ops_ = nullptr;
  LogHighlighter* highlighter_ = nullptr;
  bool refreshEnabled_ = true;
  bool sendEnabled_ = true;
  bool transferActive_ = false;
  bool busyCursor_ = false;
  bool closePending_ = false;
  bool placed_ = false;
};
