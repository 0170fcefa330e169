#pragma once
// Finds the next of two characters, a pair of characters, or the next
// control character in UTF-16 text: eight units at a time where the processor has SSE2 (every
// x86-64 one), one at a time elsewhere. The text path looks for escapes, line breaks and markers in
// every chunk it reads, the display for breaks and tabs.
#include <bit>
#include <cstddef>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define VARENDOR_CHARSCAN_SSE2 1
#endif

namespace CharScan {

#ifdef VARENDOR_CHARSCAN_SSE2
// The first unit in [p, end), at least eight long, whose bit pair is set in
// hits(block of eight), a 16-bit mask as movemask gives it; end when none.
template <typename Hits>
inline const char16_t* firstHit(const char16_t* p, const char16_t* end, Hits hits) {
    for (; end - p >= 8; p += 8)
        if (const unsigned mask = hits(p))
            return p + std::countr_zero(mask) / 2;
    if (p == end)
        return end;
    // The last block overlaps the one before, whose hits are masked off.
    const unsigned mask = hits(end - 8) >> (2 * (8 - (end - p)));
    return mask ? p + std::countr_zero(mask) / 2 : end;
}
#endif

// The first unit in [p, end) that is a or b; end when there is none.
inline const char16_t* findEither(const char16_t* p, const char16_t* end, char16_t a, char16_t b) {
#ifdef VARENDOR_CHARSCAN_SSE2
    const __m128i va = _mm_set1_epi16(short(a));
    const __m128i vb = _mm_set1_epi16(short(b));
    auto hits = [&](const char16_t* at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        return unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb))));
    };
    if (end - p >= 8)
        return firstHit(p, end, hits);
#endif
    for (; p != end; ++p)
        if (*p == a || *p == b)
            return p;
    return end;
}

// The first place in [p, end) where a is followed by b; end when there is none.
inline const char16_t* findPair(const char16_t* p, const char16_t* end, char16_t a, char16_t b) {
#ifdef VARENDOR_CHARSCAN_SSE2
    const __m128i va = _mm_set1_epi16(short(a));
    const __m128i vb = _mm_set1_epi16(short(b));
    for (; end - p >= 9; p += 8) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i hit = _mm_and_si128(_mm_cmpeq_epi16(first, va), _mm_cmpeq_epi16(second, vb));
        if (const unsigned mask = unsigned(_mm_movemask_epi8(hit)))
            return p + std::countr_zero(mask) / 2;
    }
#endif
    for (; end - p >= 2; ++p)
        if (p[0] == a && p[1] == b)
            return p;
    return end;
}

// The first unit in [p, end) below bound; end when there is none.
inline const char16_t* findBelow(const char16_t* p, const char16_t* end, char16_t bound) {
#ifdef VARENDOR_CHARSCAN_SSE2
    if (bound == 0)
        return end;
    // Unsigned: a unit is below bound when taking bound - 1 from it leaves 0.
    const __m128i limit = _mm_set1_epi16(short(bound - 1));
    const __m128i zero = _mm_setzero_si128();
    auto hits = [&](const char16_t* at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_subs_epu16(v, limit), zero)));
    };
    if (end - p >= 8)
        return firstHit(p, end, hits);
#endif
    for (; p != end; ++p)
        if (*p < bound)
            return p;
    return end;
}

} // namespace CharScan
