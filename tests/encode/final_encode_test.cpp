// The four final encodings, called as the job calls them, on clips made at
// test time; outputs checked with ffprobe and decoded data.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "encode/encode_texts.h"
#include "encode/final_encode.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"
#include "tests/encode/encode_fixtures.h"

using testmedia::CountFrames;
using testmedia::DecodeAudio;
using testmedia::ProbeFormat;

namespace {

constexpr int kRate = 48000;

// Every level of `got` within `tolerance` of `want`, same count.
void ExpectLevels(const std::vector<int>& got, const std::vector<int>& want, int tolerance,
                  const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], tolerance) << what << " picture " << i;
}

// The sound's loudness rises from start to end (the test tone does).
void ExpectRisingSound(const std::vector<int16_t>& samples, const std::string& what) {
    const auto env = testmedia::Envelope(samples, 4);
    ASSERT_EQ(env.size(), 4u) << what;
    for (int i = 1; i < 4; ++i) EXPECT_GT(env[i], env[i - 1]) << what;
}

std::vector<std::string> Lines(const std::initializer_list<const Text*>& texts) {
    std::vector<std::string> v;
    for (const Text* t : texts) v.push_back(t->def);
    return v;
}

using Entry = std::function<bool(JobContext&, const std::string& video, const std::string& sound,
                                 const std::string& out)>;

struct OutFormat {
    const char* name;
    const char* ext;
    Entry run;
    const char* container;   // ffprobe format_name
    const char* video;       // ffprobe codec names
    const char* audio;
};

// The three fixed profiles, with the H.264 MP4 as the user's input.
std::vector<OutFormat> FixedFormats(int kbps) {
    const std::string ref = encfx::H264AacMp4();
    return {
        {"avi", ".avi",
         [](JobContext& c, const std::string& v, const std::string& s, const std::string& o) {
             return EncodeToAvi(c, v, s, o);
         },
         "avi", "mjpeg", "pcm_s16le"},
        {"mp4", ".mp4",
         [=](JobContext& c, const std::string& v, const std::string& s, const std::string& o) {
             return EncodeToMp4(c, v, s, o, kbps, ref);
         },
         "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
        {"wmv", ".wmv",
         [=](JobContext& c, const std::string& v, const std::string& s, const std::string& o) {
             return EncodeToWmv(c, v, s, o, kbps, ref);
         },
         "asf", "msmpeg4v3", "wmav2"},
    };
}

}  // namespace

TEST(FinalEncode, FixedFormatsKeepPictureOrderAndSound) {
    const std::string& avi = encfx::MjpegAvi();
    const std::string& wav = encfx::Wav(2.0);
    const std::vector<int> inputLevels = encfx::LumaLevels(avi);
    ASSERT_EQ(inputLevels.size(), 50u);
    for (const OutFormat& f : FixedFormats(2000)) {
        RecordingContext ctx;
        ctx.m_dDuration = 2.0;
        const std::string out = encfx::OutPath(std::string("fixed") + f.ext);
        ASSERT_TRUE(f.run(ctx, avi, wav, out)) << f.name;
        EXPECT_EQ(ProbeFormat(out, "format_name"), f.container) << f.name;
        EXPECT_EQ(encfx::Probe(out, "v:0", "codec_name"), f.video) << f.name;
        EXPECT_EQ(encfx::Probe(out, "a:0", "codec_name"), f.audio) << f.name;
        EXPECT_EQ(encfx::Probe(out, "v:0", "width") + "x" + encfx::Probe(out, "v:0", "height"), "320x240");
        ExpectLevels(encfx::LumaLevels(out), inputLevels, 2, f.name);
        // Motion-JPEG into Motion-JPEG: the pictures are copied, not coded again.
        if (std::string(f.video) == "mjpeg") {
            EXPECT_EQ(testmedia::PacketHashes(out), testmedia::PacketHashes(avi));
        }
        const auto sound = DecodeAudio(out);
        EXPECT_NEAR(static_cast<double>(sound.size()), 2.0 * kRate, 2048) << f.name;
        ExpectRisingSound(sound, f.name);
        EXPECT_TRUE(ctx.LogLines().empty()) << f.name;  // nothing was replaced
    }
}

