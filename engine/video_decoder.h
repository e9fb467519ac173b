// Decoder of a file's video pictures, as OpenCV's FFmpeg capture reads them
// (the file's first video stream, every picture in presentation order,
// delayed pictures included at the end), but handing out the decoded
// pictures themselves, without turning them into BGR. The conversion uses it
// to feed the Motion-JPEG writer without two colour conversions per picture;
// it opens only files whose pictures the capture would show as they are
// (no display-matrix rotation).
#pragma once

#include <string>

#include <opencv2/core.hpp>

extern "C" {
#include <libswscale/swscale.h>
}

#include "audio/ffmpeg_util.h"

class VideoDecoder {
public:
    VideoDecoder() = default;
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Opens the first video stream of path with a decoder on every core.
    // False when there is none, it cannot be decoded, or its pictures are
    // meant to be shown turned.
    bool Open(const std::string& path);

    int Width() const { return decoder_ ? decoder_->width : 0; }
    int Height() const { return decoder_ ? decoder_->height : 0; }

    // The next picture into `picture` (which is unreferenced first). False at
    // the end of the stream, or when 4096 packets in a row gave none.
    bool Read(AVFrame* picture);

    // The picture as an 8-bit BGR image (for the preview file).
    bool ToBgr(const AVFrame* picture, cv::Mat& bgr);

private:
    ff::InputPtr input_;
    ff::CodecContextPtr decoder_;
    ff::PacketPtr packet_;
    int stream_ = -1;
    bool flushed_ = false;
    SwsContext* toBgr_ = nullptr;
};
