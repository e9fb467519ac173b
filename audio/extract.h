// Sound extraction: the best audio stream of any file FFmpeg reads, decoded
// and written as interleaved signed 16-bit PCM into a WAV file; and the test
// for a decodable audio stream that the input probe uses.
#pragma once

#include <cstdint>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include "audio/ffmpeg_util.h"
#include "engine/job_context.h"

// True when the file opens, its streams can be read and it has an audio
// stream whose decoder opens.
bool HasAudioTrack(const std::string& sourcePath);

// Writes the best audio stream of `sourcePath` into the WAV file `outputPath`
// (replaced when it exists). Progress range is ctx.m_dDuration in
// milliseconds, the position the milliseconds decoded so far; the cancel flag
// is read before every packet. True when the packet loop ran to the end of the
// input or until a cancel, and the file was completed (its sizes describe the
// sound written). False when the input has no usable sound, its sample format
// cannot be written, or the output cannot be created or written; no output is
// left behind then.
bool ExtractAudioTrack(JobContext& ctx, const std::string& sourcePath, const std::string& outputPath);

// Float sample to 16-bit: times 32767, truncated toward zero, saturated at
// +-32767 (a sample beyond +-1.0 must not wrap round into a crack); NaN gives 0.
std::int16_t FloatSampleToS16(double v);
// Whether decoded frames of this format can be converted to interleaved S16.
bool CanConvertToS16(AVSampleFormat format);
// Interleaves the first `channels` channels of every sample of `frame` (FLT,
// FLTP, DBL, DBLP or S16P) into `out` (nb_samples x channels values). Returns
// false, writing nothing, for any other format or too few channels.
bool ConvertToS16Interleaved(const AVFrame* frame, int channels, std::int16_t* out);

// The state of one extraction (or of one test for a sound track). Steps
// return 0 or a negative code; everything opened is released by Close or by
// the destructor.
class AudioExtractor {
public:
    AudioExtractor();
    ~AudioExtractor();
    AudioExtractor(const AudioExtractor&) = delete;
    AudioExtractor& operator=(const AudioExtractor&) = delete;

    // 0; -1 the file cannot be opened; -2 its streams cannot be read; -4 no usable audio stream.
    int OpenInput(const std::string& sourcePath);
    // 0; -4 no input stream; -5 no output context; -6 no encoder; -7 no output
    // stream; -8 unsupported sample format; -9 the encoder does not open;
    // -10 the file cannot be created; -11 the header cannot be written;
    // -12 a frame or packet cannot be allocated.
    int OpenOutput(const std::string& outputPath);
    // Reads the next packet of the input; false at the end of the input or on a read error.
    bool ReadPacket();
    // Decodes the packet last read when it belongs to the audio stream, and
    // converts, encodes and writes every frame that comes out. A packet that
    // does not decode is skipped. Returns the last FFmpeg result.
    int ProcessPacket();
    // Drains the decoder and the encoder, writes the trailer and closes the
    // file. 0; -4 no input stream; -12 a frame is missing; -13 a write failed.
    int Finish();
    void Close();

    double DecodedSeconds() const { return decodedSeconds_; }
    bool OutputCreated() const { return outputCreated_; }

private:
    int Decode(const AVPacket* packet);
    int HandleFrame(AVFrame* frame);
    int Encode(AVFrame* frame);

    std::string sourcePath_;
    ff::InputPtr input_;
    ff::OutputPtr output_;
    ff::CodecContextPtr decoder_;
    ff::CodecContextPtr encoder_;
    AVStream* inputStream_ = nullptr;
    AVStream* outputStream_ = nullptr;
    int audioStreamIndex_ = -1;
    ff::FramePtr decoded_;
    ff::PacketPtr inputPacket_;
    ff::PacketPtr outputPacket_;
    AVSampleFormat decodedFormat_ = AV_SAMPLE_FMT_NONE;
    bool convert_ = false;
    bool outputCreated_ = false;
    bool writeFailed_ = false;
    double decodedSeconds_ = 0.0;
    std::int64_t nextPts_ = 0;   // samples handed to the encoder so far
};
