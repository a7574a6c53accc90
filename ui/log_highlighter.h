// Colours the message log: keywords in bold (some in colour), matched
// without regard to the case of A-Z, also inside longer words; and spans
// from an opening bracket to the next closing one in a bold fixed-pitch font.
#pragma once

#include <QFont>
#include <QString>
#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace quelt::front {
struct LogStyle;
}

namespace quelt::ui {

class LogHighlighter : public QSyntaxHighlighter {
  Q_OBJECT
 public:
  // `spanFont`: the bold fixed-pitch font of the bracket spans.
  LogHighlighter(QTextDocument* document, const QFont& spanFont);

 protected:
  void highlightBlock(const QString& text) override;

 private:
  QTextCharFormat FormatOf(const quelt::front::LogStyle& style) const;

  QString spanFamily_;
  double spanPointSize_;
};

}  // namespace quelt::ui
