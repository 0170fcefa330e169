#include "bench/SessionGenerator.h"

#include "files/CodePage.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>

#include <iterator>

namespace {

const QStringList kWords = {
    "il",       "la",       "un",       "una",     "di",       "del",        "nella",    "con",
    "spada",    "scudo",    "goblin",   "taverna", "porta",    "nord",       "sud",      "est",
    "ovest",    "vedi",     "qui",      "uscite",  "oro",      "monete",     "pozione",  "antica",
    "torre",    "bosco",    "sentiero", "guardia", "mercante", "ti",         "guarda",   "attacca",
    "colpisce", "manca",    "fuggi",    "stanco",  "città",    "perché",     "più",      "è",
    "armatura", "mantello", "fiume",    "ponte",   "cammini",  "lentamente", "silenzio", "notte"};
// Trigger phrases are built from these, which the session never uses.
const QStringList kRareWords = {"drago",    "fenice",    "basilisco", "negromante", "incantesimo",
                                "vulcano",  "labirinto", "chimera",   "oracolo",    "grifone",
                                "tempesta", "ombra",     "rubino",    "sortilegio", "campana"};
const char* const kColours[] = {"\x1b[0m",    "\x1b[31m",   "\x1b[32m",   "\x1b[1;33m",
                                "\x1b[34m",   "\x1b[1;35m", "\x1b[36m",   "\x1b[37m",
                                "\x1b[1;32m", "\x1b[0;37m", "\x1b[1;31m", "\x1b[m"};
// Text of today's servers: backgrounds, attributes and their undoing.
const char* const kAttributes[] = {"\x1b[0m",        "\x1b[1;33;44m",        "\x1b[3m",
                                   "\x1b[23;4m",     "\x1b[24;7m",           "\x1b[27m",
                                   "\x1b[48;5;238m", "\x1b[38;2;250;128;0m", "\x1b[48:2::20:40:60m",
                                   "\x1b[2;9m",      "\x1b[22;29;49m",       "\x1b[101;30m",
                                   "\x1b[1m",        "\x1b[39;49m"};

} // namespace

QByteArray SessionGenerator::session(qsizetype size, quint32 seed, bool attributes) {
    QRandomGenerator rng(seed);
    QByteArray out;
    out.reserve(size + 256);
    QString line;
    int lineNo = 0;
    while (out.size() < size) {
        line.clear();
        int untilColour = 2 + int(rng.bounded(4));
        // Now and then a line holds a phrase that some triggers look for.
        if (++lineNo % 397 == 0)
            line += kRareWords[int(rng.bounded(int(kRareWords.size())))] + " ";
        while (line.size() < 72) {
            if (--untilColour == 0) {
                line += QString::fromLatin1(
                    attributes ? kAttributes[rng.bounded(int(std::size(kAttributes)))]
                               : kColours[rng.bounded(int(std::size(kColours)))]);
                untilColour = 2 + int(rng.bounded(4));
            }
            line += kWords[int(rng.bounded(int(kWords.size())))];
            line += u' ';
        }
        line += QStringLiteral("\r\n");
        out += CodePage::encode(line);
    }
    return out;
}

QList<QPair<QString, QString>> SessionGenerator::triggers(int n, quint32 seed) {
    QRandomGenerator rng(seed);
    QList<QPair<QString, QString>> out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        QString text;
        if (i % 50 == 49) { // a single rare word: occurs every few hundred lines
            text = kRareWords[int(rng.bounded(int(kRareWords.size())))];
        } else {
            const int words = 2 + int(rng.bounded(3));
            for (int w = 0; w < words; ++w) {
                if (w > 0)
                    text += u' ';
                const QStringList& from = w == 1 ? kWords : kRareWords;
                text += from[int(rng.bounded(int(from.size())))];
            }
        }
        out.append({text, QStringLiteral("say %1<%>").arg(i)});
    }
    return out;
}

QByteArray SessionGenerator::triggerFile(const QList<QPair<QString, QString>>& triggers) {
    QByteArray out;
    for (const auto& [text, action] : triggers)
        out += CodePage::encode(QString(text + QStringLiteral("<!>") + action + "\r\n"));
    return out;
}

QList<SessionGenerator::ScriptTrigger> SessionGenerator::scriptTriggers(int n) {
    QList<ScriptTrigger> out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QString k = QString::number(i);
        switch (i % 10) {
        case 0:
        case 1:
        case 2:
            out.append({"^(\\w+) ti colpisce col colpo " + k + " per (\\d+) danni",
                        "function(m) fired = fired + tonumber(m[2]) send('colpisci ' .. m[1]) "
                        "end"});
            break;
        case 3:
        case 4:
            out.append({"(?:rosso|nero|verde) drago " + k + " (\\w+)", "'guarda %1'"});
            break;
        case 5:
        case 6:
            out.append({"^PF:(\\d+)/(\\d+) MV:" + k + "\\b", "'cura %1'"});
            break;
        case 7:
        case 8:
            out.append(
                {"(?<chi>\\w+) ti dice '" + k + " (.*)'", "function(m) vars.chi = m.chi end"});
            break;
        default:
            out.append(i % 100 == 99
                           ? ScriptTrigger{"^\\d+ monete (?:d'oro|d'argento)$", "'prendi'"}
                           : ScriptTrigger{"tempesta di " + k + " fulmini", "'fuggi'"});
        }
    }
    return out;
}

QByteArray SessionGenerator::triggerScript(const QList<ScriptTrigger>& triggers) {
    QString s = QStringLiteral("local fired = 0\n");
    for (const ScriptTrigger& t : triggers)
        s += "trigger([[" + t.pattern + "]], " + t.action + ")\n";
    return s.toUtf8();
}

QString SessionGenerator::firingLine(int i) {
    return QStringLiteral("Goblin ti colpisce col colpo %1 per 7 danni").arg((i % 100) * 10);
}

void SessionGenerator::addFiringLines(QByteArray& session, int count) {
    QByteArray out;
    out.reserve(session.size() + count * 64);
    qsizetype copied = 0;
    for (int i = 0; i < count; ++i) {
        // The line that starts at or after an even share of the session.
        qsizetype start = qsizetype(double(i) / count * double(session.size()));
        if (start > 0) {
            start = session.indexOf("\r\n", start - 1);
            if (start < 0)
                break;
            start += 2;
        }
        const qsizetype end = session.indexOf("\r\n", start);
        if (end < 0 || start < copied)
            break;
        out += QByteArrayView(session).sliced(copied, start - copied);
        out += CodePage::encode(firingLine(i));
        copied = end;
    }
    out += QByteArrayView(session).sliced(copied);
    session = out;
}

QStringList SessionGenerator::scriptLines(qsizetype size, quint32 seed) {
    static const QRegularExpression sgr(QStringLiteral("\x1b\\[[0-9;:]*m"));
    QString text = CodePage::decode(session(size, seed));
    text.remove(sgr);
    QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    for (int i = 0; i < 100; ++i)
        lines[qsizetype(i) * lines.size() / 100] = firingLine(i);
    return lines;
}
