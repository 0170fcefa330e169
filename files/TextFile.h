#pragma once
// Plain 8-bit text files in the game's code page, lines ended by CR LF.
// Every operation opens and closes the file around itself and returns what
// it came to; nothing here talks to the player. A failure's message names
// the file and the reason, without a closing full stop, so that the caller
// can add what follows from it. Writes refuse, whole, text with a character
// the code page cannot hold, and the message names it.
#include "files/FileResult.h"

#include <QString>
#include <QStringList>

namespace TextFile {

// Reads every line. CR LF ends a line, and so does a lone LF (files edited
// by hand elsewhere); a last line without an ending still counts. When
// createIfMissing is set, a missing file is created empty first.
FileResult readLines(const QString& path, QStringList& lines, bool createIfMissing = false);

// Reads the whole file as it is, line ends included.
FileResult readAll(const QString& path, QString& text);

// Replaces the file with text in one step: the new content is written beside
// it and swapped in, so a failure leaves the previous file whole.
FileResult writeAll(const QString& path, const QString& text);

// writeAll of the lines, each followed by CR LF.
FileResult writeLines(const QString& path, const QStringList& lines);

} // namespace TextFile
