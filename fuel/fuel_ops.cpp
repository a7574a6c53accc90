#include "fuel/fuel_ops.h"

#include <algorithm>
#include <utility>

#include "fuel/gas_names.h"
#include "fuel/link_texts.h"
#include "fuel/row_compare.h"
#include "fuel/transfer_scope.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "link/commands.h"
#include "text/text_helpers.h"

namespace quelt {

namespace {

// Each shown in a box 34 characters wide: "[ Switch QUELT ON.   ...   ]".
constexpr const char* kIntroInstructions[] = {
    lang::TrLater("Connect your QUELT with computer."),
    lang::TrLater("Switch QUELT ON."),
    lang::TrLater("Press Button \"Refresh\"."),
    lang::TrLater("Check table of fuel."),
    lang::TrLater("With cklick on right button you"),
    lang::TrLater("are able to edit discription."),
};
constexpr std::size_t kIntroWidth = 34;

std::string IntroLine(const char* english) {
  std::string line = lang::Tr(english);
  // UTF-8: a character is every byte that does not continue one.
  const auto characters =
      static_cast<std::size_t>(std::count_if(line.begin(), line.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
      }));
  if (characters < kIntroWidth) line.append(kIntroWidth - characters, ' ');
  return "[ " + line + "]";
}

}  // namespace

FuelOperations::FuelOperations(AnalyserLink& link, FuelTable& table, FuelView& view)
    : link_(link), table_(table), view_(view) {}

void FuelOperations::ShowIntro() {
  view_.ClearLog();
  view_.AddLogLine(titleLine_);
  view_.AddLogLine(std::string("QUELT fuel list updater: ") + kProgramVersion);
  view_.AddLogLine("");
  for (const char* line : kIntroInstructions) view_.AddLogLine(IntroLine(line));
}

void FuelOperations::ShowMessage(const std::string& text) {
  // Once the window is closing nobody is there to answer a box.
  if (!aborting_) view_.ShowMessage(text);
}

void FuelOperations::AbortTransfer() {
  if (!busy_) return;
  aborting_ = true;
  link_.Abort();
}

bool FuelOperations::Refresh() {
  if (busy_) return false;
  ShowIntro();
  TransferScope transfer(*this);
  bool listRead = false;
  Finally closing([&] {
    link_.Disconnect();
    if (link_.failed()) {
      view_.AddLogLine(lang::Tr(kCommunicationError));
      // The cause, as the command line names it: no bridge, a port in use or
      // not ours to open (the classic dialout trap), a line that went away.
      if (!link_.ConnectProblem().empty()) view_.AddLogLine(LinkProblemText(link_));
    }
    view_.EnableRefresh(true);
  });

  view_.EnableSend(false);
  view_.EnableRefresh(false);
  // A send leaves the port open, and the analyser may have been unplugged
  // and plugged in again since: that handle is dead, and the device may now
  // be another tty. Start on a fresh connection, as after any other Refresh.
  link_.Disconnect();
  bool identified = false;
  if (ReadAnalyser(&identified)) {
    view_.EnableSend(true);
    listRead = true;
  }
  if (!identified) return false;
  view_.AddLogLine("");
  return listRead;
}

ReadResult FuelOperations::ReadAnalyser(bool* identified) {
  std::string typeText;
  const bool known = QueryIdentity(&typeText);
  if (identified != nullptr) *identified = known;
  if (!known) return ReadResult::NoReply();
  ApplyTypeCode(typeText);
  return ReadFuelList();
}

bool FuelOperations::QueryIdentity(std::string* typeText) {
  StartInStep();
  link_.Ask(cmd::kWakeUp);
  link_.Ask(cmd::kWakeUp);
  storedKnown_ = false;
  stored_ = StoredTable{};
  if (!AskIdentity(stored_, true)) return false;
  if (typeText) *typeText = stored_.type;
  return true;
}

bool FuelOperations::AskIdentity(StoredTable& identity, bool log) {
  struct Query {
    const char* command;
    const char* label;  // 12 characters, the colon last
    std::string StoredTable::*reply;
  };
  static constexpr Query kQueries[] = {
      {cmd::kIdentification, "Found      :", &StoredTable::identification},
      {cmd::kType, "Type       :", &StoredTable::type},
      {cmd::kSerialNumber, "Serial No. :", &StoredTable::serialNumber},
      {cmd::kVersion, "Version    :", &StoredTable::version},
  };
  for (const Query& q : kQueries) {
    const auto reply = q.command == cmd::kIdentification ? Ask(q.command) : link_.Ask(q.command);
    if (!reply) return false;
    // Device text reaches the log and the terminal without its control
    // characters: a reply must not clear a screen or hide what follows.
    if (log) view_.AddLogLine(q.label + DeviceText(*reply));
    identity.*q.reply = *reply;
  }
  return true;
}

