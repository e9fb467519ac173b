// Sound extraction into 16-bit WAV: sample conversion (direct and end to
// end), inputs without usable sound, progress, cancel and write failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include "audio/extract.h"
#include "audio/wav_reverse.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using testmedia::Exists;
using testmedia::Quote;
using testmedia::Run;
using testmedia::TempDir;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
uint32_t Get32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}

// A WAV file is complete when its RIFF size and its data size (the last
// chunk) both reach exactly to the end of the file.
void ExpectCompleteWav(const std::string& path, uint32_t* dataSize = nullptr) {
    const std::string b = ReadFile(path);
    ASSERT_GE(b.size(), 44u);
    EXPECT_EQ(b.substr(0, 4), "RIFF");
    EXPECT_EQ(Get32(b, 4), b.size() - 8);
    size_t at = 12;
    while (at + 8 <= b.size() && b.substr(at, 4) != "data") at += 8 + Get32(b, at + 4) + (Get32(b, at + 4) & 1);
    ASSERT_LE(at + 8, b.size()) << "no data chunk";
    EXPECT_EQ(Get32(b, at + 4), b.size() - at - 8);
    if (dataSize) *dataSize = Get32(b, at + 4);
}

std::string ProbeComplaints(const std::string& path) {
    std::string out;
    Run("ffprobe -v warning -show_streams " + Quote(path) + " 2>&1 >/dev/null", &out);
    return out;
}

bool Ffmpeg(const std::string& args) {
    return Run("ffmpeg -nostdin -v error -y " + args + " 2>&1") == 0;
}

// Positions and ranges, in call order.
std::vector<std::pair<char, long long>> Progress(const RecordingContext& ctx) {
    std::vector<std::pair<char, long long>> out;
    for (const auto& c : ctx.Calls()) {
        if (c.kind == RecordedCall::Pos) out.push_back({'P', c.value});
        if (c.kind == RecordedCall::Range) out.push_back({'R', c.value});
    }
    return out;
}

// Values that show truncation, saturation and NaN handling.
const double kIn[] = {0.5, -0.5, 1.0, -1.0, 1.5, -2.0, 0.25, -0.999, 1e30, -1e30, std::nan("")};
const int16_t kOut[] = {16383, -16383, 32767, -32767, 32767, -32767, 8191, -32734, 32767, -32767, 0};
constexpr int kN = sizeof kIn / sizeof kIn[0];

}  // namespace

TEST(ExtractConversion, EveryConvertedFormatInterleavesTruncatesAndSaturates) {
    const AVSampleFormat formats[] = {AV_SAMPLE_FMT_FLT, AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_DBL,
                                      AV_SAMPLE_FMT_DBLP, AV_SAMPLE_FMT_S16P};
    for (const AVSampleFormat format : formats) {
        SCOPED_TRACE(av_get_sample_fmt_name(format));
        ff::FramePtr frame(av_frame_alloc());
        frame->format = format;
        frame->nb_samples = kN;
        av_channel_layout_default(&frame->ch_layout, 2);
        ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
        const bool planar = av_sample_fmt_is_planar(format);
        // Left holds kIn in order, right holds it backwards.
        for (int s = 0; s < kN; ++s) {
            for (int c = 0; c < 2; ++c) {
                const double v = c == 0 ? kIn[s] : kIn[kN - 1 - s];
                const int plane = planar ? c : 0;
                const int idx = planar ? s : 2 * s + c;
                uint8_t* p = frame->extended_data[plane];
                if (format == AV_SAMPLE_FMT_FLT || format == AV_SAMPLE_FMT_FLTP)
                    reinterpret_cast<float*>(p)[idx] = float(v);
                else if (format == AV_SAMPLE_FMT_DBL || format == AV_SAMPLE_FMT_DBLP)
                    reinterpret_cast<double*>(p)[idx] = v;
                else
                    reinterpret_cast<int16_t*>(p)[idx] = int16_t(100 * s + c);
            }
        }
        std::vector<int16_t> out(2 * kN, 12345);
        ASSERT_TRUE(ConvertToS16Interleaved(frame.get(), 2, out.data()));
        for (int s = 0; s < kN; ++s) {
            if (format == AV_SAMPLE_FMT_S16P) {
                EXPECT_EQ(out[2 * s], 100 * s) << s;
                EXPECT_EQ(out[2 * s + 1], 100 * s + 1) << s;
            } else {
                EXPECT_EQ(out[2 * s], kOut[s]) << s;
                EXPECT_EQ(out[2 * s + 1], kOut[kN - 1 - s]) << s;
            }
        }
    }
}

