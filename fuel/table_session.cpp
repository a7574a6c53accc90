#include "fuel/table_session.h"

#include <algorithm>

#include "fuel/backup.h"
#include "fuel/gas_names.h"
#include "fuel/table_file.h"
#include "text/cp1252.h"

namespace quelt {
namespace {

// Log lines and messages travel as Windows-1252. A file name may hold
// characters that it has not: each becomes '?', the rest stays readable.
std::string Wire(const std::string& utf8) {
  if (auto whole = Utf8ToCp1252(utf8)) return *whole;
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    while (n > 1 && i + n > utf8.size()) --n;
    const auto one = Utf8ToCp1252(std::string_view(utf8).substr(i, n));
    out += one ? *one : std::string("?");
    i += n;
  }
  return out;
}

std::string RowsText(std::size_t rows) {
  return std::to_string(rows) + (rows == 1 ? " row" : " rows");
}

}  // namespace

void TableSession::AttachSimulated(Line& line, const std::string& device) {
  glb_.UseLine(line);
  glb_.PortOverride = device;
  Demo = true;
  ops_.TitleLine = std::string(kTitleLine) + " - simulated analyser";
}

TableSession::TableSession(TGlb& glb, FuelTable& table, FuelView& window)
    : glb_(glb), table_(table), window_(window), ops_(glb, table, *this) {
  unsent_.MarkInSync(table_);
}

void TableSession::ClearLog() {
  lastLine_.clear();
  window_.ClearLog();
}

void TableSession::AddLogLine(const std::string& line) {
  lastLine_ = line;
  window_.AddLogLine(line);
}

void TableSession::AddFinalLine(const std::string& line) {
  if (line != lastLine_) AddLogLine(line);
}

StatusFacts TableSession::Status() const {
  StatusFacts facts;
  facts.port = Port();
  facts.serialNumber = ops_.Identity().serialNumber;
  facts.type = ops_.Identity().type;
  facts.rows = table_.RecordCount();
  facts.lastBackup = lastBackup_;
  return facts;
}

bool TableSession::Refresh() {
  if (ops_.Busy()) return false;
  window_.SetProgress(0);
  const bool read = ops_.Refresh();
  // A failed read empties the grid: nothing is left to lose.
  if (read || table_.IsEmpty()) unsent_.MarkInSync(table_);

  const StoredTable* stored = ops_.KnownStoredTable();
  const int rowsRead = read && stored ? static_cast<int>(stored->rows.size()) : 0;
  const auto& rows = table_.Rows();
  const auto hRow = std::find_if(rows.begin(), rows.end(),
                                 [](const FuelRow& r) { return r.ID == kNaturalGasHId; });
  const int hRowIndex = hRow == rows.end() ? -1 : static_cast<int>(hRow - rows.begin());
  AddFinalLine(RefreshResultLine(read, rowsRead, table_.RecordCount(), hRowIndex, glb_, Port()));
  return read;
}

SendOutcome TableSession::Send() {
  SendOutcome outcome;
  outcome.result = SendOutcome::Result::Declined;
  if (ops_.Busy()) return outcome;
  window_.SetProgress(0);
  std::vector<std::string> texts = WireTexts(table_);
  if (texts.size() > static_cast<std::size_t>(kMaxRowsSent)) texts.resize(kMaxRowsSent);

  outcome = ops_.SendTable();
  if (!outcome.backupPath.empty()) lastBackup_ = outcome.backupPath;
  using R = SendOutcome::Result;
  switch (outcome.result) {
    case R::Sent:
      unsent_.MarkSent(texts);
      break;
    case R::Declined:
      AddFinalLine("Nothing was sent.");
      break;
    case R::Refused:
    case R::CheckDiffers:
      break;
    case R::BackupFailed:
    case R::NoReply:
    case R::Interrupted:
    case R::CheckNoAnswer:
      // Why the port could not be used, as the command line says it.
      if (!glb_.ConnectProblem().empty()) AddFinalLine(glb_.ConnectProblem());
      break;
  }
  return outcome;
}

bool TableSession::SaveFile(const std::filesystem::path& path) {
  window_.SetProgress(0);
  std::string error;
  if (!WriteTextFileWhole(path, FormatTableFile(table_.Rows()), &error)) {
    const std::string text = Wire("Not saved: " + error);
    AddFinalLine(text);
    window_.ShowMessage(text);
    return false;
  }
  unsent_.MarkSaved(table_);
  AddFinalLine(Wire("Saved " + RowsText(table_.Rows().size()) + " to " + PathText(path)));
  return true;
}

bool TableSession::LoadFile(const std::filesystem::path& path) {
  if (ops_.Busy()) return false;
  window_.SetProgress(0);
  std::string error;
  const auto rows = ReadTableFile(path, &error);
  if (!rows) {
    const std::string text = Wire("Not loaded: " + error + ". The table is as it was.");
    AddFinalLine(text);
    window_.ShowMessage(text);
    return false;
  }
  table_.DisableControls();
  table_.EmptyTable();
  for (const FuelRow& row : *rows) table_.AppendRow(row);
  table_.Renumber();
  table_.First();
  table_.EnableControls();
  unsent_.MarkLoaded(table_);
  AddFinalLine(
      Wire("Loaded " + RowsText(rows->size()) + " from " + PathText(path) + ": not sent yet"));
  return true;
}

}  // namespace quelt
