#include "protocol/TextCodec.h"

#include "files/CodePage.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define VARENDOR_TEXTCODEC_SSE2 1
#endif

namespace {
constexpr char16_t kReplacement = 0xFFFD;

// Bytes in the character a lead byte starts; 0 for a byte no character
// starts with (a continuation byte, the overlong leads C0 and C1, and F5-FF,
// which would go beyond U+10FFFF).
inline int sequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Whether b may stand at position pos (1 to 3) of the character lead starts.
// The ranges of the second byte exclude overlong forms, the surrogates
// (ED A0-BF) and code points beyond U+10FFFF.
inline bool continues(unsigned char lead, int pos, unsigned char b) {
    if (pos == 1) {
        switch (lead) {
        case 0xE0:
            return b >= 0xA0 && b <= 0xBF;
        case 0xED:
            return b >= 0x80 && b <= 0x9F;
        case 0xF0:
            return b >= 0x90 && b <= 0xBF;
        case 0xF4:
            return b >= 0x80 && b <= 0x8F;
        default:
            break;
        }
    }
    return (b & 0xC0) == 0x80;
}

// Writes the character of a complete, valid sequence; returns the new end.
inline char16_t* put(char16_t* d, const unsigned char* s, int length) {
    char32_t cp;
    switch (length) {
    case 2:
        cp = char32_t(s[0] & 0x1F) << 6 | (s[1] & 0x3F);
        break;
    case 3:
        cp = char32_t(s[0] & 0x0F) << 12 | char32_t(s[1] & 0x3F) << 6 | (s[2] & 0x3F);
        break;
    default:
        cp = char32_t(s[0] & 0x07) << 18 | char32_t(s[1] & 0x3F) << 12 |
             char32_t(s[2] & 0x3F) << 6 | (s[3] & 0x3F);
        *d++ = QChar::highSurrogate(cp);
        *d++ = QChar::lowSurrogate(cp);
        return d;
    }
    *d++ = char16_t(cp);
    return d;
}
} // namespace

void TextCodec::setWatchForUtf8(bool watch) {
    m_watch = watch && m_encoding == TextEncoding::Cp1252;
}

void TextCodec::setEncoding(TextEncoding encoding) {
    if (m_watch && m_cutSize > 0) {
        // What waited to be judged was Windows-1252 text until now.
        m_watch = false;
        m_pending.resize(m_cutSize);
        CodePage::decode(QByteArrayView(m_cut, m_cutSize),
                         reinterpret_cast<char16_t*>(m_pending.data()));
        m_cutSize = 0;
    }
    m_watch = false;
    if (encoding == m_encoding)
        return;
    if (m_cutSize > 0)
        m_brokenCut = true;
    m_cutSize = 0;
    m_encoding = encoding;
}

void TextCodec::reset(TextEncoding encoding) {
    m_encoding = encoding;
    m_cutSize = 0;
    m_brokenCut = false;
    m_watch = false;
    m_utf8Found = -1;
    m_pending.clear();
}

QString TextCodec::decode(QByteArrayView bytes) {
    QString text;
    decode(bytes, text);
    return text;
}

void TextCodec::decode(QByteArrayView bytes, QString& out) {
    if (!m_pending.isEmpty()) {
        out += m_pending;
        m_pending.clear();
    }
    if (m_watch) {
        decodeWatching(bytes, out);
        return;
    }
    if (m_encoding == TextEncoding::Utf8) {
        decodeUtf8Stream(bytes, out);
        return;
    }
    const qsizetype at = out.size();
    const qsizetype broken = m_brokenCut ? 1 : 0;
    m_brokenCut = false;
    out.resize(at + broken + bytes.size());
    char16_t* d = reinterpret_cast<char16_t*>(out.data()) + at;
    if (broken)
        *d++ = kReplacement;
    CodePage::decode(bytes, d);
}

QString TextCodec::flush() {
    QString text;
    text.swap(m_pending);
    if (m_watch && m_cutSize > 0) { // never completed: Windows-1252 after all
        const qsizetype at = text.size();
        text.resize(at + m_cutSize);
        CodePage::decode(QByteArrayView(m_cut, m_cutSize),
                         reinterpret_cast<char16_t*>(text.data()) + at);
        m_cutSize = 0;
        return text;
    }
    if (!text.isEmpty())
        return text;
    const bool broken = m_brokenCut || m_cutSize > 0;
    m_brokenCut = false;
    m_cutSize = 0;
    return broken ? QString(QChar(kReplacement)) : QString();
}

