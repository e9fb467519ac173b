#include "audio/extract.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <limits>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
}

#include "engine/numeric.h"

namespace {

bool EncoderSupports(const AVCodec* encoder, AVSampleFormat format) {
    if (!encoder->sample_fmts) return false;
    for (const AVSampleFormat* f = encoder->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
        if (*f == format) return true;
    return false;
}

void RemoveIfRegularFile(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
}

// Milliseconds as a progress value: truncated toward zero; not finite,
// negative or beyond the int range gives 0 (range) or the int maximum (position).
int ProgressRangeMs(double seconds) {
    const int ms = ToIntOrZero(seconds * 1000.0);
    return ms > 0 ? ms : 0;
}
int ProgressPosMs(double seconds) {
    const double ms = std::trunc(seconds * 1000.0);
    if (!(ms > 0.0)) return 0;
    if (ms >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return static_cast<int>(ms);
}

}  // namespace

std::int16_t FloatSampleToS16(double v) {
    const double scaled = std::trunc(v * 32767.0);
    if (std::isnan(scaled)) return 0;
    if (scaled >= 32767.0) return 32767;
    if (scaled <= -32767.0) return -32767;
    return static_cast<std::int16_t>(scaled);
}

bool CanConvertToS16(AVSampleFormat format) {
    switch (format) {
    case AV_SAMPLE_FMT_FLT:
    case AV_SAMPLE_FMT_FLTP:
    case AV_SAMPLE_FMT_DBL:
    case AV_SAMPLE_FMT_DBLP:
    case AV_SAMPLE_FMT_S16P:
        return true;
    default:
        return false;
    }
}

bool ConvertToS16Interleaved(const AVFrame* frame, int channels, std::int16_t* out) {
    const auto format = static_cast<AVSampleFormat>(frame->format);
    if (!CanConvertToS16(format) || channels <= 0 || frame->ch_layout.nb_channels < channels) return false;
    const int n = frame->nb_samples;
    const int stride = frame->ch_layout.nb_channels;   // samples per instant in a packed plane
    for (int s = 0; s < n; ++s) {
        for (int c = 0; c < channels; ++c) {
            std::int16_t& dst = out[static_cast<std::size_t>(s) * channels + c];
            const std::size_t packed = static_cast<std::size_t>(s) * stride + c;
            switch (format) {
            case AV_SAMPLE_FMT_FLT:
                dst = FloatSampleToS16(reinterpret_cast<const float*>(frame->extended_data[0])[packed]);
                break;
            case AV_SAMPLE_FMT_FLTP:
                dst = FloatSampleToS16(reinterpret_cast<const float*>(frame->extended_data[c])[s]);
                break;
            case AV_SAMPLE_FMT_DBL:
                dst = FloatSampleToS16(reinterpret_cast<const double*>(frame->extended_data[0])[packed]);
                break;
            case AV_SAMPLE_FMT_DBLP:
                dst = FloatSampleToS16(reinterpret_cast<const double*>(frame->extended_data[c])[s]);
                break;
            default:   // AV_SAMPLE_FMT_S16P
                dst = reinterpret_cast<const std::int16_t*>(frame->extended_data[c])[s];
                break;
            }
        }
    }
    return true;
}

AudioExtractor::AudioExtractor() = default;
AudioExtractor::~AudioExtractor() { Close(); }

int AudioExtractor::OpenInput(const std::string& sourcePath) {
    sourcePath_ = sourcePath;
    const int rc = ff::OpenInputFile(sourcePath, input_);
    if (rc < 0) return rc;
    int index = -1;
    ff::CodecContextPtr decoder;
    if (ff::OpenBestStream(input_.get(), AVMEDIA_TYPE_AUDIO, &index, &decoder) < 0) return -4;
    audioStreamIndex_ = index;
    inputStream_ = input_->streams[index];
    decoder_ = std::move(decoder);
    return 0;
}

int AudioExtractor::OpenOutput(const std::string& outputPath) {
    if (!inputStream_) return -4;
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, nullptr, outputPath.c_str()) < 0 || !raw) return -5;
    output_.reset(raw);

