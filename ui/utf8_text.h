// The controller's UTF-8 texts as Qt strings.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace quelt::ui {

inline QString Utf8(const std::string& text) { return QString::fromStdString(text); }

inline QStringList Utf8List(const std::vector<std::string>& texts) {
  QStringList list;
  for (const std::string& t : texts) list << Utf8(t);
  return list;
}

}  // namespace quelt::ui