// Motion-JPEG into Motion-JPEG is copied only at the reversed file's own bit
// rate (above); a bit rate the user asked for is coded again.
TEST(FinalEncode, MjpegIntoMjpegAtAnAskedBitRateIsCodedAgain) {
    const std::string& avi = encfx::MjpegAvi();
    RecordingContext ctx;
    ctx.m_dDuration = 2.0;
    const std::string out = encfx::OutPath("same-mjpeg.avi");
    ASSERT_TRUE(EncodeSameAsInput(ctx, avi, "", out, avi, 300));
    EXPECT_EQ(encfx::Probe(out, "v:0", "codec_name"), "mjpeg");
    EXPECT_EQ(CountFrames(out), 50);
    EXPECT_NE(testmedia::PacketHashes(out), testmedia::PacketHashes(avi));
}

TEST(FinalEncode, ReportsProgressInMillisecondsAndPreviewsEvery16thPacket) {
    const std::string& avi = encfx::MjpegAvi();
    const std::vector<std::string> packets = testmedia::PacketHashes(avi);
    ASSERT_EQ(packets.size(), 50u);
    RecordingContext ctx;
    ctx.m_dDuration = 2.0;
    std::vector<std::string> previews;
    ctx.onMemory = [&](const void* data, std::size_t size) { previews.push_back(encfx::Md5(data, size)); };
    ASSERT_TRUE(EncodeToMp4(ctx, avi, "", encfx::OutPath("progress.mp4"), 2000, encfx::H264AacMp4()));

    const auto calls = ctx.Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], (RecordedCall{RecordedCall::Pos, 0, {}, {}}));
    EXPECT_EQ(calls[1], (RecordedCall{RecordedCall::Range, 2000, {}, {}}));
    const auto pos = ctx.Values(RecordedCall::Pos);
    ASSERT_EQ(pos.size(), 51u);  // the reset, then one per picture
    for (size_t i = 1; i < pos.size(); ++i) EXPECT_EQ(pos[i], static_cast<long long>(i) * 40) << i;
    EXPECT_EQ(previews, (std::vector<std::string>{packets[0], packets[16], packets[32], packets[48]}));
    // A video-only file when no sound is given.
    EXPECT_EQ(encfx::Probe(encfx::OutPath("progress.mp4"), "a", "codec_name"), "");
}

TEST(FinalEncode, SameAsInputFollowsTheInputWithItsReplacements) {
    const std::string& avi = encfx::MjpegAvi();
    const std::string& wav = encfx::Wav(2.0);
    const std::vector<int> inputLevels = encfx::LumaLevels(avi);
    AppSettings defaults;  // ReplaceMTS on, ReplaceH264 off
    AppSettings h264 = defaults;
    h264.ReplaceH264 = 1;
    AppSettings keepTs = defaults;
    keepTs.ReplaceMTS = 0;
    const struct {
        const char* name;
        std::string input;
        AppSettings settings;
        const char* ext;
        const char* container;
        const char* brand;  // MP4 or MOV brand, "" for other containers
        const char* video;
        const char* audio;
        std::vector<std::string> lines;
    } cases[] = {
        {"h264 mp4", encfx::H264AacMp4(), defaults, ".mp4", "mov,mp4,m4a,3gp,3g2,mj2", "isom", "h264", "aac", {}},
        {"h264 mp4 to mpeg4", encfx::H264AacMp4(), h264, ".mp4", "mov,mp4,m4a,3gp,3g2,mj2", "isom", "mpeg4", "aac",
         Lines({&enctext::kVideoMpeg4})},
        {"mts to mov", encfx::H264Ac3Ts(), defaults, ".mov", "mov,mp4,m4a,3gp,3g2,mj2", "qt  ", "h264", "aac",
         Lines({&enctext::kFormatMov, &enctext::kAudioAac})},
        {"mts kept", encfx::H264Ac3Ts(), keepTs, ".ts", "mpegts", "", "h264", "aac", Lines({&enctext::kAudioAac})},
        {"wmv2", encfx::Wmv2Wmv(), defaults, ".wmv", "asf", "", "msmpeg4v2", "wmav2",
         Lines({&enctext::kVideoMsmpeg4})},
    };
    for (const auto& c : cases) {
        RecordingContext ctx;
        ctx.m_settings = c.settings;
        ctx.m_dDuration = 2.0;
        const std::string out = encfx::OutPath(std::string("same-") + std::to_string(&c - cases) + c.ext);
        ASSERT_TRUE(EncodeSameAsInput(ctx, avi, wav, out, c.input, 2000)) << c.name;
        EXPECT_EQ(ProbeFormat(out, "format_name"), c.container) << c.name;
        if (*c.brand) {
            EXPECT_EQ(encfx::MajorBrand(out), c.brand) << c.name;
        }
        EXPECT_EQ(encfx::Probe(out, "v:0", "codec_name"), c.video) << c.name;
        EXPECT_EQ(encfx::Probe(out, "a:0", "codec_name"), c.audio) << c.name;
        EXPECT_EQ(ctx.LogLines(), c.lines) << c.name;
        ExpectLevels(encfx::LumaLevels(out), inputLevels, 2, c.name);
        EXPECT_NEAR(static_cast<double>(DecodeAudio(out).size()), 2.0 * kRate, 2048) << c.name;
    }
}

