#include "control/window_controller.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "control/change_marks.h"
#include "control/editor_flow.h"
#include "control/row_menu.h"
#include "control/user_guide.h"
#include "front/fitting.h"
#include "front/texts.h"
#include "fuel/backup.h"
#include "fuel/backup_list.h"
#include "fuel/gas_names.h"
#include "fuel/link_texts.h"
#include "fuel/table_file.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "quelt/version.h"
#include "text/cp1252.h"

namespace quelt::control {
namespace {

// The longest log a split may ask for, at 96 dpi: more than any screen has.
constexpr int kMaxLogHeight = 4000;

std::string RowsText(std::size_t rows) {
  return rows == 1 ? lang::Tr("1 row") : lang::Format(lang::Tr("{1} rows"), rows);
}

}  // namespace

WindowController::WindowController(AnalyserLink& link)
    : link_(link), ops_(link, table_, *this), ports_(link) {
  // The operations' log lines are Windows-1252.
  ops_.SetTitleLine(lang::Tr(kTitleLine));
  // A write asks between its commands: the system ending the program stops
  // it after the command in flight, never in the middle of one.
  ops_.SetStopRequest([this] { return terminating_; });
  unsent_.MarkInSync(table_);
  table_.SetListener([this](FuelTable::Change change) { OnTableChange(change); });
}

void WindowController::OnTableChange(FuelTable::Change change) {
  const GridFollower::Step step = grid_.Next(change);
  grid_.Take(step);
  if (face_ != nullptr) face_->ShowGridStep(step);
  Update();
}

bool WindowController::EditCurrentRow() {
  if (face_ == nullptr) return false;
  return EditRow(table_, false, face_->DecimalSeparator(),
                 [this](RowEditor& editor) { return face_->EditRow(editor); });
}

void WindowController::Attach(WindowFace* face) {
  face_ = face;
  if (face_ != nullptr) {
    const std::string kept = face_->LoadSetting(kLogHeightSettingKey);
    int height = 0;
    const auto [end, ec] = std::from_chars(kept.data(), kept.data() + kept.size(), height);
    const bool valid = ec == std::errc() && end == kept.data() + kept.size() &&
                       height >= front::kMinLogHeight && height <= kMaxLogHeight;
    logHeight_ = valid ? height : front::kDefaultLogHeight;
  }
  Update();
}

void WindowController::SplitMoved(int height96) {
  const int height = std::clamp(height96, front::kMinLogHeight, kMaxLogHeight);
  if (height == logHeight_) return;
  logHeight_ = height;
  if (face_ != nullptr) face_->StoreSetting(kLogHeightSettingKey, std::to_string(height));
}

void WindowController::AttachSimulated(Line& line, const std::string& device) {
  link_.UseLine(line);
  link_.SetPortOverride(device);
  demo_ = true;
  ops_.UseDemoBackups();
  ports_.Simulated();
  ops_.SetTitleLine(lang::Format(lang::Tr("{1} - simulated analyser"), lang::Tr(kTitleLine)));
}

void WindowController::Shown() {
  ops_.ShowIntro();
  if (face_ != nullptr) {
    LoadParties();
    const std::string gone = ports_.Start(face_->LoadSetting(kPortSettingKey));
    if (!gone.empty()) Log(gone);
    ShowPorts();
  }
  sendEnabled_ = false;
  SetProgress(0);
  Update();
}

void WindowController::Do(Command command) {
  if (face_ == nullptr) return;
  // Keys reach here also while their button is disabled; a command that
  // starts a transfer or changes the table waits for the transfer to end.
  switch (command) {
    case Command::Refresh:
      Refresh();
      break;
    case Command::Send:
      Send();
      break;
    case Command::MoveUp:
    case Command::MoveDown:
    case Command::Edit:
    case Command::Delete:
    case Command::Add:
    case Command::Duplicate:
      // Like every change of the table, refused while a transfer runs.
      if (!transferActive_) Change(command);
      break;
    case Command::Undo:
    case Command::Redo:
      if (!transferActive_) Undo(command == Command::Redo);
      break;
    case Command::Open:
      Open();
      break;
    case Command::Save:
      Save();
      break;
    case Command::Exit:
      face_->RequestClose();
      return;  // the face may be gone
    case Command::About:
      AskOfferingTrace(AboutMessage(About()));
      break;
    case Command::Help:
      ShowUserGuide();
      break;
    case Command::Backups:
      if (!transferActive_) face_->ShowBackups();
      break;
    case Command::ExportCsv:
      Export(ExportKind::Csv);
      break;
    case Command::Report:
      Export(ExportKind::Report);
      break;
    case Command::SessionLog:
      OpenTodaysLog();
      break;
    case Command::SaveTrace:
      SaveTrace();
      break;
    case Command::OpenBackupFolder:
      if (!lastBackup_.empty()) {
        face_->OpenWithSystem(std::filesystem::path(lastBackup_).parent_path());
      }
      break;
  }
  // A trace asked for during a transfer is saved once it has ended: the
  // trace then holds how it ended.
  if (!transferActive_ && std::exchange(traceWanted_, false)) SaveTrace();
  Update();
}

bool WindowController::KeyPressed(Key key, bool ctrl, bool inGrid) {
  const auto command = CommandForKey(key, ctrl, inGrid);
  if (command) Do(*command);
  return command.has_value();
}

void WindowController::Terminate() {
  terminating_ = true;
  closePending_ = true;
  // A transfer in progress closes the window once it has stopped.
  if (!ops_.Busy() && face_ != nullptr) face_->RequestCloseLater();
}

bool WindowController::CloseRequested() {
  if (ops_.Busy()) {
    // The stop request ends the transfer after the command in flight.
    if (terminating_) return false;
    // End the transfer first; the window closes once its closing steps ran.
    if (!closePending_ || !ops_.Aborting()) {
      closePending_ = true;
      ops_.AbortTransfer();
    } else if (face_ != nullptr) {
      face_->RequestCloseLater();
    }
    return false;
  }
  closePending_ = false;
  return terminating_ || MayDropChanges(true);
}

void WindowController::Refresh() {
  if (transferActive_ || !refreshEnabled_) return;
  // The question runs a loop of its own: a key may have started a transfer.
  if (!MayDropChanges() || transferActive_ || ops_.Busy()) return;
  SetProgress(0);
  const std::string portGone = ports_.Prepare();
  ShowPorts();
  sessionTrace_.Trace().Operation("Refresh");
  const bool read = ops_.Refresh();
  if (!portGone.empty()) Log(portGone);
  // A failed read empties the grid: nothing is left to lose.
  if (read || table_.IsEmpty()) unsent_.MarkInSync(table_);
  // What the analyser holds is the new starting point.
  history_.Clear();
  if (read) {
    NoteStoredRows();
  } else {
    marks_.Forget();
  }
  // A check belongs to the table it checked, not to one read later.
  lastCheck_.clear();
  beforeSend_.reset();
  if (face_ != nullptr) face_->RedrawGrid();

  const StoredTable* stored = ops_.KnownStoredTable();
  const int rowsRead = read && stored ? static_cast<int>(stored->rows.size()) : 0;
  const auto& rows = table_.Rows();
  const auto hRow = std::find_if(rows.begin(), rows.end(),
                                 [](const FuelRow& r) { return r.ID == kNaturalGasHId; });
  const int hRowIndex = hRow == rows.end() ? -1 : static_cast<int>(hRow - rows.begin());
  const std::string result =
      RefreshResultLine(read, rowsRead, table_.RowCount(), hRowIndex, link_, Port());
  sessionTrace_.Trace().Outcome(result);
  LogFinal(result);
}

void WindowController::ShowAnalysersTable() {
  const bool read = ops_.ReadFuelList().ok;
  link_.Disconnect();
  // A failed read empties the grid: nothing is left to lose.
  unsent_.MarkInSync(table_);
  history_.Clear();
  if (read) {
    NoteStoredRows();
  } else {
    marks_.Forget();
  }
  beforeSend_.reset();
  if (face_ != nullptr) face_->RedrawGrid();
  if (read) {
    LogFinal(lang::Format(lang::Tr("The grid shows the analyser's table: {1} rows read"),
                          ops_.KnownStoredTable()->rows.size()));
  }
  Update();
}

void WindowController::Send() {
  if (transferActive_ || !sendEnabled_ || ops_.Busy()) return;
  SetProgress(0);
  std::vector<std::string> texts = WireTexts(table_);
  if (texts.size() > static_cast<std::size_t>(kMaxRowsSent)) texts.resize(kMaxRowsSent);

  if (const std::string gone = ports_.Prepare(); !gone.empty()) Log(gone);
  ShowPorts();
  deferMessages_ = true;
  sessionTrace_.Trace().Operation("Send");
  const SendOutcome outcome = ops_.SendTable();
  sessionTrace_.NoteSend(outcome);
  deferMessages_ = false;
  if (!outcome.backupPath.empty()) lastBackup_ = outcome.backupPath;
  NoteCheck(outcome);
  ShowDeferred(outcome);
  using R = SendOutcome::Result;
  switch (outcome.result) {
    case R::Sent:
      unsent_.MarkSent(texts);
      history_.Clear();
      if (outcome.checked && ops_.KnownStoredTable() != nullptr) {
        NoteStoredRows();
      } else {
        // Not read back: the analyser holds what was sent, as far as anyone knows.
        marks_.SetStored(StoredRows(texts), ops_.Naming());
      }
      beforeSend_.reset();
      if (!outcome.backupPath.empty()) {
        if (const auto backup = ReadBackupEntry(outcome.backupPath).table) {
          beforeSend_ = StoredRows(backup->rows);
        }
      }
      if (face_ != nullptr) face_->RedrawGrid();
      break;
    case R::Declined:
      LogFinal(lang::Tr("Nothing was sent."));
      break;
    case R::Refused:
    case R::CheckDiffers:
      break;
    case R::BackupFailed:
    case R::NoReply:
    case R::Interrupted:
    case R::CheckNoAnswer:
      // Why the port could not be used, as the command line says it.
      if (!link_.ConnectProblem().empty()) LogFinal(LinkProblemText(link_));
      break;
  }
}

void WindowController::Open() {
  if (transferActive_ || !MayDropChanges()) return;
  const std::filesystem::path path = PickFile(TableFileChoice(false));
  if (!path.empty()) LoadTable(path);
}

void WindowController::Save() {
  if (transferActive_) return;
  const std::filesystem::path path = PickFile(TableFileChoice(true));
  if (!path.empty()) SaveTable(path);
}

void WindowController::Delete() {
  if (transferActive_ || table_.IsEmpty()) return;
  if (Ask(DeleteQuestion(table_.CurrentIndex() + 1, table_.Current().Description)) != Answer::Ok)
    return;
  // The box ran a loop of its own: the table may have changed meanwhile.
  if (transferActive_ || table_.IsEmpty()) return;
  table_.DeleteCurrent();
}

void WindowController::Change(Command command) {
  const TableSnapshot before = SnapshotOf(table_, unsent_.FromFile());
  switch (command) {
    case Command::MoveUp:
      ops_.MoveUp();
      break;
    case Command::MoveDown:
      ops_.MoveDown();
      break;
    case Command::Edit:
      // The editor runs a loop of its own: no wait for the analyser inside it.
      EditCurrentRow();
      break;
    case Command::Delete:
      Delete();
      break;
    case Command::Add:
      Add(FuelRow{});  // neutral values
      break;
    case Command::Duplicate:
      Duplicate();
      break;
    default:
      return;
  }
  if (table_.GetState() != FuelTable::State::Viewing) return;
  NumberByPosition();
  if (table_.Rows() != before.rows) history_.Record(before);
}

void WindowController::NumberByPosition() {
  const auto& rows = table_.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].N != static_cast<int>(i) + 1) {
      table_.HoldNotifications();
      table_.Renumber();
      table_.ReleaseNotifications();
      return;
    }
  }
}

