#include "engine/range_map.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The reference values, one table per mapping.
struct RangeMapTables {
    uint8_t widen[2][256];   // [0] luma, [1] chroma
    uint8_t narrow[2][256];
    RangeMapTables() {
        for (int v = 0; v < 256; ++v) {
            const double y = std::round((v - 16) * 255.0 / 219.0);
            const double c = std::round((v - 128) * 255.0 / 224.0 + 128.0);
            widen[0][v] = static_cast<uint8_t>(std::clamp(y, 0.0, 255.0));
            widen[1][v] = static_cast<uint8_t>(std::clamp(c, 0.0, 255.0));
            narrow[0][v] = static_cast<uint8_t>(std::lround(16.0 + v * 219.0 / 255.0));
            narrow[1][v] = static_cast<uint8_t>(std::lround(128.0 + (v - 128) * 224.0 / 255.0));
        }
    }
};

const RangeMapTables& Tables() {
    static const RangeMapTables tables;
    return tables;
}

void TableRow(const uint8_t* s, uint8_t* d, int from, int width, const uint8_t* table) {
    for (int x = from; x < width; ++x) d[x] = table[s[x]];
}

// Each mapping as integer arithmetic on 16-bit lanes:
//   x = min(max(v, lo), lo + span) - lo                    (in 8 bits)
//   y = ((((x << shift) + add) * mul) >> (16 + down)) + bias
// then packed back to bytes with unsigned saturation, which also clamps the
// ends (the widened chroma gives -1 for v = 15 and 256 for v = 240). The
// constants were found by search so that y equals the table for every v;
// the unit test checks all 256 inputs of each mapping against the tables.
struct Fixed {
    int lo, span, shift, add, mul, down, bias;
};
constexpr Fixed kWidenLuma{16, 219, 8, 108, 9539, 5, 0};
constexpr Fixed kWidenChroma{15, 225, 2, 119, 18651, 0, -34};
constexpr Fixed kNarrowLuma{0, 255, 0, 46, 56281, 0, -23};
constexpr Fixed kNarrowChroma{0, 255, 0, 90, 57569, 0, -63};

#if defined(__SSE2__)

template <const Fixed& F>
inline __m128i MapLanes(__m128i x16) {
    __m128i t = _mm_slli_epi16(x16, F.shift);
    t = _mm_add_epi16(t, _mm_set1_epi16(static_cast<short>(F.add)));
    t = _mm_mulhi_epu16(t, _mm_set1_epi16(static_cast<short>(F.mul)));
    if constexpr (F.down != 0) t = _mm_srli_epi16(t, F.down);
    if constexpr (F.bias != 0) t = _mm_add_epi16(t, _mm_set1_epi16(static_cast<short>(F.bias)));
    return t;
}

template <const Fixed& F>
void MapPlaneSse2(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height,
                  const uint8_t* table) {
    const __m128i lo = _mm_set1_epi8(static_cast<char>(F.lo));
    const __m128i span = _mm_set1_epi8(static_cast<char>(F.span));
    const __m128i zero = _mm_setzero_si128();
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = src + static_cast<ptrdiff_t>(y) * srcStride;
        uint8_t* d = dst + static_cast<ptrdiff_t>(y) * dstStride;
        int x = 0;
        for (; x + 16 <= width; x += 16) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
            if constexpr (F.lo != 0) v = _mm_subs_epu8(v, lo);
            if constexpr (F.span != 255) v = _mm_min_epu8(v, span);
            const __m128i a = MapLanes<F>(_mm_unpacklo_epi8(v, zero));
            const __m128i b = MapLanes<F>(_mm_unpackhi_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_packus_epi16(a, b));
        }
        TableRow(s, d, x, width, table);
    }
}

#else

void TablePlane(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height,
                const uint8_t* table) {
    for (int y = 0; y < height; ++y)
        TableRow(src + static_cast<ptrdiff_t>(y) * srcStride, dst + static_cast<ptrdiff_t>(y) * dstStride, 0,
                 width, table);
}

#endif

// One plane through a mapping: the SSE2 form of the luma or chroma map, or
// the table.
template <const Fixed& Luma, const Fixed& Chroma>
void MapPlane(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height, bool chroma,
              const uint8_t* table) {
#if defined(__SSE2__)
    if (chroma)
        MapPlaneSse2<Chroma>(src, srcStride, dst, dstStride, width, height, table);
    else
        MapPlaneSse2<Luma>(src, srcStride, dst, dstStride, width, height, table);
#else
    TablePlane(src, srcStride, dst, dstStride, width, height, table);
#endif
}

}  // namespace

uint8_t WidenValue(uint8_t v, bool chroma) {
    return Tables().widen[chroma ? 1 : 0][v];
}

uint8_t NarrowValue(uint8_t v, bool chroma) {
    return Tables().narrow[chroma ? 1 : 0][v];
}

void WidenPlane(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height,
                bool chroma) {
    MapPlane<kWidenLuma, kWidenChroma>(src, srcStride, dst, dstStride, width, height, chroma,
                                       Tables().widen[chroma ? 1 : 0]);
}

void NarrowPlane(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height,
                 bool chroma) {
    MapPlane<kNarrowLuma, kNarrowChroma>(src, srcStride, dst, dstStride, width, height, chroma,
                                         Tables().narrow[chroma ? 1 : 0]);
}
