// Common vocabulary of the AVI reader and writer: four-character codes, the
// stream information record, and little-endian helpers for RIFF fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace avi {

constexpr uint32_t FourCC(const char (&s)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24);
}

constexpr uint32_t kStreamTypeVideo = FourCC("vids");
constexpr uint32_t kStreamTypeAudio = FourCC("auds");

// Index flag of a sample that can be decoded on its own.
constexpr uint32_t kKeyFrame = 0x10;

// The stream information record, field for field the 140-byte AVISTREAMINFOA.
struct StreamInfo {
    uint32_t fccType = 0;
    uint32_t fccHandler = 0;
    uint32_t dwFlags = 0;
    uint32_t dwCaps = 0;
    uint16_t wPriority = 0;
    uint16_t wLanguage = 0;
    uint32_t dwScale = 0;
    uint32_t dwRate = 0;                 // dwRate / dwScale = samples per second
    uint32_t dwStart = 0;
    uint32_t dwLength = 0;               // in samples (frames, or sound sample frames)
    uint32_t dwInitialFrames = 0;
    uint32_t dwSuggestedBufferSize = 0;
    uint32_t dwQuality = 0;
    uint32_t dwSampleSize = 0;           // 0: one chunk is one sample
    struct {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
    } rcFrame;
    uint32_t dwEditCount = 0;
    uint32_t dwFormatChangeCount = 0;
    char szName[64] = {};

    void SetName(const char* name) {
        std::memset(szName, 0, sizeof szName);
        std::memcpy(szName, name, strnlen(name, sizeof szName - 1));
    }
};
static_assert(sizeof(StreamInfo) == 140, "the stream information record is 140 bytes");

// Sizes of the fixed formats the operations copy.
constexpr size_t kBitmapInfoHeaderSize = 40;
constexpr size_t kPcmWaveFormatSize = 16;

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Le64(const uint8_t* p) {
    return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32);
}
inline void Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void Put64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Fields of the BITMAPINFOHEADER and PCMWAVEFORMAT at the start of a format.
inline int32_t BitmapWidth(const uint8_t* fmt) { return static_cast<int32_t>(Le32(fmt + 4)); }
inline int32_t BitmapHeight(const uint8_t* fmt) { return static_cast<int32_t>(Le32(fmt + 8)); }
inline uint32_t BitmapCompression(const uint8_t* fmt) { return Le32(fmt + 16); }
inline uint16_t WaveBlockAlign(const uint8_t* fmt) { return Le16(fmt + 12); }

}  // namespace avi
