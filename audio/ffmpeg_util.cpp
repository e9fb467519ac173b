#include "audio/ffmpeg_util.h"

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

}  // namespace ff
