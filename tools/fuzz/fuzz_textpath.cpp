// Server bytes, split into reads of any size, through the client's text path
// into a real game display, with triggers firing.
//
// Input: optional trigger store lines, a NUL byte, then the server's bytes.
// Without a NUL the whole input is server bytes and a fixed set of triggers
// is used. The read sizes follow from a hash of the input.
#include "FuzzSupport.h"

#include "automation/PairTable.h"
#include "automation/Stores.h"
#include "files/CodePage.h"
#include "session/ColourRenderer.h"
#include "session/GameDisplay.h"
#include "session/TextPath.h"

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QRegularExpression>

#include <cstdint>

namespace {

constexpr qsizetype kReadSize = TextPath::kChunkSize; // the longest chunk

const QStringList kDefaultTriggers = {
    QStringLiteral("ti attacca<!>fuggi<%>"), QStringLiteral("a<!>x§y"),
    QStringLiteral("$0$<!>marker"),          QStringLiteral("\x1b[<!>esc<%><%>"),
    QStringLiteral("ABBA<!>nord<%>sud"),     QStringLiteral("ab<!>"),
};

quint32 hashOf(const uint8_t* data, size_t size) {
    quint32 h = 2166136261u;
    for (size_t i = 0; i < size; ++i)
        h = (h ^ data[i]) * 16777619u;
    return h;
}

QString withoutCr(QString s) {
    s.remove(QLatin1Char('\r'));
    return s;
}

// Where two texts part, for the report of a failed comparison.
void showDifference(const QString& a, const QString& b) {
    qsizetype i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    const auto around = [i](const QString& s) {
        return QString::fromLatin1(
            s.mid(qMax<qsizetype>(0, i - 40), 80).toLatin1().toPercentEncoding(" "));
    };
    std::fprintf(stderr, "split and whole reads part at %lld:\n  split: %s\n  whole: %s\n",
                 qint64(i), qPrintable(around(a)), qPrintable(around(b)));
}

// Brightness (a "1" field) and the last colour code (reused by a colour
// sequence without a colour field) last only to the end of their read, so
// colours may differ where such sequences appear (see tst_fuzz_session).
bool usesReadState(const QString& text) {
    // The parameters are everything between "[" and "m", intermediate bytes
    // included: "ESC[0 m" is no plain reset.
    static const QRegularExpression sequence(
        QStringLiteral("\x1b\\[([\\x30-\\x3f]*[\\x20-\\x2f]*)m"));
    for (const QRegularExpressionMatch& m : sequence.globalMatch(text)) {
        const QStringView params = m.capturedView(1);
        bool colour = params == u"0";
        for (QStringView field : params.tokenize(u';')) {
            bool ok = false;
            const int v = field.toInt(&ok);
            if (ok && v == 1)
                return true;
            colour = colour || (ok && v >= 30 && v <= 47);
        }
        if (!colour)
            return true;
    }
    return false;
}

// One connection's worth of reads; whole reads when split is null.
struct Outcome {
    QList<QPair<QString, std::vector<DisplayBuffer::Run>>> lines;
    QString logged;
    QString waiting; // held back at the end: a cut sequence and what precedes it
    QRgb colour = 0;
    int writes = 0;
    bool disconnected = false;
    bool broken = false; // the compressed stream could not be read on
};

Outcome play(QByteArrayView stream, PairTable& triggers, fuzz::Splitter* split) {
    Outcome out;
    GameDisplay display;
    TextPath path(display, triggers);
    path.setLogHook([&](QStringView piece) { out.logged += piece; });
    path.setSendHook([](QByteArrayView) {});

    qsizetype at = 0;
    while (at < stream.size()) {
        qsizetype want = kReadSize;
        if (split) {
            const quint32 r = split->next();
            want = (r & 3) == 0 ? 1 + qsizetype(r >> 8) % 4 : 1 + qsizetype(r >> 8) % 2048;
        }
        const qsizetype n = qMin(want, stream.size() - at);
        const TextPath::Outcome read = path.receive(stream.sliced(at, n));
        at += n;
        out.writes += int(read.replies.size());
        FUZZ_EXPECT(display.lastLine() <= TextPath::kMaxDisplayLines);
        FUZZ_EXPECT(path.heldBreak().size() <= 1);
        FUZZ_EXPECT(path.keptText().size() <=
                    ColourRenderer::kMaxHeldText + ColourRenderer::kMaxSequenceLength);
        if (read.farewell) {
            // As the client does: the connection closes, the next bytes
            // belong to a new one.
            out.disconnected = true;
            path.beginSession();
        }
        if (read.broken) {
            out.broken = true;
            break; // the client drops the connection
        }
        QCoreApplication::sendPostedEvents();
    }

    const DisplayBuffer& buffer = display.buffer();
    const QString shown = buffer.text();
    FUZZ_EXPECT(shown.size() == buffer.length());
    // Without trigger echoes the display is the tail of what was logged.
    if (out.writes == 0 && !shown.isEmpty())
        FUZZ_EXPECT(withoutCr(out.logged).endsWith(shown));
    for (int i = 0; i < buffer.lineCount(); ++i)
        out.lines.append({buffer.lineText(i), buffer.runsOf(i)});
    out.colour = path.currentColour();
    out.waiting = path.keptText().toString() + path.heldBreak().toString();
    out.waiting.replace(ColourRenderer::kMarker, QStringLiteral("\r\n"));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: the fuzzer ends the process, and an application torn
    // down by exit handlers leaves Qt's font caches half freed.
    static QApplication* app = new QApplication(*argc, *argv);
    Q_UNUSED(app);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = input.indexOf('\0');
    PairTable triggers;
    QByteArrayView stream = input;
    if (nul >= 0) {
        const QString header = CodePage::decode(input.first(nul));
        Stores::parse(header.split(QLatin1Char('\n')), Stores::Kind::Triggers, triggers);
        stream = input.sliced(nul + 1);
    } else {
        Stores::parse(kDefaultTriggers, Stores::Kind::Triggers, triggers);
    }

    fuzz::Splitter split(hashOf(data, size));
    const Outcome split_ = play(stream, triggers, &split);

    // How the reads fall must not change what is shown or logged. Left out:
    // a literal "$0$" and the odd echo sequence (both matched within a read
    // only), and what triggers and the farewell phrase add.
    if (split_.writes || split_.disconnected || split_.broken || stream.contains('$') ||
        stream.contains('\x01'))
        return 0;
    const Outcome whole = play(stream, triggers, nullptr);
    // How much of a broken compressed stream inflates before the break shows
    // depends on the reads: past it nothing is read.
    if (whole.writes || whole.disconnected || whole.broken)
        return 0;
    // Text before a cut sequence waits with it, so where reads fall decides
    // how much of the end is still waiting; shown plus waiting is the same.
    FUZZ_EXPECT(withoutCr(split_.logged + split_.waiting) ==
                withoutCr(whole.logged + whole.waiting));
    // A blank line's CRs may be logged in another order ("\r\r\n\n" within
    // one read, "\r\n\r\n" across two: see tst_fuzz_session), so CRs are
    // left out of the comparison.
    if (split_.waiting == whole.waiting) {
        const QString a = withoutCr(split_.logged), b = withoutCr(whole.logged);
        if (a != b)
            showDifference(a, b);
        FUZZ_EXPECT(a == b);
    }
    if (!usesReadState(CodePage::decode(stream))) {
        FUZZ_EXPECT(split_.colour == whole.colour);
        if (split_.waiting == whole.waiting) {
            for (qsizetype i = 0; i < qMin(split_.lines.size(), whole.lines.size()); ++i) {
                if (split_.lines[i] == whole.lines[i])
                    continue;
                std::fprintf(stderr, "line %lld differs (%zu and %zu runs)\n", qint64(i),
                             split_.lines[i].second.size(), whole.lines[i].second.size());
                showDifference(split_.lines[i].first, whole.lines[i].first);
                const auto& a = split_.lines[i].second;
                const auto& b = whole.lines[i].second;
                for (size_t r = 0; r < qMax(a.size(), b.size()); ++r)
                    std::fprintf(stderr, "  run %zu: %d+%d %06x | %d+%d %06x\n", r,
                                 r < a.size() ? a[r].start : -1, r < a.size() ? a[r].length : -1,
                                 r < a.size() ? a[r].colour & 0xFFFFFF : 0,
                                 r < b.size() ? b[r].start : -1, r < b.size() ? b[r].length : -1,
                                 r < b.size() ? b[r].colour & 0xFFFFFF : 0);
                break;
            }
            FUZZ_EXPECT(split_.lines == whole.lines);
        }
    }
    return 0;
}