void WindowController::Add(FuelRow row) {
  // Below the current row; the editor opens on it.
  const int at = table_.CurrentIndex() + 1;
  table_.HoldNotifications();
  if (at >= table_.RowCount()) {
    table_.AppendRow(row);
  } else {
    table_.MoveTo(at);
    table_.InsertRow(row);
  }
  table_.Renumber();
  table_.ReleaseNotifications();
  if (EditCurrentRow()) return;
  // Cancel takes the new row away again.
  if (table_.GetState() != FuelTable::State::Viewing) table_.CancelEdit();
  if (transferActive_) return;
  table_.DeleteCurrent();
  if (at > 0 && at - 1 < table_.RowCount()) table_.MoveTo(at - 1);
}

void WindowController::Duplicate() {
  if (table_.IsEmpty()) return;
  // The copy's ID is the user's to give: two rows with one ID never go out
  // unasked. The editor opens on it with its ID empty.
  FuelRow copy = table_.Current();
  copy.SetNull(FuelField::ID);
  Add(copy);
}

void WindowController::Undo(bool redo) {
  TableSnapshot now = SnapshotOf(table_, unsent_.FromFile());
  const auto to = redo ? history_.Redo(std::move(now)) : history_.Undo(std::move(now));
  if (!to) return;
  Restore(table_, *to);
  unsent_.SetFromFile(to->fromFile);
}

