// The script layer's cost per line of server text: the lines of a generated
// session (colours stripped, as the scripts see them) through the engine's
// line filter with 0, 100 and 1000 regular-expression triggers of a
// realistic mix (a literal with captures, an alternation inside a literal
// phrase, an anchored prompt-like line, a few with no literal at all), 100
// of the lines made to match. Then the cost of one fired trigger: a Lua
// function called with its captures, against a text action.
//
//   bench_scripts [--megabytes N]
#include "bench/SessionGenerator.h"
#include "files/CodePage.h"
#include "scripting/ScriptEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

namespace {
struct CountingHost : ScriptHost {
    qint64 sent = 0, shown = 0;
    void sendCommand(const QString&, Send) override { ++sent; }
    void showLine(const QString&, QRgb) override { ++shown; }
};

// The n triggers as one script: most are phrases with captures that occur
// in no line, as a player's collection of reactions would be.
QByteArray triggerScript(int n) {
    QByteArray s = "local fired = 0\n";
    for (int i = 0; i < n; ++i) {
        const QByteArray k = QByteArray::number(i);
        switch (i % 10) {
        case 0:
        case 1:
        case 2:
            s += "trigger([[^(\\w+) ti colpisce col colpo " + k +
                 " per (\\d+) danni]], function(m) fired = fired + tonumber(m[2]) end)\n";
            break;
        case 3:
        case 4:
            s += "trigger([[(?:rosso|nero|verde) drago " + k + " (\\w+)]], 'guarda %1')\n";
            break;
        case 5:
        case 6:
            s += "trigger([[^PF:(\\d+)/(\\d+) MV:" + k + "\\b]], 'cura %1')\n";
            break;
        case 7:
        case 8:
            s += "trigger([[(?<chi>\\w+) ti dice '" + k +
                 " (.*)']], function(m) vars.chi = m.chi "
                 "end)\n";
            break;
        default:
            s += i % 100 == 99 ? "trigger([[^\\d+ monete (?:d'oro|d'argento)$]], 'prendi')\n"
                               : "trigger([[tempesta di " + k + " fulmini]], 'fuggi')\n";
        }
    }
    return s;
}

QStringList sessionLines(int megabytes) {
    static const QRegularExpression sgr(QStringLiteral("\x1b\\[[0-9;]*m"));
    QString text = CodePage::decode(SessionGenerator::session(qsizetype(megabytes) << 20, 7));
    text.remove(sgr);
    QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    // 100 lines that fire a trigger, spread through the session.
    for (int i = 0; i < 100; ++i)
        lines[qsizetype(i) * lines.size() / 100] =
            QStringLiteral("Il goblin ti colpisce col colpo %1 per 7 danni").arg((i * 10) % 1000);
    return lines;
}

double filterAll(ScriptEngine& engine, const QStringList& lines, qint64 bytes) {
    QElapsedTimer t;
    t.start();
    for (const QString& line : lines)
        engine.filterLine(line);
    return double(bytes) / (1024.0 * 1024.0) / (double(t.nsecsElapsed()) / 1e9);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int megabytes = 20;
    const QStringList args = app.arguments();
    const int at = int(args.indexOf(QStringLiteral("--megabytes")));
    if (at > 0 && at + 1 < args.size())
        megabytes = qMax(1, args[at + 1].toInt());
    const QStringList lines = sessionLines(megabytes);
    qint64 bytes = 0;
    for (const QString& line : lines)
        bytes += line.toUtf8().size() + 2;

    std::printf("%lld lines, %.1f MB of text as the scripts see it\n", qlonglong(lines.size()),
                double(bytes) / (1024.0 * 1024.0));
    std::printf("%-10s %12s %10s %10s\n", "triggers", "MB/s", "fired", "sent");
    for (int n : {0, 100, 1000}) {
        QTemporaryDir dir;
        QFile f(QDir(dir.path()).filePath(QStringLiteral("a.lua")));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(triggerScript(n) + "function total() return fired end\n");
        f.close();
        CountingHost host;
        ScriptEngine engine(host, dir.path());
        engine.reload();
        const double rate = filterAll(engine, lines, bytes);
        std::printf("%-10d %12.1f %10d %10lld\n", n, rate, n ? 100 : 0, qlonglong(host.sent));
    }

    // One trigger fired again and again: the Lua call with its capture
    // table, against the same trigger with a text action.
    constexpr int kCalls = 200000;
    const QString line = QStringLiteral("Il goblin ti colpisce col colpo 1 per 7 danni");
    double perCall[2] = {0, 0};
    for (int function = 0; function < 2; ++function) {
        QTemporaryDir dir;
        QFile f(QDir(dir.path()).filePath(QStringLiteral("a.lua")));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(function ? "local n = 0\ntrigger([[^(\\w+) ti colpisce col colpo 1 per (\\d+) "
                           "danni]], function(m) n = n + tonumber(m[2]) end)\n"
                         : "trigger([[^(\\w+) ti colpisce col colpo 1 per (\\d+) danni]], "
                           "'cura %2')\n");
        f.close();
        CountingHost host;
        ScriptEngine engine(host, dir.path());
        engine.reload();
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kCalls; ++i)
            engine.filterLine(line);
        perCall[function] = double(t.nsecsElapsed()) / 1000.0 / kCalls;
    }
    std::printf("per fired trigger: text action %.2f us, Lua function %.2f us (call overhead "
                "%.2f us)\n",
                perCall[0], perCall[1], perCall[1] - perCall[0]);
    return 0;
}
