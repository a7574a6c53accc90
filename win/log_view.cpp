#include "win/log_view.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "front/log_style.h"
#include "text/utf16.h"
#include "win/gdi_pictures.h"

namespace quelt::win {
namespace {

// The log's own text: "Arial" 8 pt in the text colour.
CHARFORMAT2W BaseFormat() {
  CHARFORMAT2W f{};
  f.cbSize = sizeof f;
  f.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_COLOR | CFM_CHARSET;
  f.dwEffects = CFE_AUTOCOLOR;
  f.yHeight = front::kLogFontPoints * 20;
  f.bCharSet = DEFAULT_CHARSET;
  f.bPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  wcscpy(f.szFaceName, L"Arial");
  return f;
}

CHARFORMAT2W SpanFormat(const front::LogStyle& style) {
  CHARFORMAT2W f{};
  f.cbSize = sizeof f;
  f.dwMask = CFM_BOLD | CFM_COLOR;
  f.dwEffects = (style.bold ? CFE_BOLD : 0) | (style.coloured ? 0 : CFE_AUTOCOLOR);
  f.crTextColor = Colour(style.colour);
  if (style.alternateFont) {
    f.dwMask |= CFM_FACE | CFM_SIZE;
    f.yHeight = front::kLogFontPoints * 20;
    // Where "Courier New" is missing the mapper still picks a fixed pitch,
    // so the instruction lines' brackets line up.
    f.bPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcscpy(f.szFaceName, L"Courier New");
  }
  return f;
}

struct StreamSource {
  const std::wstring* text;
  std::size_t offset = 0;  // bytes
};

DWORD CALLBACK StreamOut(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const std::size_t total = source->text->size() * sizeof(wchar_t);
  const std::size_t n =
      std::min<std::size_t>(static_cast<std::size_t>(wanted), total - source->offset);
  std::memcpy(buffer, reinterpret_cast<const char*>(source->text->data()) + source->offset, n);
  source->offset += n;
  *given = static_cast<LONG>(n);
  return 0;
}

// Device text goes in as plain text: a stream of SF_TEXT is never read as
// RTF, whatever it holds.
void InsertPlainText(HWND edit, const std::wstring& text) {
  StreamSource source{&text};
  EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, StreamOut};
  SendMessageW(edit, EM_STREAMIN, SF_TEXT | SF_UNICODE | SFF_SELECTION,
               reinterpret_cast<LPARAM>(&stream));
}

LONG TextLength(HWND edit) {
  GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
  return static_cast<LONG>(
      SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

void Format(HWND edit, LONG start, LONG end, const CHARFORMAT2W& format) {
  CHARRANGE range{start, end};
  SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
  SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

}  // namespace

void LogView::Create(HWND log) {
  log_ = log;
  CHARFORMAT2W base = BaseFormat();
  SendMessageW(log, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&base));
  SendMessageW(log, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
  // Lines wrap: no horizontal bar, whatever the control shows by default.
  ShowScrollBar(log, SB_HORZ, FALSE);
}

void LogView::Clear() {
  HWND log = log_;
  SetWindowTextW(log, L"");
  CHARFORMAT2W base = BaseFormat();
  SendMessageW(log, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&base));
  empty_ = true;
}

void LogView::Add(const std::string& line) {
  HWND log = log_;
  const std::wstring text = WideFromUtf8(line);
  const LONG end = TextLength(log);
  const LONG start = empty_ ? 0 : end + 1;
  CHARRANGE at{end, end};
  SendMessageW(log, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
  InsertPlainText(log, empty_ ? text : L"\r" + text);
  empty_ = false;
  const LONG after = TextLength(log);
  // The new text takes the format of what stood before it: the line gets the
  // log's own format first, so no span of an earlier line runs on.
  Format(log, start, after, BaseFormat());
  const std::u16string_view units(reinterpret_cast<const char16_t*>(text.data()), text.size());
  for (const front::LogSpan& span : front::StyleLogLine(units)) {
    Format(log, start + static_cast<LONG>(span.start),
           start + static_cast<LONG>(span.start + span.length), SpanFormat(span.style));
  }
  CHARRANGE caret{after, after};
  SendMessageW(log, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
  SendMessageW(log, WM_VSCROLL, SB_BOTTOM, 0);
}

}  // namespace quelt::win
