#include "fuel/report.h"

#include <optional>

#include "fuel/backup.h"
#include "fuel/fuel_ops.h"
#include "fuel/gas_names.h"
#include "fuel/row_compare.h"
#include "fuel/row_match.h"
#include "fuel/status_text.h"
#include "lang/format.h"
#include "lang/tr.h"
#include "text/cp1252.h"
#include "text/text_helpers.h"

namespace quelt {
namespace {

// A field of a row as the grid and the wire show it (UTF-8); the position
// stands in for N.
std::string FieldText(const FuelRow& row, const FuelFieldInfo& info, int position) {
  switch (info.field) {
    case FuelField::N:
      return std::to_string(position);
    case FuelField::Description:
      return Cp1252ToUtf8(row.Description);
    default:
      break;
  }
  if (IsDecimalField(info.field)) return FormatFixed(row.Decimal(info.field), info.wireDecimals);
  return std::to_string(row.Integer(info.field));
}

std::string CsvCell(const std::string& text, bool isText) {
  // Control characters (an ESC that a terminal would obey) shown as \xNN.
  std::string cell = PlainDeviceText(text);
  if (isText && CsvCellGuarded(cell)) cell.insert(0, 1, '\'');
  if (cell.find_first_of(";\"\r\n") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (const char c : cell) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string Fact(const std::string& name, const std::string& utf8) {
  return "<tr><th>" + HtmlText(name) + "</th><td>" + HtmlText(utf8) + "</td></tr>\n";
}

std::string DeviceFact(const std::string& name, const std::string& cp1252) {
  return Fact(name, Cp1252ToUtf8(cp1252));
}

// A fact the technician fills in: a line to write on when it is empty.
std::string FilledFact(const std::string& name, const std::string& utf8) {
  return "<tr><th>" + HtmlText(name) + "</th><td class=\"fill\">" + HtmlText(utf8) + "</td></tr>\n";
}

// The unit of each field; "u" is one kg of a solid or liquid fuel or one m3
// of a gas.
const char* UnitOf(FuelField field) {
  switch (field) {
    case FuelField::Co2Max:
    case FuelField::RefO2:
      return "%";
    case FuelField::Vatr:
    case FuelField::Vaf:
      return "m\u00B3/u";
    case FuelField::HU:
      return "MJ/u";
    case FuelField::Soot:
      return "0/1";
    default:
      return "";
  }
}

std::string RowName(const FuelRow& row, int position) {
  return lang::Format(lang::Tr("Row {1} ({2})"), position, Cp1252ToUtf8(row.Description));
}

// What changed against the table before the work, a line each (UTF-8).
std::vector<std::string> ChangeLines(const std::vector<FuelRow>& before,
                                     const std::vector<FuelRow>& rows, const RowMatch& match) {
  std::vector<std::string> lines;
  for (std::size_t j = 0; j < rows.size(); ++j) {
    const int position = static_cast<int>(j) + 1;
    const int was = match.storedRow[j];
    switch (match.kind[j]) {
      case RowMatch::Kind::Same:
        break;
      case RowMatch::Kind::Added:
        lines.push_back(RowName(rows[j], position) + ": " + lang::Tr("new"));
        break;
      case RowMatch::Kind::Moved:
        lines.push_back(RowName(rows[j], position) + ": " +
                        lang::Format(lang::Tr("was row {1}"), was + 1));
        break;
      case RowMatch::Kind::Changed:
        for (const FuelFieldInfo& info : FuelFields()) {
          const FuelRow& old = before[static_cast<std::size_t>(was)];
          if (!FieldDiffers(old, rows[j], info.field)) continue;
          lines.push_back(lang::Format(
              lang::Tr("{1}, {2}: {3} before, {4} now"), RowName(rows[j], position), info.gridTitle,
              FieldText(old, info, was + 1), FieldText(rows[j], info, position)));
        }
        break;
    }
  }
  std::vector<bool> kept(before.size(), false);
  for (const int was : match.storedRow) {
    if (was >= 0) kept[static_cast<std::size_t>(was)] = true;
  }
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (!kept[i]) {
      lines.push_back(
          lang::Format(lang::Tr("{1}: removed"), RowName(before[i], static_cast<int>(i) + 1)));
    }
  }
  return lines;
}

constexpr const char* kStyle = R"(<style>
@page { size: A4; margin: 12mm; }
body { font-family: sans-serif; font-size: 10pt; margin: 2em; color: #000; }
h1 { font-size: 1.4em; margin: 0 0 0.4em 0; }
h2 { font-size: 1.05em; margin: 0.8em 0 0.2em 0; }
table { border-collapse: collapse; margin: 0.4em 0; }
th, td { border: 1px solid #888; padding: 0.1em 0.4em; text-align: left; }
table.facts { width: 100%; }
table.facts th { width: 9em; }
table.facts td.fill { min-width: 14em; height: 1.2em; }
table.rows { font-size: 9pt; }
table.rows tr.units th { font-weight: normal; font-size: 8pt; }
table.rows td.num { text-align: right; font-variant-numeric: tabular-nums; }
td.changed { font-weight: bold; }
tr.unused td { color: #a00; }
tr.gas-h td { color: #609; }
ul { margin: 0.2em 0; padding-left: 1.4em; }
.sign { margin-top: 2.5em; }
.sign span { display: inline-block; width: 18em; border-top: 1px solid #000; margin-right: 3em; padding-top: 0.2em; }
@media print { body { margin: 0; } }
</style>
)";

}  // namespace

bool CsvCellGuarded(std::string_view cell) {
  // A spreadsheet runs a cell that starts like this as a formula; a TAB or
  // CR first (written as \x09, \x0D) hides such a start from a simple check.
  if (cell.empty()) return false;
  if (std::string_view("=+-@").find(cell[0]) != std::string_view::npos) return true;
  if (cell.rfind("\\x09", 0) == 0 || cell.rfind("\\x0D", 0) == 0) return true;
  return cell[0] == '\'' && CsvCellGuarded(cell.substr(1));
}

std::string HtmlText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        if (b < 0x20 || b == 0x7F) {
          out += HexEscape(b);
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string FormatCsv(const std::vector<FuelRow>& rows) {
  std::string out = "\xEF\xBB\xBF";
  const auto& fields = FuelFields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ';';
    out += fields[i].gridTitle;
  }
  out += "\r\n";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const bool isText = fields[i].field == FuelField::Description;
      if (i) out += ';';
      out += CsvCell(FieldText(rows[r], fields[i], static_cast<int>(r) + 1), isText);
    }
    out += "\r\n";
  }
  return out;
}

std::string FormatServiceReport(const ServiceReport& report) {
  using lang::Tr;
  std::string html = "<!DOCTYPE html>\n<html lang=\"" + lang::Language() +
                     "\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<title>" +
                     HtmlText(Tr("Fuel table service report")) + " " +
                     HtmlText(Cp1252ToUtf8(report.serialNumber)) + "</title>\n" + kStyle +
                     "</head>\n<body>\n<h1>" + HtmlText(Tr("Fuel table service report")) +
                     "</h1>\n";
  html += "<table class=\"facts\">\n";
  html += DeviceFact(Tr("Analyser"), report.identification);
  html += DeviceFact(Tr("Type"), report.type);
  html += DeviceFact(Tr("Serial number"), report.serialNumber);
  html += DeviceFact(Tr("Version"), report.version);
  html += Fact(Tr("Date"), LocalTimeText(report.date, "%Y-%m-%d %H:%M"));
  html += Fact(Tr("Workstation"), report.workstation);
  html += FilledFact(Tr("Customer"), report.customer);
  html += FilledFact(Tr("Site"), report.site);
  html += FilledFact(Tr("Technician"), report.technician);
  html += Fact(Tr("Table"), report.tableSource);
  html += Fact(Tr("Backup before the work"),
               report.lastBackup.empty() ? Tr("none") : report.lastBackup);
  html += Fact(Tr("Check"), report.checkResult.empty() ? Tr("not checked") : report.checkResult);
  html += "</table>\n";

  std::optional<RowMatch> match;
  if (report.beforeKnown) match = MatchRows(report.before, report.rows);
  html += "<table class=\"rows\">\n<tr>";
  for (const FuelFieldInfo& info : FuelFields()) {
    html += "<th>" + HtmlText(info.gridTitle) + "</th>";
  }
  html += "</tr>\n<tr class=\"units\">";
  for (const FuelFieldInfo& info : FuelFields())
    html += "<th>" + HtmlText(UnitOf(info.field)) + "</th>";
  html += "</tr>\n";
  for (std::size_t r = 0; r < report.rows.size(); ++r) {
    const FuelRow& row = report.rows[r];
    const int position = static_cast<int>(r) + 1;
    // Rows beyond those the analyser uses and the natural gas H row, as the
    // grid marks them (by place here: the report has no grid to number them).
    const char* mark = position > kMaxRowsUsed    ? " class=\"unused\""
                       : row.ID == kNaturalGasHId ? " class=\"gas-h\""
                                                  : "";
    html += std::string("<tr") + mark + ">";
    for (const FuelFieldInfo& info : FuelFields()) {
      const bool isText = info.field == FuelField::Description;
      const bool changed = match && CellDiffers(*match, report.before, row, r, info.field);
      const std::string text = FieldText(row, info, position);
      html += std::string("<td class=\"") + (isText ? "text" : "num") +
              (changed ? " changed" : "") + "\">" + HtmlText(changed ? "\u2022 " + text : text) +
              "</td>";
    }
    html += "</tr>\n";
  }
  html += "</table>\n";
  html += "<p>" +
          HtmlText(lang::Format(Tr("{1} rows; the analyser uses the first {2}. "
                                   "u: one kg of a solid or liquid fuel, one m\u00B3 of a gas."),
                                report.rows.size(), kMaxRowsUsed)) +
          "</p>\n";
  if (match) {
    html += "<h2>" + HtmlText(Tr("Changes against the table before the work")) + "</h2>\n";
    const auto lines = ChangeLines(report.before, report.rows, *match);
    if (lines.empty()) {
      html += "<p>" + HtmlText(Tr("None: the analyser holds the table it held before.")) + "</p>\n";
    } else {
      html += "<ul>\n";
      for (const std::string& line : lines) html += "<li>" + HtmlText(line) + "</li>\n";
      html += "</ul>\n";
    }
  }
  if (!report.notes.empty()) {
    html += "<h2>" + HtmlText(Tr("Notes")) + "</h2>\n<ul>\n";
    for (const std::string& note : report.notes) html += "<li>" + HtmlText(note) + "</li>\n";
    html += "</ul>\n";
  }
  html += "<p class=\"sign\"><span>" + HtmlText(Tr("Technician")) + "</span><span>" +
          HtmlText(Tr("Customer")) + "</span></p>\n<p><small>" + HtmlText(report.program) +
          "</small></p>\n</body>\n</html>\n";
  return html;
}

}  // namespace quelt
