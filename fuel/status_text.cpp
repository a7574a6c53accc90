#include "fuel/status_text.h"

#include <algorithm>

#include "fuel/backup.h"
#include "fuel/fuel_ops.h"
#include "fuel/gas_names.h"
#include "fuel/link_texts.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "text/cp1252.h"

namespace quelt {

std::string WindowCaption(bool unsent) {
  return unsent ? lang::Format(lang::Tr("{1} - changes not sent"), lang::Tr(kTitleLine))
                : lang::Tr(kTitleLine);
}

RowMarkKind MarkKindOf(const FuelRow& row) {
  if (row.N > kMaxRowsUsed) return RowMarkKind::Unused;
  if (row.ID == kNaturalGasHId) return RowMarkKind::NaturalGasH;
  return RowMarkKind::None;
}

std::string RowMarkNote(const FuelRow& row) {
  switch (MarkKindOf(row)) {
    case RowMarkKind::None:
      return {};
    case RowMarkKind::NaturalGasH:
      return lang::Tr(kLegendNaturalGasH);
    case RowMarkKind::Unused:
      // Red hides the purple: say both.
      return row.ID == kNaturalGasHId
                 ? lang::Tr(kLegendUnused) + " (" + lang::Tr(kLegendNaturalGasH) + ")"
                 : lang::Tr(kLegendUnused);
  }
  return {};
}

std::string PortText(const AnalyserLink& link, bool demo) {
  if (demo) return lang::Tr("simulated analyser");
  std::string port = link.PortText();
  if (!port.empty()) return port;
  return link.ConnectProblem().empty() ? lang::Tr("looked for on Refresh")
                                       : lang::Tr("no analyser found");
}

std::string StatusText(const StatusFacts& f) {
  using lang::Format;
  using lang::Tr;
  std::string text = Format(Tr("Port: {1}"), f.port);
  if (!f.serialNumber.empty())
    text += "   " + Format(Tr("Serial {1}"), Cp1252ToUtf8(f.serialNumber));
  if (!f.type.empty()) {
    text += f.serialNumber.empty() ? "   " + Format(Tr("Type {1}"), Cp1252ToUtf8(f.type))
                                   : ", " + Format(Tr("type {1}"), Cp1252ToUtf8(f.type));
  }
  if (f.storedRows >= 0) {
    // What the analyser holds; the grid's own rows are the changes' business.
    const int used = std::min(f.storedRows, kMaxRowsUsed);
    text +=
        "   " + (f.storedRows == 1 ? Format(Tr("1 row stored, {1} used"), used)
                                   : Format(Tr("{1} rows stored, {2} used"), f.storedRows, used));
    if (f.hRowShown) text += ", " + Tr("natural gas H shown, not stored");
    return text;
  }
  const int used = std::min(f.rows, kMaxRowsUsed);
  text += "   " + (f.rows == 1 ? Format(Tr("1 row, {1} used"), used)
                               : Format(Tr("{1} rows, {2} used"), f.rows, used));
  return text;
}

std::string BackupText(const std::string& lastBackup) {
  if (lastBackup.empty()) return lang::Tr("No backup yet");
  return lang::Format(lang::Tr("Backup: {1}"),
                      PathText(std::filesystem::path(lastBackup).filename()));
}

std::string RefreshResultLine(bool listRead, int rowsRead, int rows, int hRowIndex,
                              const AnalyserLink& link, const std::string& port) {
  if (listRead) {
    std::string line =
        rowsRead == 1 ? lang::Tr("Read 1 row") : lang::Format(lang::Tr("Read {1} rows"), rowsRead);
    if (rows > rowsRead && hRowIndex >= 0) {
      line += lang::Format(lang::Tr(", natural gas H added as row {1}"), hRowIndex + 1);
    }
    return line;
  }
  if (!link.ConnectProblem().empty()) return LinkProblemText(link);
  if (link.failed()) {
    return lang::Format(
        lang::Tr("No answer from the analyser on {1}: is it switched on and its cable plugged in?"),
        port);
  }
  return lang::Tr("The fuel list was not read (see above).");
}

std::string AboutText(const std::string& version, const std::string& port,
                      const std::filesystem::path& backups) {
  return lang::Format(lang::Tr("{1} {2}\nKeeps the fuel table of the QUELT combustion "
                               "analyser.\n\nPort: {3}\nBackups: {4}\nCommand line: {5} --help"),
                      kProgramName, version, port,
                      backups.empty() ? lang::Tr("(no folder known)") : PathText(backups),
                      kCommandLineName);
}

}  // namespace quelt
