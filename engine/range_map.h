// Mapping of 8-bit picture planes between limited range (16..235 luma,
// 16..240 chroma) and full range (0..255).
//
// WidenPlane and NarrowPlane give, byte for byte, the values of WidenValue and
// NarrowValue (rounded linear maps, clamped to 0..255), but work on 16 bytes
// at a time with SSE2 where the compiler offers it. They read and write
// exactly `width` bytes of each of the `height` rows; src and dst may be the
// same plane.
#pragma once

#include <cstdint>

// Limited range to full range: luma round((v - 16) * 255 / 219), chroma
// round((v - 128) * 255 / 224 + 128), halves away from zero, clamped to 0..255.
uint8_t WidenValue(uint8_t v, bool chroma);

// Full range to limited range: luma round(16 + v * 219 / 255), chroma
// round(128 + (v - 128) * 224 / 255).
uint8_t NarrowValue(uint8_t v, bool chroma);

void WidenPlane(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height,
                bool chroma);
void NarrowPlane(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height,
                 bool chroma);