    const AVCodec* encoder = avcodec_find_encoder(output_->oformat->audio_codec);
    if (!encoder) return -6;
    outputStream_ = avformat_new_stream(output_.get(), nullptr);
    if (!outputStream_) return -7;
    encoder_.reset(avcodec_alloc_context3(encoder));
    if (!encoder_) return -7;

    // The decoder's own format when the encoder takes it; the float and
    // planar 16-bit formats are converted to packed 16-bit; nothing else.
    decodedFormat_ = decoder_->sample_fmt;
    convert_ = false;
    if (EncoderSupports(encoder, decodedFormat_)) {
        encoder_->sample_fmt = decodedFormat_;
    } else if (CanConvertToS16(decodedFormat_) && EncoderSupports(encoder, AV_SAMPLE_FMT_S16)) {
        encoder_->sample_fmt = AV_SAMPLE_FMT_S16;
        convert_ = true;
    } else {
        return -8;
    }

    const int channels = decoder_->ch_layout.nb_channels;
    if (channels <= 0 || decoder_->sample_rate <= 0) return -9;
    encoder_->sample_rate = decoder_->sample_rate;
    if (av_channel_layout_copy(&encoder_->ch_layout, &decoder_->ch_layout) < 0) return -9;
    encoder_->bit_rate = static_cast<std::int64_t>(channels) * decoder_->sample_rate * 16;
    encoder_->time_base = AVRational{1, decoder_->sample_rate};
    if (output_->oformat->flags & AVFMT_GLOBALHEADER) encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(encoder_.get(), encoder, nullptr) < 0) return -9;
    if (avcodec_parameters_from_context(outputStream_->codecpar, encoder_.get()) < 0) return -9;
    outputStream_->time_base = encoder_->time_base;

    // Everything that can fail without touching the disk comes first, so that
    // such a failure leaves no file.
    decoded_.reset(av_frame_alloc());
    inputPacket_.reset(av_packet_alloc());
    outputPacket_.reset(av_packet_alloc());
    if (!decoded_ || !inputPacket_ || !outputPacket_) return -12;

    if (!(output_->oformat->flags & AVFMT_NOFILE)) {
        // Creating the output over the input would destroy what is still to be read.
        struct stat in {}, out {};
        if (::stat(sourcePath_.c_str(), &in) == 0 && ::stat(outputPath.c_str(), &out) == 0 &&
            in.st_dev == out.st_dev && in.st_ino == out.st_ino)
            return -10;
        if (avio_open(&output_->pb, outputPath.c_str(), AVIO_FLAG_WRITE) < 0) return -10;
        outputCreated_ = true;
    }
    if (avformat_write_header(output_.get(), nullptr) < 0) return -11;
    decodedSeconds_ = 0.0;
    nextPts_ = 0;
    writeFailed_ = false;
    return 0;
}

bool AudioExtractor::ReadPacket() {
    if (!input_ || !inputPacket_) return false;
    av_packet_unref(inputPacket_.get());
    return av_read_frame(input_.get(), inputPacket_.get()) >= 0;
}

int AudioExtractor::ProcessPacket() {
    if (!inputPacket_) return -12;
    int rc = 0;
    if (inputPacket_->stream_index == audioStreamIndex_) rc = Decode(inputPacket_.get());
    av_packet_unref(inputPacket_.get());
    return rc;
}

