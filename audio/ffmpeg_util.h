// Owners for FFmpeg objects, the stream chooser and the picture scaler shared
// by the sound extraction, the Motion-JPEG writer and the final encoding.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
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
// An output context, with its file closed when it has one.
struct OutputFree {
    void operator()(AVFormatContext* f) const {
        if (f->pb && !(f->oformat->flags & AVFMT_NOFILE)) avio_closep(&f->pb);
        avformat_free_context(f);
    }
};
struct ScalerFree {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;
using OutputPtr = std::unique_ptr<AVFormatContext, OutputFree>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFree>;

// Opens a media file for reading and reads its stream information.
// Returns 0, -1 when the file cannot be opened, -2 when its streams cannot be read.
int OpenInputFile(const std::string& path, InputPtr& out);

// Chooses the best stream of a media type in an opened input and opens a
// decoder for it. Returns 0 and sets *streamIndex and *decoder, or a negative
// value: av_find_best_stream's own result, or AVERROR_DECODER_NOT_FOUND, or
// the result of avcodec_open2.
int OpenBestStream(AVFormatContext* input, AVMediaType type, int* streamIndex, CodecContextPtr* decoder);

// A bicubic scaler from one picture layout and range (full: 1, limited: 0)
// to another, working in slices on every core; empty when it cannot be set up.
ScalerPtr MakeScaler(int srcWidth, int srcHeight, AVPixelFormat srcFormat, int srcFull, int dstWidth,
                     int dstHeight, AVPixelFormat dstFormat, int dstFull);

}  // namespace ff
