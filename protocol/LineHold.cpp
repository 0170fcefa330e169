#include "protocol/LineHold.h"

namespace {
// Room for held text kept between reads.
constexpr qsizetype kKeptCapacity = 64 * 1024;
} // namespace

void LineHold::setSelColor(QRgb colour) {
    m_colour = colour;
    if (!filtering()) {
        if (holding())
            release(false);
        m_display.setSelColor(colour);
    }
}

void LineHold::setSelBold(bool bold) {
    m_bold = bold;
    if (!filtering()) {
        if (holding())
            release(false);
        m_display.setSelBold(bold);
    }
}

void LineHold::setSelStyle(const TextStyle& style) {
    m_style = style;
    if (!filtering()) {
        if (holding())
            release(false);
        m_display.setSelStyle(style);
    }
}

void LineHold::hold(QStringView text, QRgb colour, bool bold, const TextStyle& style, bool own) {
    m_pieces.push_back({m_held.size(), text.size(), colour, bold, style, own});
    m_held += text;
}

void LineHold::insertText(QStringView text) {
    if (filtering()) {
        hold(text, m_colour, m_bold, m_style, false);
        return;
    }
    if (holding())
        release(false); // the filter went away: what it held goes out
    m_display.insertText(text);
}

void LineHold::writeOwn(QStringView text, QRgb colour, bool bold) {
    if (m_busy) {
        m_after.push_back({text.toString(), colour, bold});
        return;
    }
    if (m_deferring && holding()) {
        hold(text, colour, bold, {}, true);
        return;
    }
    release(false);
    write(text, colour, bold, {});
    restoreAttributes();
}

void LineHold::flushLines() {
    if (m_pieces.empty())
        return;
    // Taken out first: the filter's own text may come back in here.
    std::vector<Piece> pending;
    pending.swap(m_pieces);
    QString held;
    held.swap(m_held);
    std::vector<Piece> line;
    for (const Piece& p : pending) {
        const QStringView text = QStringView(held).sliced(p.start, p.length);
        if (p.own) {
            if (!line.empty())
                writeLine(held, line, false, false); // own text follows what came before it
            write(text, p.colour, p.bold, p.style);
            continue;
        }
        qsizetype at = 0;
        for (qsizetype nl; (nl = text.indexOf(u'\n', at)) >= 0; at = nl + 1) {
            line.push_back({p.start + at, nl + 1 - at, p.colour, p.bold, p.style});
            writeLine(held, line, false, true);
        }
        if (at < p.length)
            line.push_back({p.start + at, p.length - at, p.colour, p.bold, p.style});
    }
    // The rest of the last line waits, ahead of anything held meanwhile; the
    // buffer is kept for what comes next.
    const qsizetype rest = line.empty() ? held.size() : line.front().start;
    held.remove(0, rest);
    for (Piece& p : line)
        p.start -= rest;
    for (Piece& p : m_pieces)
        p.start += held.size();
    held += m_held;
    if (held.capacity() > kKeptCapacity && held.size() < kKeptCapacity / 4)
        held.squeeze(); // a very long line came through once: not kept for ever
    m_held.swap(held);
    m_pieces.insert(m_pieces.begin(), line.begin(), line.end());
    restoreAttributes();
}

void LineHold::release(bool prompt) {
    flushLines();
    if (m_pieces.empty())
        return;
    std::vector<Piece> partial;
    partial.swap(m_pieces);
    QString held;
    held.swap(m_held);
    writeLine(held, partial, prompt, false);
    if (m_pieces.empty()) { // the buffer is kept for what comes next
        held.resize(0);
        m_held.swap(held);
    }
    restoreAttributes();
}

