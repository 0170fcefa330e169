// The whole client as a player runs it: the real main window, started on a
// player's folder with N triggers in trigger.txt, takes a generated coloured
// session flooded over loopback as fast as it reads it. Prints per trigger
// count: throughput (first byte to the last line shown), CPU seconds of the
// window's thread and of the whole client process, the window thread's wait
// for a CPU (a shared machine's share of the time), peak resident memory, and
// the time from entering main() to a usable window (shown, painted, event loop
// idle). Each run is a process of its own, so every peak is that run's; the
// figures are the medians of the runs.
//
//   bench_client [--megabytes 20] [--counts 0,5,1000] [--runs 3] [--attributes] [--log]
//   bench_client --row N [--megabytes 20] [--attributes] [--log] [--mappings]
//       one run, one line; --mappings lists the largest resident mappings
//
// The server is a process of its own (this program with --serve), holding a
// quarter-megabyte block sent repeatedly: the peak and the CPU seconds are
// the client's alone.
#include "bench/ProcessMemory.h"
#include "bench/SessionGenerator.h"
#include "client/ClientApplication.h"
#include "files/OneHeap.h"
#include "session/Connection.h"
#include "support/FloodServer.h"
#include "support/PaintCounter.h"
#include "support/TestFiles.h"
#include "support/client/MainWindowRig.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

const QByteArray kEndLine = "\r\nFINE DEL DILUVIO\r\n";
constexpr qint64 kBlockBytes = 1 << 18; // the session is this block, repeated

