// Decoding speed of the session's text, per read of 2048 bytes as the
// connection hands them on: the game's code page, UTF-8 of the same text
// (mostly ASCII, Italian letters, colour sequences), and Qt's own streaming
// UTF-8 decoder for comparison. Best of several runs.
// Run: ./bench_codec [megabytes]
#include "protocol/TextCodec.h"

#include <QElapsedTimer>
#include <QStringDecoder>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {
constexpr qsizetype kRead = 2048;

QString gameText(qsizetype size) {
    const QString lines[] = {
        QStringLiteral("\x1b[1;32mPiazza del Pozzo\x1b[0m\r\n"),
        QStringLiteral("Una piazza lastricata: al centro c'è un vecchio pozzo di pietra.\r\n"),
        QStringLiteral("\x1b[33mAle dice 'la città è più bella di sera, perché no?'\x1b[0m\r\n"),
        QStringLiteral("Il mercante chiede 12 € per la spada. [Uscite: nord sud est ovest]\r\n"),
        QStringLiteral("\x1b[1;31mUn goblin ti colpisce!\x1b[0m Ti restano 42 punti vita.\r\n"),
    };
    QString text;
    for (int i = 0; text.size() < size; ++i)
        text += lines[i % 5];
    return text;
}

// Megabytes per second of the bytes, in reads of kRead, best of five.
double speed(const QByteArray& bytes, const std::function<qsizetype(QByteArrayView)>& decode) {
    double best = 0;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        qsizetype chars = 0;
        for (qsizetype at = 0; at < bytes.size(); at += kRead)
            chars += decode(QByteArrayView(bytes).sliced(at, qMin(kRead, bytes.size() - at)));
        const double s = t.nsecsElapsed() / 1e9;
        if (chars > 0)
            best = qMax(best, bytes.size() / 1e6 / s);
    }
    return best;
}
} // namespace

int main(int argc, char** argv) {
    const qsizetype megabytes = argc > 1 ? std::atoi(argv[1]) : 32;
    const QString text = gameText(megabytes * 1000 * 1000);
    const QByteArray cp1252 = TextCodec(TextEncoding::Cp1252).encode(text);
    const QByteArray utf8 = text.toUtf8();

    TextCodec codePage(TextEncoding::Cp1252);
    const double cp = speed(cp1252, [&](QByteArrayView b) { return codePage.decode(b).size(); });
    TextCodec ours(TextEncoding::Utf8);
    const double u8 = speed(utf8, [&](QByteArrayView b) { return ours.decode(b).size(); });
    QStringDecoder qt(QStringDecoder::Utf8);
    const double q8 = speed(utf8, [&](QByteArrayView b) { return QString(qt.decode(b)).size(); });

    qsizetype ascii = 0;
    for (const char c : utf8)
        ascii += uchar(c) < 0x80;
    std::printf("text: %lld MB of game text, %.1f%% ASCII bytes in UTF-8, reads of %lld bytes\n",
                static_cast<long long>(megabytes), 100.0 * double(ascii) / double(utf8.size()),
                static_cast<long long>(kRead));
    std::printf("Windows-1252 (TextCodec):  %8.1f MB/s\n", cp);
    std::printf("UTF-8 (TextCodec):         %8.1f MB/s  (%.0f%% of Windows-1252)\n", u8,
                100.0 * u8 / cp);
    std::printf("UTF-8 (QStringDecoder):    %8.1f MB/s  (%.0f%% of Windows-1252)\n", q8,
                100.0 * q8 / cp);
    return 0;
}
