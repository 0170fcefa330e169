#pragma once
// Notes as the game takes them and as ".not" files keep them.
//
// File layout (8-bit, the game's code page, CR LF line ends):
//   <DEST>recipients</DEST>
//   <SOGG>subject</SOGG>
//   body lines...
// and one CR LF after the body.
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

// File access. On failure they return false / nullopt and set *error to a
// message for the player (Italian).
bool save(const QString& path, const Note& note, QString* error = nullptr);
std::optional<QString> load(const QString& path, QString* error = nullptr);

// Path with ".not" added unless it already ends so (in any letter case).
QString withExtension(const QString& path);

} // namespace NoteFile
