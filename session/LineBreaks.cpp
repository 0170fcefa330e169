#include "session/LineBreaks.h"

namespace {
const QString kMarker = QStringLiteral("$0$");
}

void LineBreaks::mark(QStringView text, QString& out) {
    if (m_drop && !text.isEmpty()) {
        if (text.front() == m_drop)
            text = text.sliced(1);
        m_drop = 0;
    }
    const qsizetype held = m_held.size();
    out.reserve(out.size() + held + text.size());
    auto at = [&](qsizetype i) -> char16_t {
        return i < held ? m_held[i].unicode() : text[i - held].unicode();
    };
    const qsizetype n = held + text.size();
    qsizetype i = 0;
    qsizetype plainFrom = held; // start of text not yet copied, when past the held part
    auto copyPlain = [&](qsizetype upTo) {
        if (upTo > plainFrom)
            out.append(text.sliced(plainFrom - held, upTo - plainFrom));
    };
    // In one pass, the same result as replacing every LF CR pair first and
    // then every CR LF pair: a CR LF whose LF starts an LF CR pair leaves the
    // CR alone.
    while (i < n) {
        const char16_t c = at(i);
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        const char16_t next = i + 1 < n ? at(i + 1) : 0;
        const char16_t after = i + 2 < n ? at(i + 2) : 0;
        qsizetype width = 1;
        QStringView piece;
        if (c == u'\n' && next == u'\r') {
            width = 2;
            piece = kMarker;
        } else if (c == u'\r' && next == u'\n' && after != u'\r') {
            width = 2;
            piece = kMarker;
        } else if (i + 1 == n) {
            break; // a break that ends the read waits for its partner
        }
        if (i >= held)
            copyPlain(i);
        if (piece.isEmpty())
            out.append(QChar(c));
        else
            out.append(piece);
        i += width;
        plainFrom = qMax(i, held);
    }
    if (i < n) { // the held break
        if (i >= held)
            copyPlain(i);
        const QChar last(at(i));
        m_held = QString(last);
        return;
    }
    copyPlain(n);
    m_held.clear();
}

QStringView LineBreaks::release() {
    if (m_held.isEmpty())
        return {};
    m_drop = m_held == u"\r" ? u'\n' : u'\r';
    m_held.clear();
    return kMarker;
}

void LineBreaks::clear() {
    m_held.clear();
    m_drop = 0;
}
