#include "engine/mjpeg_writer.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "avi/avi_reader.h"
#include "engine/range_map.h"

namespace {

constexpr unsigned kTagMjpg = MKTAG('M', 'J', 'P', 'G');

bool IsFullRange(const AVFrame* f) {
    return f->format == AV_PIX_FMT_YUVJ420P || f->format == AV_PIX_FMT_YUVJ422P ||
           f->format == AV_PIX_FMT_YUVJ444P || f->format == AV_PIX_FMT_YUVJ440P ||
           f->format == AV_PIX_FMT_YUVJ411P || f->color_range == AVCOL_RANGE_JPEG;
}

// The time base OpenCV's writer derives from a rate: the smallest power of ten
// as denominator that expresses the rate within 0.001.
AVRational RateTimeBase(double fps) {
    int rate = static_cast<int>(fps + 0.5);
    int base = 1;
    while (std::fabs(static_cast<double>(rate) / base - fps) > 0.001 && base < 1000000000 / 10) {
        base *= 10;
        rate = static_cast<int>(fps * base + 0.5);
    }
    return AVRational{base, rate};
}

}  // namespace

MjpegWriter::~MjpegWriter() {
    Close();
}

void MjpegWriter::Reset() {
    StopThread();
    for (AVFrame* f : queue_) spare_.push_back(f);
    queue_.clear();
    output_.reset();
    stream_ = nullptr;
    packet_.reset();
    scaler_.reset();
    scalerFormat_ = AV_PIX_FMT_NONE;
    scalerRange_ = -1;
    spare_.clear();
    frames_.clear();
    failed_ = false;
    stop_ = false;
    nextPts_ = 0;
}

bool MjpegWriter::Open(const std::string& path, double fps, int width, int height) {
    Close();
    Reset();
    accepted_ = 0;
    if (!std::isfinite(fps) || fps <= 0 || fps > 1e6 || width <= 0 || height <= 0) return false;
    width &= -2;
    height &= -2;
    if (width <= 0 || height <= 0) return false;

    const AVOutputFormat* format = av_guess_format(nullptr, path.c_str(), nullptr);
    if (!format) return false;

    AVFormatContext* oc = avformat_alloc_context();
    if (!oc) return false;
    output_.reset(oc);
    oc->oformat = format;
    oc->url = av_strdup(path.c_str());
    if (!oc->url) return Reset(), false;
    oc->max_delay = static_cast<int>(0.7 * AV_TIME_BASE);

    stream_ = avformat_new_stream(oc, nullptr);
    packet_.reset(av_packet_alloc());
    if (!stream_ || !packet_) return Reset(), false;

    // The tag "MJPG" where the container lists it, else the container's own
    // tag for Motion-JPEG.
    unsigned tag = kTagMjpg;
    if (format->codec_tag && av_codec_get_id(format->codec_tag, tag) != AV_CODEC_ID_MJPEG) {
        const unsigned own = av_codec_get_tag(format->codec_tag, AV_CODEC_ID_MJPEG);
        if (own != 0) tag = own;
    }

    // The stream header of OpenCV's writer for Motion-JPEG: 3 bits per pixel
    // per frame as base rate, raised by half twice, full-range 4:2:0.
    const double base = std::min(3.0 * fps * width * height, static_cast<double>(INT_MAX) / 2);
    const int64_t baseInt = static_cast<int64_t>(base + 0.5);
    int64_t bitRate = std::min<int64_t>(baseInt + baseInt / 2, INT_MAX);
    bitRate = std::min<int64_t>(bitRate + static_cast<int64_t>(base / 2), INT_MAX);

    AVCodecParameters* par = stream_->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_MJPEG;
    par->codec_tag = tag;
    par->width = width;
    par->height = height;
    par->format = AV_PIX_FMT_YUVJ420P;
    par->color_range = AVCOL_RANGE_JPEG;
    par->chroma_location = AVCHROMA_LOC_CENTER;
    par->bit_rate = bitRate;
    par->sample_aspect_ratio = AVRational{0, 1};
    timeBase_ = RateTimeBase(fps);
    stream_->avg_frame_rate = AVRational{timeBase_.den, timeBase_.num};
    stream_->time_base = timeBase_;

    if (!(format->flags & AVFMT_NOFILE) && avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) < 0)
        return Reset(), false;
    if (avformat_write_header(oc, nullptr) < 0) return Reset(), false;

    width_ = width;
    height_ = height;
    for (int i = 0; i < kQueueDepth + 1; ++i) {
        // Room for whole blocks: the encoder reads the right-hand padding.
        ff::FramePtr f(av_frame_alloc());
        if (!f) return Reset(), false;
        f->format = AV_PIX_FMT_YUVJ420P;
        f->width = jpeg::PaddedLuma(width);
        f->height = jpeg::PaddedLuma(height);
        if (av_frame_get_buffer(f.get(), 0) < 0) return Reset(), false;
        f->width = width;
        f->height = height;
        spare_.push_back(f.get());
        frames_.push_back(std::move(f));
    }
    encoderThread_ = std::thread([this] { EncodeLoop(); });
    return true;
}

