// quelt-fuel-cli: the tool's operations without a window, for scripts and for
// service benches. Same bytes on the wire as the GUI.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli_view.h"
#include "fuel/cp1252.h"
#include "fuel/fuel_ops.h"
#include "fuel/row_file.h"
#include "link/clock_pump.h"
#include "link/glb.h"
#include "quelt/version.h"

namespace {

using namespace quelt;

enum Exit { kOk = 0, kLinkFailed = 1, kUsage = 2, kMismatch = 3 };

constexpr const char* kUsageText = R"(Usage: quelt-fuel-cli [--port DEVICE] COMMAND

Reads and writes the fuel table of a QUELT combustion analyser.

Commands:
  identify            print the analyser's identification, type, serial
                      number and version
  read                read the fuel table (with the natural gas names of the
                      analyser's language and the natural gas H row) and print
                      it, one row a line: position;ID;description;Co2Max;A2;B;
                      RefO2;Vatr;Vaf;HU;Soot;  (UTF-8, ',' as decimal mark)
  write FILE          send the rows of FILE ('-': standard input) to the
                      analyser: at most 30 rows are sent and the analyser is
                      told to use at most 15. FILE holds one row a line in the
                      form that 'read' prints; the whole file is checked
                      before anything is sent.
  write FILE --verify send, then read the rows back and report differences

Options:
  --port DEVICE       use DEVICE (/dev/ttyUSB0, COM7) instead of looking for
                      the analyser's USB bridge
  --help              show this text

Exit status: 0 done; 1 the analyser did not answer ("Communication error !",
"Transfer error", "Timeout"); 2 wrong usage or a faulty file, nothing sent;
3 the rows read back differ from the rows sent.
)";

struct Tool {
  ClockPump pump;
  TGlb glb{pump};
  FuelTable table;
  CliView view{std::cerr, std::cerr};
  FuelListOps ops{glb, table, view};

  Tool() { pump.SetTickHandler([this] { glb.Timer1Timer(); }); }

  int LinkFailure() {
    std::cerr << kCommunicationError << '\n';
    if (!glb.ConnectProblem().empty()) std::cerr << glb.ConnectProblem() << '\n';
    return kLinkFailed;
  }
};

int Identify(Tool& t) {
  t.view.SetLogStream(std::cout);
  const bool ok = t.ops.QueryIdentity();
  t.glb.Disconnect();
  return ok ? kOk : t.LinkFailure();
}

int Read(Tool& t) {
  std::string typeText;
  if (!t.ops.QueryIdentity(&typeText)) {
    t.glb.Disconnect();
    return t.LinkFailure();
  }
  t.ops.ApplyTypeCode(typeText);
  const bool ok = t.ops.ReadFuelList();
  t.glb.Disconnect();
  if (!ok) {
    if (t.glb.Failed) std::cerr << kCommunicationError << '\n';
    return kLinkFailed;
  }
  for (int i = 0; i < t.table.RecordCount(); ++i) {
    std::cout << FormatRowLine(t.table.Row(i), i + 1) << '\n';
  }
  return kOk;
}

bool ReadInput(const std::string& path, std::string& text) {
  if (path == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), {});
    return true;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

int Write(Tool& t, const std::string& path, bool verify) {
  std::string text;
  if (!ReadInput(path, text)) {
    std::cerr << path << ": cannot be read\n";
    return kUsage;
  }
  const RowFile file = ParseRowFile(text);
  if (file.error) {
    std::cerr << path << ":" << file.error->line << ": " << file.error->message
              << "\nNothing was sent.\n";
    return kUsage;
  }
  for (const FuelRow& row : file.rows) t.table.AppendRow(row);

  if (!t.ops.QueryIdentity()) {
    t.glb.Disconnect();
    return t.LinkFailure();
  }
  const bool sent = t.ops.SendFuelList();
  if (!sent) {
    t.glb.Disconnect();
    return kLinkFailed;
  }
  if (!verify) {
    t.glb.Disconnect();
    return kOk;
  }

  std::vector<ParsedFuelRow> back;
  const bool readBack = t.ops.ReadRawRows(back);
  t.glb.Disconnect();
  if (!readBack) {
    std::cerr << kTransferError << '\n';
    return kLinkFailed;
  }
  // Compare at the precision that went over the wire.
  const int sentCount = std::min(t.table.RecordCount(), kMaxRowsSent);
  int differences = 0;
  for (int i = 0; i < sentCount; ++i) {
    const std::string want = FormatRowLine(t.table.Row(i), i + 1);
    if (i >= static_cast<int>(back.size())) {
      std::cerr << "row " << i + 1 << ": sent    " << want << "\n        not read back\n";
      ++differences;
      continue;
    }
    const ParsedFuelRow& got = back[static_cast<std::size_t>(i)];
    const std::string have = got.FitsRow() ? FormatRowLine(got.ToRow(), i + 1) : "(out of range)";
    if (want != have) {
      std::cerr << "row " << i + 1 << ": sent    " << want << "\n        read back " << have
                << '\n';
      ++differences;
    }
  }
  if (differences > 0) {
    std::cerr << differences << " row(s) differ\n";
    return kMismatch;
  }
  std::cerr << sentCount << " row(s) verified\n";
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string port;
  std::vector<std::string> rest;
  bool verify = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::cout << kUsageText;
      return kOk;
    } else if (a == "--version") {
      std::cout << "quelt-fuel-cli " << QUELT_VERSION << '\n';
      return kOk;
    } else if (a == "--port") {
      if (i + 1 >= args.size()) {
        std::cerr << "--port needs a device\n";
        return kUsage;
      }
      port = args[++i];
    } else if (a == "--verify") {
      verify = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      std::cerr << "Unknown option " << a << "\n\n" << kUsageText;
      return kUsage;
    } else {
      rest.push_back(a);
    }
  }

  Tool tool;
  tool.glb.PortOverride = port;
  if (rest.size() == 1 && rest[0] == "identify" && !verify) return Identify(tool);
  if (rest.size() == 1 && rest[0] == "read" && !verify) return Read(tool);
  if (rest.size() == 2 && rest[0] == "write") return Write(tool, rest[1], verify);
  std::cerr << kUsageText;
  return kUsage;
}
