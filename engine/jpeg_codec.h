// Baseline JPEG coding of full-range 4:2:0 pictures with libjpeg-turbo,
// straight from and into the Y, Cb and Cr planes: no colour conversion, no
// resampling. The Motion-JPEG writer encodes its pictures here; the readers
// of our Motion-JPEG files decode them here and fall back to FFmpeg's decoder
// for any picture of another kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct AVFrame;

namespace jpeg {

// The quantisation used for every picture: the luminance matrix FFmpeg's
// Motion-JPEG encoder uses at quantiser 3, the finest the writer it replaces
// would ever choose, for all three components (natural order).
const uint16_t* QuantTable();

// Sizes rounded up to whole 4:2:0 blocks: the encoder reads and the decoder
// writes whole 8x8 blocks of every plane.
inline int PaddedLuma(int size) { return (size + 15) & ~15; }

class Encoder {
public:
    Encoder();
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    // Compresses a width x height picture (both even, at most 65500). Each
    // luma row must be readable up to PaddedLuma(width) bytes and each chroma
    // row up to half that, the extra samples repeating the last pixel; rows
    // below the picture are taken from its last row. False when libjpeg fails
    // (out of memory). The JPEG stays in Data() / Size() until the next call.
    bool Encode(const uint8_t* const planes[3], const int strides[3], int width, int height);
    const uint8_t* Data() const;
    std::size_t Size() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

class Decoder {
public:
    Decoder();
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Decodes a JPEG of three components sampled 4:2:0 (luma 2x2, chroma
    // 1x1) and of exactly width x height pixels into `picture` (unreferenced
    // first), as full-range YUVJ420P. False, with `picture` left empty, for
    // anything else: another layout or size, a damaged picture, no memory.
    bool Decode(const uint8_t* data, std::size_t size, int width, int height, AVFrame* picture);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace jpeg
