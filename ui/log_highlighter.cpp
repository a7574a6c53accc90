#include "ui/log_highlighter.h"

#include <QFontInfo>

namespace {

const QColor kDarkGreen(0, 128, 64);
const QColor kRed(255, 0, 0);
const QColor kMagenta(255, 0, 255);

// Only A-Z fold: the log's keywords are ASCII and umlauts stay as they are.
QChar FoldAscii(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 'a' && u <= 'z') ? QChar(static_cast<char16_t>(u - 32)) : c;
}

QTextCharFormat Bold(const QColor& colour = {}) {
  QTextCharFormat f;
  f.setFontWeight(QFont::Bold);
  if (colour.isValid()) f.setForeground(colour);
  return f;
}

}  // namespace

LogHighlighter::LogHighlighter(QTextDocument* document, const QFont& spanFont)
    : QSyntaxHighlighter(document) {
  keywords_ = {
      {QStringLiteral("ERGEBNIS"), Bold()},  {QStringLiteral("OK"), Bold(kDarkGreen)},
      {QStringLiteral("NICHT"), Bold(kRed)}, {QStringLiteral("TYPE"), Bold()},
      {QStringLiteral("VERSION"), Bold()},   {QStringLiteral("SERIAL"), Bold()},
      {QStringLiteral("FOUND"), Bold()},     {QStringLiteral("NO."), Bold()},
  };
  auto spanFormat = [&](const QColor& colour) {
    QTextCharFormat f = Bold(colour);
    // The family actually matched, so that a missing "Courier New" falls
    // back to the same fixed-pitch face everywhere.
    f.setFontFamilies(QStringList{QFontInfo(spanFont).family()});
    f.setFontPointSize(spanFont.pointSizeF());
    f.setFontFixedPitch(true);
    f.setFontStyleHint(QFont::TypeWriter);
    return f;
  };
  spans_ = {
      {u'{', u'}', spanFormat(kRed)},
      {u'[', u']', spanFormat(kDarkGreen)},
      {u'\\', u'\\', spanFormat(kMagenta)},
  };
}

void LogHighlighter::highlightBlock(const QString& text) {
  const qsizetype n = text.size();
  for (const Keyword& k : keywords_) {
    const qsizetype len = k.upper.size();
    for (qsizetype i = 0; i + len <= n; ++i) {
      qsizetype j = 0;
      while (j < len && FoldAscii(text[i + j]) == k.upper[j]) ++j;
      if (j == len) setFormat(static_cast<int>(i), static_cast<int>(len), k.format);
    }
  }

  // A span left open at the end of a line goes on in the next one: the block
  // state is 1 + the index of the open span, or 0.
  qsizetype i = 0;
  int open = previousBlockState() > 0 ? previousBlockState() - 1 : -1;
  qsizetype start = 0;
  while (i < n) {
    if (open < 0) {
      for (std::size_t s = 0; s < spans_.size(); ++s) {
        if (text[i] == spans_[s].open) {
          open = static_cast<int>(s);
          start = i;
          break;
        }
      }
      ++i;
      continue;
    }
    const Span& span = spans_[static_cast<std::size_t>(open)];
    const qsizetype close = text.indexOf(span.close, i);
    if (close < 0) break;
    setFormat(static_cast<int>(start), static_cast<int>(close + 1 - start), span.format);
    open = -1;
    i = close + 1;
  }
  if (open >= 0) {
    setFormat(static_cast<int>(start), static_cast<int>(n - start),
              spans_[static_cast<std::size_t>(open)].format);
  }
  setCurrentBlockState(open + 1);
}
