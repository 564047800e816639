#include "cyrillic_bytes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool toCyrillicBytesOneByOne(const ushort *chars, int count, char *bytes)
{
    bool fits = true;
    for (int i = 0; i < count; ++i) {
        const ushort c = chars[i];
        const bool ascii = c < 0x80;
        fits &= ascii || ushort(c - 0x0400) < 0x80;
        bytes[i] = char(ascii ? c : c - cyrillicOffset);
    }
    return fits;
}

#if defined(__SSE2__)
// Eight characters moved down where Cyrillic; those that are neither ASCII
// nor Cyrillic set their lanes in outside.
__m128i eightToCyrillic(__m128i chars, __m128i &outside)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i lastOfBlock = _mm_set1_epi16(0x7F);
    const __m128i ascii = _mm_cmpeq_epi16(_mm_subs_epu16(chars, lastOfBlock), zero);
    const __m128i inBlock = _mm_sub_epi16(chars, _mm_set1_epi16(0x0400));
    const __m128i cyrillic = _mm_cmpeq_epi16(_mm_subs_epu16(inBlock, lastOfBlock), zero);
    outside = _mm_or_si128(outside, _mm_andnot_si128(_mm_or_si128(ascii, cyrillic), _mm_set1_epi16(-1)));
    return _mm_sub_epi16(chars, _mm_andnot_si128(ascii, _mm_set1_epi16(short(cyrillicOffset))));
}
#endif

} // namespace

bool toCyrillicBytes(const ushort *chars, int count, char *bytes)
{
    int done = 0;
#if defined(__SSE2__)
    __m128i outside = _mm_setzero_si128();
    for (; done + 16 <= count; done += 16) {
        const __m128i low = eightToCyrillic(_mm_loadu_si128(reinterpret_cast<const __m128i *>(chars + done)), outside);
        const __m128i high =
            eightToCyrillic(_mm_loadu_si128(reinterpret_cast<const __m128i *>(chars + done + 8)), outside);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(bytes + done), _mm_packus_epi16(low, high));
    }
    if (_mm_movemask_epi8(outside) != 0)
        return false;
#endif
    return toCyrillicBytesOneByOne(chars + done, count - done, bytes + done);
}