double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Time this thread stood ready while others had the CPU: on a shared
// machine it tells a slow client from a busy neighbour.
double waitSeconds() {
    QFile f(QStringLiteral("/proc/thread-self/schedstat"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().split(' ').value(1).toDouble() / 1e9;
}

// The mappings holding the most resident memory, largest first: where the
// peak goes (libraries, fonts, the heap).
void printLargestMappings(int most) {
    QFile f(QStringLiteral("/proc/self/smaps"));
    if (!f.open(QIODevice::ReadOnly))
        return;
    QList<QPair<long, QByteArray>> found;
    QByteArray name;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (!words.isEmpty() && words[0].contains('-') && !words[0].endsWith(':'))
            name = words.size() > 5 ? words[5] : QByteArray("[anonymous]");
        else if (words.size() > 1 && words[0] == "Rss:")
            found.append({words[1].toLong(), name});
    }
    QMap<QByteArray, long> byName;
    for (const auto& [kib, mapping] : found)
        byName[mapping] += kib;
    QList<QPair<long, QByteArray>> sorted;
    for (auto it = byName.begin(); it != byName.end(); ++it)
        sorted.append({it.value(), it.key()});
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    for (int i = 0; i < std::min<int>(most, int(sorted.size())); ++i)
        std::fprintf(stderr, "%8ld kB  %s\n", sorted[i].first, sorted[i].second.constData());
}

struct Row {
    double mbPerSecond = 0;
    double cpuWindow = 0;  // the window's thread, during the flood
    double cpuProcess = 0; // every thread of the client
    double waited = 0;     // the window's thread, ready but not running
    double peakMB = 0;
    double startMs = 0;
    int paints = 0; // of the display, during the flood
};

// One run in this process; prints one line the parent reads.
int runRow(QApplication& app, const QElapsedTimer& sinceMain, int triggers, int megabytes,
           bool attributes) {
    // The server's start is not the client's: its time is left out.
    QElapsedTimer serverStart;
    serverStart.start();
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList serverArgs = {QStringLiteral("--serve"), QStringLiteral("--megabytes"),
                              QString::number(megabytes)};
    if (attributes)
        serverArgs << QStringLiteral("--attributes");
    server.start(QCoreApplication::applicationFilePath(), serverArgs);
    while (!server.canReadLine() && server.waitForReadyRead(10000)) {
    }
    const QList<QByteArray> serving = server.readLine().trimmed().split(' ');
    if (serving.size() != 3 || serving[0] != "PORT") {
        std::fprintf(stderr, "the flood server did not start\n");
        return 1;
    }
    const quint16 port = quint16(serving[1].toUInt());
    const qint64 total = serving[2].toLongLong();
    const qint64 serverStartNs = serverStart.nsecsElapsed();
    MainWindowRig rig(port, attributes ? QByteArray("COLORI=ANSI\r\n") : QByteArray());
    put(rig.path(QStringLiteral("trigger.txt")),
        SessionGenerator::triggerFile(SessionGenerator::triggers(triggers, 7)));

    // Usable: the window is up, has painted its display, and the event loop
    // has nothing left to do.
    FrmMain& window = rig.make();
    PaintCounter paints;
    window.display()->viewport()->installEventFilter(&paints);
    rig.load();
    if (QCoreApplication::arguments().contains(QStringLiteral("--log")))
        window.logSwitch()->click();
    QElapsedTimer wait;
    wait.start();
    while (paints.paints == 0 && wait.elapsed() < 10000)
        app.processEvents(QEventLoop::WaitForMoreEvents, 20);
    app.processEvents();
    const double startMs = double(sinceMain.nsecsElapsed() - serverStartNs) / 1e6;
    paints.paints = 0; // from here, the flood's

    qint64 processed = 0;
    QElapsedTimer clock;
    double cpuWindowStart = 0, cpuProcessStart = 0, waitStart = 0;
    QObject::connect(window.connection(), &Connection::received, &window,
                     [&](const QByteArray& chunk) {
                         if (processed == 0) {
                             clock.start();
                             cpuWindowStart = cpuSeconds(RUSAGE_THREAD);
                             cpuProcessStart = cpuSeconds(RUSAGE_SELF);
                             waitStart = waitSeconds();
                         }
                         processed += chunk.size();
                     });
    window.ConnettiServer();
    const DisplayBuffer& shown = window.display()->buffer();
    QElapsedTimer limit;
    limit.start();
    while (limit.elapsed() < 600000) {
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (shown.lastLine() > 0 && shown.lineText(shown.lastLine() - 1) == "FINE DEL DILUVIO")
            break;
    }
    Row r;
    r.mbPerSecond = double(processed) / 1048576.0 / (double(clock.nsecsElapsed()) / 1e9);
    r.cpuWindow = cpuSeconds(RUSAGE_THREAD) - cpuWindowStart;
    r.cpuProcess = cpuSeconds(RUSAGE_SELF) - cpuProcessStart;
    r.waited = waitSeconds() - waitStart;
    r.peakMB = double(peakKiB()) / 1024.0;
    r.startMs = startMs;
    r.paints = paints.paints;
    window.display()->viewport()->removeEventFilter(&paints);
    window.DisconnettiServer();
    server.closeWriteChannel(); // the server's cue to end
    server.waitForFinished(10000);
    if (QCoreApplication::arguments().contains(QStringLiteral("--mappings")))
        printLargestMappings(25);
    for (const QString& text : rig.messageTexts())
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    std::printf("ROW %d %.2f %.3f %.3f %.3f %.1f %.1f %d %lld %lld\n", triggers, r.mbPerSecond,
                r.cpuWindow, r.cpuProcess, r.waited, r.peakMB, r.startMs, r.paints, processed,
                total);
    return processed == total ? 0 : 1;
}

double median(QList<double> v) {
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The flood server's process: prints its port and the session's size, sends
// when the client connects, and ends when its standard input closes.
int serve(int megabytes, bool attributes) {
    const QByteArray block = SessionGenerator::session(kBlockBytes, 20261207, attributes);
    const int repeats = megabytes * int((1 << 20) / kBlockBytes);
    FloodServer server(block, repeats, kEndLine);
    std::printf("PORT %u %lld\n", unsigned(server.port()),
                block.size() * qint64(repeats) + kEndLine.size());
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    return server.port() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int megabytes = 20, runs = 3, row = -1;
    QList<int> counts = {0, 5, 1000};
    const bool attributes = args.contains(QStringLiteral("--attributes"));
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--megabytes")
            megabytes = std::max(1, args[++i].toInt());
        else if (args[i] == "--runs")
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == "--row")
            row = std::max(0, args[++i].toInt());
        else if (args[i] == "--counts") {
            counts.clear();
            for (const QString& n : args[++i].split(u',', Qt::SkipEmptyParts))
                counts << std::max(0, n.toInt());
        }
    }
    if (args.contains(QStringLiteral("--serve")))
        return serve(megabytes, attributes);

    useOneHeap();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpClientApplication(app);
    if (row >= 0)
        return runRow(app, sinceMain, row, megabytes, attributes);

    std::printf("whole client (%s), %d MB %s session%s, medians of %d runs\n",
                qPrintable(QGuiApplication::platformName()), megabytes,
                attributes ? "attribute-heavy" : "coloured",
                args.contains(QStringLiteral("--log")) ? ", logged" : "", runs);
    std::printf("%8s %9s %11s %11s %9s %9s %9s %7s\n", "triggers", "MB/s", "CPU s win", "CPU s all",
                "wait s", "peak MB", "start ms", "paints");
    int failures = 0;
    for (int n : counts) {
        QList<double> columns[7];
        for (int i = 0; i < runs; ++i) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            QStringList childArgs = {QStringLiteral("--row"), QString::number(n),
                                     QStringLiteral("--megabytes"), QString::number(megabytes)};
            for (const char* option : {"--attributes", "--log"})
                if (args.contains(QLatin1String(option)))
                    childArgs << QLatin1String(option);
            child.start(QCoreApplication::applicationFilePath(), childArgs);
            child.waitForFinished(-1);
            const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
            if (child.exitCode() != 0 || f.size() < 9 || f[0] != "ROW") {
                ++failures;
                continue;
            }
            for (int c = 0; c < 7; ++c)
                columns[c] << f[2 + c].toDouble();
        }
        std::printf("%8d %9.1f %11.3f %11.3f %9.3f %9.1f %9.1f %7.0f\n", n, median(columns[0]),
                    median(columns[1]), median(columns[2]), median(columns[3]), median(columns[4]),
                    median(columns[5]), median(columns[6]));
        std::fflush(stdout);
    }
    return failures ? 1 : 0;
}
