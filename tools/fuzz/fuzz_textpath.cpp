// Server bytes, split into reads of any size, through the client's text path
// into a real game display, with triggers firing.
//
// Input: one settings byte, then the server's bytes. The settings byte:
//   bits 0-1  CODIFICA: 0 and 3 automatic, 1 Windows-1252, 2 UTF-8
//   bits 2-3  COLORI:   0 and 3 automatic, 1 classic, 2 terminal
//   bit 4     the connection is encrypted (told in the terminal type)
//   bit 5     a fixed set of triggers
//   bit 6     the server's bytes are preceded by trigger store lines and a NUL
// The read sizes follow from a hash of the input.
//
// At exit the target prints how often the text path's two caps were reached:
// text written early because too much waited in front of a cut sequence, and
// display lines cut at their longest.
#include "FuzzSupport.h"

#include "automation/PairTable.h"
#include "automation/Stores.h"
#include "display/DisplayBuffer.h"
#include "display/GameDisplay.h"
#include "files/CodePage.h"
#include "protocol/ColourRenderer.h"
#include "protocol/LineBreaks.h"
#include "protocol/SgrColours.h"
#include "protocol/TelnetStream.h"
#include "protocol/TextPath.h"

#include <QApplication>
#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QList>
#include <QRegularExpression>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr qsizetype kReadSize = TextPath::kChunkSize; // the longest chunk
constexpr char16_t kEsc = 0x1B;

const QStringList kDefaultTriggers = {
    QStringLiteral("ti attacca<!>fuggi<%>"), QStringLiteral("a<!>x§y"),
    QStringLiteral("$0$<!>marker"),          QStringLiteral("\x1b[<!>esc<%><%>"),
    QStringLiteral("ABBA<!>nord<%>sud"),     QStringLiteral("ab<!>"),
};

struct Settings {
    TextSettings text;
    bool defaultTriggers = false;
    bool triggerLines = false;
};

Settings settingsOf(unsigned char b) {
    Settings s;
    static constexpr EncodingChoice kEncodings[] = {EncodingChoice::Auto, EncodingChoice::Cp1252,
                                                    EncodingChoice::Utf8, EncodingChoice::Auto};
    static constexpr ColourRules kRules[] = {ColourRules::Automatic, ColourRules::Classic,
                                             ColourRules::Terminal, ColourRules::Automatic};
    s.text.encoding = kEncodings[b & 3];
    s.text.tls = b & 0x10;
    s.text.colours = kRules[(b >> 2) & 3];
    s.defaultTriggers = b & 0x20;
    s.triggerLines = b & 0x40;
    return s;
}

// How often the caps were reached, over the whole run of the fuzzer.
struct CapCounts {
    long long heldTextReads = 0; // reads that wrote held text early
    long long heldTextInputs = 0;
    long long cutLines = 0; // display lines of kMaxLineLength characters
    long long cutLineInputs = 0;
    long long inputs = 0;
    long long compared = 0; // inputs whose split and whole reads were compared
    long long strictColours = 0;
};
CapCounts caps;

void printCaps() {
    std::fprintf(stderr,
                 "textpath caps: held text written early in %lld reads of %lld inputs; "
                 "%lld display lines cut at %lld characters in %lld inputs; %lld inputs, "
                 "%lld compared, %lld with colours compared strictly\n",
                 caps.heldTextReads, caps.heldTextInputs, caps.cutLines,
                 qint64(DisplayBuffer::kMaxLineLength), caps.cutLineInputs, caps.inputs,
                 caps.compared, caps.strictColours);
}

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

// Logged text as the display shows it: CRs dropped, a TAB as spaces to the
// next stop, a line longer than the display's longest going on on the next.
QString displayedForm(QStringView logged) {
    QString out;
    out.reserve(logged.size());
    qsizetype column = 0;
    const auto put = [&](QChar c) {
        if (column == DisplayBuffer::kMaxLineLength) {
            out += u'\n';
            column = 0;
        }
        out += c;
        ++column;
    };
    for (QChar c : logged) {
        if (c == u'\r' || c == u'\a')
            continue;
        if (c == u'\b') { // takes back a character of its line
            if (!out.isEmpty() && out.back() != u'\n' && column > 0) {
                const bool pair = out.size() > 1 && out.back().isLowSurrogate() &&
                                  out[out.size() - 2].isHighSurrogate() && column > 1;
                out.chop(pair ? 2 : 1);
                column -= pair ? 2 : 1;
            }
            continue;
        }
        if (c == u'\n') {
            out += c;
            column = 0;
        } else if (c == u'\t') {
            for (qsizetype n = DisplayBuffer::kTabWidth - column % DisplayBuffer::kTabWidth; n > 0;
                 --n)
                put(u' ');
        } else {
            put(c);
        }
    }
    return out;
}

