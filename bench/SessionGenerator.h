#pragma once
// A made-up but plausible game session for the benchmarks: ~80-character
// CR LF lines with a colour sequence every few words, and triggers that are
// phrases which mostly never occur. The same seed gives the same bytes.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace SessionGenerator {
// About `size` bytes of server output (a little more, to end a line); with
// attributes, the sequences are those of today's servers (backgrounds, bold,
// italic, underline, reverse, dim, strike, 256 and 24-bit colours).
QByteArray session(qsizetype size, quint32 seed, bool attributes = false);
// n (match text, ActionText) pairs; about one in fifty occurs in the session.
QList<QPair<QString, QString>> triggers(int n, quint32 seed);
// The same pairs as the lines of a trigger file ("text<!>action" + CR LF).
QByteArray triggerFile(const QList<QPair<QString, QString>>& triggers);
} // namespace SessionGenerator
