#pragma once
// Plain 8-bit text files in the game's code page, lines ended by CR LF.
// Every operation opens and closes the file around itself and reports
// failure to the caller (false plus a message in Italian); nothing here
// talks to the player. Writes refuse, whole, text with a character the code
// page cannot hold, and the message names it.
#include <QString>
#include <QStringList>

namespace TextFile {

// Reads every line. CR LF ends a line, and so does a lone LF (files edited
// by hand elsewhere); a last line without an ending still counts. When
// createIfMissing is set, a missing file is created empty first.
bool readLines(const QString& path, QStringList& lines, QString* error = nullptr,
               bool createIfMissing = false);

// Reads the whole file as it is, line ends included.
bool readAll(const QString& path, QString& text, QString* error = nullptr);

// Replaces the file with text in one step: the new content is written beside
// it and swapped in, so a failure leaves the previous file whole.
bool writeAll(const QString& path, const QString& text, QString* error = nullptr);

// writeAll of the lines, each followed by CR LF.
bool writeLines(const QString& path, const QStringList& lines, QString* error = nullptr);

// Adds text at the end of the file, creating it when missing.
bool append(const QString& path, const QString& text, QString* error = nullptr);

} // namespace TextFile