AVFrame* MjpegWriter::TakeFreeFrame() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !spare_.empty() || failed_; });
    if (failed_) return nullptr;
    AVFrame* f = spare_.back();
    spare_.pop_back();
    return f;
}

bool MjpegWriter::Queue(AVFrame* frame) {
    PadRight(frame);
    frame->pts = nextPts_++;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(frame);
    }
    changed_.notify_all();
    ++accepted_;
    return true;
}

bool MjpegWriter::ConvertWithScaler(const uint8_t* const src[], const int srcStride[], AVPixelFormat format,
                                    int srcRange, AVFrame* out) {
    if (!scaler_ || scalerFormat_ != format || scalerRange_ != srcRange) {
        scaler_ = ff::MakeScaler(width_, height_, format, srcRange, width_, height_, AV_PIX_FMT_YUVJ420P, 1);
        if (!scaler_) return false;
        scalerFormat_ = format;
        scalerRange_ = srcRange;
    }
    return sws_scale(scaler_.get(), src, srcStride, 0, height_, out->data, out->linesize) == height_;
}

bool MjpegWriter::Write(const cv::Mat& bgr) {
    if (!IsOpen() || bgr.empty() || bgr.type() != CV_8UC3 || (bgr.cols & -2) != width_ ||
        (bgr.rows & -2) != height_)
        return false;

    // The scaler's vector code may read a little past the end of each row;
    // like OpenCV's writer, hand it rows whose length is a multiple of 32 and
    // an end that is not near a page boundary, copying when needed.
    const uint8_t* data = bgr.data;
    int step = static_cast<int>(bgr.step[0]);
    cv::Mat padded;
    const uintptr_t end = reinterpret_cast<uintptr_t>(data) + static_cast<uintptr_t>(height_) * step;
    const uintptr_t page = ~static_cast<uintptr_t>(4095);
    if (step % 32 != 0 || ((end - 32) & page) != ((end + 32) & page)) {
        const int aligned = (step + 31) & ~31;
        padded.create(height_ + 1, aligned, CV_8UC1);
        for (int y = 0; y < height_; ++y) std::memcpy(padded.ptr(y), bgr.ptr(y), static_cast<size_t>(bgr.cols) * 3);
        data = padded.data;
        step = aligned;
    }

    AVFrame* out = TakeFreeFrame();
    if (!out) return false;
    const uint8_t* src[4] = {data, nullptr, nullptr, nullptr};
    const int stride[4] = {step, 0, 0, 0};
    if (!ConvertWithScaler(src, stride, AV_PIX_FMT_BGR24, 0, out)) {
        std::lock_guard<std::mutex> lock(mutex_);
        spare_.push_back(out);
        return false;
    }
    return Queue(out);
}