void TextCodec::decodeUtf8Stream(QByteArrayView bytes, QString& out) {
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    // Every byte gives at most one UTF-16 unit (four bytes give two); one
    // more for an abandoned cut character.
    const qsizetype at = out.size();
    out.resize(at + n + m_cutSize + 1);
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data()) + at;
    char16_t* d = begin;
    if (m_brokenCut) {
        *d++ = kReplacement;
        m_brokenCut = false;
    }
    qsizetype i = 0;

    if (m_cutSize > 0) {
        // The rest of the character the previous read cut.
        const int length = sequenceLength(m_cut[0]);
        while (m_cutSize < length && i < n && continues(m_cut[0], m_cutSize, s[i]))
            m_cut[m_cutSize++] = s[i++];
        if (m_cutSize == length) {
            d = put(d, m_cut, length);
            m_cutSize = 0;
        } else if (i == n) {
            out.resize(at + (d - begin)); // still cut: wait for more
            return;
        } else {
            *d++ = kReplacement; // s[i] is read again as a start
            m_cutSize = 0;
        }
    }

    while (i < n) {
        // Game text is mostly ASCII: sixteen or eight bytes at a time while it
        // lasts. A block is widened whole (the room is there: never more units
        // than bytes) and kept up to its first byte beyond ASCII.
#ifdef VARENDOR_TEXTCODEC_SSE2
        const __m128i zero = _mm_setzero_si128();
        while (i + 16 <= n) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_unpackhi_epi8(v, zero));
            const unsigned high = unsigned(_mm_movemask_epi8(v));
            const int plain = high ? std::countr_zero(high) : 16;
            d += plain;
            i += plain;
            if (high)
                break;
        }
#endif
        while (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, s + i, 8);
            if (word & 0x8080808080808080ULL)
                break;
            for (int k = 0; k < 8; ++k)
                d[k] = s[i + k];
            d += 8;
            i += 8;
        }
        if (i >= n)
            break;
        const unsigned char lead = s[i];
        if (lead < 0x80) {
            *d++ = lead;
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF && i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
            *d++ = char16_t((lead & 0x1F) << 6 | (s[i + 1] & 0x3F)); // the accented letters
            i += 2;
            continue;
        }
        const int length = sequenceLength(lead);
        if (length == 0) {
            *d++ = kReplacement;
            ++i;
            continue;
        }
        int k = 1;
        while (k < length && i + k < n && continues(lead, k, s[i + k]))
            ++k;
        if (k == length) {
            d = put(d, s + i, length);
            i += length;
        } else if (i + k == n) {
            std::memcpy(m_cut, s + i, size_t(k)); // cut by the end of this read
            m_cutSize = k;
            i = n;
        } else {
            // The valid start of a character and no more: one U+FFFD, and the
            // byte that broke it is read again as a start.
            *d++ = kReplacement;
            i += k;
        }
    }
    out.resize(at + (d - begin));
}

void TextCodec::decodeWatching(QByteArrayView fresh, QString& out) {
    // Bytes held from the last read lead.
    QByteArray joined;
    QByteArrayView bytes = fresh;
    if (m_cutSize > 0) {
        joined.reserve(m_cutSize + fresh.size());
        joined.append(reinterpret_cast<const char*>(m_cut), m_cutSize);
        joined.append(fresh);
        bytes = joined;
        m_cutSize = 0;
    }
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n && s[i] < 0x80)
        ++i;
    const auto asCp1252 = [&](qsizetype count) {
        const qsizetype at = out.size();
        out.resize(at + count);
        CodePage::decode(bytes.first(count), reinterpret_cast<char16_t*>(out.data()) + at);
    };
    if (i == n) {
        asCp1252(n);
        return;
    }
    const unsigned char lead = s[i];
    const int length = sequenceLength(lead);
    int k = 1;
    while (length > 0 && k < length && i + k < n && continues(lead, k, s[i + k]))
        ++k;
    if (length > 0 && k < length && i + k == n) {
        // Could still be UTF-8: judged with the next read.
        asCp1252(i);
        std::memcpy(m_cut, s + i, size_t(k));
        m_cutSize = k;
        return;
    }
    m_watch = false;
    if (length == 0 || k < length) {
        asCp1252(n); // a byte UTF-8 cannot hold: the game's own code page
        return;
    }
    asCp1252(i);
    m_encoding = TextEncoding::Utf8;
    m_utf8Found = out.size();
    decodeUtf8Stream(bytes.sliced(i), out);
}

QByteArray TextCodec::encode(QStringView text) const {
    if (m_encoding == TextEncoding::Cp1252)
        return CodePage::encode(text);
    QByteArray out;
    out.reserve(text.size() + text.size() / 4);
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t cp = s[i];
        if (cp < 0x80) {
            out += char(cp);
            continue;
        }
        if (QChar::isHighSurrogate(cp) && i + 1 < n && QChar::isLowSurrogate(s[i + 1]))
            cp = QChar::surrogateToUcs4(char16_t(cp), s[++i]);
        else if (QChar::isSurrogate(cp))
            cp = kReplacement; // half a character: nothing valid to send
        if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
        }
        out += char(0x80 | (cp & 0x3F));
    }
    return out;
}

QString TextCodec::decodeUtf8(QByteArrayView bytes) {
    TextCodec codec(TextEncoding::Utf8);
    QString text = codec.decode(bytes);
    return text + codec.flush();
}

const char* TextCodec::name(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? "UTF-8" : "WINDOWS-1252";
}
