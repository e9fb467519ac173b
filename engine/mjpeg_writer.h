// Motion-JPEG AVI writer for the intermediate and slow-reversal files.
//
// It writes the files OpenCV's FFmpeg video writer writes for the code "MJPG"
// (same muxer, stream header, time base, full-range 4:2:0 pictures, sizes
// rounded down to even values), at that writer's best quality: every picture
// is quantised with the finest tables that writer can choose, and rounded
// more accurately. It does the work faster: the pictures are compressed by
// libjpeg-turbo straight from their planes (engine/jpeg_codec), the colour
// conversion of BGR pictures runs on slice threads, and the encoding and
// muxing run on a thread of their own, a few pictures behind the caller, so
// that reading the next picture overlaps with encoding the last one. At most
// kQueueDepth converted pictures wait for the encoder.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <opencv2/core.hpp>

extern "C" {
#include <libavformat/avformat.h>
}

#include "audio/ffmpeg_util.h"
#include "engine/jpeg_codec.h"

class MjpegWriter {
public:
    static constexpr int kQueueDepth = 3;

    MjpegWriter() = default;
    ~MjpegWriter();
    MjpegWriter(const MjpegWriter&) = delete;
    MjpegWriter& operator=(const MjpegWriter&) = delete;

    // Creates the file (replacing any file of that name) for colour pictures
    // of width x height at `fps`. False when the rate or size is not usable
    // or the file or encoder cannot be set up; nothing is left open then.
    bool Open(const std::string& path, double fps, int width, int height);

    // Appends one BGR picture (8-bit, 3 channels) of the size given to Open
    // (odd sizes are cropped to the even size, as OpenCV's writer does).
    // False when the picture does not fit or the writer has failed.
    bool Write(const cv::Mat& bgr);

    // Appends one decoded picture of the size given to Open, in any pixel
    // format the scaler reads; limited-range 4:2:0 pictures are expanded to
    // full range directly. False when the picture does not fit or the writer
    // has failed.
    bool Write(const AVFrame* picture);

    // Encodes what is queued, drains the encoder, writes the index and closes
    // the file. True when every picture was encoded and written and the file
    // was completed. Safe to call more than once.
    bool Close();

    bool IsOpen() const { return output_ != nullptr; }

    // Pictures handed to Write and accepted.
    int Accepted() const { return accepted_; }

private:
    AVFrame* TakeFreeFrame();
    bool Queue(AVFrame* frame);
    void EncodeLoop();
    bool EncodeOne(AVFrame* frame);
    void PadRight(AVFrame* frame) const;
    bool ConvertWithScaler(const uint8_t* const src[], const int srcStride[], AVPixelFormat format,
                           int srcRange, AVFrame* out);
    void StopThread();
    void Reset();

    ff::OutputPtr output_;
    jpeg::Encoder encoder_;
    AVRational timeBase_{0, 1};
    AVStream* stream_ = nullptr;
    ff::PacketPtr packet_;
    ff::ScalerPtr scaler_;
    AVPixelFormat scalerFormat_ = AV_PIX_FMT_NONE;
    int scalerRange_ = -1;
    int width_ = 0;
    int height_ = 0;
    int accepted_ = 0;
    int64_t nextPts_ = 0;

    // Converted pictures waiting for the encoder thread, and spare ones.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<AVFrame*> queue_;
    std::vector<AVFrame*> spare_;
    std::vector<ff::FramePtr> frames_;
    bool stop_ = false;
    bool failed_ = false;
    std::thread encoderThread_;
};

// Closes the writer and checks its file: true when the writer completed it
// and the file at path holds exactly `framesWritten` frames.
bool CloseMjpegWriter(MjpegWriter& writer, const std::string& path, int framesWritten);
