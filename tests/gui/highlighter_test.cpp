// The log's colouring as the user sees it: for each character, whether it
// is bold, its colour and whether it has the fixed-pitch span font.
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "ui/log_highlighter.h"

using namespace quelt::ui;

namespace {

// One letter per character: '.' plain, 'b' bold, 'g' bold dark green,
// 'r' bold red, 'G' / 'R' / 'M' span in green, red, magenta.
QString Marks(const QTextBlock& block) {
  QString marks(block.length() - 1, QLatin1Char('.'));
  for (const QTextLayout::FormatRange& r : block.layout()->formats()) {
    for (int i = r.start; i < r.start + r.length && i < marks.size(); ++i) {
      const QTextCharFormat& f = r.format;
      const bool span = f.fontFixedPitch();
      const QColor c = f.foreground().color();
      QChar m = QLatin1Char('b');
      if (f.foreground().style() != Qt::NoBrush) {
        if (c == QColor(0, 128, 64))
          m = QLatin1Char('g');
        else if (c == QColor(255, 0, 0))
          m = QLatin1Char('r');
        else if (c == QColor(255, 0, 255))
          m = QLatin1Char('m');
      }
      if (span) m = m.toUpper();
      if (f.fontWeight() != QFont::Bold) m = QLatin1Char('?');
      marks[i] = m;
    }
  }
  return marks;
}

}  // namespace

class HighlighterTest : public QObject {
  Q_OBJECT

 private slots:
  void lines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("marks");
    QTest::newRow("keyword inside a word") << "Types"
                                           << "bbbb.";
    QTest::newRow("ok anywhere, any case") << "book Ok"
                                           << "..gg.gg";
    QTest::newRow("nicht in red") << "nicht OK"
                                  << "rrrrr.gg";
    QTest::newRow("identity labels") << "Serial No. :1"
                                     << "bbbbbb.bbb...";
    // A label only where the line starts with it.
    QTest::newRow("found and version") << "Found Version"
                                       << "bbbbb........";
    QTest::newRow("ergebnis") << "ERGEBNIS"
                              << "bbbbbbbb";
    QTest::newRow("no without dot") << "No"
                                    << "..";
    QTest::newRow("square span") << "a [x] b"
                                 << "..GGG..";
    QTest::newRow("curly span") << "{ok}"
                                << "RRRR";
    QTest::newRow("backslash span") << "x \\y\\ z"
                                    << "..MMM..";
    QTest::newRow("a path's backslashes") << "C:\\a\\b"
                                          << "......";
    QTest::newRow("span to the next closing") << "[a]b]"
                                              << "GGG..";
    QTest::newRow("two spans") << "[a]{b}"
                               << "GGGRRR";
    QTest::newRow("intro line") << "[ Switch QUELT ON. ]"
                                << "GGGGGGGGGGGGGGGGGGGG";
  }
  void lines() {
    QFETCH(QString, line);
    QFETCH(QString, marks);
    QPlainTextEdit edit;
    LogHighlighter h(edit.document(), QFont(QStringLiteral("monospace"), 8, QFont::Bold));
    edit.setPlainText(line);
    QCOMPARE(Marks(edit.document()->firstBlock()), marks);
  }

  void eachLineByItsOwnText() {
    QPlainTextEdit edit;
    LogHighlighter h(edit.document(), QFont(QStringLiteral("monospace"), 8, QFont::Bold));
    edit.appendPlainText(QStringLiteral("a {b"));
    edit.appendPlainText(QStringLiteral("c} d"));
    edit.appendPlainText(QStringLiteral("e"));
    const QTextBlock first = edit.document()->firstBlock();
    QCOMPARE(Marks(first), QStringLiteral("..RR"));
    QCOMPARE(Marks(first.next()), QStringLiteral("...."));
    QCOMPARE(Marks(first.next().next()), QStringLiteral("."));
  }
};

QTEST_MAIN(HighlighterTest)
#include "highlighter_test.moc"