void FuelOperations::ApplyTypeCode(const std::string& typeText) {
  lGasFuelId_ = -1;
  if (const auto language = LanguageOfType(ParseIntLenient(typeText))) {
    languageIndex_ = language->languageIndex;
    lGasFuelId_ = language->lGasFuelId;
  }
}

ReadResult FuelOperations::ReadFuelList() {
  view_.SetBusyCursor(true);
  link_.ClearFailure();
  TransferScope transfer(*this);
  bool complete = false;  // every reply came and every row was taken
  ReadResult result;
  {
    Finally closing([&] {
      view_.SetBusyCursor(false);
      view_.SetProgress(kProgressFullScale);
      if (complete) {
        result = ReadResult::Read();
      } else {
        // A stop the user asked for is no transfer error: the caller says it stopped.
        if (StopWanted()) {
          result.stopped = true;
        } else {
          ShowMessage(lang::Tr(kTransferError));
        }
        table_.Clear();
        view_.SetProgress(0);
        result.ok = false;
      }
      table_.MoveToFirst();
      while (!table_.AtEnd() && table_.Current().ID != kNaturalGasHId) table_.MoveToNext();
    });

    table_.Clear();
    storedKnown_ = false;
    stored_.rows.clear();
    stored_.rowsBeyondCount.clear();
    std::int32_t count = 0;
    std::string countReply;
    result = RequestRowCount(count, countReply);
    if (!result) return result;
    stored_.countReply = countReply;
    bool hRowSeen = false;
    for (std::int32_t k = 1; k <= count; ++k) {
      view_.SetProgress(k);
      const auto reply = RequestRow(k);
      if (!reply) return ReadResult::NoReply();

      stored_.rows.push_back(*reply);
      const ParsedFuelRow parsed = ReadFuelRowText(*reply);
      if (parsed.ID == kNaturalGasHId) hRowSeen = true;
      if (!parsed.FitsRow()) {
        // A wrapped N or Soot flag would be written back wrong: refuse the
        // whole list rather than show a row that is not the analyser's.
        view_.AddLogLine(lang::Format(lang::Tr("Row {1} refused: N {2} or Soot {3} is outside {4}"),
                                      k, parsed.N, parsed.Soot, RangeOf(FuelField::N).Text()));
        return ReadResult::NoReply();
      }
      table_.AppendRow(ShownRow(parsed.ToRow(), Naming()));
    }

    if (!hRowSeen) {
      table_.HoldNotifications();
      table_.MoveTo(BuiltInHRowPlace(table_.RowCount()));
      table_.InsertRow(BuiltInHRow(languageIndex_));
      table_.ReleaseNotifications();
    }

    result = RepliesWereInStep();
    if (!result) return result;

    table_.HoldNotifications();
    table_.Renumber();
    table_.MoveToFirst();
    table_.ReleaseNotifications();
    storedKnown_ = true;
    complete = true;
  }
  return result;
}

ReadResult FuelOperations::ReadStoredTable(StoredTable& stored, int upTo) {
  TransferScope transfer(*this);
  link_.ClearFailure();
  stored = stored_;
  stored.countReply.clear();
  stored.rows.clear();
  stored.rowsBeyondCount.clear();
  std::int32_t count = 0;
  if (ReadResult r = RequestRowCount(count, stored.countReply); !r) return r;
  for (std::int32_t k = 1; k <= count; ++k) {
    if (StopWanted()) return ReadResult::Stopped();
    const auto reply = RequestRow(k);
    if (!reply) return ReadResult::NoReply();
    stored.rows.push_back(*reply);
  }
  if (ReadResult r = ReadRowsBeyondCount(count, upTo, stored.rowsBeyondCount); !r) return r;
  return RepliesWereInStep();
}

