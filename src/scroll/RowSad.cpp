#include "scroll/RowSad.h"

#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace klipo::stitch {

uint64_t rowSad(const uint8_t* a, const uint8_t* b, int paddedLength)
{
#if defined(__SSE2__)
    __m128i acc = _mm_setzero_si128();
    for (int i = 0; i < paddedLength; i += 16) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        acc = _mm_add_epi64(acc, _mm_sad_epu8(va, vb));
    }
    return uint64_t(_mm_cvtsi128_si64(acc)) + uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(acc, acc)));
#else
    uint64_t sum = 0;
    for (int i = 0; i < paddedLength; ++i) sum += uint64_t(std::abs(int(a[i]) - int(b[i])));
    return sum;
#endif
}

uint64_t rowSad(const uint16_t* a, const uint16_t* b, int paddedLength)
{
#if defined(__SSE2__)
    // Word differences widened to 32-bit lanes; a row of at most a few
    // thousand cells cannot overflow them.
    const __m128i zero = _mm_setzero_si128();
    __m128i acc = zero;
    for (int i = 0; i < paddedLength; i += 8) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        const __m128i diff = _mm_or_si128(_mm_subs_epu16(va, vb), _mm_subs_epu16(vb, va));
        acc = _mm_add_epi32(acc, _mm_add_epi32(_mm_unpacklo_epi16(diff, zero), _mm_unpackhi_epi16(diff, zero)));
    }
    alignas(16) uint32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), acc);
    return uint64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
#else
    uint64_t sum = 0;
    for (int i = 0; i < paddedLength; ++i) sum += uint64_t(std::abs(int(a[i]) - int(b[i])));
    return sum;
#endif
}

uint64_t rowSad(const uint32_t* a, const uint32_t* b, int length)
{
    uint64_t sum = 0;
    for (int i = 0; i < length; ++i) sum += a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
    return sum;
}

}  // namespace klipo::stitch
