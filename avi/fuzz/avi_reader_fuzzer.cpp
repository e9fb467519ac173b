// libFuzzer target: any bytes through the AVI reader, then every stream read
// the way the fast reversal reads it (single frames, from the end).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "avi/avi_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    avi::Reader reader;
    if (!reader.Open(std::make_unique<avi::MemorySource>(data, size))) return 0;
    std::vector<uint8_t> buffer(64 * 1024);
    for (int s = 0; s < reader.StreamCount(); ++s) {
        const avi::StreamInfo& info = reader.Info(s);
        if (reader.LargestChunk(s) > size) std::abort();
        const uint32_t n = std::min<uint32_t>(info.dwLength, 512);
        for (uint32_t i = 0; i < n; ++i) {
            size_t bytes = 0;
            uint32_t samples = 0;
            if (reader.Read(s, info.dwLength - 1 - i, 1, buffer.data(), buffer.size(), &bytes, &samples)) {
                if (bytes > buffer.size() || samples != 1) std::abort();
            }
        }
        size_t bytes = 0;
        reader.Read(s, info.dwLength, 1, buffer.data(), buffer.size(), &bytes, nullptr);
        reader.Read(s, 0xFFFFFFFFu, 1, buffer.data(), buffer.size(), &bytes, nullptr);
    }
    return 0;
}
