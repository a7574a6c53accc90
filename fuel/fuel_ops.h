// The fuel-list operations: Refresh (identity, gas-name language, read), the
// list read and write, and the row moves. They run the same bytes over the
// wire whatever the front end; the front end only forwards its clicks.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuel/backup.h"
#include "fuel/fuel_row.h"
#include "fuel/fuel_table.h"
#include "fuel/fuel_view.h"
#include "fuel/table_pictures.h"
#include "lang/tr.h"
#include "link/analyser_link.h"

namespace quelt {

inline constexpr const char* kProgramVersion = "1.0,001";
inline constexpr const char* kTitleLine = lang::TrLater("QUELT fuel list update");

// Texts the user sees.
inline constexpr const char* kCommunicationError = lang::TrLater("Communication error !");
inline constexpr const char* kTransferError = lang::TrLater("Transfer error");
inline constexpr const char* kTimeout = lang::TrLater("Timeout");

// Limits of a send, in rows.
inline constexpr int kMaxRowsSent = 30;
inline constexpr int kMaxRowsUsed = 15;
// R401's index has at most three digits: a larger count cannot be read.
inline constexpr int kMaxRowsReadable = 999;

inline constexpr const char* kEmptyTableQuestion = lang::TrLater(
    "The table is empty: the analyser would be told to use no fuel at all. Send it anyway?");

// A send with its safety steps, as the window's button and the command line
// run it.
struct SendOptions {
  bool backup = true;       // save the analyser's stored table before the first W command
  bool check = true;        // read the count and the rows back and compare
  bool allowEmpty = false;  // restore: a backup whose count is 0 may go back
  // What the analyser held before this write when a write that stopped
  // part-way left it (StoppedWriteLeft's words): the report of this write,
  // if it stops too, builds on that instead of an intact previous table.
  std::string tableBefore = {};
};

struct SendOutcome {
  enum class Result {
    Sent,           // sent (and, when asked, checked)
    Declined,       // busy, or the user did not want an empty table sent
    Refused,        // a row cannot travel; nothing was sent
    BackupFailed,   // nothing was sent
    NoReply,        // the analyser stopped answering during the write
    Interrupted,    // the user stopped the write; the command in flight was finished
    CheckNoAnswer,  // written, but the read-back did not arrive
    CheckDiffers,   // written, but what was read back differs
  };
  Result result = Result::Sent;
  int rowsInTable = 0;
  int rowsToSend = 0;   // at most 30
  int rowsWritten = 0;  // W401 commands the analyser answered
  bool countWritten = false;
  // The reply to a W401 (or the W402) was lost: the analyser may have
  // carried the command out all the same.
  bool rowInFlightLost = false;
  bool countInFlightLost = false;
  int countSent = 0;
  bool checked = false;    // the rows and the count were read back
  std::string backupPath;  // UTF-8; empty without a backup
  std::string problem;     // Refused, BackupFailed: why (UTF-8)
  // BackupFailed: the count reply was no number (its line is in the log).
  bool countRefused = false;
  std::vector<std::string> differences;  // CheckDiffers: one line each (UTF-8)
  std::string tableBefore;               // SendOptions::tableBefore of this write
  // The row texts the write was to carry, as the wire has them, whether or
  // not they all got there; empty when no write was started.
  std::vector<std::string> sent;
  // What the user must be told (UTF-8), in the order it arose; a front end
  // shows them once the call has returned. None while the transfer is being
  // aborted: nobody is there to read them.
  std::vector<std::string> messages;
};

class FuelView;
// Shows each of `outcome`'s messages on `view`, in order.
void ShowMessages(FuelView& view, const SendOutcome& outcome);

// How a read of the analyser's count and rows ended.
struct ReadResult {
  bool ok = false;
  // The count reply was no number from 0 to 999; its line is in the log.
  bool countRefused = false;
  // A stop request ended the read.
  bool stopped = false;
  // Why the read failed, for the user (UTF-8); "" after a missing
  // reply or a stop.
  std::string problem;

