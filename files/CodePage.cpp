#include "files/CodePage.h"

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define VARENDOR_CODEPAGE_SSE2 1
#endif

namespace {
// Characters of the bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

constexpr bool isUndefinedByte(char16_t ch) {
    return ch == 0x81 || ch == 0x8D || ch == 0x8F || ch == 0x90 || ch == 0x9D;
}
} // namespace

namespace CodePage {

QString decode(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    decode(bytes, reinterpret_cast<char16_t*>(out.data()));
    return out;
}

void decode(QByteArrayView bytes, char16_t* dst) {
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    auto decodeOne = [&](qsizetype i) {
        const unsigned char b = src[i];
        dst[i] = (b & 0xE0) == 0x80 ? kHigh[b - 0x80] : char16_t(b);
    };
    qsizetype i = 0;
#ifdef VARENDOR_CODEPAGE_SSE2
    // Sixteen bytes at a time: unless one of them is 0x80-0x9F, every byte is
    // its own character number, zero-extended.
    const __m128i zero = _mm_setzero_si128();
    const __m128i topBits = _mm_set1_epi8(char(0xE0));
    const __m128i high = _mm_set1_epi8(char(0x80));
    for (; n - i >= 16; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, topBits), high))) {
            for (qsizetype k = i; k < i + 16; ++k)
                decodeOne(k);
            continue;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 8), _mm_unpackhi_epi8(v, zero));
    }
#endif
    for (; i < n; ++i)
        decodeOne(i);
}

int byteFor(char16_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return ch;
    if (ch < 0xA0)
        return isUndefinedByte(ch) ? int(ch) : -1;
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == ch)
            return 0x80 + i;
    }
    return -1;
}

QByteArray encode(QStringView text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    qsizetype len = 0;
    const char16_t* src = text.utf16();
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        const char16_t ch = src[i];
        if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
            dst[len++] = char(ch);
            continue;
        }
        const int b = byteFor(ch);
        if (b >= 0) {
            dst[len++] = char(b);
            continue;
        }
        dst[len++] = '?';
        // A character beyond the 16-bit plane is one '?', not two.
        if (QChar::isHighSurrogate(ch) && i + 1 < n && QChar::isLowSurrogate(src[i + 1]))
            ++i;
    }
    out.truncate(len);
    return out;
}

std::optional<Misfit> firstMisfit(QStringView text) {
    const char16_t* src = text.utf16();
    for (qsizetype i = 0, n = text.size(); i < n; ++i) {
        const char16_t ch = src[i];
        if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF) || byteFor(ch) >= 0)
            continue;
        if (QChar::isHighSurrogate(ch) && i + 1 < n && QChar::isLowSurrogate(src[i + 1]))
            return Misfit{i, 2, QChar::surrogateToUcs4(ch, src[i + 1])};
        return Misfit{i, 1, ch};
    }
    return std::nullopt;
}

QString misfitMessage(const Misfit& misfit, const QString& fileName) {
    // A lone surrogate or a control character shows as nothing: the code names it.
    const bool printable =
        QChar::isPrint(misfit.codePoint) && !QChar::isSurrogate(misfit.codePoint);
    const QString shown = printable ? QString::fromUcs4(&misfit.codePoint, 1) : QString();
    const QString code =
        QStringLiteral("U+%1").arg(uint(misfit.codePoint), 4, 16, QLatin1Char('0')).toUpper();
    const QString what = shown.isEmpty()
                             ? QStringLiteral("Il carattere %1").arg(code)
                             : QStringLiteral("Il carattere «%1» (%2)").arg(shown, code);
    return what + QStringLiteral(" non può essere salvato nel file %1, che usa la codifica "
                                 "Windows-1252 (un byte per carattere)")
                      .arg(fileName);
}

} // namespace CodePage