TEST(ExtractConversion, OnlyFloatAndPlanar16BitFormatsAreConverted) {
    ff::FramePtr frame(av_frame_alloc());
    frame->format = AV_SAMPLE_FMT_S32;
    frame->nb_samples = 4;
    av_channel_layout_default(&frame->ch_layout, 1);
    ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    int16_t out[4] = {};
    EXPECT_FALSE(ConvertToS16Interleaved(frame.get(), 1, out));
    frame->format = AV_SAMPLE_FMT_FLTP;
    EXPECT_FALSE(ConvertToS16Interleaved(frame.get(), 2, out));  // more channels than the frame has
    for (AVSampleFormat f : {AV_SAMPLE_FMT_U8, AV_SAMPLE_FMT_S32, AV_SAMPLE_FMT_U8P, AV_SAMPLE_FMT_S32P,
                             AV_SAMPLE_FMT_S64, AV_SAMPLE_FMT_NONE})
        EXPECT_FALSE(CanConvertToS16(f)) << f;
}

TEST(ExtractAudio, EachDecodedFormatBecomesInterleaved16Bit) {
    // Left and right hold four levels, a quarter of a second each; two of
    // them lie beyond +-1.0 and must saturate, not wrap round.
    const std::string source =
        "-f lavfi -i \"aevalsrc=if(lt(t\\,0.25)\\,0.5\\,if(lt(t\\,0.5)\\,1.5\\,if(lt(t\\,0.75)\\,-2\\,-0.25)))"
        "|if(lt(t\\,0.25)\\,-0.5\\,if(lt(t\\,0.5)\\,-1\\,if(lt(t\\,0.75)\\,1\\,0.999))):s=8000:d=1\"";
    const struct {
        const char* file;
        const char* codec;
        const char* decodesTo;
    } cases[] = {
        {"fltp.wv", "wavpack", "fltp"},
        {"flt.wav", "pcm_f32le", "flt"},
        {"dbl.wav", "pcm_f64le", "dbl"},
    };
    const int16_t wantLeft[] = {16383, 32767, -32767, -8191};
    const int16_t wantRight[] = {-16383, -32767, 32767, 32734};
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string src = dir.File(c.file), out = dir.File("out.wav");
        ASSERT_TRUE(Ffmpeg(source + " -c:a " + c.codec + " " + Quote(src)));
        ASSERT_EQ(testmedia::ProbeStream(src, "a:0", "sample_fmt"), c.decodesTo);
        RecordingContext ctx;
        ctx.m_dDuration = 1.0;
        ASSERT_TRUE(ExtractAudioTrack(ctx, src, out));
        EXPECT_EQ(testmedia::ProbeStream(out, "a:0", "codec_name"), "pcm_s16le");
        EXPECT_EQ(testmedia::ProbeStream(out, "a:0", "channels"), "2");
        EXPECT_EQ(testmedia::ProbeStream(out, "a:0", "sample_rate"), "8000");
        EXPECT_EQ(ProbeComplaints(out), "");
        ExpectCompleteWav(out);
        const auto pcm = testmedia::DecodeAudio(out, 2);
        ASSERT_EQ(pcm.size(), 2u * 8000);
        for (int q = 0; q < 4; ++q) {
            const int s = 1000 + 2000 * q;   // the middle of each quarter
            EXPECT_EQ(pcm[2 * s], wantLeft[q]) << q;
            EXPECT_EQ(pcm[2 * s + 1], wantRight[q]) << q;
        }
    }
}

TEST(ExtractAudio, SixteenBitSourcesArePassedThroughUnchanged) {
    TempDir dir;
    for (const char* kind : {"pcm_s16le:s16.wav", "wavpack:s16p.wv"}) {
        const std::string spec = kind;
        const std::string codec = spec.substr(0, spec.find(':')), file = dir.File(spec.substr(spec.find(':') + 1));
        SCOPED_TRACE(file);
        ASSERT_TRUE(Ffmpeg("-f lavfi -i \"aevalsrc=0.9*sin(2*PI*440*t)|0.4*sin(2*PI*660*t):s=11025:d=1.5\" "
                           "-c:a " + codec + " -sample_fmt " + (codec == "wavpack" ? "s16p " : "s16 ") +
                           Quote(file)));
        RecordingContext ctx;
        ASSERT_TRUE(ExtractAudioTrack(ctx, file, dir.File("out.wav")));
        const auto in = testmedia::DecodeAudio(file, 2), out = testmedia::DecodeAudio(dir.File("out.wav"), 2);
        ASSERT_GT(in.size(), 30000u);
        EXPECT_TRUE(in == out);
    }
}

