// Throughput of received text: a session replayed in 2048-byte reads through
// the client's text path (telnet, code page, line breaks, colours, triggers;
// replies go to a loopback socket), first into a display that does nothing,
// then into the real game display on the offscreen platform. Each row runs
// twice on the same text: encoded in Windows-1252 and, with the session begun
// in UTF-8, encoded in UTF-8; "utf8/cp" is the UTF-8 run's throughput as a
// share of the Windows-1252 run's (CPU time on the same text).
//
//   bench_textpath [--input FILE --triggers FILE] [--megabytes N]
//                  [--path text|display|both] [--counts 0,100,1000]
//                  [--encoding cp1252|utf8|both] [--attributes] [--regex 0,1000]
//
// --regex: rows with that many of the scripts' regular-expression triggers
// (a player's realistic mix, see SessionGenerator) and no plain ones, the
// engine reading the lines as the client's script bridge hooks it in; 100
// lines of the generated session fire one of them.
// --attributes: the session holds the sequences of today's servers
// (backgrounds, bold, italic, underline, reverse, ...), drawn under the
// terminal rules.
#include "automation/PairTable.h"
#include "bench/ProcessMemory.h"
#include "bench/SessionGenerator.h"
#include "bench/ThreadClock.h"
#include "client/ScriptBridge.h"
#include "display/GameDisplay.h"
#include "files/CodePage.h"
#include "protocol/TextPath.h"
#include "session/GameSession.h"
#include "support/automation/TriggerTable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <memory>
#include <vector>

namespace {

constexpr qsizetype kReadSize = 2048;

struct NullSink : DisplaySink {
    void setSelColor(QRgb) override {}
    void setSelBold(bool) override {}
    void insertText(QStringView text) override { chars += text.size(); }
    int lastLine() const override { return 0; }
    void removeLeadingLines(int) override {}
    qint64 chars = 0;
};

// The receiving end of trigger writes: counts what arrives and throws it away.
struct Loopback {
    QTcpServer server;
    QTcpSocket client;
    QTcpSocket* peer = nullptr;
    qint64 received = 0;

    bool open() {
        if (!server.listen(QHostAddress::LocalHost, 0))
            return false;
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        if (!client.waitForConnected(5000) || !server.waitForNewConnection(5000))
            return false;
        peer = server.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead,
                         [this] { received += peer->readAll().size(); });
        return true;
    }
};

void resetPeak() {
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

struct Result {
    double mbPerSecond = 0; // wall clock
    double cpuMbPerSecond = 0;
    double cpuSeconds = 0;
    double p50us = 0; // CPU time per read
    double p99us = 0;
    long peakKiB = 0;
    qint64 triggerBytes = 0;
    int repaints = 0;
};

// script: the player's script folder holds it as its one file; empty for none.
Result run(const QByteArray& session, const QList<QPair<QString, QString>>& triggerEntries,
           const QByteArray& script, bool realDisplay, bool utf8, bool attributes) {
    resetPeak();
    Loopback loop;
    if (!loop.open()) {
        std::fprintf(stderr, "loopback socket failed\n");
        return {};
    }
    PairTable triggers = triggerTable(triggerEntries);
    NullSink nullSink;
    std::unique_ptr<GameDisplay> display;
    if (realDisplay) {
        display = std::make_unique<GameDisplay>();
        display->resize(1024, 700);
        display->show();
        QCoreApplication::processEvents();
    }
    DisplaySink& sink = realDisplay ? static_cast<DisplaySink&>(*display) : nullSink;
    GameSession game(sink, triggers);
    TextPath& path = game.textPath();
    QTemporaryDir scriptFolder;
    PairTable aliases;
    std::unique_ptr<ScriptBridge> scripts;
    if (!script.isEmpty()) {
        QFile f(QDir(scriptFolder.path()).filePath(QStringLiteral("trigger.lua")));
        if (!f.open(QIODevice::WriteOnly) || f.write(script) != script.size())
            return {};
        f.close();
        scripts = std::make_unique<ScriptBridge>(scriptFolder.path(), QString(), game, aliases);
        scripts->engine().connected(); // loads the scripts, as a session's start does
        if (!scripts->engine().lastErrors().isEmpty()) {
            std::fprintf(stderr, "script error: %s\n",
                         qPrintable(scripts->engine().lastErrors().join('\n')));
            return {};
        }
    }
    if (utf8 || attributes)
        path.beginSession({utf8 ? EncodingChoice::Utf8 : EncodingChoice::Cp1252, false,
                           attributes ? ColourRules::Terminal : ColourRules::Automatic});
    qint64 sent = 0; // counted here: the loopback may not have taken them all yet
    path.setSendHook([&loop, &sent](QByteArrayView bytes) {
        sent += bytes.size();
        loop.client.write(bytes.data(), bytes.size());
    });

    std::vector<qint64> latencies;
    latencies.reserve(size_t(session.size() / kReadSize + 1));
    QElapsedTimer total, sinceRepaint;
    int repaints = 0;
    total.start();
    const qint64 cpuStart = threadCpuNanos();
    sinceRepaint.start();
    for (qsizetype at = 0; at < session.size(); at += kReadSize) {
        const qint64 chunkStart = threadCpuNanos();
        const qsizetype n = std::min(kReadSize, session.size() - at);
        path.receive(QByteArrayView(session).sliced(at, n));
        // Let the loopback take the trigger writes, and the display repaint,
        // at most once a frame.
        if (sinceRepaint.elapsed() >= 16) {
            if (display)
                display->viewport()->repaint();
            QCoreApplication::processEvents();
            sinceRepaint.start();
            ++repaints;
        }
        latencies.push_back(threadCpuNanos() - chunkStart);
    }
    const double seconds = double(total.nsecsElapsed()) / 1e9;
    const double cpuSeconds = double(threadCpuNanos() - cpuStart) / 1e9;
    loop.client.flush();
    QCoreApplication::processEvents();

    Result r;
    r.mbPerSecond = double(session.size()) / (1024.0 * 1024.0) / seconds;
    r.cpuMbPerSecond = double(session.size()) / (1024.0 * 1024.0) / cpuSeconds;
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        r.p50us = double(latencies[latencies.size() / 2]) / 1000.0;
        r.p99us = double(latencies[latencies.size() * 99 / 100]) / 1000.0;
    }
    r.cpuSeconds = cpuSeconds;
    r.peakKiB = peakKiB();
    r.triggerBytes = sent;
    r.repaints = repaints;
    return r;
}

