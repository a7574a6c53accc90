#include "control/file_commands.h"

#include <ctime>

#include "front/texts.h"
#include "fuel/atomic_file.h"
#include "fuel/table_file.h"
#include "lang/format.h"
#include "lang/tr.h"

namespace quelt::control {
namespace {

std::string RowsText(std::size_t rows) {
  return rows == 1 ? lang::Tr("1 row") : lang::Format(lang::Tr("{1} rows"), rows);
}

}  // namespace

void FileCommands::Open() {
  if (state_.transferActive || !MayDropChanges()) return;
  const std::filesystem::path path = PickFile(TableFileChoice(false));
  if (!path.empty()) LoadTable(path);
}

void FileCommands::Save() {
  if (state_.transferActive) return;
  const std::filesystem::path path = PickFile(TableFileChoice(true));
  if (!path.empty()) SaveTable(path);
}

bool FileCommands::LoadTable(const std::filesystem::path& path) {
  if (state_.transferActive || state_.ops.Busy()) return false;
  state_.SetProgress(0);
  std::string error;
  // A table file, the CSV the export wrote or a backup: the content tells.
  TableFileKind kind = TableFileKind::Rows;
  const auto rows = ReadTableFile(path, &error, &kind);
  if (!rows) {
    record_.Failed(lang::Format(lang::Tr("Not loaded: {1}. The table is as it was."), error),
                   WarningMessage);
    display_.Update();
    return false;
  }
  TakeRows(*rows);
  record_.LogFinal(kind == TableFileKind::Backup
                       ? lang::Format(lang::Tr("Loaded {1} rows from the backup {2}: not sent yet"),
                                      rows->size(), PathText(path))
                       : lang::Format(lang::Tr("Loaded {1} from {2}: not sent yet"),
                                      RowsText(rows->size()), PathText(path)));
  display_.Update();
  return true;
}

void FileCommands::TakeRows(const std::vector<FuelRow>& rows) {
  FuelTable& table = state_.table;
  // Like every change of the table, one step to undo.
  state_.history.Record(SnapshotOf(table, state_.unsent.FromFile()));
  table.HoldNotifications();
  table.Clear();
  for (const FuelRow& row : rows) table.AppendRow(row);
  table.Renumber();
  table.MoveToFirst();
  table.ReleaseNotifications();
  state_.unsent.MarkLoaded(table);
  state_.sendEnabled = true;
}

bool FileCommands::SaveTable(const std::filesystem::path& path) {
  state_.SetProgress(0);
  std::string error;
  const std::vector<FuelRow>& rows = state_.table.Rows();
  if (!WriteTextFileWhole(path, FormatTableFile(rows), &error)) {
    record_.Failed(lang::Format(lang::Tr("Not saved: {1}"), error), ErrorMessage);
    display_.Update();
    return false;
  }
  state_.unsent.MarkSaved(state_.table);
  record_.LogFinal(
      lang::Format(lang::Tr("Saved {1} to {2}"), RowsText(rows.size()), PathText(path)));
  display_.Update();
  return true;
}

bool FileCommands::MayDropChanges(bool closing) {
  // Closing asks while the analyser has not got the table the grid shows,
  // also when a file holds it: the work was done for the analyser, and once
  // the program has ended nothing reminds anyone that it never got there.
  // Refresh and Open leave the program running with the file at hand: a
  // table kept in a file loses nothing there, and they ask only for one
  // that is not.
  const UnsentChanges& unsent = state_.unsent;
  const bool ask =
      closing ? unsent.Pending(state_.table) : unsent.MustAskBeforeDropping(state_.table);
  if (!ask) return true;
  switch (state_.Ask(closing ? CloseUnsentQuestion() : UnsentQuestion())) {
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

std::filesystem::path FileCommands::PickFile(FileChoice choice) {
  WindowFace* face = state_.face;
  if (face == nullptr) return {};
  if (choice.save) {
    choice.name =
        ProposedFileName(state_.ops.Identity().serialNumber, std::time(nullptr), choice.extension);
  }
  const std::string folder = face->LoadSetting(front::kSettingsFolderKey);
  choice.folder = std::filesystem::path(std::u8string(folder.begin(), folder.end()));
  const std::filesystem::path path = face->PickFile(choice);
  if (!path.empty()) face->StoreSetting(front::kSettingsFolderKey, PathText(path.parent_path()));
  return path;
}

}  // namespace quelt::control
