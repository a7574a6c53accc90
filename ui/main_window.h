// MainWindow: the Qt face of the window controller. It builds the widgets,
// places them by the shared layout table, reports clicks, keys and closing
// to the controller and draws what the controller tells it; the grid
// redraws from the table's notifications.
#pragma once

#include <QWidget>
#include <array>
#include <utility>
#include <vector>

#include "control/face.h"
#include "control/window_controller.h"
#include "front/layout.h"

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QToolButton;

namespace quelt::ui {

class ElidedLine;
class FuelGrid;
class PortChooserBox;
class SplitBar;

class MainWindow : public QWidget, private control::WindowFace {
  Q_OBJECT
 public:
  explicit MainWindow(control::WindowController& controller, QWidget* parent = nullptr);
  ~MainWindow() override;

  control::WindowController& Controller() { return controller_; }
  // A control of the layout table (the panels included).
  QWidget* Control(front::MainControl control) const;
  QToolButton* Button(front::MainControl control) const;
  FuelGrid* Grid() const { return grid_; }
  QPlainTextEdit* Log() const { return log_; }
  QProgressBar* Progress() const { return progress_; }
  QLabel* Legend() const { return legend_; }
  ElidedLine* StatusLine() const { return statusLine_; }
  ElidedLine* BackupLine() const { return backupLine_; }
  PortChooserBox* PortChooser() const { return ports_; }
  QMenu* RowMenu() const { return rowMenu_; }
  QAction* EditRowAction() const { return editRow_; }
  QWidget* Splitter() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // control::WindowFace, every call written out: a window that misses one
  // does not build.
  void SetCaption(const std::string& text) override;
  void SetStatusLine(const front::StatusLine& line) override;
  void SetBackupLine(const std::string& text, const std::string& tip) override;
  void SetEnabled(control::Control control, bool enabled) override;
  void ShowGridStep(const control::GridFollower::Step& step) override;
  void SetTransferLock(bool locked) override;
  void ClearLog() override;
  void AddLogLine(const std::string& line) override;
  void SetProgress(int value) override;
  void SetBusyCursor(bool busy) override;
  control::Answer Ask(const control::Message& message) override;
  std::filesystem::path PickFile(const control::FileChoice& choice) override;
  bool EditRow(control::RowEditor& editor) override;
  char32_t DecimalSeparator() const override;
  void RedrawGrid() override;
  bool OpenWithSystem(const std::filesystem::path& path) override;
  bool EditReportParties(control::ReportParties& parties) override;
  void ShowBackups() override;
  std::string LoadSetting(const std::string& name) override;
  void StoreSetting(const std::string& name, const std::string& value) override;
  void SetPortChoices(const std::vector<std::string>& texts, int chosen,
                      const std::string& tip) override;
  void RequestClose() override;
  void RequestCloseLater() override;

  int S(int pixels96) const;
  // The window's sizes on its screen (front::FitMainWindow), of the client area.
  front::WindowFit ClientFit() const;
  void BuildButtonColumn();
  void BuildTablePanel();
  void BuildKeys();
  // What follows the screen's resolution: the pictures, the grid's widths,
  // the smallest size, then the controls' places.
  void ApplyDpi();
  // Every control to its rectangle of the shared layout table (front/layout.h).
  void PlaceControls();
  void PlaceOnScreen();

  control::WindowController& controller_;
  std::array<QWidget*, front::kMainControlCount> controls_{};
  FuelGrid* grid_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* logo_ = nullptr;
  QLabel* legend_ = nullptr;
  ElidedLine* statusLine_ = nullptr;
  ElidedLine* backupLine_ = nullptr;
  PortChooserBox* ports_ = nullptr;
  QMenu* rowMenu_ = nullptr;
  SplitBar* splitBar_ = nullptr;
  int dragLogHeight_ = 0;  // at 96 dpi while the split bar is dragged; 0: not
  QAction* editRow_ = nullptr;
  std::vector<std::pair<QAction*, control::Command>> rowActions_;
  bool busyCursor_ = false;
  bool placed_ = false;
  bool shown_ = false;
  bool screenHooked_ = false;
  int layoutDpi_ = 0;
  // The legend's entries and gap measured in the window's font, and the
  // places the layout last gave them.
  front::LegendWidths legendWidths_;
  std::vector<front::LegendPlace> legendPlaces_;
};

}  // namespace quelt::ui