void LineHold::writeLine(const QString& held, std::vector<Piece>& pieces, bool prompt,
                         bool complete) {
    qsizetype size = 0;
    for (const Piece& p : pieces)
        size += p.length;
    QString plain;
    plain.reserve(size);
    for (const Piece& p : pieces)
        plain += QStringView(held).sliced(p.start, p.length);
    plain.remove(u'\r');
    if (complete)
        plain.chop(1); // the line feed
    const bool filter = m_filter && m_filter->active();
    m_busy = true;
    LineFilter::Shown shown;
    if (!complete && !prompt) {
        // Shown ahead of its end, as it is: the line is filtered when complete.
        shown.text = plain;
        m_shownHead += plain;
    } else if (!m_shownHead.isEmpty() || !filter) {
        // Part of the line is on screen already: the filter reads the whole
        // line, but only a gag can still act, on the rest.
        const QString whole = m_shownHead + plain;
        if (complete)
            m_shownHead.clear();
        else
            m_shownHead += plain;
        shown.text = plain;
        if (filter && !(complete && plain.isEmpty())) // a prompt's own line end
            shown.gagged = m_filter->filterLine(whole, prompt).gagged;
    } else {
        shown = m_filter->filterLine(plain, prompt);
        if (!complete)
            m_shownHead = plain;
    }
    m_busy = false;
    writeShown(held, pieces, shown, plain, complete);
    pieces.clear();
    std::vector<OwnText> after;
    after.swap(m_after);
    for (const OwnText& own : after)
        write(own.text, own.colour, own.bold, {});
}

void LineHold::writeShown(const QString& held, const std::vector<Piece>& pieces,
                          const LineFilter::Shown& shown, const QString& plain, bool complete) {
    if (shown.gagged)
        return;
    if (shown.spans.isEmpty() && shown.text == plain) {
        for (const Piece& p : pieces)
            write(QStringView(held).sliced(p.start, p.length), p.colour, p.bold, p.style);
        return;
    }
    // One colour and weight per character: the server's while the text is
    // its own, the line's first otherwise; then the spans over them.
    const qsizetype n = shown.text.size();
    const Piece& first = pieces.front();
    std::vector<QRgb> colours(size_t(n), first.colour);
    std::vector<char> bold(size_t(n), first.bold);
    std::vector<TextStyle> styles(size_t(n), first.style);
    if (shown.text == plain) {
        qsizetype at = 0;
        for (const Piece& p : pieces)
            for (QChar c : QStringView(held).sliced(p.start, p.length))
                if (c != u'\r' && c != u'\n' && at < n) {
                    colours[size_t(at)] = p.colour;
                    styles[size_t(at)] = p.style;
                    bold[size_t(at++)] = p.bold;
                }
    }
    for (const LineFilter::Span& s : shown.spans) {
        const qsizetype start = qBound<qsizetype>(0, s.start, n);
        const qsizetype end = qBound<qsizetype>(start, s.start + s.length, n);
        for (qsizetype i = start; i < end; ++i) {
            colours[size_t(i)] = s.colour;
            if (s.hasBackground) {
                styles[size_t(i)].flags |= TextStyle::Background;
                styles[size_t(i)].background = s.background;
            }
        }
    }
    for (qsizetype at = 0; at < n;) {
        qsizetype end = at + 1;
        while (end < n && colours[size_t(end)] == colours[size_t(at)] &&
               bold[size_t(end)] == bold[size_t(at)] && styles[size_t(end)] == styles[size_t(at)])
            ++end;
        write(QStringView(shown.text).sliced(at, end - at), colours[size_t(at)],
              bold[size_t(at)] != 0, styles[size_t(at)]);
        at = end;
    }
    if (complete)
        write(u"\r\n", pieces.back().colour, pieces.back().bold, pieces.back().style);
}

void LineHold::write(QStringView text, QRgb colour, bool bold, const TextStyle& style) {
    m_display.setSelColor(colour);
    m_display.setSelBold(bold);
    m_display.setSelStyle(style);
    m_display.insertText(text);
}

void LineHold::restoreAttributes() {
    m_display.setSelColor(m_colour);
    m_display.setSelBold(m_bold);
    m_display.setSelStyle(m_style);
}
