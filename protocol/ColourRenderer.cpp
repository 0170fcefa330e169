#include "protocol/ColourRenderer.h"

#include "files/CharScan.h"
#include "ui/DisplaySink.h"

#include <cstring>

namespace {

constexpr char16_t kEsc = 0x1B;

enum class Scan { Sequence, Incomplete, NotASequence };

// Looks at the control sequence introduced by ESC "[" at text[p]. A sequence
// is parameter bytes (0x30-0x3F), then intermediate bytes (0x20-0x2F), then
// one final byte (0x40-0x7E); anything else means the ESC starts no sequence.
Scan scanSequence(QStringView text, qsizetype p, qsizetype& end) {
    const qsizetype limit = qMin<qsizetype>(text.size(), p + ColourRenderer::kMaxSequenceLength);
    bool intermediate = false;
    for (qsizetype i = p + 2; i < limit; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x40 && c <= 0x7E) {
            end = i;
            return Scan::Sequence;
        }
        if (c >= 0x30 && c <= 0x3F && !intermediate)
            continue;
        if (c >= 0x20 && c <= 0x2F) {
            intermediate = true;
            continue;
        }
        return Scan::NotASequence;
    }
    return limit == text.size() && limit - p < ColourRenderer::kMaxSequenceLength
               ? Scan::Incomplete
               : Scan::NotASequence;
}

// Looks at an escape sequence that is no control sequence, ESC at text[p]:
// intermediate bytes (0x20-0x2F), then one final byte (0x30-0x7E), as in
// ESC ( B or ESC 7. ESC followed by anything else starts nothing.
Scan scanEscape(QStringView text, qsizetype p, qsizetype& end) {
    const qsizetype limit = qMin<qsizetype>(text.size(), p + ColourRenderer::kMaxSequenceLength);
    for (qsizetype i = p + 1; i < limit; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x30 && c <= 0x7E) {
            end = i;
            return Scan::Sequence;
        }
        if (c < 0x20 || c > 0x2F)
            return Scan::NotASequence;
    }
    return limit == text.size() && limit - p < ColourRenderer::kMaxSequenceLength
               ? Scan::Incomplete
               : Scan::NotASequence;
}

// Whether ESC c opens a string that runs to a terminator: an operating system
// command (ESC ]), a device control string (ESC P) and their kin.
inline bool opensString(char16_t c) {
    return c == u']' || c == u'P' || c == u'X' || c == u'^' || c == u'_';
}

// Looks for the end of the string opened at text[p]: BEL or ESC and a backslash. end is
// its last character, payloadEnd where the string's own text ends.
Scan scanString(QStringView text, qsizetype p, qsizetype& end, qsizetype& payloadEnd) {
    const qsizetype limit = qMin<qsizetype>(text.size(), p + ColourRenderer::kMaxStringLength);
    for (qsizetype i = p + 2; i < limit; ++i) {
        const char16_t c = text[i].unicode();
        if (c == 0x07) {
            end = payloadEnd = i;
            return Scan::Sequence;
        }
        if (c == kEsc && i + 1 < limit && text[i + 1] == u'\\') {
            payloadEnd = i;
            end = i + 1;
            return Scan::Sequence;
        }
    }
    return limit == text.size() && limit - p < ColourRenderer::kMaxStringLength
               ? Scan::Incomplete
               : Scan::NotASequence;
}

// Read where used: a view made at static initialisation could be made before
// the marker itself is, and then be empty (as the fuzz build showed).
inline QStringView lineBreakMarker() {
    return LineBreaks::kMarker;
}

// Whether a line-break marker starts at text[i], text[i] being its first character.
inline bool markerAt(QStringView text, qsizetype i) {
    return text.sliced(i).startsWith(lineBreakMarker());
}

// The first marker in text from `from`, -1 when there is none.
qsizetype findMarker(QStringView text, qsizetype from) {
    const char16_t* const base = text.utf16();
    const char16_t* const end = base + text.size();
    for (const char16_t* p = base + from;
         (p = CharScan::findEither(p, end, lineBreakMarker()[0].unicode(),
                                   lineBreakMarker()[0].unicode())) != end;
         ++p) {
        if (markerAt(text, p - base))
            return p - base;
    }
    return -1;
}

} // namespace

QStringView ColourRenderer::render(QStringView text) {
    if (m_kept.isEmpty())
        return text.first(renderText(text));
    // The kept tail leads: the sequence it ends in is completed by text.
    m_joined.resize(0);
    m_joined.append(m_kept);
    m_joined.append(text);
    m_kept.resize(0);
    const QStringView joined(m_joined);
    return joined.first(renderText(joined));
}

void ColourRenderer::flushKept() {
    QString rest;
    rest.swap(m_kept);
    // Kept text always ends in the cut sequence; what remains before it may
    // be kept once more (a short broken sequence), and is cut again.
    while (!rest.isEmpty()) {
        const qsizetype esc = rest.lastIndexOf(QChar(kEsc));
        if (esc >= 0)
            rest.truncate(esc);
        render(rest);
        rest.swap(m_kept);
        m_kept.clear();
    }
}

