#pragma once

#include <QString>
#include <QStringList>

namespace CorlaMeetings {

// The value of a desktop entry's Exec key that runs `commandLine` (program first) as it is,
// whatever characters its arguments hold: an argument with a reserved character is
// double-quoted with ", `, $ and \ escaped inside, "%" becomes "%%", and the result is
// escaped as a string value (\ becomes \\, line breaks and tabs \n, \r, \t).
QString desktopEntryExec(const QStringList& commandLine);

}  // namespace CorlaMeetings
