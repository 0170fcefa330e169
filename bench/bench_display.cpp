// Throughput of the game display under a flood: 200,000 coloured pieces of
// about ten characters with a line break every eight pieces, trimmed to 501
// lines after each piece as the text path does, with a forced repaint every
// 16 ms of wall time. Prints figures; asserts nothing.
#include "display/GameDisplay.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <cstdio>
#include <vector>

namespace {
QString peakRss() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    const QString status = QString::fromLatin1(f.readAll());
    const auto m = QRegularExpression(QStringLiteral("VmHWM:\\s*(\\d+ kB)")).match(status);
    return m.hasMatch() ? m.captured(1) : QStringLiteral("?");
}

struct Result {
    double seconds = 0;
    qint64 chars = 0;
    int pieces = 0;
    int lines = 0;
    int repaints = 0;
};

Result flood(GameDisplay& d, const std::vector<QString>& pieces, const std::vector<QRgb>& colours,
             bool processEvents) {
    Result r;
    QElapsedTimer clock, frame;
    clock.start();
    frame.start();
    for (size_t i = 0; i < pieces.size(); ++i) {
        d.setSelColor(colours[i]);
        d.insertText(pieces[i]);
        if (d.lastLine() >= 500)
            d.removeLeadingLines(d.lastLine() - 500);
        r.chars += pieces[i].size();
        if (frame.elapsed() >= 16) {
            frame.restart();
            if (processEvents)
                QCoreApplication::processEvents();
            d.viewport()->repaint();
            ++r.repaints;
        }
    }
    QCoreApplication::processEvents();
    d.viewport()->repaint();
    r.seconds = clock.nsecsElapsed() / 1e9;
    r.pieces = int(pieces.size());
    return r;
}

void print(const char* name, const Result& r, int lines) {
    std::printf("%-34s %7.2f MB/s %10.0f pieces/s %9.0f lines/s  %5.3f s  %d repaints\n", name,
                r.chars / 1e6 / r.seconds, r.pieces / r.seconds, lines / r.seconds, r.seconds,
                r.repaints);
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QRgb palette[] = {qRgb(120, 120, 120), qRgb(240, 0, 0),    qRgb(0, 240, 0),
                            qRgb(240, 240, 0),   qRgb(0, 0, 240),    qRgb(240, 0, 240),
                            qRgb(0, 240, 240),   qRgb(240, 240, 240)};
    const int count = 200000;
    std::vector<QString> pieces;
    std::vector<QRgb> colours;
    pieces.reserve(count);
    colours.reserve(count);
    int lines = 0;
    for (int i = 0; i < count; ++i) {
        QString p = QStringLiteral("pz%1 abcdefgh").left(8 + i % 5).arg(i % 1000);
        if (i % 8 == 7) {
            p += QStringLiteral("\r\n");
            ++lines;
        }
        pieces.push_back(p);
        colours.push_back(palette[(i * 7 + i / 3) % 8]);
    }

    GameDisplay d;
    d.resize(1000, 700);
    d.show();
    QCoreApplication::processEvents();
    std::printf("display %d columns x %d rows, %d pieces, %d line breaks\n", d.columns(), d.rows(),
                count, lines);

    print("flood, repaint every 16 ms", flood(d, pieces, colours, false), lines);
    print("flood, events + repaint per 16 ms", flood(d, pieces, colours, true), lines);

    // The player has scrolled up: new text and trims must not move the view.
    d.scrollPages(-3);
    print("flood, scrolled up", flood(d, pieces, colours, true), lines);
    d.scrollToBottom();

    // One megabyte without a line break, in 1 kB pieces.
    std::vector<QString> longLine(1024, QString(1024, u'x'));
    std::vector<QRgb> longColours(1024);
    for (size_t i = 0; i < longColours.size(); ++i)
        longColours[i] = palette[i % 8];
    print("1 MB line in 1 kB pieces", flood(d, longLine, longColours, true), 0);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 60; ++i)
        d.viewport()->repaint();
    std::printf("repaint with a 1 MB line visible: %.3f ms each\n", t.nsecsElapsed() / 1e6 / 60);

    std::printf("peak RSS (VmHWM): %s\n", qPrintable(peakRss()));
    return 0;
}