TEST(ExtractAudio, AacInMp4KeepsDurationRateChannelsAndRisingSound) {
    TempDir dir;
    for (int channels : {2, 6}) {
        SCOPED_TRACE(channels);
        testmedia::ClipSpec spec;
        spec.sound = true;
        spec.channels = channels;
        const std::string clip = dir.File("clip.mp4"), wav = dir.File("clip.wav");
        ASSERT_TRUE(testmedia::MakeClip(clip, spec));
        ASSERT_TRUE(HasAudioTrack(clip));
        RecordingContext ctx;
        ctx.m_dDuration = 2.0;
        ASSERT_TRUE(ExtractAudioTrack(ctx, clip, wav));
        EXPECT_EQ(testmedia::ProbeStream(wav, "a:0", "channels"), std::to_string(channels));
        EXPECT_EQ(testmedia::ProbeStream(wav, "a:0", "sample_rate"), "48000");
        EXPECT_EQ(testmedia::ProbeStream(wav, "a:0", "codec_name"), "pcm_s16le");
        EXPECT_NEAR(std::stod(testmedia::ProbeStream(wav, "a:0", "duration")), 2.0, 0.03);
        EXPECT_EQ(ProbeComplaints(wav), "");
        ExpectCompleteWav(wav);
        const auto env = testmedia::Envelope(testmedia::DecodeAudio(wav), 4);
        ASSERT_EQ(env.size(), 4u);
        EXPECT_LT(env[0], env[1]);
        EXPECT_LT(env[1], env[2]);
        EXPECT_LT(env[2], env[3]);

        // Progress: 0, the range in milliseconds, then the milliseconds decoded.
        const auto p = Progress(ctx);
        ASSERT_GE(p.size(), 3u);
        EXPECT_EQ(p[0], std::make_pair('P', 0LL));
        EXPECT_EQ(p[1], std::make_pair('R', 2000LL));
        for (size_t i = 3; i < p.size(); ++i) EXPECT_GE(p[i].second, p[i - 1].second);
        EXPECT_NEAR(double(p.back().second), 2000.0, 30.0);

        // Six channels are written in the extensible header form; the WAV
        // reversal takes it and keeps it.
        RecordingContext rev;
        ASSERT_TRUE(ReverseWavFile(rev, wav, dir.File("rev.wav")));
        EXPECT_EQ(testmedia::ProbeStream(dir.File("rev.wav"), "a:0", "channels"), std::to_string(channels));
        EXPECT_EQ(testmedia::ProbeStream(dir.File("rev.wav"), "a:0", "channel_layout"),
                  testmedia::ProbeStream(wav, "a:0", "channel_layout"));
        const auto back = testmedia::Envelope(testmedia::DecodeAudio(dir.File("rev.wav")), 4);
        ASSERT_EQ(back.size(), 4u);
        EXPECT_GT(back[0], back[3]);  // the rising sound now falls
    }
}

