#include "session/ColourRenderer.h"

#include "ui/DisplaySink.h"

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

} // namespace

QStringView ColourRenderer::render(QStringView text) {
    if (m_kept.isEmpty()) {
        m_colours.beginChunk();
        return text.first(renderText(text));
    }
    // The kept tail leads: the sequence it ends in is completed by text.
    m_joined.resize(0);
    m_joined.append(m_kept);
    m_joined.append(text);
    m_kept.clear();
    m_colours.beginChunk();
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

void ColourRenderer::writePiece(QStringView piece) {
    if (piece.isEmpty())
        return;
    if (!piece.contains(kMarker)) {
        m_display.insertText(piece);
        if (m_log)
            m_log(piece);
        return;
    }
    m_scratch.resize(0);
    qsizetype from = 0;
    for (qsizetype at = piece.indexOf(kMarker); at >= 0; at = piece.indexOf(kMarker, from)) {
        m_scratch.append(piece.sliced(from, at - from));
        m_scratch.append(u"\r\n");
        from = at + kMarker.size();
    }
    m_scratch.append(piece.sliced(from));
    m_display.insertText(m_scratch);
    if (m_log)
        m_log(m_scratch);
}

void ColourRenderer::keep(QStringView text, qsizetype start, qsizetype p) {
    // The text before a cut sequence waits with it, unless there is so much
    // that chunk after chunk ending in a cut sequence would hold it for ever.
    if (p - start > kMaxHeldText) {
        m_display.setSelColor(m_colours.current());
        writePiece(text.sliced(start, p - start));
        start = p;
    }
    m_kept = text.sliced(start).toString();
}

qsizetype ColourRenderer::renderText(QStringView text) {
    qsizetype start = 0;  // first character not yet written
    qsizetype search = 0; // where to look for the next ESC
    for (;;) {
        const qsizetype p = text.indexOf(QChar(kEsc), search);
        if (p < 0)
            break;
        if (p + 1 == text.size()) { // ESC alone at the end: wait for the rest
            keep(text, start, p);
            break;
        }
        if (text[p + 1] != u'[') { // not a sequence: shown as it stands
            search = p + 1;
            continue;
        }
        qsizetype q = 0;
        const Scan scan = scanSequence(text, p, q);
        if (scan == Scan::Incomplete) {
            keep(text, start, p);
            break;
        }
        if (scan == Scan::NotASequence) {
            search = p + 1;
            continue;
        }

        const QStringView params = text.sliced(p + 2, q - p - 2);
        if (text[q] == u'm' && m_colours.boldOffFirst(params))
            m_display.setSelBold(false);
        m_display.setSelColor(m_colours.current());
        writePiece(text.sliced(start, p - start));
        // Other control sequences (clear screen, cursor moves) mean nothing
        // to a scrolling display: dropped whole, colour unchanged.
        if (text[q] == u'm')
            m_colours.apply(params);
        start = search = q + 1;
    }

    if (!m_kept.isEmpty())
        return text.size() - m_kept.size();
    m_display.setSelColor(m_colours.current());
    writePiece(text.sliced(start));
    return text.size();
}