  static ReadResult Read() { return {true, false, false, {}}; }
  static ReadResult NoReply() { return {}; }
  static ReadResult Stopped() { return {false, false, true, {}}; }
  explicit operator bool() const { return ok; }
};

// What the analyser holds after a write that stopped part-way, in words for
// the user (UTF-8); empty when the write was whole or never began.
std::string DescribeStoppedWrite(const SendOutcome& outcome);
// What a write that stopped part-way left on the analyser, for a later
// write's report: "rows 1 to 6 of the new table over the old one, with the
// old count" (UTF-8); empty when it changed nothing.
std::string StoppedWriteLeft(const SendOutcome& outcome);

class FuelOperations {
 public:
  FuelOperations(AnalyserLink& link, FuelTable& table, FuelView& view);

  // Language of the gas names (1..9, 0 before any type code was recognised)
  // and the fuel ID of the row that gets the natural gas L name (-1: none).
  std::int32_t languageIndex() const { return languageIndex_; }
  std::int32_t lGasFuelId() const { return lGasFuelId_; }
  ReadNaming Naming() const { return {languageIndex_, lGasFuelId_}; }

  // First line of the intro; the demo mode says there that a simulated
  // analyser is attached.
  void SetTitleLine(std::string line) { titleLine_ = std::move(line); }

  void ShowIntro();
  // The Refresh button: identity, language, list read, port closed.
  // True when the list was read.
  bool Refresh();
  // Wake-ups and the four identity lines; false when the analyser did not
  // answer (the link is then failed). Leaves the port open.
  bool QueryIdentity(std::string* typeText = nullptr);
  // A Refresh's steps on the link, without the window's part: the identity,
  // its type code choosing the gas names' language, then the list. Ok when
  // the list was read; `identified` tells whether the identity was.
  ReadResult ReadAnalyser(bool* identified = nullptr);
  // Sets languageIndex and lGasFuelId from the analyser's type reply.
  void ApplyTypeCode(const std::string& typeText);
  ReadResult ReadFuelList();
  // The Send button and the command line's write: the empty-table question,
  // the row check, the backup, the write, and the check that reads it back.
  // The outcome holds what was sent and the messages for the user: the
  // view is asked questions during the send but shown no message.
  SendOutcome SendTable(const SendOptions& options = {});
  // Writes a backup's rows and count back exactly, then checks them. With
  // `sameAnalyserOnly` the serial number is asked first: another analyser
  // than the backup's refuses the restore, and nothing is sent.
  SendOutcome RestoreTable(const StoredTable& backup, const SendOptions& options = {},
                           bool sameAnalyserOnly = false);

  // The table as the analyser stores it: count reply and raw row replies,
  // with the identity of the last QueryIdentity; with `upTo` above the count
  // also the positions count+1..upTo (at most 30), which a write of that many
  // rows overwrites. Fails on a missing reply, a count that is no number,
  // replies out of step, or a stop request; the result says which.
  ReadResult ReadStoredTable(StoredTable& stored, int upTo = 0);
  // The stored table as the last successful Refresh or checked send saw it;
  // a backup needs no extra traffic then. Null when unknown.
  // The identity replies of the last QueryIdentity (rows and count unset).
  const StoredTable& Identity() const { return stored_; }
  const StoredTable* KnownStoredTable() const { return storedKnown_ ? &stored_ : nullptr; }
  // Where the backups before a write go: BackupsRoot() unless set.
  void SetBackupsFolder(std::filesystem::path folder) { backupsFolder_ = std::move(folder); }
  std::filesystem::path BackupsFolder() const;
  // The demo's simulated analyser is attached: its backups go to their own
  // folder (kDemoBackupsFolder), not to that of its serial number.
  void UseDemoBackups() { demoBackups_ = true; }
  // The folder of the backups of the analyser with `serialNumber`, below
  // BackupsFolder(); empty when there is no backups folder.
  std::filesystem::path AnalyserBackupsFolder(std::string_view serialNumber) const;

  // Polled between commands of a write: true stops the write after the
  // command in flight (Ctrl+C on the command line).
  void SetStopRequest(std::function<bool()> stopRequested) {
    stopRequested_ = std::move(stopRequested);
  }

