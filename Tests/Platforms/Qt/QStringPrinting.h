#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// Failed comparisons show Qt strings as text. Beside the types, where GoogleTest looks.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* out) {
  *out << '[' << list.join(QStringLiteral(", ")).toStdString() << ']';
}
