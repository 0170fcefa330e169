#pragma once
// Notes as the game takes them and as ".not" files keep them.
//
// File layout (8-bit, the game's code page, CR LF line ends):
//   <DEST>recipients</DEST>
//   <SOGG>subject</SOGG>
//   body lines...
// and one CR LF after the body.
#include "files/FileResult.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace NoteFile {

struct Note {
    QString dest;
    QString sogg;
    QString body; // lines separated by "\n" (as the text field gives them)
};

// What a file's text yields: a field is empty (nullopt) when its tags are
// missing, and the composer then keeps what it has.
struct Parsed {
    std::optional<QString> dest;
    std::optional<QString> sogg;
    QString body; // lines separated by "\n"
};

QString format(const Note& note);
Parsed parse(const QString& text);

// The command lines that post a note, each ending in CR LF: recipients,
// subject, one "nota + " line per body line, and the final "nota spedisci".
QStringList commands(const Note& note);

// File access; a failure's message is for the player (Italian). A failed
// load leaves text as it was.
FileResult save(const QString& path, const Note& note);
FileResult load(const QString& path, QString& text);

// Path with ".not" added unless it already ends so (in any letter case).
QString withExtension(const QString& path);

} // namespace NoteFile
