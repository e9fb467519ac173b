#include "encode/output_profile.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace enc {

namespace {

bool IsFullRangeFormat(AVPixelFormat f) {
    return f == AV_PIX_FMT_YUVJ420P || f == AV_PIX_FMT_YUVJ422P || f == AV_PIX_FMT_YUVJ444P ||
           f == AV_PIX_FMT_YUVJ440P || f == AV_PIX_FMT_YUVJ411P;
}

// The limited-range format with the same layout as a full-range (JPEG) one.
AVPixelFormat LimitedTwin(AVPixelFormat f) {
    switch (f) {
    case AV_PIX_FMT_YUVJ420P: return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: return AV_PIX_FMT_YUV411P;
    default: return AV_PIX_FMT_NONE;
    }
}

bool Listed(const AVPixelFormat* list, AVPixelFormat f) {
    for (; list && *list != AV_PIX_FMT_NONE; ++list)
        if (*list == f) return true;
    return false;
}

bool Listed(const AVSampleFormat* list, AVSampleFormat f) {
    for (; list && *list != AV_SAMPLE_FMT_NONE; ++list)
        if (*list == f) return true;
    return false;
}

// The pixel format the encoder is opened with. The source's own format when
// the encoder takes it; otherwise its limited-range twin, otherwise the
// encoder's closest format. The pictures are converted (values, not only the
// label) into that format by the transcode loop. AV_PIX_FMT_NONE: no usable format.
AVPixelFormat ChoosePixelFormat(const AVCodec* codec, AVPixelFormat src) {
    const AVPixelFormat* list = codec->pix_fmts;
    if (!list) return src;
    if (src != AV_PIX_FMT_NONE && Listed(list, src)) return src;
    const AVPixelFormat twin = LimitedTwin(src);
    if (twin != AV_PIX_FMT_NONE && Listed(list, twin)) return twin;
    if (src == AV_PIX_FMT_NONE) return list[0];
    if (!sws_isSupportedInput(src)) return AV_PIX_FMT_NONE;
    const AVPixelFormat best = avcodec_find_best_pix_fmt_of_list(list, src, 0, nullptr);
    if (best == AV_PIX_FMT_NONE || !sws_isSupportedOutput(best)) return AV_PIX_FMT_NONE;
    return best;
}

// The sample format the audio encoder is opened with: the source's when the
// encoder takes it, else its planar or packed twin, else the encoder's first.
// The samples are converted with libswresample when it differs.
AVSampleFormat ChooseSampleFormat(const AVCodec* codec, AVSampleFormat src) {
    const AVSampleFormat* list = codec->sample_fmts;
    if (!list) return src;
    if (Listed(list, src)) return src;
    if (Listed(list, av_get_planar_sample_fmt(src))) return av_get_planar_sample_fmt(src);
    if (Listed(list, av_get_packed_sample_fmt(src))) return av_get_packed_sample_fmt(src);
    return list[0];
}

// The length of one picture of the video source, in seconds.
AVRational FrameDuration(const AVStream* st) {
    if (st->r_frame_rate.num > 0 && st->r_frame_rate.den > 0) return av_inv_q(st->r_frame_rate);
    if (st->avg_frame_rate.num > 0 && st->avg_frame_rate.den > 0) return av_inv_q(st->avg_frame_rate);
    if (st->time_base.num > 0 && st->time_base.den > 0) return st->time_base;
    return AVRational{1, 25};
}

// Step 2: the output context, from formatName or from the reference's container.
int CreateOutputContext(FinalEncoder& fe, const AppSettings& settings, const std::string& outputPath,
                        const std::string& formatName, int* bits) {
    AVFormatContext* raw = nullptr;
    const char* path = outputPath.c_str();
    if (!formatName.empty()) {
        if (avformat_alloc_output_context2(&raw, nullptr, formatName.c_str(), path) < 0 || !raw) return -6;
        fe.output.reset(raw);
        return 0;
    }
    if (!fe.reference.input) return -2;
    const AVInputFormat* demuxer = fe.reference.input->iformat;
    const std::string name = demuxer && demuxer->name ? demuxer->name : "";
    const std::string longName = demuxer && demuxer->long_name ? demuxer->long_name : "";

    auto attempt = [&](const char* format) {
        if (raw) return;
        if (avformat_alloc_output_context2(&raw, nullptr, format, path) < 0) raw = nullptr;
    };
    if (settings.ReplaceMTS && name == "mpegts") {
        *bits |= OUT_FORMAT_MOV;  // set even if the MOV muxer cannot be had
        attempt("mov");
    }
    attempt(name.c_str());
    attempt(longName.c_str());
    attempt(nullptr);
    attempt(name.substr(0, name.find(',')).c_str());
    if (!raw) return -3;
    fe.output.reset(raw);
    return 0;
}

// Step 5: the video stream and its encoder.
int SetupVideo(FinalEncoder& fe, const AppSettings& /*settings*/, int bitrateKbps, AVCodecID codecId) {
    const AVCodecContext* dec = fe.videoSource.videoDecoder.get();
    const AVStream* srcStream = fe.videoSource.videoStream;

    fe.outVideo = avformat_new_stream(fe.output.get(), nullptr);
    if (!fe.outVideo) return -9;
    fe.outVideo->id = 0;

    fe.videoEncoderContext.reset(avcodec_alloc_context3(fe.videoEncoder));
    if (!fe.videoEncoderContext) return -9;
    AVCodecContext* c = fe.videoEncoderContext.get();

    AVPixelFormat pix = dec->pix_fmt;
    if (pix == AV_PIX_FMT_NONE) pix = static_cast<AVPixelFormat>(srcStream->codecpar->format);
    if (codecId == AV_CODEC_ID_H264) {
        if (pix == AV_PIX_FMT_YUVJ420P) pix = AV_PIX_FMT_YUV420P;
        av_opt_set(c->priv_data, "preset", "slow", 0);
    }

    fe.frameDuration = FrameDuration(srcStream);
    c->codec_id = fe.videoEncoder->id;
    c->width = dec->width;
    c->height = dec->height;
    c->time_base = fe.frameDuration;
    c->framerate = av_inv_q(fe.frameDuration);
    c->sample_aspect_ratio = dec->sample_aspect_ratio;
    c->gop_size = fe.reference.videoDecoder ? fe.reference.videoDecoder->gop_size : dec->gop_size;
    c->bit_rate = ChooseVideoBitRate(
        bitrateKbps, fe.reference.videoDecoder != nullptr,
        fe.reference.videoDecoder ? fe.reference.videoDecoder->bit_rate : 0,
        fe.reference.videoDecoder && fe.reference.input ? fe.reference.input->bit_rate : 0);
    fe.outVideo->time_base = c->time_base;
    fe.outVideo->avg_frame_rate = c->framerate;
    fe.outVideo->r_frame_rate = c->framerate;

    if (fe.output->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    c->pix_fmt = ChoosePixelFormat(fe.videoEncoder, pix);
    if (c->pix_fmt == AV_PIX_FMT_NONE) return -9;
    c->color_range = IsFullRangeFormat(c->pix_fmt) ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;

    // Let the encoder use every core. The Motion-JPEG encoder runs frame
    // threads only at a fixed quantiser, so it gets slice threads.
    c->thread_count = 0;
    c->thread_type = (c->codec_id == AV_CODEC_ID_MJPEG) ? FF_THREAD_SLICE : (FF_THREAD_FRAME | FF_THREAD_SLICE);

    if (avcodec_open2(c, fe.videoEncoder, nullptr) < 0) return -10;
    if (avcodec_parameters_from_context(fe.outVideo->codecpar, c) < 0) return -10;
    return 0;
}

// Step 6: the audio encoder and stream. Returns false when the sound must be
// removed; nothing is added to the output then.
bool SetupAudio(FinalEncoder& fe) {
    const AVCodecContext* dec = fe.audioSource.audioDecoder.get();
    const AVSampleFormat sampleFormat = ChooseSampleFormat(fe.audioEncoder, dec->sample_fmt);
    if (sampleFormat == AV_SAMPLE_FMT_NONE) return false;

    fe.audioEncoderContext.reset(avcodec_alloc_context3(fe.audioEncoder));
    if (!fe.audioEncoderContext) return false;
    AVCodecContext* c = fe.audioEncoderContext.get();
    c->sample_fmt = sampleFormat;
    c->sample_rate = dec->sample_rate;
    if (dec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&dec->ch_layout) == 0)
        av_channel_layout_default(&c->ch_layout, dec->ch_layout.nb_channels);
    else if (av_channel_layout_copy(&c->ch_layout, &dec->ch_layout) < 0)
        return false;
    if (c->sample_rate <= 0 || c->ch_layout.nb_channels <= 0) return false;
    c->time_base = AVRational{1, c->sample_rate};
    // The reference's sound rate; a reference that reports none gives the
    // source's rate divided by 8, as when the reference has no sound.
    std::int64_t rate = fe.reference.audioDecoder ? fe.reference.audioDecoder->bit_rate : 0;
    if (rate <= 0) rate = dec->bit_rate / 8;
    c->bit_rate = rate;
    if (fe.output->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    c->thread_count = 0;

    if (avcodec_open2(c, fe.audioEncoder, nullptr) < 0) return false;

    if (c->sample_fmt != dec->sample_fmt) {
        AVChannelLayout inLayout{};
        if (dec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&inLayout, dec->ch_layout.nb_channels);
        else if (av_channel_layout_copy(&inLayout, &dec->ch_layout) < 0)
            return false;
        SwrContext* swr = nullptr;
        const int rc = swr_alloc_set_opts2(&swr, &c->ch_layout, c->sample_fmt, c->sample_rate, &inLayout,
                                           dec->sample_fmt, dec->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        fe.resampler.reset(swr);
        if (rc < 0 || !swr || swr_init(swr) < 0) return false;
    }

    // Encoders that take frames of one fixed size get them from the re-framing buffer.
    fe.frameSize = 0;
    if (c->frame_size > 0 && !(fe.audioEncoder->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE)) {
        fe.frameSize = c->frame_size;
        fe.fifo.reset(av_audio_fifo_alloc(c->sample_fmt, c->ch_layout.nb_channels, 2 * c->frame_size));
        if (!fe.fifo) return false;
    }

    fe.outAudio = avformat_new_stream(fe.output.get(), nullptr);
    if (!fe.outAudio) return false;
    fe.outAudio->id = 1;
    fe.outAudio->time_base = c->time_base;
    if (avcodec_parameters_from_context(fe.outAudio->codecpar, c) < 0) return false;
    return true;
}

}  // namespace

std::int64_t ChooseVideoBitRate(int bitrateKbps, bool referenceHasVideo, std::int64_t referenceVideoRate,
                                std::int64_t referenceFileRate) {
    std::int64_t rate = static_cast<std::int64_t>(bitrateKbps) * 1000;
    if (rate <= 0 && referenceHasVideo) {
        rate = referenceVideoRate;
        if (rate <= 0) rate = referenceFileRate;
    }
    if (rate <= 0) rate = kDefaultVideoBitRate;
    if (rate > kMaxVideoBitRate) rate = kMaxVideoBitRate;
    return rate;
}

AVCodecID ReplaceVideoCodec(AVCodecID id, bool replaceH264, int* bits) {
    switch (id) {
    case AV_CODEC_ID_WMV1: *bits |= OUT_VIDEO_MSMPEG4; return AV_CODEC_ID_MSMPEG4V1;
    case AV_CODEC_ID_WMV2: *bits |= OUT_VIDEO_MSMPEG4; return AV_CODEC_ID_MSMPEG4V2;
    case AV_CODEC_ID_WMV3: *bits |= OUT_VIDEO_MSMPEG4; return AV_CODEC_ID_MSMPEG4V3;
    case AV_CODEC_ID_H264:
        if (!replaceH264) return id;
        *bits |= OUT_VIDEO_MPEG4;
        return AV_CODEC_ID_MPEG4;
    default: return id;
    }
}

int SetupOutput(FinalEncoder& fe, const AppSettings& settings, const std::string& outputPath, int bitrateKbps,
                const std::string& formatName, AVCodecID videoCodecId, AVCodecID audioCodecId) {
    int bits = 0;

    // 1. The video source's stream.
    if (!fe.videoSource.videoStream || !fe.videoSource.videoDecoder) return -1;

    // 2. Container.
    int rc = CreateOutputContext(fe, settings, outputPath, formatName, &bits);
    if (rc < 0) return rc;

    // 3. Video codec.
    if (videoCodecId == AV_CODEC_ID_NONE && fe.reference.videoStream)
        videoCodecId = fe.reference.videoStream->codecpar->codec_id;
    videoCodecId = ReplaceVideoCodec(videoCodecId, settings.ReplaceH264 != 0, &bits);
    fe.videoEncoder = avcodec_find_encoder(videoCodecId);
    if (!fe.videoEncoder) return -7;

    // 4. Audio codec: AC-3 becomes AAC; no encoder means 16-bit PCM.
    if (fe.withAudio) {
        if (!fe.audioSource.audioDecoder) {
            fe.withAudio = false;
        } else {
            if (audioCodecId == AV_CODEC_ID_NONE && fe.reference.audioStream)
                audioCodecId = fe.reference.audioStream->codecpar->codec_id;
            if (audioCodecId == AV_CODEC_ID_AC3) {
                audioCodecId = AV_CODEC_ID_AAC;
                bits |= OUT_AUDIO_AAC;
            }
            fe.audioEncoder = audioCodecId == AV_CODEC_ID_NONE ? nullptr : avcodec_find_encoder(audioCodecId);
            if (!fe.audioEncoder ||
                ChooseSampleFormat(fe.audioEncoder, fe.audioSource.audioDecoder->sample_fmt) == AV_SAMPLE_FMT_NONE) {
                bits |= OUT_AUDIO_PCM;
                fe.audioEncoder = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
            }
        }
    }

    // 5. Video stream and encoder.
    rc = SetupVideo(fe, settings, bitrateKbps, videoCodecId);
    if (rc < 0) return rc;

    // 6. Sound stream and encoder; any failure leaves the sound out.
    if (fe.withAudio && (!fe.audioEncoder || !SetupAudio(fe))) {
        fe.withAudio = false;
        fe.audioEncoderContext.reset();
        fe.resampler.reset();
        fe.fifo.reset();
        fe.frameSize = 0;
        bits = OUT_AUDIO_REMOVED;
    }

    // 7. Output file and header.
    if (!(fe.output->oformat->flags & AVFMT_NOFILE)) {
        if (avio_open(&fe.output->pb, outputPath.c_str(), AVIO_FLAG_WRITE) < 0) return -14;
    }
    if (avformat_write_header(fe.output.get(), nullptr) < 0) return -15;

    // 8. Frames and packets.
    fe.convertedFrame.reset(av_frame_alloc());
    if (!fe.convertedFrame) return -16;
    if (fe.withAudio) {
        fe.audioOutputFrame.reset(av_frame_alloc());
        fe.audioConvertedFrame.reset(av_frame_alloc());
        if (!fe.audioOutputFrame || !fe.audioConvertedFrame) return -17;
        fe.audioDecodedFrame.reset(av_frame_alloc());
        if (!fe.audioDecodedFrame) return -18;
        fe.audioOutputFrame->pts = AV_NOPTS_VALUE;
    }
    fe.audioPacket.reset(av_packet_alloc());
    fe.outPacket.reset(av_packet_alloc());
    if (!fe.audioPacket || !fe.outPacket) return -16;

    // 9. Counters.
    fe.videoSeconds = 0.0;
    fe.audioSeconds = 0.0;
    fe.videoFrameCount = 0;
    fe.audioSampleCount = 0;
    return bits;
}

}  // namespace enc