// Where two texts part, for the report of a failed comparison.
void showDifference(const QString& a, const QString& b,
                    const char* what = "split and whole reads") {
    qsizetype i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    const auto around = [i](const QString& s) {
        return QString::fromLatin1(
            s.mid(qMax<qsizetype>(0, i - 40), 80).toUtf8().toPercentEncoding(" "));
    };
    std::fprintf(stderr, "%s part at %lld:\n  %s\n  %s\n", what, qint64(i), qPrintable(around(a)),
                 qPrintable(around(b)));
}

// The end of a control sequence that starts with ESC "[" at text[p], or -1:
// the renderer's rules (parameter bytes, then intermediate bytes, then one
// final byte, all within kMaxSequenceLength characters).
qsizetype sequenceEnd(QStringView text, qsizetype p) {
    if (p + 1 >= text.size() || text[p + 1] != u'[')
        return -1;
    const qsizetype limit = qMin(text.size(), p + ColourRenderer::kMaxSequenceLength);
    bool intermediate = false;
    for (qsizetype i = p + 2; i < limit; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x40 && c <= 0x7E)
            return i;
        if (c >= 0x30 && c <= 0x3F && !intermediate)
            continue;
        if (c < 0x20 || c > 0x2F)
            return -1;
        intermediate = true;
    }
    return -1;
}

// The server's text, telnet removed and decoded, in one piece, and where in
// it the server showed itself a server of today (-1: never).
struct Decoded {
    QString text;
    qsizetype todayFrom = -1;
};

Decoded decodeWhole(QByteArrayView stream, const TextSettings& settings) {
    Decoded d;
    TelnetStream telnet([](QByteArrayView) {});
    telnet.reset(settings);
    const TelnetStream::Read read = telnet.read(stream, d.text);
    if (read.todaysServer)
        d.todayFrom = read.todaysServerAt;
    return d;
}

// Follows the text path's own steps up to the renderer, to tell when a read
// wrote held text early: the text kept after it then starts with the cut
// sequence, and in front of that stood neither the read's start nor a
// complete sequence.
class HeldTextWatch {
public:
    explicit HeldTextWatch(const TextSettings& settings) : m_stream([](QByteArrayView) {}) {
        m_stream.reset(settings);
    }
    // Before the path receives bytes.
    void before(const TextPath& path, QByteArrayView bytes) {
        m_kept = path.keptText().toString();
        QString text;
        m_stream.read(bytes, text);
        m_work.clear();
        m_chunks = 0;
        for (qsizetype at = 0; at < text.size(); ++m_chunks) {
            qsizetype n = qMin(TextPath::kChunkSize, text.size() - at);
            if (at + n < text.size() && text[at + n - 1].isHighSurrogate() && n > 1)
                --n;
            m_work.clear();
            m_breaks.mark(QStringView(text).sliced(at, n), m_work);
            at += n;
        }
    }
    // After it; true when held text was written early. Reads that made more
    // than one chunk are not looked at, nor those the path cut elsewhere (a
    // blank line's breaks are marked differently across chunks).
    bool wroteEarly(const TextPath& path) const {
        const QStringView kept = path.keptText();
        if (m_chunks != 1 || kept.isEmpty() || kept.front() != kEsc)
            return false;
        const QString joined = m_kept + TextPath::removeEchoNegotiation(m_work);
        if (!joined.endsWith(kept))
            return false;
        const qsizetype p = joined.size() - kept.size();
        if (p == 0)
            return false;
        const qsizetype esc = QStringView(joined).first(p).lastIndexOf(QChar(kEsc));
        return esc < 0 || sequenceEnd(joined, esc) != p - 1;
    }

private:
    TelnetStream m_stream;
    LineBreaks m_breaks;
    QString m_kept;
    QString m_work;
    int m_chunks = 0;
};

