#include "CommandLine.h"

namespace CommandLine {

namespace {
bool isBlank(QChar c) {
    return c == QChar(' ') || c == QChar('\t');
}
} // namespace

QStringList split(const QString& line) {
    QStringList out;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n && isBlank(line[i]))
        ++i;
    if (i >= n)
        return out;

    // Program name: quotes toggle, nothing is escaped.
    QString prog;
    bool quoted = false;
    for (; i < n; ++i) {
        const QChar c = line[i];
        if (c == QChar('"'))
            quoted = !quoted;
        else if (isBlank(c) && !quoted)
            break;
        else
            prog += c;
    }
    out << prog;

    for (;;) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i >= n)
            break;
        QString arg;
        quoted = false;
        while (i < n && (quoted || !isBlank(line[i]))) {
            qsizetype slashes = 0;
            while (i < n && line[i] == QChar('\\')) {
                ++slashes;
                ++i;
            }
            if (i < n && line[i] == QChar('"')) {
                arg += QString(slashes / 2, QChar('\\'));
                if (slashes % 2) {
                    arg += QChar('"'); // \" is a literal quote
                    ++i;
                } else if (quoted && i + 1 < n && line[i + 1] == QChar('"')) {
                    arg += QChar('"'); // "" inside quotes is a literal quote
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += QString(slashes, QChar('\\'));
                if (i < n && (quoted || !isBlank(line[i]))) {
                    arg += line[i];
                    ++i;
                }
            }
        }
        out << arg;
    }
    return out;
}

} // namespace CommandLine
