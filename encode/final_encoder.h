// The state of one final encoding: the three inputs (reference, video source,
// audio source), the output file with its encoders, and the counters of the
// transcode loop. Every FFmpeg object is held by an owner, so whatever a step
// created is released on every path when the FinalEncoder goes away.
#pragma once

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <memory>
#include <string>

#include "audio/ffmpeg_util.h"

namespace enc {

struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct AudioFifoFree {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

using SwrPtr = std::unique_ptr<SwrContext, SwrFree>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoFree>;

// One opened input and the decoder of its chosen stream(s).
struct InputSide {
    ff::InputPtr input;
    int videoIndex = -1;
    AVStream* videoStream = nullptr;
    ff::CodecContextPtr videoDecoder;
    int audioIndex = -1;
    AVStream* audioStream = nullptr;
    ff::CodecContextPtr audioDecoder;
};

struct FinalEncoder {
    // Input side.
    InputSide reference;     // the user's input: only its parameters are read
    InputSide videoSource;   // the reversed Motion-JPEG AVI
    InputSide audioSource;   // the WAV file; empty when there is no sound

    // Output side. Declared after the inputs so that it is released first.
    ff::OutputPtr output;
    const AVCodec* videoEncoder = nullptr;
    const AVCodec* audioEncoder = nullptr;
    AVStream* outVideo = nullptr;
    AVStream* outAudio = nullptr;
    ff::CodecContextPtr videoEncoderContext;
    ff::CodecContextPtr audioEncoderContext;
    bool withAudio = false;

    // Pictures: the converted picture when the encoder takes another pixel
    // format, size or range than the decoder gives (the decoded pictures come
    // from the read-ahead thread, see video_read_ahead.h).
    ff::FramePtr convertedFrame;
    ff::ScalerPtr scaler;
    int scalerFormat = -1, scalerWidth = 0, scalerHeight = 0, scalerFullRange = -1;
    AVRational frameDuration{0, 1};   // one picture, in seconds

    // Sound: decoded frame, encoder input frame, sample format converter and
    // the re-framing buffer used when the encoder takes frames of a fixed size.
    ff::FramePtr audioDecodedFrame;
    ff::FramePtr audioOutputFrame;
    ff::FramePtr audioConvertedFrame;
    SwrPtr resampler;
    AudioFifoPtr fifo;
    int frameSize = 0;                // samples per encoder frame; 0: any length

    ff::PacketPtr audioPacket;
    ff::PacketPtr outPacket;

    std::int64_t videoFrameCount = 0;
    double videoSeconds = 0.0;
    double audioSeconds = 0.0;
    std::int64_t audioSampleCount = 0;

    int writeError = 0;               // first failing write, 0 when none
};

// Opens the user's input: its video stream is required (-4 otherwise), its
// audio stream is optional. 0, -1 cannot open, -2 no stream information,
// -4 no usable video stream.
int OpenReference(FinalEncoder& fe, const std::string& path);
// Opens the video source; same codes.
int OpenVideoSource(FinalEncoder& fe, const std::string& path);
// Opens the audio source: 0, -1, -2, or -4 no usable audio stream.
int OpenAudioSource(FinalEncoder& fe, const std::string& path);

}  // namespace enc
