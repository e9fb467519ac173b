#include "encode/transcode.h"

#include <climits>
#include <cstddef>
#include <cmath>

#include "encode/encode_texts.h"
#include "encode/final_encoder.h"
#include "encode/output_profile.h"
#include "encode/video_read_ahead.h"
#include "engine/range_map.h"

namespace enc {

namespace {

bool IsFullRange(AVPixelFormat f, AVColorRange range) {
    return f == AV_PIX_FMT_YUVJ420P || f == AV_PIX_FMT_YUVJ422P || f == AV_PIX_FMT_YUVJ444P ||
           f == AV_PIX_FMT_YUVJ440P || f == AV_PIX_FMT_YUVJ411P || range == AVCOL_RANGE_JPEG;
}

// Writes one encoded packet into the output; remembers the first failure.
void WritePacket(FinalEncoder& fe, AVPacket* pkt, const AVCodecContext* c, const AVStream* st) {
    if (c->codec_type == AVMEDIA_TYPE_VIDEO && pkt->duration == 0) pkt->duration = 1;
    av_packet_rescale_ts(pkt, c->time_base, st->time_base);
    pkt->stream_index = st->index;
    const int rc = av_interleaved_write_frame(fe.output.get(), pkt);
    if (rc < 0 && fe.writeError == 0) fe.writeError = rc;
}

// Hands one frame to an encoder (nullptr: drain it) and writes every packet
// that comes out. Returns the encoder's result.
int EncodeAndWrite(FinalEncoder& fe, AVCodecContext* c, const AVStream* st, const AVFrame* frame) {
    int rc = avcodec_send_frame(c, frame);
    if (rc < 0) return rc;
    AVPacket* pkt = fe.outPacket.get();
    for (;;) {
        rc = avcodec_receive_packet(c, pkt);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
        if (rc < 0) return rc;
        WritePacket(fe, pkt, c, st);
        av_packet_unref(pkt);
    }
}

// Narrows a full-range 4:2:0 picture of the given size to limited range in
// place (any other picture is left as it is), so that it goes to a
// limited-range 4:2:0 encoder (Motion-JPEG into MPEG-4, H.264, MS-MPEG-4)
// without conversion: plane by plane with a direct mapping instead of by the
// scaler, which would filter every line for nothing.
void NarrowInPlace(AVFrame* f, int width, int height) {
    if ((f->format != AV_PIX_FMT_YUVJ420P && f->format != AV_PIX_FMT_YUV420P) ||
        !IsFullRange(static_cast<AVPixelFormat>(f->format), f->color_range) || f->width != width ||
        f->height != height || av_frame_make_writable(f) < 0)
        return;
    for (int p = 0; p < 3; ++p) {
        const int w = p == 0 ? width : (width + 1) / 2;
        const int h = p == 0 ? height : (height + 1) / 2;
        NarrowPlane(f->data[p], f->linesize[p], f->data[p], f->linesize[p], w, h, p != 0);
    }
    f->format = AV_PIX_FMT_YUV420P;
    f->color_range = AVCOL_RANGE_MPEG;
}

// Converts a decoded picture into the encoder's pixel format, size and range
// (the Motion-JPEG pictures are full range; most encoders take limited range).
// Returns the converted picture, or nullptr on failure.
AVFrame* ConvertPicture(FinalEncoder& fe, const AVFrame* in) {
    const AVCodecContext* c = fe.videoEncoderContext.get();
    const int srcFull = IsFullRange(static_cast<AVPixelFormat>(in->format), in->color_range) ? 1 : 0;
    const int dstFull = IsFullRange(c->pix_fmt, c->color_range) ? 1 : 0;
    if (!fe.scaler || fe.scalerFormat != in->format || fe.scalerWidth != in->width ||
        fe.scalerHeight != in->height || fe.scalerFullRange != srcFull) {
        fe.scaler = ff::MakeScaler(in->width, in->height, static_cast<AVPixelFormat>(in->format), srcFull, c->width,
                                   c->height, c->pix_fmt, dstFull);
        if (!fe.scaler) return nullptr;
        fe.scalerFormat = in->format;
        fe.scalerWidth = in->width;
        fe.scalerHeight = in->height;
        fe.scalerFullRange = srcFull;
    }

    // A fresh buffer when the encoder still holds the previous picture.
    AVFrame* out = fe.convertedFrame.get();
    if (!out->buf[0]) {
        out->format = c->pix_fmt;
        out->width = c->width;
        out->height = c->height;
        if (av_frame_get_buffer(out, 0) < 0) return nullptr;
    } else if (av_frame_make_writable(out) < 0) {
        return nullptr;
    }
    if (sws_scale_frame(fe.scaler.get(), out, in) < 0) return nullptr;
    out->color_range = dstFull ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    out->sample_aspect_ratio = in->sample_aspect_ratio;
    return out;
}

// One decoded picture, from `pkt` (nullptr: the decoder's drain): preview
// every 16th, count it, encode it with the timestamp of its rank.
void EncodePicture(FinalEncoder& fe, JobContext* ctx, AVFrame* in, const AVPacket* pkt) {
    if (ctx && (fe.videoFrameCount & 15) == 0 && pkt && pkt->data && pkt->size > 0)
        ctx->LoadFromMemory(pkt->data, static_cast<std::size_t>(pkt->size));
    ++fe.videoFrameCount;
    // Counted from the picture count rather than summed, so that no rounding
    // drift builds up over a long video.
    fe.videoSeconds = static_cast<double>(fe.videoFrameCount) * fe.frameDuration.num / fe.frameDuration.den;

    AVCodecContext* c = fe.videoEncoderContext.get();
    AVFrame* picture = in;
    if (in->format != c->pix_fmt || in->width != c->width || in->height != c->height ||
        IsFullRange(static_cast<AVPixelFormat>(in->format), in->color_range) !=
            IsFullRange(c->pix_fmt, c->color_range))
        picture = ConvertPicture(fe, in);
    if (picture) {
        picture->pict_type = AV_PICTURE_TYPE_NONE;
        picture->pts = fe.videoFrameCount - 1;
        EncodeAndWrite(fe, c, fe.outVideo, picture);
    }
    av_frame_unref(in);
}

// Encodes the pictures one packet of the video source gave.
void EncodePictures(FinalEncoder& fe, JobContext* ctx, DecodedPacket& decoded) {
    for (ff::FramePtr& picture : decoded.pictures) {
        if (fe.writeError != 0) break;
        EncodePicture(fe, ctx, picture.get(), decoded.packet.get());
    }
    decoded.pictures.clear();
}

// True when the reversed pictures are already what the video encoder would
// make of them: Motion-JPEG into Motion-JPEG, same size and pixel format.
bool CopiesVideo(const FinalEncoder& fe) {
    const AVCodecContext* dec = fe.videoSource.videoDecoder.get();
    const AVCodecContext* enc = fe.videoEncoderContext.get();
    return dec && enc && dec->codec_id == AV_CODEC_ID_MJPEG && enc->codec_id == AV_CODEC_ID_MJPEG &&
           dec->width == enc->width && dec->height == enc->height && dec->pix_fmt == enc->pix_fmt;
}

// Writes one packet of the video source as it is: the same preview, count and
// timestamp as an encoded picture would get.
void CopyPicture(FinalEncoder& fe, JobContext* ctx, DecodedPacket& decoded) {
    AVPacket* pkt = decoded.packet.get();
    if (!pkt || pkt->stream_index != fe.videoSource.videoIndex || pkt->size <= 0 || fe.writeError != 0) return;
    if (ctx && (fe.videoFrameCount & 15) == 0) ctx->LoadFromMemory(pkt->data, static_cast<std::size_t>(pkt->size));
    ++fe.videoFrameCount;
    fe.videoSeconds = static_cast<double>(fe.videoFrameCount) * fe.frameDuration.num / fe.frameDuration.den;
    pkt->pts = pkt->dts = fe.videoFrameCount - 1;
    pkt->duration = 1;
    pkt->pos = -1;
    pkt->flags |= AV_PKT_FLAG_KEY;
    WritePacket(fe, pkt, fe.videoEncoderContext.get(), fe.outVideo);
}

// Hands samples in the encoder's format to the encoder, stamped with the
// number of samples before them.
void EncodeSamples(FinalEncoder& fe, AVFrame* samples) {
    samples->pts = fe.audioSampleCount;
    fe.audioSampleCount += samples->nb_samples;
    EncodeAndWrite(fe, fe.audioEncoderContext.get(), fe.outAudio, samples);
}

// A new frame of `count` samples laid out for the audio encoder.
bool AllocSamples(FinalEncoder& fe, AVFrame* f, int count) {
    const AVCodecContext* c = fe.audioEncoderContext.get();
    av_frame_unref(f);
    f->format = c->sample_fmt;
    f->sample_rate = c->sample_rate;
    f->nb_samples = count;
    if (av_channel_layout_copy(&f->ch_layout, &c->ch_layout) < 0) return false;
    return av_frame_get_buffer(f, 0) >= 0;
}

// Takes `count` samples from the re-framing buffer and encodes them.
void EncodeFromFifo(FinalEncoder& fe, int count) {
    AVFrame* out = fe.audioOutputFrame.get();
    if (!AllocSamples(fe, out, count)) return;
    const int got = av_audio_fifo_read(fe.fifo.get(), reinterpret_cast<void**>(out->data), count);
    if (got <= 0) return;
    out->nb_samples = got;
    EncodeSamples(fe, out);
}

// One decoded frame of sound: convert its sample format when needed, then
// encode it as it is or through the re-framing buffer.
void HandleSamples(FinalEncoder& fe, AVFrame* decoded) {
    if (decoded->sample_rate > 0)
        fe.audioSeconds += static_cast<double>(decoded->nb_samples) / decoded->sample_rate;
    if (decoded->nb_samples <= 0) return;

    AVFrame* samples = decoded;
    if (fe.resampler) {
        samples = fe.audioConvertedFrame.get();
        if (!AllocSamples(fe, samples, decoded->nb_samples)) return;
        const int n = swr_convert(fe.resampler.get(), samples->data, samples->nb_samples,
                                  const_cast<const uint8_t**>(decoded->extended_data), decoded->nb_samples);
        if (n <= 0) return;
        samples->nb_samples = n;
    }

    if (!fe.fifo) {
        EncodeSamples(fe, samples);
        return;
    }
    if (av_audio_fifo_write(fe.fifo.get(), reinterpret_cast<void**>(samples->extended_data),
                            samples->nb_samples) < samples->nb_samples)
        return;
    while (av_audio_fifo_size(fe.fifo.get()) >= fe.frameSize) EncodeFromFifo(fe, fe.frameSize);
}

// Decodes one packet of the audio source (nullptr: drain the decoder).
void DecodeAudioPacket(FinalEncoder& fe, const AVPacket* pkt) {
    if (pkt && pkt->stream_index != fe.audioSource.audioIndex) return;
    AVCodecContext* dec = fe.audioSource.audioDecoder.get();
    if (avcodec_send_packet(dec, pkt) < 0) return;
    AVFrame* frame = fe.audioDecodedFrame.get();
    while (avcodec_receive_frame(dec, frame) >= 0) {
        HandleSamples(fe, frame);
        av_frame_unref(frame);
    }
}

// The end of the sound: the decoder's last frames, the short remainder of the
// re-framing buffer, then the encoder's delayed packets.
void FinishAudio(FinalEncoder& fe) {
    DecodeAudioPacket(fe, nullptr);
    if (fe.fifo && av_audio_fifo_size(fe.fifo.get()) > 0) EncodeFromFifo(fe, av_audio_fifo_size(fe.fifo.get()));
    EncodeAndWrite(fe, fe.audioEncoderContext.get(), fe.outAudio, nullptr);
}

// Trailer and file close; false when either fails (a full disk, for instance).
bool FinishOutput(FinalEncoder& fe) {
    AVFormatContext* oc = fe.output.get();
    bool ok = av_write_trailer(oc) >= 0;
    if (oc->pb && !(oc->oformat->flags & AVFMT_NOFILE)) {
        avio_flush(oc->pb);
        if (oc->pb->error < 0) ok = false;
        if (avio_closep(&oc->pb) < 0) ok = false;
    }
    return ok;
}

}  // namespace

int ProgressMillis(double seconds) {
    const double ms = seconds * 1000.0;
    if (!std::isfinite(ms) || ms <= 0.0) return 0;
    if (ms >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(ms);
}

std::vector<std::string> ReplacementLines(int result, int language) {
    std::vector<std::string> lines;
    if (result < 0) return lines;
    if (result >= OUT_AUDIO_REMOVED) {
        lines.push_back(enctext::kAudioRemoved.Pick(language));
        return lines;
    }
    if (result & OUT_VIDEO_MSMPEG4) lines.push_back(enctext::kVideoMsmpeg4.Pick(language));
    if (result & OUT_VIDEO_MPEG4) lines.push_back(enctext::kVideoMpeg4.Pick(language));
    if (result & OUT_FORMAT_MOV) lines.push_back(enctext::kFormatMov.Pick(language));
    if (result & OUT_AUDIO_PCM)
        lines.push_back(enctext::kAudioPcm.Pick(language));
    else if (result & OUT_AUDIO_AAC)
        lines.push_back(enctext::kAudioAac.Pick(language));
    return lines;
}

bool EncodeFinalFile(JobContext& ctx, const std::string& videoPath, const std::string& audioPath,
                     const std::string& outputPath, int bitrateKbps, const std::string& referencePath,
                     const std::string& formatName, AVCodecID videoCodecId, AVCodecID audioCodecId) {
    FinalEncoder fe;
    fe.withAudio = !audioPath.empty();

    // The reference only lends its parameters: a missing one is no error here.
    OpenReference(fe, referencePath);
    if (OpenVideoSource(fe, videoPath) < 0) return false;
    if (fe.withAudio && OpenAudioSource(fe, audioPath) < 0) {
        fe.withAudio = false;
        ctx.AppendLog(enctext::kAudioOpenError.Pick(ctx.Language()));
    }

    const int result = SetupOutput(fe, ctx.m_settings, outputPath, bitrateKbps, formatName, videoCodecId,
                                   audioCodecId);
    if (result < 0) return false;
    for (const std::string& line : ReplacementLines(result, ctx.Language())) ctx.AppendLog(line);

    ctx.SetProgressPos(0);
    ctx.SetProgressRange(ProgressMillis(ctx.m_dDuration));

    AVFormatContext* audio = fe.audioSource.input.get();
    bool videoEnded = false;
    bool readFailed = false;

    // At the reversed file's own bit rate (the Slow mode's join with the
    // sound), pictures the encoder would make the same are written as they
    // are: that spares a decode and an encode per picture, and a second loss
    // of quality.
    const bool copy = bitrateKbps < 0 && referencePath == videoPath && CopiesVideo(fe);
    // The video source is read and decoded a few packets ahead on another
    // thread. Declared after `fe`, so it is stopped before the source closes.
    // Pictures bound for a limited-range 4:2:0 encoder are narrowed on the
    // reading thread, beside the encoding.
    const AVCodecContext* venc = fe.videoEncoderContext.get();
    VideoReadAhead::Prepare narrow;
    if (venc->pix_fmt == AV_PIX_FMT_YUV420P && !IsFullRange(venc->pix_fmt, venc->color_range))
        narrow = [w = venc->width, h = venc->height](AVFrame* f) { NarrowInPlace(f, w, h); };
    VideoReadAhead reader(fe.videoSource, !copy, narrow);
    DecodedPacket decoded;
    auto takePictures = [&] {
        if (copy)
            CopyPicture(fe, &ctx, decoded);
        else
            EncodePictures(fe, &ctx, decoded);
    };

    // Pictures, each followed by enough sound to keep the sound ahead.
    while (!ctx.Cancelled() && fe.writeError == 0) {
        if (!reader.Next(decoded)) {
            readFailed = true;
            break;
        }
        if (decoded.last) {
            videoEnded = true;
            break;
        }
        takePictures();
        ctx.SetProgressPos(ProgressMillis(fe.videoSeconds));

        while (fe.withAudio && fe.videoSeconds >= fe.audioSeconds && fe.writeError == 0) {
            if (av_read_frame(audio, fe.audioPacket.get()) < 0) {
                FinishAudio(fe);  // the sound is shorter than the video
                fe.withAudio = false;
                break;
            }
            DecodeAudioPacket(fe, fe.audioPacket.get());
            av_packet_unref(fe.audioPacket.get());
        }
    }
    if (videoEnded && fe.writeError == 0) takePictures();
    reader.Stop();
    if (readFailed) return false;

    // The rest of the sound, also after a cancel.
    if (fe.withAudio && fe.writeError == 0) {
        while (fe.writeError == 0 && av_read_frame(audio, fe.audioPacket.get()) >= 0) {
            DecodeAudioPacket(fe, fe.audioPacket.get());
            av_packet_unref(fe.audioPacket.get());
        }
        FinishAudio(fe);
    }
    if (fe.writeError == 0) EncodeAndWrite(fe, fe.videoEncoderContext.get(), fe.outVideo, nullptr);
    if (fe.writeError != 0) return false;
    return FinishOutput(fe);
}

}  // namespace enc