  // The move buttons. Refused (no-op) while a transfer runs.
  void MoveDown();
  void MoveUp();

  // A transfer (refresh or send) is running: the table must not change.
  bool Busy() const { return busy_; }
  // The user closes the window: end the transfer in progress at once. Its
  // closing steps still run; no message box is shown any more.
  void AbortTransfer();
  bool Aborting() const { return aborting_; }

 private:
  class TransferScope;
  void Move(int step);
  // The wake-up, Drain and R402 that start every list read; fails when a
  // reply is missing or its count is refused (`reply` then holds it).
  ReadResult RequestRowCount(std::int32_t& count, std::string& reply);
  // Reads positions count+1..upTo (at most 30) after the stored rows; a
  // position without an answer is recorded as nullopt. Fails when the line
  // went away or the user stopped.
  ReadResult ReadRowsBeyondCount(int count, int upTo,
                                 std::vector<std::optional<std::string>>& rows);
  // After the last reply of a read: nothing more may come. Fails (and the
  // link is failed) when another reply followed.
  ReadResult RepliesWereInStep();
  // Before a session's first command: drains what an earlier one left on the line.
  void StartInStep();
  // Asks the stop request.
  bool StopWanted() const;
  // R401 with the row's index: the row text, or nothing without a reply.
  std::optional<std::string> RequestRow(std::int32_t k);
  // One exchange whose reply must not be the command itself: a loopback
  // plug or an echoing device answers every command with its own text.
  std::optional<std::string> Ask(std::string_view command);
  void ShowMessage(const std::string& text);
  // The steps of SendTable and RestoreTable around the rows to write.
  SendOutcome WriteChecked(const std::vector<std::string>& rowTexts, int count,
                           const SendOptions& options, const std::string* serialNumber = nullptr);
  // WriteChecked's steps between the transfer's start and its report.
  void WriteSteps(const std::vector<std::string>& rowTexts, int count, const SendOptions& options,
                  const std::string* serialNumber, SendOutcome& outcome);
  bool SaveBackupBeforeWrite(SendOutcome& outcome);
  // R001, R005, R004 and R002 into `identity`, each logged when `log`;
  // false when a reply is missing.
  bool AskIdentity(StoredTable& identity, bool log);
  // Before a write: reads the attached analyser's identity, which the backup
  // and the check then carry. A restore (`backupSerial`) goes only onto the
  // backup's analyser; a send onto another analyser than the one last read
  // only when the user agrees. False (the outcome says why) otherwise.
  bool AttachedAnalyserMayBeWritten(const std::string* backupSerial, SendOutcome& outcome);
  // W401 per text, then W402 with `count`; stops at a missing reply or a
  // stop request. Fills the outcome's counters.
  void WriteRows(const std::vector<std::string>& rowTexts, int count, SendOutcome& outcome);
  // Reads back the count and the rows written and compares them field by field.
  void CheckWritten(const std::vector<std::string>& rowTexts, int count, SendOutcome& outcome);
  void ReportOutcome(SendOutcome& outcome);
  // A message of a write for the user, kept in its outcome.
  void Tell(SendOutcome& outcome, const std::string& text) const;

  AnalyserLink& link_;
  FuelTable& table_;
  FuelView& view_;
  std::int32_t languageIndex_ = 0;
  std::int32_t lGasFuelId_ = 0;
  std::string titleLine_ = kTitleLine;
  std::filesystem::path backupsFolder_;
  std::function<bool()> stopRequested_;
  bool busy_ = false;
  bool aborting_ = false;
  StoredTable stored_;  // identity of the last QueryIdentity; table when known
  bool storedKnown_ = false;
  // A send from the table moves its current row along with the row sent.
  bool followTable_ = false;
  // The restore running builds its report on what a stopped send left.
  std::string tableBefore_;
  // What the backup before the write running is made for.
  BackupCause backupCause_ = BackupCause::Send;
  bool demoBackups_ = false;
};

}  // namespace quelt
