// The exports without a window: the grid as CSV and the service report,
// written through the controller after a Refresh and a Send against the
// simulated analyser, its face a recorder that answers the file dialogs.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/control/controller_fixture.h"

namespace quelt::test {
namespace {

using control::Command;
using control::kPartyMaxChars;

class Exports : public ControllerFixture {
 protected:
  bool Logged(const std::string& part) const {
    return std::any_of(face.log.begin(), face.log.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
  }
};

TEST_F(Exports, TheGridAndTheReportAreWrittenWhereTheUserChose) {
  Start(RowsWithIds({101, 16, 103}));
  window.Do(Command::Refresh);
  window.Do(Command::Send);
  const std::filesystem::path folder = TestDir() / "exports";
  std::filesystem::create_directories(folder);
  struct Case {
    control::Key key;
    std::filesystem::path file;
    std::string holds;  // a part of the file; "" when none may be written
    std::string log;
  } cases[] = {
      {control::Key::E, folder / "table.csv",
       "1;101;Fuel 101;15,4;0,68;0,007;3,0;10,50;12,00;42,70;1\r\n", "Exported 3 rows to "},
      {control::Key::P, folder / "report.html",
       "<tr><th>Check</th><td>Checked: 3 rows and the count read back as sent</td></tr>",
       "Wrote the service report to "},
      {control::Key::P, folder, "", "No report: "},  // a folder is no file to write
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.file.string());
    face.boxes.clear();
    face.files = {k.file};
    EXPECT_TRUE(window.KeyPressed(k.key, true, false));
    EXPECT_TRUE(Logged(k.log)) << face.log.back();
    if (k.holds.empty()) {
      EXPECT_EQ(face.boxes.size(), 1u);
    } else {
      EXPECT_TRUE(face.boxes.empty());
      EXPECT_NE(Slurp(k.file).find(k.holds), std::string::npos) << Slurp(k.file);
    }
  }
  std::vector<std::string> titles;
  for (const control::FileChoice& choice : face.fileDialogs) titles.push_back(choice.title);
  const std::string csv = control::ExportFileChoice(control::ExportKind::Csv).title;
  const std::string report = control::ExportFileChoice(control::ExportKind::Report).title;
  EXPECT_EQ(titles, (std::vector<std::string>{csv, report, report}));
  const std::string page = Slurp(folder / "report.html");
  EXPECT_NE(page.find("<td>as stored on the analyser</td>"), std::string::npos);
  EXPECT_NE(page.find("<td>" + window.LastBackup() + "</td>"), std::string::npos);
}

// The report's form comes before the file dialog, filled with the lines
// last given (in this run or an earlier one): OK keeps what was typed, each
// line cut to kPartyMaxChars characters, and puts it in the report; Cancel
// asks for no file and writes nothing.
TEST_F(Exports, TheReportAsksForCustomerSiteAndTechnicianAndRemembersThem) {
  const std::filesystem::path file = TestDir() / "parties.html";
  const std::string longSite = std::string(kPartyMaxChars - 1, 'x') + "\u00e4\u00f6";
  const control::ReportParties typed{"M\u00fcller & S\u00f6hne", longSite, "A. Technician"};
  const control::ReportParties kept{typed.customer, longSite.substr(0, longSite.size() - 2),
                                    typed.technician};
  struct Case {
    bool ok;
    control::ReportParties shown;  // what the form shows when it opens
    std::size_t fileDialogs;
    const char* holds;  // a part of the report; nullptr: none written
  } cases[] = {
      {true, {}, 1, "<th>Customer</th><td class=\"fill\">M\u00fcller &amp; S\u00f6hne</td>"},
      {false, kept, 0, nullptr},
      {true, kept, 1, "<th>Technician</th><td class=\"fill\">A. Technician</td>"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.ok);
    std::filesystem::remove(file);
    face.fileDialogs.clear();
    face.files = {file};
    face.typedParties = typed;
    face.partiesOk = k.ok;
    EXPECT_TRUE(window.KeyPressed(control::Key::P, true, false));
    ASSERT_FALSE(face.partyForms.empty());
    EXPECT_EQ(face.partyForms.back(), k.shown);
    EXPECT_EQ(face.fileDialogs.size(), k.fileDialogs);
    if (k.holds == nullptr) {
      EXPECT_FALSE(std::filesystem::exists(file));
    } else {
      EXPECT_NE(Slurp(file).find(k.holds), std::string::npos) << Slurp(file);
      EXPECT_NE(Slurp(file).find(kept.site), std::string::npos);
      EXPECT_EQ(window.Parties(), kept);
    }
  }
  // The next run's window shows them again.
  control::WindowController next{link};
  next.Attach(&face);
  next.Shown();
  face.partiesOk = false;
  EXPECT_TRUE(next.KeyPressed(control::Key::P, true, false));
  EXPECT_EQ(face.partyForms.back(), kept);
  next.Attach(nullptr);
}

}  // namespace
}  // namespace quelt::test
