// The script layer's cost per line of server text: the lines of a generated
// session (colours stripped, as the scripts see them) through the engine's
// line filter with 0, 100 and 1000 regular-expression triggers of a
// realistic mix (a literal with captures, an alternation inside a literal
// phrase, an anchored prompt-like line, a few with no literal at all), 100
// of the lines made to match (each firing sends a command, counted). Then the cost of one fired
// trigger: a Lua function called with its captures, against a text action.
//
//   bench_scripts [--megabytes N]
#include "bench/SessionGenerator.h"
#include "bench/ThreadClock.h"
#include "scripting/ScriptEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <utility>

namespace {
struct CountingHost : ScriptHost {
    qint64 sent = 0, shown = 0;
    void sendCommand(const QString&, Send) override { ++sent; }
    void showLine(const QString&, QRgb) override { ++shown; }
};

// MB/s by wall clock and by this thread's CPU time (the machine is shared).
std::pair<double, double> filterAll(ScriptEngine& engine, const QStringList& lines, qint64 bytes) {
    QElapsedTimer t;
    t.start();
    const qint64 cpuStart = threadCpuNanos();
    for (const QString& line : lines)
        engine.filterLine(line);
    const double mb = double(bytes) / (1024.0 * 1024.0);
    return {mb / (double(t.nsecsElapsed()) / 1e9),
            mb / (double(threadCpuNanos() - cpuStart) / 1e9)};
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int megabytes = 20;
    const QStringList args = app.arguments();
    const int at = int(args.indexOf(QStringLiteral("--megabytes")));
    if (at > 0 && at + 1 < args.size())
        megabytes = qMax(1, args[at + 1].toInt());
    const QStringList lines = SessionGenerator::scriptLines(qsizetype(megabytes) << 20, 7);
    qint64 bytes = 0;
    for (const QString& line : lines)
        bytes += line.toUtf8().size() + 2;

    std::printf("%lld lines, %.1f MB of text as the scripts see it\n", qlonglong(lines.size()),
                double(bytes) / (1024.0 * 1024.0));
    std::printf("%-10s %12s %12s %10s\n", "triggers", "MB/s wall", "MB/s cpu", "fired");
    for (int n : {0, 100, 1000}) {
        QTemporaryDir dir;
        QFile f(QDir(dir.path()).filePath(QStringLiteral("a.lua")));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(SessionGenerator::triggerScript(SessionGenerator::scriptTriggers(n)));
        f.close();
        CountingHost host;
        ScriptEngine engine(host, dir.path());
        engine.reload();
        const auto [wall, cpu] = filterAll(engine, lines, bytes);
        std::printf("%-10d %12.1f %12.1f %10lld\n", n, wall, cpu, qlonglong(host.sent));
    }

    // One trigger fired again and again, sending the same command: as a
    // text action, and from a Lua function called with its capture table.
    constexpr int kCalls = 200000;
    const QString line = SessionGenerator::firingLine(0);
    const QByteArray pattern = "trigger([[^(\\w+) ti colpisce col colpo 0 per (\\d+) danni]], ";
    double perCall[2] = {0, 0};
    for (int function = 0; function < 2; ++function) {
        QTemporaryDir dir;
        QFile f(QDir(dir.path()).filePath(QStringLiteral("a.lua")));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(pattern + (function ? "function(m) send('cura ' .. m[2]) end)\n" : "'cura %2')\n"));
        f.close();
        CountingHost host;
        ScriptEngine engine(host, dir.path());
        engine.reload();
        const qint64 cpuStart = threadCpuNanos();
        for (int i = 0; i < kCalls; ++i)
            engine.filterLine(line);
        perCall[function] = double(threadCpuNanos() - cpuStart) / 1000.0 / kCalls;
        if (host.sent != kCalls) {
            std::fprintf(stderr, "the trigger fired %lld times of %d\n", qlonglong(host.sent),
                         kCalls);
            return 1;
        }
    }
    std::printf("per fired trigger (CPU time): text action %.2f us, Lua function %.2f us (call "
                "overhead %.2f us)\n",
                perCall[0], perCall[1], perCall[1] - perCall[0]);
    return 0;
}