// The same text in the other encoding; one session is held at a time, so
// the peak memory of a run is that of its own session.
void reencode(QByteArray& session, bool toUtf8) {
    session =
        toUtf8 ? CodePage::decode(session).toUtf8() : CodePage::encode(QString::fromUtf8(session));
#ifdef __GLIBC__
    malloc_trim(0); // the conversion's big blocks go back, not into the next run's peak
#endif
}

QList<int> countsOf(const QString& list) {
    QList<int> out;
    for (const QString& n : list.split(u',', Qt::SkipEmptyParts))
        out << std::max(0, n.toInt());
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString inputPath, triggersPath;
    QString paths = "both", encodings = "both";
    QList<int> counts = {0, 100, 1000};
    QList<int> regexCounts = {1000};
    int megabytes = 20;
    const bool attributes = args.contains(QStringLiteral("--attributes"));
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--input")
            inputPath = args[++i];
        else if (args[i] == "--triggers")
            triggersPath = args[++i];
        else if (args[i] == "--megabytes")
            megabytes = std::max(1, args[++i].toInt());
        else if (args[i] == "--path")
            paths = args[++i];
        else if (args[i] == "--counts")
            counts = countsOf(args[++i]);
        else if (args[i] == "--encoding")
            encodings = args[++i];
        else if (args[i] == "--regex")
            regexCounts = countsOf(args[++i]);
    }

    QByteArray session;
    if (!inputPath.isEmpty()) {
        QFile f(inputPath);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(inputPath));
            return 1;
        }
        session = f.readAll(); // taken as Windows-1252
    } else {
        session = SessionGenerator::session(qsizetype(megabytes) << 20, 20261207, attributes);
        SessionGenerator::addFiringLines(session, 100);
    }

    // Plain triggers, or a script of regular-expression ones.
    struct TriggerSet {
        QList<QPair<QString, QString>> plain;
        QByteArray script;
        QString label;
    };
    QList<TriggerSet> triggerSets;
    if (!triggersPath.isEmpty()) {
        const auto entries = readTriggerEntries(triggersPath);
        triggerSets.append({entries, {}, QString::number(entries.size())});
    } else {
        int most = 0;
        for (int n : counts)
            most = std::max(most, n);
        const auto all = SessionGenerator::triggers(most, 7);
        for (int n : counts)
            triggerSets.append({all.mid(0, n), {}, QString::number(n)});
    }
    for (int n : regexCounts)
        if (n > 0)
            triggerSets.append(
                {{},
                 SessionGenerator::triggerScript(SessionGenerator::scriptTriggers(n)),
                 QStringLiteral("%1 re").arg(n)});
    QList<bool> displays;
    if (paths != "display")
        displays << false;
    if (paths != "text")
        displays << true;
    QList<bool> utf8Runs;
    if (encodings != "utf8")
        utf8Runs << false;
    if (encodings != "cp1252")
        utf8Runs << true;

    qsizetype utf8Extra = 0; // a byte more for every character beyond ASCII
    for (char c : session)
        utf8Extra += (c & 0xE0) == 0x80 ? 2 : (c & 0x80) ? 1 : 0; // 0x80-0x9F: 3 bytes
    std::printf("session: %.1f MB in %lld-byte reads (%.1f MB as UTF-8)\n",
                double(session.size()) / (1 << 20), qlonglong(kReadSize),
                double(session.size() + utf8Extra) / (1 << 20));
    std::printf("MB/s by wall clock and by this thread's CPU time; read latency in CPU time\n");
    std::printf("%-12s %8s %-7s %9s %9s %9s %9s %10s %12s %9s %8s\n", "path", "triggers", "coding",
                "MB/s wall", "MB/s cpu", "p50 us", "p99 us", "VmHWM MB", "sent bytes", "repaints",
                "utf8/cp");
    bool inUtf8 = false;
    for (bool realDisplay : displays) {
        for (const auto& set : triggerSets) {
            double cpSeconds = 0;
            for (bool utf8 : utf8Runs) {
                if (utf8 != inUtf8) {
                    reencode(session, utf8);
                    inUtf8 = utf8;
                }
                const Result r = run(session, set.plain, set.script, realDisplay, utf8, attributes);
                QString ratio;
                if (!utf8)
                    cpSeconds = r.cpuSeconds;
                else if (cpSeconds > 0)
                    ratio = QString::number(100.0 * cpSeconds / r.cpuSeconds, 'f', 0) + '%';
                std::printf("%-12s %8s %-7s %9.1f %9.1f %9.1f %9.1f %10.1f %12lld %9d %8s\n",
                            realDisplay ? "end-to-end" : "text path", qPrintable(set.label),
                            utf8 ? "utf-8" : "cp1252", r.mbPerSecond, r.cpuMbPerSecond, r.p50us,
                            r.p99us, double(r.peakKiB) / 1024.0, qlonglong(r.triggerBytes),
                            r.repaints, qPrintable(ratio));
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
