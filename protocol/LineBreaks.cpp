#include "protocol/LineBreaks.h"

#include "files/CharScan.h"

#include <cstring>

namespace {
// In one pass, the same result as replacing every LF CR pair first and then
// every CR LF pair: a CR LF whose LF starts an LF CR pair leaves the CR alone.
// next and after are the two characters that follow c, 0 past the end.
inline bool pairs(char16_t c, char16_t next, char16_t after) {
    return (c == u'\n' && next == u'\r') || (c == u'\r' && next == u'\n' && after != u'\r');
}
} // namespace

void LineBreaks::mark(QStringView text, QString& out) {
    if (m_drop && !text.isEmpty()) {
        if (text.front() == m_drop)
            text = text.sliced(1);
        m_drop = 0;
    }
    if (m_held && text.isEmpty())
        return; // still waiting for its partner

    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    auto at = [end](const char16_t* q) -> char16_t { return q < end ? *q : 0; };
    // Written in place: a pair of two characters becomes a marker of three,
    // so the text grows by half at most, and by two for the held break.
    const qsizetype oldSize = out.size();
    out.resize(oldSize + text.size() + text.size() / 2 + 2);
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* d = begin + oldSize;
    auto putMarker = [&d] {
        std::memcpy(d, kMarker.utf16(), size_t(kMarker.size()) * sizeof(char16_t));
        d += kMarker.size();
    };

    if (m_held) { // leads the text, which is not empty
        const char16_t c = m_held;
        m_held = 0;
        if (pairs(c, *p, at(p + 1))) {
            putMarker();
            ++p;
        } else {
            *d++ = c;
        }
    }
    while (p != end) {
        const char16_t* const brk = CharScan::findEither(p, end, u'\r', u'\n');
        std::memcpy(d, p, size_t(brk - p) * sizeof(char16_t));
        d += brk - p;
        p = brk;
        if (p == end)
            break;
        const char16_t c = *p;
        if (pairs(c, at(p + 1), at(p + 2))) {
            putMarker();
            p += 2;
        } else if (p + 1 == end) {
            m_held = c; // a break that ends the read waits for its partner
            ++p;
        } else {
            *d++ = c;
            ++p;
        }
    }
    out.resize(d - begin);
}

QStringView LineBreaks::release() {
    if (!m_held)
        return {};
    m_drop = m_held == u'\r' ? u'\n' : u'\r';
    m_held = 0;
    return kMarker;
}

void LineBreaks::clear() {
    m_held = 0;
    m_drop = 0;
}
