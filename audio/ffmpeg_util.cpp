#include "audio/ffmpeg_util.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace ff {

int OpenInputFile(const std::string& path, InputPtr& out) {
    out.reset();
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return -1;
    InputPtr input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0) return -2;
    out = std::move(input);
    return 0;
}

int OpenBestStream(AVFormatContext* input, AVMediaType type, int* streamIndex, CodecContextPtr* decoder) {
    const int index = av_find_best_stream(input, type, -1, -1, nullptr, 0);
    if (index < 0) return index;
    *streamIndex = index;
    const AVCodecParameters* par = input->streams[index]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec) return AVERROR_DECODER_NOT_FOUND;
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx) return AVERROR(ENOMEM);
    int rc = avcodec_parameters_to_context(ctx.get(), par);
    if (rc < 0) return rc;
    ctx->pkt_timebase = input->streams[index]->time_base;
    rc = avcodec_open2(ctx.get(), codec, nullptr);
    if (rc < 0) return rc;
    *decoder = std::move(ctx);
    return 0;
}

ScalerPtr MakeScaler(int srcWidth, int srcHeight, AVPixelFormat srcFormat, int srcFull, int dstWidth,
                     int dstHeight, AVPixelFormat dstFormat, int dstFull) {
    ScalerPtr scaler(sws_alloc_context());
    SwsContext* s = scaler.get();
    if (!s) return nullptr;
    av_opt_set_int(s, "srcw", srcWidth, 0);
    av_opt_set_int(s, "srch", srcHeight, 0);
    av_opt_set_pixel_fmt(s, "src_format", srcFormat, 0);
    av_opt_set_int(s, "src_range", srcFull, 0);
    av_opt_set_int(s, "dstw", dstWidth, 0);
    av_opt_set_int(s, "dsth", dstHeight, 0);
    av_opt_set_pixel_fmt(s, "dst_format", dstFormat, 0);
    av_opt_set_int(s, "dst_range", dstFull, 0);
    av_opt_set_int(s, "sws_flags", SWS_BICUBIC, 0);
    av_opt_set_int(s, "threads", 0, 0);  // slices over every core
    if (sws_init_context(s, nullptr, nullptr) < 0) return nullptr;
    return scaler;
}

}  // namespace ff
