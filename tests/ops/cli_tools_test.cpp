// The command line's diff, backups and report against the simulated analyser.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sim/sim.h"
#include "tests/ops/cli_run.h"
#include "tests/ops/ops_fixture.h"

namespace quelt::test {
namespace {

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(CliTools, DiffComparesValuesAsReadPrintsThem) {
  sim::Config c;
  c.type = "39";  // Czech names: the file must hold them as read prints them
  c.rows = {"1;1;Oil;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1",
            "2;50;Methane;11,7;0,66;0,009;3,0;9,52;10,52;35,88;0"};
  sim::Analyser analyser(c);
  const std::string port = "--port " + analyser.DevicePath();
  const CliRun read = Cli(port + " read");
  ASSERT_EQ(read.status, 0) << read.err;
  // The H row added as row 2, the L row renamed.
  ASSERT_TRUE(Has(read.out, "3;50;Zemní plyn L;")) << read.out;
  const std::string oil = "1;1;Oil;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1;\n";
  const std::string rest = read.out.substr(oil.size());
  ASSERT_EQ(read.out.substr(0, oil.size()), oil);

  struct Case {
    const char* what;
    std::string file;
    int status;
    std::string out;  // a line of the differences; "" when none
  } cases[] = {
      {"the table as read", read.out, 0, ""},
      {"the same values in another form", "1;1;Oil;15.40;0,680;0,0070;3;10,5;11,2;42,7;1\n" + rest,
       0, ""},
      {"a value off at the wire's precision",
       "1;1;Oil;15,4;0,70;0,007;3,0;10,50;11,20;42,70;1;\n" + rest, 3,
       "Row 1, A2: file \"0,70\", analyser \"0,68\"\n"},
      {"a description", "1;1;Öl;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1;\n" + rest, 3,
       "Row 1, Description: file \"Öl\", analyser \"Oil\"\n"},
      {"rows the file lacks", oil, 3, "Row 3: only in the analyser: 3;50;Zemní plyn L;"},
      {"a row the analyser lacks", read.out + "4;9;Extra;1;1;1;1;1;1;1;0\n", 3,
       "Row 4: only in the file: 4;9;Extra;"},
      {"the file numbered otherwise", "7;1;Oil;15,4;0,68;0,007;3,0;10,50;11,20;42,70;1;\n" + rest,
       0, ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const CliRun r = Cli(port + " diff " + WriteFile("diff.txt", k.file));
    EXPECT_EQ(r.status, k.status) << r.err;
    if (k.out.empty()) {
      EXPECT_EQ(r.out, "");
      EXPECT_TRUE(Has(r.err, "Same: the analyser holds the 3 rows")) << r.err;
    } else {
      EXPECT_TRUE(Has(r.out, k.out)) << r.out;
    }
  }

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
  const CliRun r = Cli(port + " report " + page);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string html = Slurp(page);
  EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_TRUE(Has(html, "<td>QUELT &lt;b&gt;300&lt;/b&gt; &amp; &quot;co&quot;</td>")) << html;
  EXPECT_TRUE(Has(html, "<td>&lt;i&gt;Oil&lt;/i&gt;</td>"));
  EXPECT_FALSE(Has(html, "<b>") || Has(html, "<i>"));
  EXPECT_TRUE(Has(html, "<td>" + BackupsOf("08154711").string() + "/")) << "the last backup";

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

}  // namespace
}  // namespace quelt::test
