#include "protocol/LineHold.h"

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

void LineHold::insertText(QStringView text) {
    if (filtering()) {
        m_pieces.push_back({text.toString(), m_colour, m_bold, m_style});
        return;
    }
    if (holding())
        release(false); // the filter went away: what it held goes out
    m_display.insertText(text);
}

void LineHold::writeOwn(QStringView text, QRgb colour, bool bold) {
    const Piece own{text.toString(), colour, bold, {}, true};
    if (m_busy) {
        m_after.push_back(own);
        return;
    }
    if (m_deferring && holding()) {
        m_pieces.push_back(own);
        return;
    }
    release(false);
    writePiece(own);
    restoreAttributes();
}

void LineHold::flushLines() {
    if (m_pieces.empty())
        return;
    // Taken out first: the filter's own text may come back in here.
    std::vector<Piece> pending;
    pending.swap(m_pieces);
    std::vector<Piece> line;
    for (Piece& p : pending) {
        if (p.own) {
            if (!line.empty())
                writeLine(line, false, false); // own text follows what came before it
            writePiece(p);
            continue;
        }
        // Most pieces lie within one line, or end it: they move as they are.
        const qsizetype first = p.text.indexOf(u'\n');
        if (first < 0 || first == p.text.size() - 1) {
            line.push_back(std::move(p));
            if (first >= 0)
                writeLine(line, false, true);
            continue;
        }
        QStringView rest(p.text);
        for (qsizetype nl; (nl = rest.indexOf(u'\n')) >= 0; rest = rest.sliced(nl + 1)) {
            line.push_back({rest.first(nl + 1).toString(), p.colour, p.bold, p.style});
            writeLine(line, false, true);
        }
        if (!rest.isEmpty())
            line.push_back({rest.toString(), p.colour, p.bold, p.style});
    }
    m_pieces.insert(m_pieces.begin(), line.begin(), line.end());
    restoreAttributes();
}

void LineHold::release(bool prompt) {
    flushLines();
    if (m_pieces.empty())
        return;
    std::vector<Piece> partial;
    partial.swap(m_pieces);
    writeLine(partial, prompt, false);
    restoreAttributes();
}

void LineHold::writeLine(std::vector<Piece>& pieces, bool prompt, bool complete) {
    qsizetype size = 0;
    for (const Piece& p : pieces)
        size += p.text.size();
    QString plain;
    plain.reserve(size);
    for (const Piece& p : pieces)
        plain += p.text;
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
    writeShown(pieces, shown, plain, complete);
    pieces.clear();
    std::vector<Piece> after;
    after.swap(m_after);
    for (const Piece& p : after)
        writePiece(p);
}

void LineHold::writeShown(const std::vector<Piece>& pieces, const LineFilter::Shown& shown,
                          const QString& plain, bool complete) {
    if (shown.gagged)
        return;
    if (shown.spans.isEmpty() && shown.text == plain) {
        for (const Piece& p : pieces)
            writePiece(p);
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
            for (QChar c : p.text)
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
        writePiece({shown.text.mid(at, end - at), colours[size_t(at)], bold[size_t(at)] != 0,
                    styles[size_t(at)]});
        at = end;
    }
    if (complete)
        writePiece({QStringLiteral("\r\n"), pieces.back().colour, pieces.back().bold,
                    pieces.back().style});
}

void LineHold::writePiece(const Piece& piece) {
    m_display.setSelColor(piece.colour);
    m_display.setSelBold(piece.bold);
    m_display.setSelStyle(piece.style);
    m_display.insertText(piece.text);
}

void LineHold::restoreAttributes() {
    m_display.setSelColor(m_colour);
    m_display.setSelBold(m_bold);
    m_display.setSelStyle(m_style);
}