TEST(FinalEncode, SoundFallbacksAndTheirSingleLogLine) {
    const std::string& avi = encfx::MjpegAvi();
    {
        // The input has no sound to follow: uncompressed PCM and only the PCM line.
        RecordingContext ctx;
        const std::string out = encfx::OutPath("pcm.mov");
        ASSERT_TRUE(EncodeSameAsInput(ctx, avi, encfx::Wav(2.0), out, encfx::H264OnlyMov(), -1));
        EXPECT_EQ(ctx.LogLines(), Lines({&enctext::kAudioPcm}));
        EXPECT_EQ(encfx::Probe(out, "a:0", "codec_name"), "pcm_s16le");
        EXPECT_EQ(DecodeAudio(out).size(), static_cast<size_t>(2 * kRate));
    }
    {
        // WMA v2 cannot take 96 kHz: the sound is removed with only the removal
        // line, although the video codec was replaced too.
        RecordingContext ctx;
        const std::string out = encfx::OutPath("removed.wmv");
        ASSERT_TRUE(EncodeSameAsInput(ctx, avi, encfx::Wav(2.0, 96000), out, encfx::Wmv2Wmv(), -1));
        EXPECT_EQ(ctx.LogLines(), Lines({&enctext::kAudioRemoved}));
        EXPECT_EQ(encfx::Probe(out, "v:0", "codec_name"), "msmpeg4v2");
        EXPECT_EQ(encfx::Probe(out, "a", "codec_name"), "");
        EXPECT_EQ(CountFrames(out), 50);
    }
    {
        // The sound file cannot be opened: its line, and a file without sound.
        RecordingContext ctx;
        const std::string out = encfx::OutPath("nosound.mp4");
        ASSERT_TRUE(EncodeToMp4(ctx, avi, encfx::OutPath("missing.wav"), out, -1, encfx::H264AacMp4()));
        EXPECT_EQ(ctx.LogLines(), Lines({&enctext::kAudioOpenError}));
        EXPECT_EQ(encfx::Probe(out, "a", "codec_name"), "");
        EXPECT_EQ(CountFrames(out), 50);
    }
}

TEST(FinalEncode, SoundShorterOrLongerThanTheVideo) {
    const std::string& avi = encfx::MjpegAvi();
    for (const OutFormat& f : FixedFormats(2000)) {
        if (std::string(f.name) == "wmv") continue;  // the same loop as MP4
        for (double seconds : {1.0, 3.0}) {
            RecordingContext ctx;
            ctx.m_dDuration = 2.0;
            const std::string out = encfx::OutPath(std::string("len") + f.ext);
            ASSERT_TRUE(f.run(ctx, avi, encfx::Wav(seconds), out)) << f.name << seconds;
            EXPECT_EQ(CountFrames(out), 50) << f.name << seconds;
            const auto sound = DecodeAudio(out);
            EXPECT_NEAR(static_cast<double>(sound.size()), seconds * kRate, 2048) << f.name << seconds;
            ExpectRisingSound(sound, f.name);
        }
    }
}