bool WindowController::LoadTable(const std::filesystem::path& path) {
  if (transferActive_ || ops_.Busy()) return false;
  SetProgress(0);
  std::string error;
  // A table file, the CSV the export wrote or a backup: the content tells.
  TableFileKind kind = TableFileKind::Rows;
  const auto rows = ReadTableFile(path, &error, &kind);
  if (!rows) {
    const std::string text =
        lang::Format(lang::Tr("Not loaded: {1}. The table is as it was."), error);
    LogFinal(text);
    Ask(WarningMessage(text));
    Update();
    return false;
  }
  history_.Record(SnapshotOf(table_, unsent_.FromFile()));
  table_.HoldNotifications();
  table_.Clear();
  for (const FuelRow& row : *rows) table_.AppendRow(row);
  table_.Renumber();
  table_.MoveToFirst();
  table_.ReleaseNotifications();
  unsent_.MarkLoaded(table_);
  sendEnabled_ = true;
  LogFinal(kind == TableFileKind::Backup
               ? lang::Format(lang::Tr("Loaded {1} rows from the backup {2}: not sent yet"),
                              rows->size(), PathText(path))
               : lang::Format(lang::Tr("Loaded {1} from {2}: not sent yet"), RowsText(rows->size()),
                              PathText(path)));
  Update();
  return true;
}

