#include "ui/log_highlighter.h"

#include "front/log_style.h"

namespace quelt::ui {

LogHighlighter::LogHighlighter(QTextDocument* document, const QFont& spanFont)
    : QSyntaxHighlighter(document),
      // The family as asked for: resolving it here would load the font
      // before the log has a line to show.
      spanFamily_(spanFont.family()),
      spanPointSize_(spanFont.pointSizeF()) {}

QTextCharFormat LogHighlighter::FormatOf(const quelt::front::LogStyle& style) const {
  QTextCharFormat f;
  if (style.bold) f.setFontWeight(QFont::Bold);
  if (style.coloured) f.setForeground(QColor(style.colour.r, style.colour.g, style.colour.b));
  if (style.alternateFont) {
    f.setFontFamilies(QStringList{spanFamily_});
    f.setFontPointSize(spanPointSize_);
    f.setFontFixedPitch(true);
    f.setFontStyleHint(QFont::TypeWriter);
  }
  return f;
}

// The rule is shared with the Windows window (front/log_style.h): each line
// by its own text.
void LogHighlighter::highlightBlock(const QString& text) {
  const std::u16string_view line(reinterpret_cast<const char16_t*>(text.utf16()),
                                 static_cast<std::size_t>(text.size()));
  for (const quelt::front::LogSpan& span : quelt::front::StyleLogLine(line)) {
    setFormat(static_cast<int>(span.start), static_cast<int>(span.length), FormatOf(span.style));
  }
}

}  // namespace quelt::ui