TEST(FinalEncode, CancelKeepsPicturesSoFarAndTheWholeSound) {
    const std::string& avi = encfx::MjpegAvi();
    RecordingContext ctx;
    ctx.m_dDuration = 2.0;
    // Raised once picture 25 is encoded (1000 ms).
    ctx.cancelWhen = [](const RecordedCall& c) { return c.kind == RecordedCall::Pos && c.value >= 1000; };
    const std::string out = encfx::OutPath("cancel.mp4");
    ASSERT_TRUE(EncodeToMp4(ctx, avi, encfx::Wav(2.0), out, 2000, encfx::H264AacMp4()));
    EXPECT_EQ(ctx.Values(RecordedCall::Pos).back(), 1000);
    const std::vector<int> all = encfx::LumaLevels(avi);
    ExpectLevels(encfx::LumaLevels(out), std::vector<int>(all.begin(), all.begin() + 25), 2, "cancelled");
    const auto sound = DecodeAudio(out);
    EXPECT_NEAR(static_cast<double>(sound.size()), 2.0 * kRate, 2048);
    ExpectRisingSound(sound, "cancelled");
}

TEST(FinalEncode, BlackGreyAndWhiteKeepTheirLevelsInEveryFormat) {
    const std::vector<int> want = {16, 16, 16, 16, 16, 128, 128, 128, 128, 128, 235, 235, 235, 235, 235};
    struct Case {
        std::string name;
        Entry run;
        const char* ext;
    };
    std::vector<Case> cases;
    for (const OutFormat& f : FixedFormats(3000)) cases.push_back({f.name, f.run, f.ext});
    const struct {
        const char* name;
        std::string input;
        const char* ext;
    } sameAs[] = {{"same h264", encfx::H264AacMp4(), ".mp4"}, {"same wmv2", encfx::Wmv2Wmv(), ".wmv"}};
    for (const auto& s : sameAs) {
        const std::string input = s.input;
        cases.push_back({s.name,
                         [input](JobContext& c, const std::string& v, const std::string& snd, const std::string& o) {
                             return EncodeSameAsInput(c, v, snd, o, input, 3000);
                         },
                         s.ext});
    }
    for (bool yuv422 : {false, true}) {
        const std::string& src = encfx::LevelsAvi(yuv422);
        ExpectLevels(encfx::LumaLevels(src), want, 1, "input");
        for (const Case& c : cases) {
            RecordingContext ctx;
            const std::string out = encfx::OutPath("levels" + std::string(c.ext));
            const std::string what = c.name + (yuv422 ? " 4:2:2" : " 4:2:0");
            ASSERT_TRUE(c.run(ctx, src, "", out)) << what;
            ExpectLevels(encfx::LumaLevels(out), want, 3, what);
        }
    }
}

TEST(FinalEncode, FailuresReturnFalse) {
    const std::string& avi = encfx::MjpegAvi();
    const std::string& wav = encfx::Wav(2.0);
    RecordingContext ctx;
    // No video source.
    EXPECT_FALSE(EncodeToMp4(ctx, encfx::OutPath("none.avi"), wav, encfx::OutPath("f1.mp4"), -1, avi));
    EXPECT_FALSE(testmedia::Exists(encfx::OutPath("f1.mp4")));
    // Same container as the input, but the input is gone.
    EXPECT_FALSE(EncodeSameAsInput(ctx, avi, wav, encfx::OutPath("f2.mp4"), encfx::OutPath("gone.mp4"), -1));
    // A full disk: every write fails.
    for (const OutFormat& f : FixedFormats(2000)) {
        RecordingContext full;
        EXPECT_FALSE(f.run(full, avi, wav, "/dev/full")) << f.name;
    }
}
