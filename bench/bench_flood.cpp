// A server floods the real main window: a thread sends 50 MB (or the MB given
// as the first argument) of coloured lines over loopback as fast as the
// window takes them. Prints throughput, the longest stall of the event loop
// (the largest gap between two ticks of a 1 ms timer) and the peak resident
// memory. With "oneline" as the second argument the flood holds no line
// break at all until its last line. Asserts nothing.
#include "bench/ProcessMemory.h"
#include "session/Connection.h"
#include "support/FloodServer.h"
#include "support/client/MainWindowRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace {

const QByteArray kEndLine = "\r\nFINE DEL DILUVIO\r\n";

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 50;

    const bool oneLine = argc > 2 && QByteArray(argv[2]) == "oneline";
    const QByteArray block = floodText(1024 * 1024, !oneLine);
    const qint64 total = block.size() * megabytes + kEndLine.size();
    FloodServer server(block, megabytes, kEndLine);
    // The start-up window is closed at once; boxes say OK and are listed at the end.
    MainWindowRig rig(server.port());
    rig.load();
    FrmMain& window = *rig.window;
    app.processEvents();
    const long rssBefore = statusKiB("VmRSS");

    qint64 processed = 0;
    QElapsedTimer clock;
    QObject::connect(window.connection(), &Connection::received, &window,
                     [&](const QByteArray& chunk) {
                         if (processed == 0)
                             clock.start();
                         processed += chunk.size();
                     });
    qint64 longestStallNs = 0;
    int ticks = 0;
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (processed > 0) {
            longestStallNs = qMax(longestStallNs, sinceTick.nsecsElapsed());
            ++ticks;
        }
        sinceTick.restart();
    });
    sinceTick.start();
    tick.start();

    QElapsedTimer limit;
    limit.start();
    window.ConnettiServer();
    const DisplayBuffer& shown = window.display()->buffer();
    while (limit.elapsed() < 600000) {
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (shown.lastLine() > 0 && shown.lineText(shown.lastLine() - 1) == "FINE DEL DILUVIO")
            break;
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    tick.stop();
    const int lines = shown.lineCount();
    const int characters = shown.length();
    window.DisconnettiServer();

    std::printf("flood into the main window (offscreen, %d MB of coloured 80-byte %s)\n", megabytes,
                oneLine ? "pieces in one line" : "lines");
    std::printf("  received       %lld of %lld bytes\n", processed, total);
    std::printf("  time           %.2f s\n", seconds);
    std::printf("  throughput     %.2f MB/s\n", processed / 1048576.0 / seconds);
    std::printf("  longest stall  %.1f ms (1 ms timer, %d ticks)\n", longestStallNs / 1e6, ticks);
    std::printf("  display        %d lines, %d characters\n", lines, characters);
    std::printf("  memory         %ld kB resident before, %ld kB peak\n", rssBefore, peakKiB());
    for (const QString& text : rig.messageTexts())
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    return processed == total ? 0 : 1;
}
