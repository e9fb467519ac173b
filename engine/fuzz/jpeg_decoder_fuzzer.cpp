// libFuzzer target for the Motion-JPEG picture decoder, which also reads the
// user's own Motion-JPEG files in Slow mode: any byte string is refused with
// the picture left empty, or gives a full-range 4:2:0 picture of exactly the
// size asked for, every row of which can be read.
//
// The first two bytes choose the size asked for (so that the fuzzer can make
// the JPEG's own size match); the rest is the JPEG.
#include <cstdint>
#include <cstdlib>

extern "C" {
#include <libavutil/frame.h>
}

#include "engine/jpeg_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int width = 2 + (data[0] % 128) * 2;
    const int height = 2 + (data[1] % 128) * 2;
    static jpeg::Decoder decoder;  // kept across inputs, as the readers keep theirs
    AVFrame* picture = av_frame_alloc();
    if (!picture) return 0;
    if (decoder.Decode(data + 2, size - 2, width, height, picture)) {
        if (picture->format != AV_PIX_FMT_YUVJ420P || picture->width != width || picture->height != height)
            std::abort();
        unsigned sum = 0;
        for (int p = 0; p < 3; ++p) {
            const int w = p == 0 ? width : width / 2, h = p == 0 ? height : height / 2;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) sum += picture->data[p][y * picture->linesize[p] + x];
        }
        if (sum == 0xFFFFFFFFu) std::abort();  // keeps the reads
    } else if (picture->buf[0]) {
        std::abort();
    }
    av_frame_free(&picture);
    return 0;
}