bool MjpegWriter::Write(const AVFrame* picture) {
    if (!IsOpen() || !picture || (picture->width & -2) != width_ || (picture->height & -2) != height_)
        return false;
    AVFrame* out = TakeFreeFrame();
    if (!out) return false;

    bool ok = true;
    const bool planar420 = picture->format == AV_PIX_FMT_YUV420P || picture->format == AV_PIX_FMT_YUVJ420P;
    if (planar420) {
        // 4:2:0 pictures only need their range widened (or nothing at all).
        const bool full = IsFullRange(picture);
        for (int p = 0; p < 3; ++p) {
            const int w = p == 0 ? width_ : width_ / 2;
            const int h = p == 0 ? height_ : height_ / 2;
            if (full) {
                av_image_copy_plane(out->data[p], out->linesize[p], picture->data[p], picture->linesize[p], w, h);
            } else {
                WidenPlane(picture->data[p], picture->linesize[p], out->data[p], out->linesize[p], w, h, p != 0);
            }
        }
    } else {
        ok = ConvertWithScaler(picture->data, picture->linesize, static_cast<AVPixelFormat>(picture->format),
                               IsFullRange(picture) ? 1 : 0, out);
    }
    if (!ok) {
        std::lock_guard<std::mutex> lock(mutex_);
        spare_.push_back(out);
        return false;
    }
    return Queue(out);
}

// Repeats the last pixel of every row up to the next whole block.
void MjpegWriter::PadRight(AVFrame* frame) const {
    const int padded = jpeg::PaddedLuma(width_);
    if (padded == width_) return;
    for (int p = 0; p < 3; ++p) {
        const int w = p == 0 ? width_ : width_ / 2;
        const int extra = p == 0 ? padded - width_ : (padded - width_) / 2;
        const int h = p == 0 ? height_ : height_ / 2;
        for (int y = 0; y < h; ++y) {
            uint8_t* row = frame->data[p] + static_cast<ptrdiff_t>(y) * frame->linesize[p];
            std::memset(row + w, row[w - 1], static_cast<size_t>(extra));
        }
    }
}

bool MjpegWriter::EncodeOne(AVFrame* frame) {
    const uint8_t* const planes[3] = {frame->data[0], frame->data[1], frame->data[2]};
    const int strides[3] = {frame->linesize[0], frame->linesize[1], frame->linesize[2]};
    if (!encoder_.Encode(planes, strides, width_, height_)) return false;
    AVPacket* pkt = packet_.get();
    if (av_new_packet(pkt, static_cast<int>(encoder_.Size())) < 0) return false;
    std::memcpy(pkt->data, encoder_.Data(), encoder_.Size());
    pkt->pts = pkt->dts = frame->pts;
    pkt->duration = 1;
    pkt->flags |= AV_PKT_FLAG_KEY;
    av_packet_rescale_ts(pkt, timeBase_, stream_->time_base);
    pkt->stream_index = stream_->index;
    const int rc = av_write_frame(output_.get(), pkt);
    av_packet_unref(pkt);
    return rc >= 0;
}

void MjpegWriter::EncodeLoop() {
    for (;;) {
        AVFrame* frame = nullptr;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || stop_; });
            if (queue_.empty()) return;  // stopped and drained
            frame = queue_.front();
            queue_.pop_front();
        }
        const bool ok = !failed_ && EncodeOne(frame);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            spare_.push_back(frame);
            if (!ok) failed_ = true;
        }
        changed_.notify_all();
    }
}

void MjpegWriter::StopThread() {
    if (!encoderThread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    encoderThread_.join();
}

bool MjpegWriter::Close() {
    if (!IsOpen()) return false;
    StopThread();
    bool ok = !failed_;
    if (av_write_trailer(output_.get()) < 0) ok = false;
    AVFormatContext* oc = output_.get();
    if (oc->pb && !(oc->oformat->flags & AVFMT_NOFILE)) {
        avio_flush(oc->pb);
        if (oc->pb->error < 0) ok = false;
        if (avio_closep(&oc->pb) < 0) ok = false;
    }
    Reset();
    return ok;
}

bool CloseMjpegWriter(MjpegWriter& writer, const std::string& path, int framesWritten) {
    if (!writer.Close()) return false;
    avi::Reader reader;
    if (!reader.Open(path)) return false;
    const int video = reader.FindStream(avi::kStreamTypeVideo);
    if (video < 0) return framesWritten == 0;
    return static_cast<long long>(reader.Info(video).dwLength) == framesWritten;
}
