#pragma once
// A made-up but plausible game session for the benchmarks: ~80-character
// CR LF lines with a colour sequence every few words, and triggers that are
// phrases which mostly never occur. The same seed gives the same bytes.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace SessionGenerator {
// About `size` bytes of server output (a little more, to end a line); with
// attributes, the sequences are those of today's servers (backgrounds, bold,
// italic, underline, reverse, dim, strike, 256 and 24-bit colours).
QByteArray session(qsizetype size, quint32 seed, bool attributes = false);
// n (match text, ActionText) pairs; about one in fifty occurs in the session.
QList<QPair<QString, QString>> triggers(int n, quint32 seed);
// The same pairs as the lines of a trigger file ("text<!>action" + CR LF).
QByteArray triggerFile(const QList<QPair<QString, QString>>& triggers);

// A script's trigger: a regular expression and its action as Lua source (a
// function, or a quoted text).
struct ScriptTrigger {
    QString pattern;
    QString action;
};
// n triggers of the mix a player collects: phrases with captures, an
// alternation inside a phrase, anchored prompt-like lines, named groups, a
// few with no literal at all. Almost none occurs in the session; those of
// firingLine() call a function with their captures that sends a command.
QList<ScriptTrigger> scriptTriggers(int n);
// The triggers as one script for the engine.
QByteArray triggerScript(const QList<ScriptTrigger>& triggers);
// A line (without its end) that fires trigger 10 * (i % 100) of the mix.
QString firingLine(int i);
// The lines of session(size, seed) as the scripts read them (colours
// stripped, no line ends), 100 of them spread evenly made firing lines.
QStringList scriptLines(qsizetype size, quint32 seed);
// count lines spread evenly through a session (Windows-1252) made firing lines.
void addFiringLines(QByteArray& session, int count);
} // namespace SessionGenerator
