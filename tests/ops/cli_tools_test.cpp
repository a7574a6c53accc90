// The command line's diff, backups and report against the simulated analyser.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuel/fuel_ops.h"
#include "sim/sim.h"
#include "tests/ops/cli_run.h"
#include "tests/ops/ops_fixture.h"

namespace quelt::test {
namespace {

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// diff holds FILE up against the rows the analyser stores: what `read` adds
// or renames for display (the H row, the L name) is a note, never a row.
TEST(CliTools, DiffComparesTheRowsTheAnalyserStores) {
  sim::Config c;
  c.type = "39";  // Czech names; natural gas L is ID 50
  c.rows = {"1;1;Oil;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1",
            "2;50;Methane;11,7;0,66;0,009;3,0;9,52;10,52;35,88;0"};
  sim::Analyser analyser(c);
  const std::string port = "--port " + analyser.DevicePath();
  const CliRun read = Cli(port + " read");
  ASSERT_EQ(read.status, 0) << read.err;
  ASSERT_TRUE(Has(read.out, "2;16;Zemní plyn H;") && Has(read.out, "3;50;Zemní plyn L;"))
      << read.out;
  const std::string oil = "1;1;Oil;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1;\n";
  const std::string methane = "2;50;Methane;11,7;0,66;0,009;3,0;9,52;10,52;35,88;0;\n";
  const std::string hNote =
      "Note: Row 2 (Zemní plyn H) is the natural gas H row the tool shows; the analyser stores "
      "none.";
  const std::string lNote =
      "Note: Row 3 shows the name \"Zemní plyn L\"; the analyser stores \"Methane\".";

  struct Case {
    const char* what;
    std::string file;
    int status;
    std::string line;  // on stdout for a difference, on stderr for the same
  } cases[] = {
      {"what read printed", read.out, 0, hNote + "\n" + lNote + "\nSame: the analyser holds the 2"},
      {"the stored rows", oil + methane, 0, "Same: the analyser holds the 2 rows"},
      {"the same values in another form",
       "1;1;Oil;15.40;0,680;0,0070;3;10,5;11,2;42,7;1\n" + methane, 0, "Same:"},
      {"the file numbered otherwise",
       "7;1;Oil;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1;\n" + methane, 0, "Same:"},
      {"a stored value changed", "1;1;Oil;15,4;0,70;0,007;3,0;10,50;11,20;42,70;1;\n" + methane, 3,
       "Row 1, A2: file \"0,70\", analyser \"0,68\"\n"},
      {"a description", "1;1;Öl;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1;\n" + methane, 3,
       "Row 1, Description: file \"Öl\", analyser \"Oil\"\n"},
      {"a row the file lacks", oil, 3, "Row 2: only in the analyser: 2;50;Methane;"},
      {"a row the analyser lacks", read.out + "4;9;Extra;1;1;1;1;1;1;1;0\n", 3,
       "Row 3: only in the file: 4;9;Extra;"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const CliRun r = Cli(port + " diff " + WriteFile("diff.txt", k.file));
    EXPECT_EQ(r.status, k.status) << r.err;
    EXPECT_TRUE(Has(k.status == 0 ? r.err : r.out, k.line)) << r.out << r.err;
    if (k.status == 0) {
      EXPECT_EQ(r.out, "");
    }
  }

  // Right after a write of FILE, FILE is what the analyser holds; an H row
  // of the analyser's own is a row like any other.
  sim::Config own;
  own.rows = {"1;1;Oil;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1",
              "2;16;Erdgas H (own);12,0;0,64;0,009;3,0;7,70;9,40;31,68;0"};
  sim::Analyser withH(own);
  const std::string ownPort = "--port " + withH.DevicePath();
  const std::string written = WriteFile("written.txt", oil + methane);
  ASSERT_EQ(Cli(port + " write " + written).status, 0);
  const CliRun afterWrite = Cli(port + " diff " + written);
  EXPECT_EQ(afterWrite.status, 0) << afterWrite.out;
  EXPECT_FALSE(Has(afterWrite.err, "Note:")) << afterWrite.err;
  const CliRun ownRead = Cli(ownPort + " read");
  const CliRun ownSame = Cli(ownPort + " diff " + WriteFile("own.txt", ownRead.out));
  EXPECT_EQ(ownSame.status, 0);
  EXPECT_FALSE(Has(ownSame.err, "Note:")) << ownSame.err;
  const CliRun ownLacking = Cli(ownPort + " diff " + WriteFile("own.txt", oil));
  EXPECT_TRUE(Has(ownLacking.out, "Row 2: only in the analyser: 2;16;Erdgas H (own);"))
      << ownLacking.out;

  // A faulty file is named and the analyser is not asked; nor is a missing one.
  analyser.ClearTranscript();
  const CliRun bad = Cli(port + " diff " + WriteFile("bad.txt", oil + "2;1;Oil;x;1;1;1;1;1;1;1\n"));
  EXPECT_EQ(bad.status, 2);
  EXPECT_TRUE(Has(bad.err, "bad.txt:2: ")) << bad.err;
  EXPECT_EQ(Cli(port + " diff " + (TestDir() / "missing.txt").string()).status, 2);
  EXPECT_TRUE(analyser.Transcript().empty());
  EXPECT_EQ(Cli(port + " diff").status, 2);
  EXPECT_EQ(Cli("--port /dev/quelt-missing diff " + WriteFile("d.txt", oil)).status, 1);
}

TEST(CliTools, BackupsListsTheAnalysersFilesNewestFirstWithTheirCheck) {
  sim::Analyser analyser;
  const std::string port = "--port " + analyser.DevicePath();
  std::filesystem::remove_all(BackupsOf("08154711"));
  const CliRun none = Cli(port + " backups");
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "");
  EXPECT_TRUE(Has(none.err, "No backups of the analyser with serial number \"08154711\""));

  // What is planted in the folder, and what its line says.
  const std::filesystem::path folder = BackupsOf("08154711");
  std::filesystem::create_directories(folder);
  ASSERT_EQ(Cli(port + " backup " + (folder / "2026-01-01_100000-001.txt").string()).status, 0);
  const std::string good = Slurp(folder / "2026-01-01_100000-001.txt");
  std::string changed = good;
  changed.replace(changed.find("Heizöl EL"), 9, "Heizöl XX");
  std::string legacy;  // an earlier version's form: no row numbers, no check line
  for (std::size_t at = 0, end; at < good.size(); at = end + 1) {
    end = good.find('\n', at);
    std::string line = good.substr(at, end - at);
    if (line.rfind("Rows read", 0) == 0 || line.rfind("Check", 0) == 0) continue;
    if (line.rfind("Row ", 0) == 0) line = "Row:" + line.substr(line.find(':') + 1);
    legacy += line + "\n";
  }
  struct Planted {
    const char* name;
    std::string text;
    std::string line;  // what its line says; "" for a file that is not listed
  } planted[] = {
      {"2026-01-01_100000-001.txt", good, "12 rows, count 12   ok   "},
      {"2026-01-02_100000-001.txt", changed, "unreadable   "},
      {"2026-01-03_100000-001.txt", legacy, "12 rows, count 12   ok, no checksum   "},
      {"2026-01-04_100000-001.txt", "nonsense\n", "unreadable   "},
      {"2026-01-05_100000-001.txt.partial", good, ""},
  };
  for (const Planted& p : planted) {
    std::ofstream(folder / p.name, std::ios::binary) << p.text;
  }
  std::filesystem::create_symlink(folder / planted[0].name, folder / "2026-01-06_100000-001.txt");

  const CliRun list = Cli(port + " backups");
  ASSERT_EQ(list.status, 0) << list.err;
  std::size_t previous = 0;
  // Newest first by the moment inside (the same in the first three: then by
  // name); a file that names no moment last.
  for (const int i : {2, 1, 0, 3}) {
    SCOPED_TRACE(planted[i].name);
    const std::size_t at = list.out.find((folder / planted[i].name).string() + "\n");
    ASSERT_NE(at, std::string::npos) << list.out;
    EXPECT_GE(at, previous);
    previous = at;
    const std::size_t start = list.out.rfind('\n', at) + 1;
    EXPECT_TRUE(Has(list.out.substr(start, at - start), planted[i].line)) << list.out;
  }
  EXPECT_FALSE(Has(list.out, ".partial"));
  EXPECT_FALSE(Has(list.out, "2026-01-06")) << "a link is nothing the tool made";
  EXPECT_TRUE(Has(list.out, "2026-01-04 10:00:00")) << "the time of the name when unreadable";
  EXPECT_EQ(Cli(port + " backups extra").status, 2);
}

TEST(CliTools, ReportIsAPageWithTheAnalysersTextEscaped) {
  sim::Config c;
  c.identification = "QUELT <b>300</b> & \"co\"";
  c.serialNumber = "08154711";
  c.rows = {"1;1;<i>Oil</i>;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1"};
  sim::Analyser analyser(c);
  const std::string port = "--port " + analyser.DevicePath();
  std::filesystem::remove_all(BackupsOf("08154711"));
  ASSERT_EQ(Cli(port + " write " + WriteFile("one.txt", "1;1;<i>Oil</i>;1;1;1;1;1;1;1;1\n")).status,
            0);
  const std::string page = (TestDir() / "report.html").string();
  const CliRun r =
      Cli(port + " --customer 'Bäckerei <Klein>' --technician 'A. Wolf' report " + page);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string html = Slurp(page);
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_TRUE(Has(html, "<td>QUELT &lt;b&gt;300&lt;/b&gt; &amp; &quot;co&quot;</td>")) << html;
  EXPECT_TRUE(Has(html, "<td class=\"text\">&lt;i&gt;Oil&lt;/i&gt;</td>"));
  EXPECT_FALSE(Has(html, "<b>") || Has(html, "<i>"));
  EXPECT_TRUE(Has(html, "<td>" + BackupsOf("08154711").string() + "/")) << "the last backup";
  // Who it is for, and the table before the work: the write's backup.
  EXPECT_TRUE(Has(html, "<th>Customer</th><td class=\"fill\">Bäckerei &lt;Klein&gt;</td>"));
  EXPECT_TRUE(Has(html, "<th>Site</th><td class=\"fill\"></td>"));
  EXPECT_TRUE(Has(html, "<li>Row 1 (&lt;i&gt;Oil&lt;/i&gt;), Co2Max: 15,4 before, 1,0 now</li>"))
      << html;
  EXPECT_TRUE(Has(html, "<td class=\"num changed\">\u2022 1,0</td>"));

  // A FILE that cannot be made is refused before the analyser is asked; so
  // is a diff's FILE that cannot be read.
  analyser.ClearTranscript();
  const std::string nowhere = (TestDir() / "nodir" / "x.html").string();
  for (const std::string& args : std::vector<std::string>{
           " report " + TestDir().string(), " report ''", " report " + nowhere,
           " report " + TestDir().string() + "/new/", " diff ''", " diff " + nowhere}) {
    const CliRun refused = Cli(port + args);
    EXPECT_EQ(refused.status, 2) << args;
    EXPECT_TRUE(Has(refused.err, "Nothing was saved.") || Has(refused.err, "cannot be read"))
        << refused.err;
  }
  EXPECT_TRUE(analyser.Transcript().empty());
}

// A browser prints the report of a full table with its changes on one A4
// page, as a technician hands it over.
TEST(CliTools, ABrowserPrintsTheReportOnOneA4Page) {
  const std::filesystem::path browser = "/usr/bin/chromium";
  if (!std::filesystem::exists(browser)) GTEST_SKIP() << "no chromium to print with";
  sim::Config c;
  std::vector<std::string> rows;
  for (int i = 1; i <= kMaxRowsUsed; ++i) {
    rows.push_back(RowText(i, i, "Brennstoff mit langem Namen " + std::to_string(i)));
  }
  c.rows = rows;
  sim::Analyser analyser(c);
  const std::string port = "--port " + analyser.DevicePath();
  std::string edited;  // three values changed
  for (int i = 1; i <= kMaxRowsUsed; ++i) {
    std::string row = RowText(i, i, "Brennstoff mit langem Namen " + std::to_string(i)) + "\n";
    if (i % 5 == 2) row.replace(row.find(";15,4;"), 6, ";14,9;");
    edited += row;
  }
  ASSERT_EQ(Cli(port + " write " + WriteFile("edited.txt", edited)).status, 0);
  const std::filesystem::path page = TestDir() / "a4.html", pdf = TestDir() / "a4.pdf";
  ASSERT_EQ(Cli(port +
                " --customer 'Bäckerei Klein' --site 'Hauptstraße 5' --technician "
                "'A. Wolf' report " +
                page.string())
                .status,
            0);
  const std::string print = browser.string() +
                            " --headless --no-sandbox --disable-gpu --no-pdf-header-footer"
                            " --user-data-dir=" +
                            (TestDir() / "browser").string() + " --print-to-pdf=" + pdf.string() +
                            " file://" + page.string() + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(print.c_str()), 0);
  const std::string printed = Slurp(pdf);
  std::size_t pages = 0;
  for (std::size_t at = 0; (at = printed.find("/Type /Page", at)) != std::string::npos; ++at) {
    if (printed.compare(at, 12, "/Type /Pages") != 0) ++pages;
  }
  EXPECT_EQ(pages, 1u);
  EXPECT_NE(Slurp(page).find("14,9 now"), std::string::npos) << "the changes are listed";
}

}  // namespace
}  // namespace quelt::test