bool WindowController::SaveTable(const std::filesystem::path& path) {
  SetProgress(0);
  std::string error;
  if (!WriteTextFileWhole(path, FormatTableFile(table_.Rows()), &error)) {
    const std::string text = lang::Format(lang::Tr("Not saved: {1}"), error);
    LogFinal(text);
    Ask(ErrorMessage(text));
    Update();
    return false;
  }
  unsent_.MarkSaved(table_);
  LogFinal(
      lang::Format(lang::Tr("Saved {1} to {2}"), RowsText(table_.Rows().size()), PathText(path)));
  Update();
  return true;
}

bool WindowController::MayDropChanges(bool closing) {
  // Closing asks while the analyser has not got the table the grid shows,
  // also when a file holds it: the work was done for the analyser, and once
  // the program has ended nothing reminds anyone that it never got there.
  // Refresh and Open leave the program running with the file at hand: a
  // table kept in a file loses nothing there, and they ask only for one
  // that is not.
  const bool ask = closing ? unsent_.Pending(table_) : unsent_.MustAskBeforeDropping(table_);
  if (!ask) return true;
  switch (Ask(closing ? CloseUnsentQuestion() : UnsentQuestion())) {
    case Answer::Save: {
      const std::filesystem::path path = PickFile(TableFileChoice(true));
      return !path.empty() && SaveTable(path);
    }
    case Answer::Discard:
      return true;
    default:
      return false;
  }
}

Answer WindowController::Ask(const Message& message) {
  // Nobody is left to answer once the system ends the program.
  if (terminating_) return message.escapeAnswer;
  return face_ != nullptr ? face_->Ask(message) : message.escapeAnswer;
}

