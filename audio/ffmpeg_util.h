// Owners for FFmpeg objects and the stream chooser shared by the sound
// extraction and the final encoding.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

#include <memory>
#include <string>

namespace ff {

struct CodecContextFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct InputClose {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;

// Opens a media file for reading and reads its stream information.
// Returns 0, -1 when the file cannot be opened, -2 when its streams cannot be read.
int OpenInputFile(const std::string& path, InputPtr& out);

// Chooses the best stream of a media type in an opened input and opens a
// decoder for it. Returns 0 and sets *streamIndex and *decoder, or a negative
// value: av_find_best_stream's own result, or AVERROR_DECODER_NOT_FOUND, or
// the result of avcodec_open2.
int OpenBestStream(AVFormatContext* input, AVMediaType type, int* streamIndex, CodecContextPtr* decoder);

}  // namespace ff
