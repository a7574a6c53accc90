// The main window's log: a RichEdit that gets every line as plain text (a
// stream of SF_TEXT is never read as RTF, whatever it holds), in the log's
// own format, then the styled spans of that line alone (front/log_style.h).
#pragma once

#include <windows.h>

#include <string>

namespace quelt::win {

class LogView {
 public:
  // Takes the RichEdit `log` and gives it the log's format.
  void Create(HWND log);
  void Clear();
  void Add(const std::string& line);

 private:
  HWND log_ = nullptr;
  bool empty_ = true;
};

}  // namespace quelt::win