void ColourRenderer::writePiece(QStringView piece, qsizetype marker) {
    if (piece.isEmpty())
        return;
    if (marker < 0) {
        m_display.insertText(piece);
        if (m_log)
            m_log(piece);
        return;
    }
    // Each marker of three characters becomes CR LF: never longer than piece.
    m_scratch.resize(piece.size());
    const char16_t* const src = piece.utf16();
    char16_t* const begin = m_scratch.data();
    char16_t* d = begin;
    qsizetype from = 0;
    for (qsizetype at = marker; at >= 0; at = findMarker(piece, from)) {
        std::memcpy(d, src + from, size_t(at - from) * sizeof(char16_t));
        d += at - from;
        *d++ = u'\r';
        *d++ = u'\n';
        from = at + lineBreakMarker().size();
    }
    std::memcpy(d, src + from, size_t(piece.size() - from) * sizeof(char16_t));
    d += piece.size() - from;
    const QStringView written(begin, d - begin);
    m_display.insertText(written);
    if (m_log)
        m_log(written);
}

void ColourRenderer::keep(QStringView text, qsizetype start, qsizetype p, qsizetype marker) {
    // The text before a cut sequence waits with it, unless there is so much
    // that chunk after chunk ending in a cut sequence would hold it for ever.
    if (p - start > kMaxHeldText) {
        selectAttributes();
        writePiece(text.sliced(start, p - start), marker < 0 ? -1 : marker - start);
        start = p;
    }
    m_kept.resize(0);
    m_kept.append(text.sliced(start));
}

qsizetype ColourRenderer::renderText(QStringView text) {
    // One scan finds the escapes and, on the way, whether the piece in front
    // of each holds a marker, so pieces without one are written as they are.
    const char16_t* const base = text.utf16();
    const char16_t* const end = base + text.size();
    qsizetype start = 0;   // first character not yet written
    qsizetype marker = -1; // first marker at or after start
    bool kept = false;
    for (const char16_t* at = base; (at = CharScan::findEither(at, end, kEsc, u'$')) != end;) {
        const qsizetype p = at - base;
        if (*at == u'$') {
            if (marker < 0 && markerAt(text, p))
                marker = p;
            ++at;
            continue;
        }
        if (p + 1 == text.size()) { // ESC alone at the end: wait for the rest
            keep(text, start, p, marker);
            kept = true;
            break;
        }
        const char16_t next = text[p + 1].unicode();
        qsizetype q = 0;
        qsizetype payloadEnd = 0;
        const Scan scan = next == u'['        ? scanSequence(text, p, q)
                          : opensString(next) ? scanString(text, p, q, payloadEnd)
                                              : scanEscape(text, p, q);
        if (scan == Scan::Incomplete) {
            keep(text, start, p, marker);
            kept = true;
            break;
        }
        if (scan == Scan::NotASequence || next != u'[') {
            // Sequences of other kinds mean nothing to a scrolling display but
            // a window title; an ESC that starts nothing is dropped alone.
            selectAttributes();
            writePiece(text.sliced(start, p - start), marker < 0 ? -1 : marker - start);
            if (scan == Scan::Sequence && next == u']')
                noteCommand(text.sliced(p + 2, payloadEnd - p - 2));
            start = scan == Scan::Sequence ? q + 1 : p + 1;
            marker = -1;
            at = base + start;
            continue;
        }

        const bool sgr = text[q] == u'm';
        const SgrColours::Params params(text.sliced(p + 2, q - p - 2));
        if (sgr && m_colours.boldOffFirst(params))
            m_display.setSelBold(false);
        selectAttributes();
        writePiece(text.sliced(start, p - start), marker < 0 ? -1 : marker - start);
        // Other control sequences (clear screen, cursor moves) mean nothing
        // to a scrolling display: dropped whole, colour unchanged.
        if (sgr)
            m_colours.apply(params);
        start = q + 1;
        marker = -1;
        at = base + start;
    }

    if (kept)
        return text.size() - m_kept.size();
    selectAttributes();
    writePiece(text.sliced(start), marker < 0 ? -1 : marker - start);
    return text.size();
}

void ColourRenderer::noteCommand(QStringView command) {
    // OSC 0 and 2 name the window; OSC 8 opens or closes a link, whose text
    // is plain text between the two.
    if (!command.startsWith(u"0;") && !command.startsWith(u"2;"))
        return;
    QString title;
    for (QChar c : command.sliced(2).first(qMin<qsizetype>(command.size() - 2, kMaxTitleLength)))
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
            title += c;
    m_title = title.trimmed();
}

void ColourRenderer::selectAttributes() {
    m_display.setSelColor(m_colours.current());
    // The classic rules have no attributes: the display's stay plain unless
    // the terminal rules set some.
    if (m_colours.rules() == SgrColours::Rules::Terminal || m_styled) {
        m_display.setSelStyle(m_colours.style());
        m_styled = m_colours.style() != TextStyle{};
    }
}