TEST(ExtractAudio, InputsWithoutUsableSoundGiveFalseAndNoFile) {
    TempDir dir;
    testmedia::ClipSpec silent;
    ASSERT_TRUE(testmedia::MakeClip(dir.File("video.mp4"), silent));
    std::ofstream(dir.File("text.mp4")) << "not a video\n";
    std::ofstream(dir.File("empty.mp4")).flush();
    const std::string tone = "-f lavfi -i \"aevalsrc=0.3*sin(2*PI*440*t):s=8000:d=0.5\" ";
    ASSERT_TRUE(Ffmpeg(tone + "-c:a pcm_u8 " + Quote(dir.File("u8.wav"))));
    ASSERT_TRUE(Ffmpeg(tone + "-c:a pcm_s32le " + Quote(dir.File("s32.wav"))));

    const struct {
        const char* file;
        bool hasAudio;   // a decodable stream exists, only its format cannot be written
    } cases[] = {{"video.mp4", false}, {"text.mp4", false}, {"empty.mp4", false},
                 {"missing.mp4", false}, {"u8.wav", true},  {"s32.wav", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(HasAudioTrack(dir.File(c.file)), c.hasAudio);
        RecordingContext ctx;
        ctx.m_dDuration = 2.0;
        EXPECT_FALSE(ExtractAudioTrack(ctx, dir.File(c.file), dir.File("out.wav")));
        EXPECT_FALSE(Exists(dir.File("out.wav")));
        EXPECT_TRUE(ctx.Calls().empty());
    }
}

TEST(ExtractAudio, CancelLeavesACompleteWavOfTheSoundDecodedSoFar) {
    TempDir dir;
    testmedia::ClipSpec spec;
    spec.sound = true;
    spec.seconds = 3.0;
    spec.channels = 2;
    const std::string clip = dir.File("clip.mp4");
    ASSERT_TRUE(testmedia::MakeClip(clip, spec));

    // Before the first packet: a complete file with an empty data chunk.
    RecordingContext first;
    first.m_dDuration = 3.0;
    first.cancelWhen = [](const RecordedCall& c) { return c.kind == RecordedCall::Range; };
    ASSERT_TRUE(ExtractAudioTrack(first, clip, dir.File("none.wav")));
    EXPECT_EQ(Progress(first), (std::vector<std::pair<char, long long>>{{'P', 0}, {'R', 3000}}));
    uint32_t dataSize = 1;
    ExpectCompleteWav(dir.File("none.wav"), &dataSize);
    EXPECT_EQ(dataSize, 0u);

    // Midway: the file holds what was decoded, and its header says so.
    RecordingContext mid;
    mid.m_dDuration = 3.0;
    mid.cancelWhen = [](const RecordedCall& c) { return c.kind == RecordedCall::Pos && c.value >= 1000; };
    ASSERT_TRUE(ExtractAudioTrack(mid, clip, dir.File("part.wav")));
    ExpectCompleteWav(dir.File("part.wav"), &dataSize);
    const double seconds = dataSize / (4.0 * 48000);
    EXPECT_GE(seconds, 1.0);
    EXPECT_LT(seconds, 2.0);
    EXPECT_NEAR(seconds * 1000.0, double(Progress(mid).back().second), 25.0);
    EXPECT_EQ(ProbeComplaints(dir.File("part.wav")), "");
}

TEST(ExtractAudio, ProgressRangeOfAnUnusableDurationIsZero) {
    TempDir dir;
    ASSERT_TRUE(Ffmpeg("-f lavfi -i \"aevalsrc=0.3*sin(2*PI*440*t):s=8000:d=0.2\" -c:a pcm_s16le " +
                       Quote(dir.File("in.wav"))));
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double duration;
        long long range;
    } cases[] = {{0.0, 0}, {0.2, 200}, {2.9999, 2999}, {std::nan(""), 0}, {inf, 0}, {-inf, 0}, {1e300, 0}, {-3.0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.duration);
        RecordingContext ctx;
        ctx.m_dDuration = c.duration;
        ASSERT_TRUE(ExtractAudioTrack(ctx, dir.File("in.wav"), dir.File("out.wav")));
        ASSERT_GE(Progress(ctx).size(), 2u);
        EXPECT_EQ(Progress(ctx)[1], std::make_pair('R', c.range));
        EXPECT_EQ(Progress(ctx).back(), std::make_pair('P', 200LL));
    }
}

TEST(ExtractAudio, FailedWriteOrOutputOverTheInputGivesFalse) {
    TempDir dir;
    testmedia::ClipSpec spec;
    spec.sound = true;
    ASSERT_TRUE(testmedia::MakeClip(dir.File("clip.mp4"), spec));
    // The output name ends in ".wav" but every write to it fails: no space left.
    ASSERT_EQ(::symlink("/dev/full", dir.File("full.wav").c_str()), 0);
    RecordingContext ctx;
    ctx.m_dDuration = 2.0;
    EXPECT_FALSE(ExtractAudioTrack(ctx, dir.File("clip.mp4"), dir.File("full.wav")));
    EXPECT_TRUE(Exists("/dev/full"));

    // An output that is the input itself is refused before anything is written.
    ASSERT_TRUE(Ffmpeg("-f lavfi -i \"aevalsrc=0.3*sin(2*PI*440*t):s=8000:d=0.2\" -c:a pcm_s16le " +
                       Quote(dir.File("in.wav"))));
    const std::string before = testmedia::Sha256(dir.File("in.wav"));
    RecordingContext same;
    EXPECT_FALSE(ExtractAudioTrack(same, dir.File("in.wav"), dir.File("in.wav")));
    EXPECT_EQ(testmedia::Sha256(dir.File("in.wav")), before);
}