bool WindowController::Enabled(Control control) const {
  switch (control) {
    case Control::Refresh:
      return refreshEnabled_ && !transferActive_;
    case Control::Send:
      return sendEnabled_ && !transferActive_;
    case Control::MoveUp:
    case Control::MoveDown:
    case Control::Open:
    case Control::Save:
    case Control::EditMenu:
      return !transferActive_;
    case Control::BackupLine:
      return !lastBackup_.empty();
    case Control::Port:
      return ports_.Choosable() && refreshEnabled_ && !transferActive_;
  }
  return false;
}

void WindowController::PortListOpened() {
  if (transferActive_) return;
  ports_.Reload();
  ShowPorts();
}

void WindowController::ChoosePort(int index) {
  if (transferActive_) return;
  if (const std::optional<std::string> remember = ports_.Choose(index); remember) {
    if (face_ != nullptr) face_->StoreSetting(kPortSettingKey, *remember);
  }
  ShowPorts();
  Update();
}

void WindowController::TypePort(const std::string& text) {
  if (transferActive_) return;
  if (const std::optional<std::string> remember = ports_.Type(text); remember) {
    if (face_ != nullptr) face_->StoreSetting(kPortSettingKey, *remember);
  }
  ShowPorts();
  Update();
}

void WindowController::ShowPorts() {
  if (face_ == nullptr) return;
  const std::vector<std::string> texts = ports_.Texts();
  const int chosen = ports_.Chosen();
  const bool named = chosen >= 0 && chosen < static_cast<int>(texts.size());
  face_->SetPortChoices(texts, chosen,
                        named ? texts[static_cast<std::size_t>(chosen)]
                              : lang::Tr("The port the analyser is reached through"));
}

std::optional<std::vector<bool>> WindowController::RowMenuNow() const {
  if (transferActive_) return std::nullopt;
  std::vector<bool> enabled;
  for (const RowMenuItem& item : RowMenuItems()) enabled.push_back(CanDo(item.command));
  return enabled;
}

bool WindowController::CanDo(Command command) const {
  if (transferActive_) return false;
  switch (command) {
    case Command::Duplicate:
    case Command::Delete:
      return !table_.IsEmpty();
    case Command::Undo:
      return history_.CanUndo();
    case Command::Redo:
      return history_.CanRedo();
    default:
      return true;
  }
}

bool WindowController::CellChanged(int row, FuelField field) const {
  return marks_.CellChanged(table_, row, field);
}

int WindowController::RowsChanging() const { return marks_.RowsChanging(table_); }

void WindowController::NoteStoredRows() {
  if (const StoredTable* stored = ops_.KnownStoredTable()) {
    marks_.SetStored(StoredRows(stored->rows), ops_.Naming());
  }
}

void WindowController::Update() {
  if (face_ == nullptr) return;
  for (int c = 0; c < kControlCount; ++c) {
    face_->SetEnabled(static_cast<Control>(c), Enabled(static_cast<Control>(c)));
  }
  face_->SetCaption(Caption());
  const std::string changes = ChangesText(RowsChanging());
  face_->SetStatusLine(front::StatusLineOf(StatusText(Status()), changes));
  face_->SetBackupLine(
      BackupText(lastBackup_),
      lastBackup_.empty() ? "" : lastBackup_ + "\n" + lang::Tr(front::kBackupLineClick));
}

StatusFacts WindowController::Status() const {
  StatusFacts facts;
  facts.port = Port();
  facts.serialNumber = ops_.Identity().serialNumber;
  facts.type = ops_.Identity().type;
  facts.rows = table_.RowCount();
  if (marks_.Known()) {
    facts.storedRows = static_cast<int>(marks_.Stored().size());
    facts.hRowShown = marks_.ShowsAddedHRow(table_);
  }
  facts.lastBackup = lastBackup_;
  return facts;
}

std::string WindowController::About() const {
  const std::filesystem::path backups = ops_.BackupsFolder();
  std::string text = AboutText(QUELT_VERSION, Port(), backups);
  // Named once a language other than the program's own English is in use;
  // the English About stays as it always was.
  if (lang::Language() != "en") {
    text += '\n';
    text += lang::Format(lang::Tr("Language: {1}"), lang::LanguageName());
  }
  return text;
}

