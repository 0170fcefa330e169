#include "notes/NoteFile.h"

#include "files/TextFile.h"

namespace NoteFile {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString toCrLf(const QString& body) {
    QString s = body;
    s.replace(QChar('\n'), kCrLf);
    return s;
}

// CR LF, and a lone CR or LF from a hand-edited file, each become "\n".
QString toLf(const QString& text) {
    QString s = text;
    s.replace(kCrLf, QStringLiteral("\n"));
    s.replace(QChar('\r'), QChar('\n'));
    return s;
}

// Recipients and subject are one line each: a line break in them (from a
// hand-edited file) would post a command of its own.
QString oneLine(const QString& s) {
    QString t = s;
    t.replace(kCrLf, QStringLiteral(" "));
    t.replace(QChar('\r'), QChar(' '));
    t.replace(QChar('\n'), QChar(' '));
    return t;
}

std::optional<QString> between(const QString& text, const QString& open, const QString& close) {
    const qsizetype a = text.indexOf(open);
    const qsizetype b = text.indexOf(close);
    if (a < 0 || b < a)
        return std::nullopt;
    const qsizetype start = a + open.size();
    return text.mid(start, b - start);
}

qsizetype skipLineBreak(const QString& text, qsizetype pos) {
    if (text.mid(pos, 2) == kCrLf)
        return pos + 2;
    if (pos < text.size() && (text[pos] == QChar('\n') || text[pos] == QChar('\r')))
        return pos + 1;
    return pos;
}

} // namespace

QString format(const Note& note) {
    return QStringLiteral("<DEST>") + note.dest + QStringLiteral("</DEST>") + kCrLf +
           QStringLiteral("<SOGG>") + note.sogg + QStringLiteral("</SOGG>") + kCrLf +
           toCrLf(note.body) + kCrLf;
}

Parsed parse(const QString& text) {
    Parsed p;
    p.dest = between(text, QStringLiteral("<DEST>"), QStringLiteral("</DEST>"));
    p.sogg = between(text, QStringLiteral("<SOGG>"), QStringLiteral("</SOGG>"));
    if (p.dest)
        p.dest = oneLine(*p.dest);
    if (p.sogg)
        p.sogg = oneLine(*p.sogg);

    // The body follows the last tag line; the line break that ends the tag
    // line and the one written after the body belong to the file, not to the
    // note, so a saved note opens exactly as it was written.
    qsizetype start = 0;
    for (const QString& tag : {QStringLiteral("</SOGG>"), QStringLiteral("</DEST>")}) {
        const qsizetype at = text.indexOf(tag);
        if (at >= 0) {
            start = skipLineBreak(text, at + tag.size());
            break;
        }
    }
    QString body = text.mid(start);
    if (body.endsWith(kCrLf))
        body.chop(2);
    else if (body.endsWith(QChar('\n')) || body.endsWith(QChar('\r')))
        body.chop(1);
    p.body = toLf(body);
    return p;
}

QStringList commands(const Note& note) {
    QStringList out;
    out << QStringLiteral("nota a ") + oneLine(note.dest) + kCrLf;
    out << QStringLiteral("nota soggetto ") + oneLine(note.sogg) + kCrLf;
    for (const QString& line : toLf(note.body).split(QChar('\n')))
        out << QStringLiteral("nota + ") + line + kCrLf;
    out << QStringLiteral("nota spedisci") + kCrLf;
    return out;
}

FileResult save(const QString& path, const Note& note) {
    // Replaced in one step: a failed write never leaves half a note behind.
    return TextFile::writeAll(path, format(note));
}

FileResult load(const QString& path, QString& text) {
    return TextFile::readAll(path, text);
}

QString withExtension(const QString& path) {
    if (path.endsWith(QStringLiteral(".not"), Qt::CaseInsensitive))
        return path;
    return path + QStringLiteral(".not");
}

} // namespace NoteFile
