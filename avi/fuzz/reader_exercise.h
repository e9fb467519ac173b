// The reading done by the fuzz targets and by the corpus replay test: open
// any bytes and read every stream the way the fast reversal (frames, from
// the end) and the fast join (runs of sound sample frames) read them.
// Returns false when the reader broke one of its own promises.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "avi/avi_reader.h"

namespace avi {

inline bool ExerciseFrameReading(const uint8_t* data, size_t size) {
    Reader reader;
    if (!reader.Open(std::make_unique<MemorySource>(data, size))) return true;
    std::vector<uint8_t> buffer(64 * 1024);
    for (int s = 0; s < reader.StreamCount(); ++s) {
        const StreamInfo& info = reader.Info(s);
        if (reader.LargestChunk(s) > size) return false;
        const uint32_t n = std::min<uint32_t>(info.dwLength, 512);
        for (uint32_t i = 0; i < n; ++i) {
            size_t bytes = 0;
            uint32_t samples = 0;
            if (reader.Read(s, info.dwLength - 1 - i, 1, buffer.data(), buffer.size(), &bytes, &samples)) {
                if (bytes > buffer.size() || samples != 1) return false;
            }
        }
        size_t bytes = 0;
        if (reader.Read(s, info.dwLength, 1, buffer.data(), buffer.size(), &bytes, nullptr)) return false;
        if (reader.Read(s, 0xFFFFFFFFu, 1, buffer.data(), buffer.size(), &bytes, nullptr)) return false;
    }
    return true;
}

inline bool ExerciseSoundReading(const uint8_t* data, size_t size) {
    Reader reader;
    if (!reader.Open(std::make_unique<MemorySource>(data, size))) return true;
    const int s = reader.FindStream(kStreamTypeAudio);
    if (s < 0) return true;
    const StreamInfo& info = reader.Info(s);
    const std::vector<uint8_t>& format = reader.Format(s);
    if (format.size() < kPcmWaveFormatSize) return true;
    const uint32_t blockAlign = WaveBlockAlign(format.data());
    if (blockAlign == 0 || info.dwSampleSize == 0) return true;
    std::vector<uint8_t> buffer(static_cast<size_t>(blockAlign) * 1024);
    uint32_t position = 0;
    for (int reads = 0; reads < 4096 && position < info.dwLength; ++reads) {
        size_t bytes = 0;
        uint32_t samples = 0;
        if (!reader.Read(s, position, 1024, buffer.data(), buffer.size(), &bytes, &samples)) break;
        if (samples == 0 || bytes != uint64_t{samples} * info.dwSampleSize || bytes > buffer.size()) return false;
        position += samples;
    }
    return true;
}

}  // namespace avi
