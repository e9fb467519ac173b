// libFuzzer target: any bytes through the reader as a sound source, read the
// way the fast join reads it (runs of sample frames from the start).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "avi/avi_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    avi::Reader reader;
    if (!reader.Open(std::make_unique<avi::MemorySource>(data, size))) return 0;
    const int s = reader.FindStream(avi::kStreamTypeAudio);
    if (s < 0) return 0;
    const avi::StreamInfo& info = reader.Info(s);
    const std::vector<uint8_t>& format = reader.Format(s);
    if (format.size() < avi::kPcmWaveFormatSize) return 0;
    const uint32_t blockAlign = avi::WaveBlockAlign(format.data());
    if (blockAlign == 0 || info.dwSampleSize == 0) return 0;
    std::vector<uint8_t> buffer(static_cast<size_t>(blockAlign) * 1024);
    uint32_t position = 0;
    for (int reads = 0; reads < 4096 && position < info.dwLength; ++reads) {
        size_t bytes = 0;
        uint32_t samples = 0;
        if (!reader.Read(s, position, 1024, buffer.data(), buffer.size(), &bytes, &samples)) break;
        if (samples == 0 || bytes != uint64_t{samples} * info.dwSampleSize || bytes > buffer.size()) std::abort();
        position += samples;
    }
    return 0;
}