// One connection's worth of reads; whole reads when split is null.
struct Outcome {
    QString shown; // the display's text, lines joined with LF
    // Colour and attributes of every shown character (none for a line break).
    struct Look {
        QRgb colour = 0;
        quint8 flags = 0;
        QRgb background = 0;
        bool operator==(const Look&) const = default;
    };
    std::vector<Look> colours;
    qint64 origin = 0; // the display position of shown[0]
    QString logged;
    QString waiting; // held back at the end: a cut sequence and what precedes it
    QRgb colour = 0;
    int writes = 0;
    bool disconnected = false;
    bool utf8Notice = false;
    bool broken = false; // the compressed stream could not be read on
    QStringList gmcp;    // the character's data beside the text: package and body
};

Outcome play(QByteArrayView stream, PairTable& triggers, const Settings& settings,
             fuzz::Splitter* split) {
    Outcome out;
    GameDisplay display;
    TextPath path(display, triggers);
    path.beginSession(settings.text);
    path.setLogHook([&](QStringView piece) { out.logged += piece; });
    path.setSendHook([](QByteArrayView) {});
    HeldTextWatch watch(settings.text);
    bool heldTextCapped = false;

    qsizetype at = 0;
    while (at < stream.size()) {
        qsizetype want = kReadSize;
        if (split) {
            const quint32 r = split->next();
            want = (r & 3) == 0 ? 1 + qsizetype(r >> 8) % 4 : 1 + qsizetype(r >> 8) % 2048;
        }
        const qsizetype n = qMin(want, stream.size() - at);
        const bool watching = !out.disconnected && out.writes == 0;
        if (watching)
            watch.before(path, stream.sliced(at, n));
        const TextPath::Outcome read = path.receive(stream.sliced(at, n));
        at += n;
        out.writes += int(read.replies.size());
        if (read.title) // consumed, never shown: at most a line of printable text
            FUZZ_EXPECT(read.title->size() <= ColourRenderer::kMaxTitleLength);
        for (const GmcpAt& g : read.gmcp) {
            FUZZ_EXPECT(g.at >= 0 && !g.message.package.isEmpty());
            out.gmcp
                << g.message.package + u' ' +
                       QJsonDocument(QJsonArray{g.message.data}).toJson(QJsonDocument::Compact);
        }
        // Trigger echoes release a held break, which the watch cannot follow.
        if (watching && out.writes == 0 && !read.farewell && watch.wroteEarly(path)) {
            ++caps.heldTextReads;
            heldTextCapped = true;
        }
        FUZZ_EXPECT(display.lastLine() <= TextPath::kMaxDisplayLines);
        FUZZ_EXPECT(path.heldBreak().size() <= 1);
        // Text waits in front of a cut control sequence or a cut string (an
        // operating system command), each bounded.
        FUZZ_EXPECT(path.keptText().size() <=
                    ColourRenderer::kMaxHeldText + ColourRenderer::kMaxStringLength);
        if (read.farewell) {
            // As the client does: the connection closes, the next bytes
            // belong to a new one.
            out.disconnected = true;
            path.beginSession(settings.text);
        }
        if (read.broken) {
            out.broken = true;
            break; // the client drops the connection
        }
        QCoreApplication::sendPostedEvents();
    }
    caps.heldTextInputs += heldTextCapped;

    const DisplayBuffer& buffer = display.buffer();
    out.shown = buffer.text();
    FUZZ_EXPECT(out.shown.size() == buffer.length());
    // Without trigger echoes and disconnect notices the display is the tail
    // of what was logged.
    // The notice of a server found to send UTF-8 is the client's own text.
    out.utf8Notice = out.shown.contains(TextPath::kUtf8Notice);
    if (out.writes == 0 && !out.disconnected && !out.utf8Notice && !out.shown.isEmpty()) {
        const QString expected = displayedForm(out.logged);
        if (!expected.endsWith(out.shown))
            showDifference(out.shown, expected.right(out.shown.size()), "display and log");
        FUZZ_EXPECT(expected.endsWith(out.shown));
    }
    out.origin = buffer.removedChars();
    out.colours.reserve(size_t(out.shown.size()));
    int cut = 0;
    for (int i = 0; i < buffer.lineCount(); ++i) {
        if (i > 0)
            out.colours.push_back({});
        const qsizetype line = out.colours.size();
        out.colours.resize(size_t(line + buffer.lineLength(i)));
        for (const DisplayBuffer::Run& r : buffer.runsOf(i))
            std::fill_n(out.colours.begin() + line + r.start, r.length,
                        Outcome::Look{r.colour, quint8(r.flags | (r.bold ? TextStyle::Bold : 0)),
                                      r.flags & TextStyle::Background ? r.background : 0});
        cut += buffer.lineLength(i) == DisplayBuffer::kMaxLineLength;
    }
    caps.cutLines += cut;
    caps.cutLineInputs += cut > 0;
    out.colour = path.currentColour();
    out.waiting = path.keptText().toString() + path.heldBreak().toString();
    out.waiting.replace(LineBreaks::kMarker, QStringLiteral("\r\n"));
    return out;
}

