#include "app/cli_view.h"

#include <ostream>

#include "fuel/cp1252.h"

namespace quelt {

void CliView::AddLogLine(const std::string& line) {
  if (!muted_) *log_ << Cp1252ToUtf8(line) << '\n' << std::flush;
}

void CliView::ShowMessage(const std::string& text) {
  *messages_ << Cp1252ToUtf8(text) << '\n' << std::flush;
}

}  // namespace quelt
