#pragma once
// Command lines written the way the registration tool has always been called:
// one string, split into program and arguments by the rules of that
// platform's C run time. Quotes join (a quoted part and an unquoted part next
// to it form one argument), backslashes are literal unless they stand before
// a quote.
#include <QString>
#include <QStringList>

namespace CommandLine {
// The program name and its arguments, in order. The program name ends at the
// first blank outside quotes and takes no backslash escapes.
QStringList split(const QString& line);
} // namespace CommandLine