ReadResult FuelOperations::ReadRowsBeyondCount(int count, int upTo,
                                               std::vector<std::optional<std::string>>& rows) {
  // The analyser need not hold rows beyond its count: the first position
  // that answers with no fuel row ("?", "ERR") or not at all ends the rows
  // it stores. That is recorded, not a failure, and it costs one time-out
  // at most.
  for (std::int32_t k = count + 1; k <= std::min(upTo, kMaxRowsSent); ++k) {
    if (StopWanted()) return ReadResult::Stopped();
    const auto reply = RequestRow(k);
    rows.push_back(reply);
    if (reply && HasFuelRowShape(*reply)) continue;
    if (reply) break;
    if (!link_.ConnectProblem().empty() || link_.Aborted()) return ReadResult::NoReply();
    // Its late answer must not pass for the reply to the next command.
    link_.ClearFailure();
    StartInStep();
    if (link_.failed()) return ReadResult::NoReply();
    break;
  }
  return ReadResult::Read();
}

ReadResult FuelOperations::RepliesWereInStep() {
  // A reply sent twice shifts every later answer onto the next question:
  // the last question's own answer is then still on its way, and starts
  // within the analyser's response time. A quiet line after the last reply
  // shows that nothing more was coming.
  const std::uint64_t before = link_.TextBytesDrained();
  link_.Drain();
  if (link_.TextBytesDrained() == before) return ReadResult::Read();
  ReadResult outOfStep;
  outOfStep.problem = lang::Tr(
      "the analyser's replies fell out of step while its table was read (a reply came twice "
      "or late)");
  view_.AddLogLine(
      lang::Tr("The analyser's replies fell out of step: one more reply came after the last "
               "row."));
  link_.RejectReply();
  return outOfStep;
}

void FuelOperations::StartInStep() {
  // A reply still on the line from an earlier session or an operation that
  // was cut short would answer the first question and shift every reply
  // after it onto the wrong question. A fresh port is drained until quiet:
  // what an earlier session left is already waiting or still streaming in.
  // A late reply (its exchange timed out) may come at any time: a whole tick
  // of quiet is asked for then. At most a second's worth against a line
  // that never falls silent; nothing is sent.
  const bool fresh = !link_.port().isOpen();
  link_.Connect();
  const bool late = link_.ReplyMayStillCome();
  if (!fresh && !late) return;
  link_.Drain(late ? AnalyserLink::kTickMs : 0);
}

bool FuelOperations::StopWanted() const { return stopRequested_ && stopRequested_(); }

std::filesystem::path FuelOperations::BackupsFolder() const {
  return backupsFolder_.empty() ? BackupsRoot() : backupsFolder_;
}

std::filesystem::path FuelOperations::AnalyserBackupsFolder(std::string_view serialNumber) const {
  const std::filesystem::path root = BackupsFolder();
  if (root.empty()) return root;
  return demoBackups_ ? root / kDemoBackupsFolder : root / BackupFolderName(serialNumber);
}

std::optional<std::string> FuelOperations::Ask(std::string_view command) {
  auto reply = link_.Ask(command);
  if (!reply || command.empty() || *reply != command) return reply;
  view_.AddLogLine(lang::Format(lang::Tr("The reply to {1} repeats the command: a loopback "
                                         "plug or an echoing device answers, not the "
                                         "analyser."),
                                std::string(command)));
  link_.RejectReply();
  return std::nullopt;
}

ReadResult FuelOperations::RequestRowCount(std::int32_t& count, std::string& reply) {
  link_.Connect();
  link_.Ask(cmd::kWakeUp);
  link_.Drain();
  const auto answer = Ask(cmd::kRowCount);
  if (!answer) return ReadResult::NoReply();
  reply = *answer;
  const auto number = CountOfReply(reply);
  if (!number) {
    // An identity reply, a row or a garbled line where the count is due: no
    // count, and no row may be asked or written on its strength.
    ReadResult refused;
    refused.countRefused = true;
    refused.problem =
        lang::Format(lang::Tr("The analyser's row count \"{1}\" is no number"), DeviceText(reply));
    view_.AddLogLine(lang::Format(lang::Tr("{1} (0 to {2})."), refused.problem, kMaxRowsReadable));
    return refused;
  }
  count = *number;
  return ReadResult::Read();
}

std::optional<std::string> FuelOperations::RequestRow(std::int32_t k) {
  return Ask(std::string(cmd::kReadRow) + ZeroPadInt(k, 2));
}

}  // namespace quelt