// Where both displays show the same stretch of the server's text, it is the
// same text in the same colours and attributes.
void expectSameColours(const Outcome& a, const Outcome& b) {
    const qint64 from = qMax(a.origin, b.origin);
    const qint64 to = qMin(a.origin + a.shown.size(), b.origin + b.shown.size());
    for (qint64 pos = from; pos < to; ++pos) {
        const qsizetype i = qsizetype(pos - a.origin), j = qsizetype(pos - b.origin);
        if (a.shown[i] == b.shown[j] && a.colours[size_t(i)] == b.colours[size_t(j)])
            continue;
        const Outcome::Look &x = a.colours[size_t(i)], &y = b.colours[size_t(j)];
        std::fprintf(stderr,
                     "display position %lld differs: %04x %06x %02x %06x | %04x %06x %02x %06x\n",
                     qint64(pos), a.shown[i].unicode(), x.colour & 0xFFFFFF, x.flags,
                     x.background & 0xFFFFFF, b.shown[j].unicode(), y.colour & 0xFFFFFF, y.flags,
                     y.background & 0xFFFFFF);
        showDifference(a.shown.sliced(i), b.shown.sliced(j));
        FUZZ_EXPECT(false);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: the fuzzer ends the process, and an application torn
    // down by exit handlers leaves Qt's font caches half freed.
    static QApplication* app = new QApplication(*argc, *argv);
    Q_UNUSED(app);
    std::atexit(printCaps);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    ++caps.inputs;
    const Settings settings = settingsOf(data[0]);
    QByteArrayView stream(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    PairTable triggers;
    if (settings.triggerLines) {
        const qsizetype nul = stream.indexOf('\0');
        const QString header = CodePage::decode(nul < 0 ? stream : stream.first(nul));
        Stores::parse(header.split(QLatin1Char('\n')), Stores::Kind::Triggers, triggers);
        stream = nul < 0 ? QByteArrayView() : stream.sliced(nul + 1);
    } else if (settings.defaultTriggers) {
        Stores::parse(kDefaultTriggers, Stores::Kind::Triggers, triggers);
    }

    fuzz::Splitter split(hashOf(data, size));
    const Outcome split_ = play(stream, triggers, settings, &split);

    // How the reads fall must not change what is shown or logged. Left out:
    // a literal "$0$" and the odd echo sequence (both matched within a read
    // only), and what triggers and the farewell phrase add.
    if (split_.writes || split_.disconnected || split_.broken || split_.utf8Notice)
        return 0;
    const Decoded decoded = decodeWhole(stream, settings.text);
    if (decoded.text.contains(u'$') || decoded.text.contains(u'\x01'))
        return 0;
    const Outcome whole = play(stream, triggers, settings, nullptr);
    // How much of a broken compressed stream inflates before the break shows
    // depends on the reads: past it nothing is read.
    if (whole.writes || whole.disconnected || whole.broken || whole.utf8Notice)
        return 0;
    ++caps.compared;
    // The character's data beside the text, however the reads fall.
    FUZZ_EXPECT(split_.gmcp == whole.gmcp);
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

    // Colours and attributes never depend on the reads, under either rules:
    // the classic rules' per-chunk state goes on across reads too.
    ++caps.strictColours;
    FUZZ_EXPECT(split_.colour == whole.colour);
    expectSameColours(split_, whole);
    return 0;
}
