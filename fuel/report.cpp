#include "fuel/report.h"

#include "fuel/backup.h"
#include "fuel/fuel_ops.h"
#include "fuel/gas_names.h"
#include "fuel/row_compare.h"
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

constexpr const char* kStyle = R"(<style>
body { font-family: sans-serif; margin: 2em; color: #000; }
h1 { font-size: 1.4em; margin-bottom: 0.2em; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #888; padding: 0.2em 0.5em; text-align: left; }
table.rows td.num { text-align: right; font-variant-numeric: tabular-nums; }
tr.unused td { color: #a00; }
tr.gas-h td { color: #609; }
.sign { margin-top: 3em; }
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
  std::string html = "<!DOCTYPE html>\n<html lang=\"" + lang::Language() +
                     "\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<title>" +
                     HtmlText(lang::Tr("Fuel table service report")) + " " +
                     HtmlText(Cp1252ToUtf8(report.serialNumber)) + "</title>\n" + kStyle +
                     "</head>\n<body>\n<h1>" + HtmlText(lang::Tr("Fuel table service report")) +
                     "</h1>\n";
  html += "<table class=\"facts\">\n";
  using lang::Tr;
  html += DeviceFact(Tr("Analyser"), report.identification);
  html += DeviceFact(Tr("Type"), report.type);
  html += DeviceFact(Tr("Serial number"), report.serialNumber);
  html += DeviceFact(Tr("Version"), report.version);
  html += Fact(Tr("Date"), LocalTimeText(report.date, "%Y-%m-%d %H:%M"));
  html += Fact(Tr("Table"), report.tableSource);
  html += Fact(Tr("Last backup"), report.lastBackup.empty() ? Tr("none") : report.lastBackup);
  html += Fact(Tr("Check"), report.checkResult.empty() ? Tr("not checked") : report.checkResult);
  html += "</table>\n";

  html += "<table class=\"rows\">\n<tr>";
  for (const FuelFieldInfo& info : FuelFields()) {
    html += "<th>" + HtmlText(info.gridTitle) + "</th>";
  }
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
      html += std::string(isText ? "<td>" : "<td class=\"num\">") +
              HtmlText(FieldText(row, info, position)) + "</td>";
    }
    html += "</tr>\n";
  }
  html += "</table>\n";
  html += "<p>" +
          HtmlText(lang::Format(Tr("{1} rows; the analyser uses the first {2}."),
                                report.rows.size(), kMaxRowsUsed)) +
          "</p>\n";
  html += "<p class=\"sign\"><span>" + HtmlText(Tr("Technician")) + "</span><span>" +
          HtmlText(Tr("Customer")) + "</span></p>\n<p><small>" + HtmlText(report.program) +
          "</small></p>\n</body>\n</html>\n";
  return html;
}

}  // namespace quelt
