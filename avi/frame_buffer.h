// The frame buffer shared by the fast reversal and the fast join.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "avi/avi_reader.h"

namespace avi {

// A picture size a Motion-JPEG frame can have (JPEG allows up to 65535 x 65535).
inline bool SanePictureSize(const std::vector<uint8_t>& format) {
    if (format.size() < kBitmapInfoHeaderSize) return false;
    const int64_t w = BitmapWidth(format.data());
    const int64_t h = std::llabs(BitmapHeight(format.data()));
    return w > 0 && w <= 65535 && h > 0 && h <= 65535;
}

// Holds one frame of a video stream. Its capacity follows the stream's
// suggested buffer size, or width x height x 3 when there is none: a frame
// larger than that is not read. No frame is larger than the largest chunk the
// file holds, so the buffer is never allocated larger than that chunk: a
// header cannot make it allocate more than the file's content.
inline bool AllocateFrameBuffer(const Reader& reader, int stream, std::vector<uint8_t>* buffer) {
    const StreamInfo& info = reader.Info(stream);
    const std::vector<uint8_t>& format = reader.Format(stream);
    uint64_t size = info.dwSuggestedBufferSize;
    if (size == 0) {
        const uint64_t w = static_cast<uint64_t>(std::llabs(BitmapWidth(format.data())));
        const uint64_t h = static_cast<uint64_t>(std::llabs(BitmapHeight(format.data())));
        size = w * h * 3;  // both at most 2^31: no overflow in 64 bits
    }
    size = std::min<uint64_t>(size, reader.LargestChunk(stream));
    try {
        buffer->assign(static_cast<size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

}  // namespace avi
