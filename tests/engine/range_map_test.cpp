#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/range_map.h"

namespace {

using PlaneFn = void (*)(const uint8_t*, int, uint8_t*, int, int, int, bool);
using ValueFn = uint8_t (*)(uint8_t, bool);

struct Mapping {
    const char* name;
    PlaneFn plane;
    ValueFn value;
    bool chroma;
};

const Mapping kMappings[] = {
    {"widen luma", WidenPlane, WidenValue, false},
    {"widen chroma", WidenPlane, WidenValue, true},
    {"narrow luma", NarrowPlane, NarrowValue, false},
    {"narrow chroma", NarrowPlane, NarrowValue, true},
};

// The ends of each range, the clamps, the halves (chroma 16 and 240 widen to
// 0.5 and 255.5 before rounding) and the neutral grey.
TEST(RangeMapTest, ReferenceValuesAtTheEdges) {
    struct Case {
        ValueFn fn;
        bool chroma;
        int in, out;
    };
    const Case cases[] = {
        {WidenValue, false, 0, 0},     {WidenValue, false, 15, 0},    {WidenValue, false, 16, 0},
        {WidenValue, false, 17, 1},    {WidenValue, false, 126, 128}, {WidenValue, false, 234, 254},
        {WidenValue, false, 235, 255}, {WidenValue, false, 236, 255}, {WidenValue, false, 255, 255},
        {WidenValue, true, 0, 0},      {WidenValue, true, 15, 0},     {WidenValue, true, 16, 1},
        {WidenValue, true, 17, 2},     {WidenValue, true, 128, 128},  {WidenValue, true, 239, 254},
        {WidenValue, true, 240, 255},  {WidenValue, true, 255, 255},  {NarrowValue, false, 0, 16},
        {NarrowValue, false, 1, 17},   {NarrowValue, false, 128, 126}, {NarrowValue, false, 254, 234},
        {NarrowValue, false, 255, 235}, {NarrowValue, true, 0, 16},   {NarrowValue, true, 1, 16},
        {NarrowValue, true, 128, 128}, {NarrowValue, true, 254, 239}, {NarrowValue, true, 255, 240},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.fn(static_cast<uint8_t>(c.in), c.chroma), c.out)
            << (c.fn == WidenValue ? "widen " : "narrow ") << (c.chroma ? "chroma " : "luma ") << c.in;
}

// No mapping falls as its input rises or skips more than one output level
// (a wrap-around past 255 or a sign slip in the reference would).
TEST(RangeMapTest, ReferenceValuesRiseMonotonically) {
    for (const Mapping& m : kMappings) {
        for (int v = 1; v < 256; ++v) {
            const int step = m.value(static_cast<uint8_t>(v), m.chroma) - m.value(static_cast<uint8_t>(v - 1), m.chroma);
            EXPECT_GE(step, 0) << m.name << " at " << v;
            EXPECT_LE(step, 2) << m.name << " at " << v;
        }
    }
}

// A plane whose rows hold every byte value, shifted by one per row, so that
// over 16 rows each value passes through each of the 16 positions of a block;
// the bytes between rows (stride - width) hold a marker that must survive.
// The buffer ends right after the last row's last byte, so that a read or
// write past `width` is caught by AddressSanitizer.
struct Plane {
    int width, height, stride;
    std::vector<uint8_t> bytes;
    Plane(int w, int h, int s, int seed) : width(w), height(h), stride(s) {
        bytes.assign(static_cast<size_t>(s) * (h - 1) + w, 0xA5);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) At(x, y) = static_cast<uint8_t>(x + y + seed);
    }
    uint8_t& At(int x, int y) { return bytes[static_cast<size_t>(y) * stride + x]; }
};

void ExpectMapped(const Mapping& m, Plane& src, Plane& dst, const std::string& what) {
    int wrong = 0;
    for (int y = 0; y < dst.height; ++y) {
        for (int x = 0; x < dst.stride && wrong < 5; ++x) {
            if (x >= dst.width) {
                if (y + 1 < dst.height && dst.At(x, y) != 0xA5) {
                    ADD_FAILURE() << m.name << " " << what << ": padding written at " << x << "," << y;
                    ++wrong;
                }
                continue;
            }
            const uint8_t want = m.value(src.At(x, y), m.chroma);
            if (dst.At(x, y) != want) {
                ADD_FAILURE() << m.name << " " << what << ": input " << int(src.At(x, y)) << " at " << x << ","
                              << y << " gave " << int(dst.At(x, y)) << ", expected " << int(want);
                ++wrong;
            }
        }
    }
}

// The 16-byte blocks and the byte-wise row tails against the reference values
// for all 256 inputs, over widths that end a row inside, at and past a block,
// with odd strides.
TEST(RangeMapTest, PlanesMatchTheReferenceForEveryInputAndWidth) {
    struct Size {
        int width, height, srcStride, dstStride;
    };
    const Size sizes[] = {
        {256, 16, 256, 256},   // every value in every block position, no tail
        {300, 17, 301, 303},   // blocks and a 12-byte tail, odd strides
        {1, 3, 7, 5},          {15, 4, 15, 19}, {16, 2, 17, 16}, {17, 5, 21, 17},
        {33, 9, 33, 35},       {1920, 2, 1920, 1920},
    };
    for (const Mapping& m : kMappings) {
        for (const Size& s : sizes) {
            const std::string what = std::to_string(s.width) + "x" + std::to_string(s.height);
            for (int seed : {0, 7}) {
                Plane src(s.width, s.height, s.srcStride, seed);
                Plane dst(s.width, s.height, s.dstStride, 0);
                m.plane(src.bytes.data(), s.srcStride, dst.bytes.data(), s.dstStride, s.width, s.height, m.chroma);
                ExpectMapped(m, src, dst, what);
            }
        }
    }
}

// The final encoding maps a plane onto a buffer of its own, but the contract
// allows mapping in place.
TEST(RangeMapTest, MapsInPlace) {
    for (const Mapping& m : kMappings) {
        Plane original(300, 17, 305, 3);
        Plane plane = original;
        m.plane(plane.bytes.data(), plane.stride, plane.bytes.data(), plane.stride, plane.width, plane.height,
                m.chroma);
        ExpectMapped(m, original, plane, "in place");
    }
}

// Nothing is touched for an empty plane (a zero width or height).
TEST(RangeMapTest, EmptyPlanesTouchNothing) {
    for (const Mapping& m : kMappings) {
        uint8_t src[4] = {0, 100, 200, 255};
        uint8_t dst[4] = {1, 2, 3, 4};
        m.plane(src, 4, dst, 4, 0, 1, m.chroma);
        m.plane(src, 4, dst, 4, 4, 0, m.chroma);
        EXPECT_EQ(dst[0], 1);
        EXPECT_EQ(dst[3], 4);
    }
}

}  // namespace
