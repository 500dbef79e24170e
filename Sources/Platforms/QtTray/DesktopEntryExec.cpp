#include "QtTray/DesktopEntryExec.h"

namespace CorlaMeetings {

namespace {

bool needsQuotes(const QString& argument) {
  static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  if (argument.isEmpty()) return true;
  for (QChar c : argument) {
    if (reserved.contains(c)) return true;
  }
  return false;
}

QString quoted(const QString& argument) {
  if (!needsQuotes(argument)) return argument;
  QString result = QStringLiteral("\"");
  for (QChar c : argument) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') result += u'\\';
    result += c;
  }
  return result + u'"';
}

// The quoting above is read after the string escapes are undone, so it is escaped again.
QString escapedStringValue(const QString& text) {
  QString result;
  for (QChar c : text) {
    if (c == u'\\') {
      result += QStringLiteral("\\\\");
    } else if (c == u'\n') {
      result += QStringLiteral("\\n");
    } else if (c == u'\r') {
      result += QStringLiteral("\\r");
    } else if (c == u'\t') {
      result += QStringLiteral("\\t");
    } else {
      result += c;
    }
  }
  return result;
}

}  // namespace

QString desktopEntryExec(const QStringList& commandLine) {
  QStringList arguments;
  for (const QString& argument : commandLine) {
    QString escapedArgument = quoted(argument);
    // A lone "%" would start a field code, quoted or not.
    escapedArgument.replace(u'%', QStringLiteral("%%"));
    arguments.append(escapedArgument);
  }
  return escapedStringValue(arguments.join(u' '));
}

}  // namespace CorlaMeetings
