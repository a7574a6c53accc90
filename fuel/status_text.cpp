#include "fuel/status_text.h"

#include <algorithm>

#include "fuel/backup.h"
#include "fuel/fuel_ops.h"
#include "fuel/gas_names.h"
#include "text/cp1252.h"

namespace quelt {

std::string WindowCaption(bool unsent) {
  return unsent ? std::string(kTitleLine) + " - changes not sent" : std::string(kTitleLine);
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
      return kLegendNaturalGasH;
    case RowMarkKind::Unused:
      // Red hides the purple: say both.
      return row.ID == kNaturalGasHId ? std::string(kLegendUnused) + " (" + kLegendNaturalGasH + ")"
                                      : std::string(kLegendUnused);
  }
  return {};
}

std::string PortText(const AnalyserLink& glb, bool demo) {
  if (demo) return "simulated analyser";
  std::string port = glb.PortText();
  if (!port.empty()) return port;
  return glb.ConnectProblem().empty() ? "looked for on Refresh" : "no analyser found";
}

std::string StatusText(const StatusFacts& f) {
  std::string text = "Port: " + f.port;
  if (!f.serialNumber.empty()) text += "   Serial " + Cp1252ToUtf8(f.serialNumber);
  if (!f.type.empty())
    text += (f.serialNumber.empty() ? "   Type " : ", type ") + Cp1252ToUtf8(f.type);
  text += "   " + std::to_string(f.rows) + (f.rows == 1 ? " row, " : " rows, ") +
          std::to_string(std::min(f.rows, kMaxRowsUsed)) + " used";
  return text;
}

std::string BackupText(const std::string& lastBackup) {
  if (lastBackup.empty()) return "No backup yet";
  return "Backup: " + PathText(std::filesystem::path(lastBackup).filename());
}

std::string RefreshResultLine(bool listRead, int rowsRead, int rows, int hRowIndex,
                              const AnalyserLink& glb, const std::string& port) {
  if (listRead) {
    std::string line = "Read " + std::to_string(rowsRead) + (rowsRead == 1 ? " row" : " rows");
    if (rows > rowsRead && hRowIndex >= 0) {
      line += ", natural gas H added as row " + std::to_string(hRowIndex + 1);
    }
    return line;
  }
  if (!glb.ConnectProblem().empty()) return glb.ConnectProblem();
  if (glb.failed()) {
    return "No answer from the analyser on " + Wire(port) +
           ": is it switched on and its cable plugged in?";
  }
  return "The fuel list was not read (see above).";
}

std::string AboutText(const std::string& version, const std::string& port,
                      const std::filesystem::path& backups) {
  return std::string(kProgramName) + " " + version +
         "\nKeeps the fuel table of the QUELT combustion analyser.\n\nPort: " + port +
         "\nBackups: " + (backups.empty() ? std::string("(no folder known)") : PathText(backups)) +
         "\nCommand line: " + kCommandLineName + " --help";
}

}  // namespace quelt
