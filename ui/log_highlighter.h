// Colours the message log: keywords in bold (some in colour), matched
// without regard to the case of A-Z, also inside longer words; and spans
// from an opening bracket to the next closing one in a bold fixed-pitch font.
#pragma once

#include <QFont>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <vector>

class LogHighlighter : public QSyntaxHighlighter {
  Q_OBJECT
 public:
  // `spanFont`: the bold fixed-pitch font of the bracket spans.
  LogHighlighter(QTextDocument* document, const QFont& spanFont);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  struct Keyword {
    QString upper;  // A-Z already upper-cased
    QTextCharFormat format;
  };
  struct Span {
    QChar open, close;
    QTextCharFormat format;
  };
  std::vector<Keyword> keywords_;
  std::vector<Span> spans_;
};