int AudioExtractor::Decode(const AVPacket* packet) {
    int rc = avcodec_send_packet(decoder_.get(), packet);
    if (rc < 0) return rc;
    for (;;) {
        rc = avcodec_receive_frame(decoder_.get(), decoded_.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
        if (rc < 0) return rc;
        rc = HandleFrame(decoded_.get());
        av_frame_unref(decoded_.get());
        if (rc < 0) return rc;
    }
}

int AudioExtractor::HandleFrame(AVFrame* frame) {
    if (frame->sample_rate > 0)
        decodedSeconds_ += static_cast<double>(frame->nb_samples) / static_cast<double>(frame->sample_rate);
    // A frame whose layout differs from the one the file was opened with
    // (a stream that changes its channels or rate midway) cannot be written
    // into this file: it is skipped.
    if (frame->format != decodedFormat_ || frame->ch_layout.nb_channels != encoder_->ch_layout.nb_channels ||
        frame->sample_rate != encoder_->sample_rate || frame->nb_samples <= 0)
        return 0;
    const std::int64_t pts = nextPts_;
    nextPts_ += frame->nb_samples;
    if (!convert_) {
        frame->pts = pts;
        return Encode(frame);
    }
    ff::FramePtr converted(av_frame_alloc());
    if (!converted) return 0;
    converted->format = AV_SAMPLE_FMT_S16;
    converted->nb_samples = frame->nb_samples;
    converted->sample_rate = frame->sample_rate;
    if (av_channel_layout_copy(&converted->ch_layout, &encoder_->ch_layout) < 0) return 0;
    if (av_frame_get_buffer(converted.get(), 0) < 0) return 0;   // no buffer: the frame is skipped
    ConvertToS16Interleaved(frame, encoder_->ch_layout.nb_channels,
                            reinterpret_cast<std::int16_t*>(converted->data[0]));
    converted->pts = pts;
    return Encode(converted.get());
}

int AudioExtractor::Encode(AVFrame* frame) {
    int rc = avcodec_send_frame(encoder_.get(), frame);
    if (rc < 0) return rc;
    for (;;) {
        rc = avcodec_receive_packet(encoder_.get(), outputPacket_.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
        if (rc < 0) return rc;
        outputPacket_->stream_index = outputStream_->index;
        av_packet_rescale_ts(outputPacket_.get(), encoder_->time_base, outputStream_->time_base);
        if (av_interleaved_write_frame(output_.get(), outputPacket_.get()) < 0) writeFailed_ = true;
        av_packet_unref(outputPacket_.get());
    }
}

int AudioExtractor::Finish() {
    if (!inputStream_ || !output_) return -4;
    if (!decoded_ || !outputPacket_) return -12;
    Decode(nullptr);   // frames the decoder still holds
    Encode(nullptr);   // packets the encoder still holds
    if (av_write_trailer(output_.get()) < 0) writeFailed_ = true;
    if (!(output_->oformat->flags & AVFMT_NOFILE) && avio_closep(&output_->pb) < 0) writeFailed_ = true;
    return writeFailed_ ? -13 : 0;
}

void AudioExtractor::Close() {
    decoder_.reset();
    encoder_.reset();
    input_.reset();
    inputStream_ = nullptr;
    decoded_.reset();
    inputPacket_.reset();
    outputPacket_.reset();
    outputStream_ = nullptr;
    output_.reset();
    audioStreamIndex_ = -1;
}

bool HasAudioTrack(const std::string& sourcePath) {
    AudioExtractor extractor;
    return extractor.OpenInput(sourcePath) >= 0;
}

bool ExtractAudioTrack(JobContext& ctx, const std::string& sourcePath, const std::string& outputPath) {
    AudioExtractor extractor;
    const auto fail = [&] {
        const bool created = extractor.OutputCreated();
        extractor.Close();
        if (created) RemoveIfRegularFile(outputPath);
        return false;
    };
    if (extractor.OpenInput(sourcePath) < 0) return fail();
    if (extractor.OpenOutput(outputPath) < 0) return fail();

    ctx.SetProgressPos(0);
    ctx.SetProgressRange(ProgressRangeMs(ctx.m_dDuration));
    while (!ctx.Cancelled()) {
        if (!extractor.ReadPacket()) break;
        extractor.ProcessPacket();   // a packet that does not decode is skipped
        ctx.SetProgressPos(ProgressPosMs(extractor.DecodedSeconds()));
    }
    if (extractor.Finish() < 0) return fail();
    extractor.Close();
    return true;
}
