// The spreadsheet file and the report page: what a cell or a page makes of
// the texts it is given.
#include <gtest/gtest.h>

#include "fuel/report.h"

namespace quelt {
namespace {

TEST(Report, CsvCellsAndHtmlTextAsASpreadsheetAndABrowserTakeThem) {
  struct Case {
    std::string description;  // Windows-1252
    std::string cell;         // UTF-8, as the CSV line holds it
  } cases[] = {
      {"Oil", "Oil"},
      {"Heiz\xF6l EL", "Heizöl EL"},
      {"=HYPERLINK(1)", "'=HYPERLINK(1)"},  // a formula stays text
      {"+1", "'+1"},
      {"-Gas", "'-Gas"},
      {"@SUM", "'@SUM"},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"a;b", "\"a;b\""},
      {"\t=1+2", "'\\x09=1+2"},  // a leading TAB or CR is guarded too
      {"\r=1", "'\\x0D=1"},
      {"Erd\x1B[2Jgas", "Erd\\x1B[2Jgas"},  // control characters shown, not sent
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.description);
    FuelRow row;
    row.ID = 7;
    row.Description = k.description;
    row.Co2Max = 15.4;
    row.A2 = 0.675;
    const std::string csv = FormatCsv({row});
    EXPECT_EQ(csv, "\xEF\xBB\xBFN;ID;Description;Co2Max;A2;B;Ref.O2;Vatr;Vaf;HU;Soot\r\n1;7;" +
                       k.cell + ";15,4;0,68;0,000;0,0;0,00;0,00;0,00;0\r\n");
  }

  EXPECT_EQ(HtmlText("<a href='x'>&\"\x1B[2J"), "&lt;a href=&#39;x&#39;&gt;&amp;&quot;\\x1B[2J");
}

}  // namespace
}  // namespace quelt
