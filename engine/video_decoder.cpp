#include "engine/video_decoder.h"

extern "C" {
#include <libavutil/display.h>
}

#include <cmath>
#include <cstdlib>

namespace {

// True when the stream asks for its pictures to be shown turned (the
// capture turns them, so it must read such a file itself).
bool IsTurned(const AVStream* st) {
    if (const AVDictionaryEntry* rotate = av_dict_get(st->metadata, "rotate", nullptr, 0)) {
        if (std::atoi(rotate->value) % 360 != 0) return true;
    }
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (matrix && size >= 9 * sizeof(int32_t)) {
        const double angle = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
        if (!std::isnan(angle) && std::lround(angle) % 360 != 0) return true;
    }
    return false;
}

}  // namespace

VideoDecoder::~VideoDecoder() {
    sws_freeContext(toBgr_);
}

bool VideoDecoder::Open(const std::string& path) {
    decoder_.reset();
    input_.reset();
    stream_ = -1;
    flushed_ = false;
    if (ff::OpenInputFile(path, input_) != 0) return false;
    AVFormatContext* ic = input_.get();
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        if (ic->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            stream_ = static_cast<int>(i);
            break;
        }
    }
    if (stream_ < 0) return false;
    AVStream* st = ic->streams[stream_];
    if (IsTurned(st)) return false;
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec) return false;
    ff::CodecContextPtr ctx(avcodec_alloc_context3(codec));
    packet_.reset(av_packet_alloc());
    if (!ctx || !packet_) return false;
    if (avcodec_parameters_to_context(ctx.get(), st->codecpar) < 0) return false;
    ctx->pkt_timebase = st->time_base;
    ctx->thread_count = 0;  // one per core
    if (avcodec_open2(ctx.get(), codec, nullptr) < 0) return false;
    decoder_ = std::move(ctx);
    // Only the chosen stream's packets are wanted.
    for (unsigned i = 0; i < ic->nb_streams; ++i)
        if (static_cast<int>(i) != stream_) ic->streams[i]->discard = AVDISCARD_ALL;
    return true;
}

bool VideoDecoder::Read(AVFrame* picture) {
    if (!decoder_) return false;
    av_frame_unref(picture);
    AVCodecContext* c = decoder_.get();
    for (int attempts = 0; attempts < 4096;) {
        const int rc = avcodec_receive_frame(c, picture);
        if (rc == 0) return true;
        if (rc != AVERROR(EAGAIN)) return false;  // end of the stream or a decoder failure
        if (flushed_) return false;
        AVPacket* pkt = packet_.get();
        if (av_read_frame(input_.get(), pkt) < 0) {
            flushed_ = true;
            avcodec_send_packet(c, nullptr);
            continue;
        }
        if (pkt->stream_index == stream_) {
            avcodec_send_packet(c, pkt);
            ++attempts;
        }
        av_packet_unref(pkt);
    }
    return false;
}

bool VideoDecoder::ToBgr(const AVFrame* picture, cv::Mat& bgr) {
    if (!picture || picture->width <= 0 || picture->height <= 0) return false;
    toBgr_ = sws_getCachedContext(toBgr_, picture->width, picture->height,
                                  static_cast<AVPixelFormat>(picture->format), picture->width,
                                  picture->height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!toBgr_) return false;
    bgr.create(picture->height, picture->width, CV_8UC3);
    uint8_t* dst[4] = {bgr.data, nullptr, nullptr, nullptr};
    const int stride[4] = {static_cast<int>(bgr.step[0]), 0, 0, 0};
    return sws_scale(toBgr_, picture->data, picture->linesize, 0, picture->height, dst, stride) ==
           picture->height;
}
