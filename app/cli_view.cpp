#include "app/cli_view.h"

#include "app/cli_io.h"

namespace quelt {

void CliView::AddLogLine(const std::string& line) {
  const std::string text = line + '\n';
  if (capture_ != nullptr) {
    *capture_ += text;
    return;
  }
  printed_.insert(line);
  cli::WriteStderr(text);
}

void CliView::ShowMessage(const std::string& text) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (!line.empty() && printed_.count(line) == 0) {
      cli::WriteStderr(line + '\n');
    }
    start = end + 1;
  }
}

}  // namespace quelt