void WindowController::ShowUserGuide() {
  const std::filesystem::path guide = FindUserGuide(programFolder_, lang::Language());
  if (guide.empty()) {
    Ask(WarningMessage(lang::Format(
        lang::Tr("The user guide is not installed: there is no USER-GUIDE file in {1}."),
        PathText(programFolder_))));
  } else if (!face_->OpenWithSystem(guide)) {
    Ask(WarningMessage(lang::Format(
        lang::Tr("The system has no program to show the user guide {1}."), PathText(guide))));
  }
}

std::filesystem::path WindowController::TodaysLogFile() const {
  SessionLog log;
  log.SetFolder(SessionLogFolder(ops_.BackupsFolder()));
  return log.FileOf(clock_());
}

void WindowController::OpenTodaysLog() {
  const std::filesystem::path file = TodaysLogFile();
  std::error_code ec;
  if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
    Ask(WarningMessage(
        lang::Format(lang::Tr("There is no log file of today: {1}"),
                     file.empty() ? lang::Tr("(no folder known)") : PathText(file))));
  } else if (!face_->OpenWithSystem(file)) {
    Ask(WarningMessage(lang::Format(lang::Tr("The system has no program to show the log file {1}."),
                                    PathText(file))));
  }
}

void WindowController::Log(const std::string& utf8) {
  lastLine_ = utf8;
  ++logLines_;
  if (face_ != nullptr) face_->AddLogLine(utf8);
  KeepInFile(utf8);
}

void WindowController::KeepInFile(const std::string& utf8) {
  sessionLog_.SetFolder(SessionLogFolder(ops_.BackupsFolder()));
  std::string error;
  if (sessionLog_.Write(utf8, clock_(), &error) || sessionLogFailed_) return;
  // Said once, in the window only: the file is no reason to stop working.
  sessionLogFailed_ = true;
  if (face_ != nullptr) {
    face_->AddLogLine(lang::Format(lang::Tr("The log file is not written: {1}"), error));
  }
}

void WindowController::LogFinal(const std::string& utf8) {
  if (utf8 != lastLine_) Log(utf8);
}

void WindowController::ClearLog() {
  lastLine_.clear();
  // What the log said about backups, sends and restores stays: a Refresh
  // starts below a line with its time.
  if (logLines_ == 0) return;
  Log(lang::Format(lang::Tr("---- Refresh {1} ----"), LocalTimeText(clock_(), "%H:%M:%S")));
  lastLine_.clear();
}

void WindowController::AddLogLine(const std::string& line) { Log(line); }

void WindowController::SetProgress(int value) {
  // A send of more than 15 rows counts on past the full scale.
  if (face_ != nullptr) face_->SetProgress(std::clamp(value, 0, kProgressFullScale));
}

void WindowController::SetBusyCursor(bool busy) {
  if (busy == busyCursor_) return;
  busyCursor_ = busy;
  if (face_ != nullptr) face_->SetBusyCursor(busy);
}

void WindowController::ShowMessage(const std::string& text) {
  // Every message of the operations reports a failure.
  if (deferMessages_) {
    deferred_.push_back(text);
  } else {
    AskOfferingTrace(ErrorMessage(text));
  }
}

Answer WindowController::AskOfferingTrace(const Message& message) {
  const Answer answer = Ask(OfferingTrace(message));
  if (answer == Answer::SaveTrace) traceWanted_ = true;
  return answer;
}

bool WindowController::Confirm(const std::string& question) {
  return Ask(YesNoQuestion(question)) == Answer::Yes;
}

void WindowController::EnableRefresh(bool enabled) {
  refreshEnabled_ = enabled;
  Update();
}

void WindowController::EnableSend(bool enabled) {
  sendEnabled_ = enabled;
  Update();
}

void WindowController::SetTransferActive(bool active) {
  transferActive_ = active;
  Update();
  if (face_ != nullptr) face_->SetTransferLock(active);
  // Close from the outer event loop, once the operation has returned.
  if (!active && closePending_ && face_ != nullptr) face_->RequestCloseLater();
}

}  // namespace quelt::control
