// Choice of the final file: bit rate rules, codec replacements, the log lines
// of a setup result, and SetupOutput itself on real inputs (header only).
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "encode/encode_texts.h"
#include "encode/final_encoder.h"
#include "encode/output_profile.h"
#include "encode/transcode.h"
#include "tests/common/media.h"
#include "tests/encode/encode_fixtures.h"

using namespace enc;

TEST(VideoBitRate, JobRateThenReferenceRatesThenDefaultAndCap) {
    const struct {
        int kbps;
        bool refVideo;
        std::int64_t refStream, refFile, want;
    } cases[] = {
        {-1, true, 1500000, 2000000, 1500000},      // the reference stream's rate
        {-1, true, 0, 2000000, 2000000},            // then the reference file's rate
        {-1, true, 0, 0, 24000000},                 // then the default
        {-1, false, 1500000, 2000000, 24000000},    // reference rates only with a reference video
        {0, true, 800000, 0, 800000},               // no positive rate from the job
        {150000, true, 1, 1, 99999999},             // capped
        {99999, false, 0, 0, 99999000},
        {100000, false, 0, 0, 99999999},            // 100,000,000 is already too much
        {11, true, 1500000, 0, 11000},
        {INT_MAX, false, 0, 0, 99999999},           // no overflow
        {-1, true, 500000000, 0, 99999999},         // a reference rate is capped too
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseVideoBitRate(c.kbps, c.refVideo, c.refStream, c.refFile), c.want)
            << c.kbps << " " << c.refVideo << " " << c.refStream << " " << c.refFile;
}

TEST(VideoCodecReplacement, WmvToMsmpeg4AndH264ToMpeg4OnlyWhenAsked) {
    const struct {
        AVCodecID in;
        bool replaceH264;
        AVCodecID out;
        int bits;
    } cases[] = {
        {AV_CODEC_ID_WMV1, false, AV_CODEC_ID_MSMPEG4V1, OUT_VIDEO_MSMPEG4},
        {AV_CODEC_ID_WMV2, false, AV_CODEC_ID_MSMPEG4V2, OUT_VIDEO_MSMPEG4},
        {AV_CODEC_ID_WMV3, true, AV_CODEC_ID_MSMPEG4V3, OUT_VIDEO_MSMPEG4},
        {AV_CODEC_ID_H264, true, AV_CODEC_ID_MPEG4, OUT_VIDEO_MPEG4},
        {AV_CODEC_ID_H264, false, AV_CODEC_ID_H264, 0},
        {AV_CODEC_ID_MJPEG, true, AV_CODEC_ID_MJPEG, 0},
    };
    for (const auto& c : cases) {
        int bits = 0;
        EXPECT_EQ(ReplaceVideoCodec(c.in, c.replaceH264, &bits), c.out) << avcodec_get_name(c.in);
        EXPECT_EQ(bits, c.bits) << avcodec_get_name(c.in);
    }
}

TEST(ReplacementLines, OrderAndAtMostOneAudioLine) {
    using V = std::vector<std::string>;
    const std::string ms = enctext::kVideoMsmpeg4.def, mp = enctext::kVideoMpeg4.def,
                      mov = enctext::kFormatMov.def, rm = enctext::kAudioRemoved.def,
                      pcm = enctext::kAudioPcm.def, aac = enctext::kAudioAac.def;
    const struct {
        int result;
        V want;
    } cases[] = {
        {0, {}},
        {OUT_VIDEO_MSMPEG4 | OUT_VIDEO_MPEG4 | OUT_FORMAT_MOV | OUT_AUDIO_AAC, {ms, mp, mov, aac}},
        {OUT_FORMAT_MOV | OUT_AUDIO_AAC | OUT_AUDIO_PCM, {mov, pcm}},   // PCM wins over AAC
        {OUT_AUDIO_PCM, {pcm}},
        {OUT_AUDIO_REMOVED, {rm}},
        {-15, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReplacementLines(c.result, 0), c.want) << c.result;
    EXPECT_EQ(rm, "   Error while looking for a valid audio codec. Sound will be removed\r\n");
    EXPECT_EQ(ReplacementLines(OUT_VIDEO_MPEG4, 1), V{enctext::kVideoMpeg4.fr});
    EXPECT_EQ(ReplacementLines(OUT_FORMAT_MOV, 3), V{enctext::kFormatMov.es});
    EXPECT_NE(std::string(enctext::kFormatMov.it), std::string(enctext::kFormatMov.def));
}

TEST(ProgressMillis, TruncatesAndGuardsOddDurations) {
    EXPECT_EQ(ProgressMillis(2.0), 2000);
    EXPECT_EQ(ProgressMillis(1.9999), 1999);
    EXPECT_EQ(ProgressMillis(-3.0), 0);
    EXPECT_EQ(ProgressMillis(std::nan("")), 0);
    EXPECT_EQ(ProgressMillis(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(ProgressMillis(1e300), INT_MAX);
}

namespace {

// Opens the inputs the way the transcode run does, then prepares the output.
struct Prepared {
    FinalEncoder fe;
    int result = 0;
    Prepared(const std::string& reference, const std::string& video, const std::string& audio,
          const std::string& out, int kbps, const std::string& format, AVCodecID vid, AVCodecID aid,
          AppSettings settings = {}) {
        if (!reference.empty()) OpenReference(fe, reference);
        OpenVideoSource(fe, video);
        fe.withAudio = !audio.empty() && OpenAudioSource(fe, audio) == 0;
        result = SetupOutput(fe, settings, out, kbps, format, vid, aid);
    }
    std::int64_t VideoRate() const { return fe.videoEncoderContext ? fe.videoEncoderContext->bit_rate : -1; }
};

std::int64_t ProbedRate(const std::string& path, const char* stream) {
    const std::string s = stream ? testmedia::ProbeStream(path, stream, "bit_rate")
                                 : testmedia::ProbeFormat(path, "bit_rate");
    return std::atoll(s.c_str());
}

}  // namespace

TEST(SetupOutput, ErrorsOfMissingInputsMuxersAndEncoders) {
    const std::string& avi = encfx::MjpegAvi();
    const std::string& wav = encfx::Wav(1.0);
    const std::string out = encfx::OutPath("err.out");
    // The video source has no video stream.
    EXPECT_EQ(Prepared("", wav, "", out, -1, "mp4", AV_CODEC_ID_MPEG4, AV_CODEC_ID_AAC).result, -1);
    // Same container as the input, but no input.
    EXPECT_EQ(Prepared(encfx::OutPath("missing.mp4"), avi, "", out, -1, "", AV_CODEC_ID_NONE, AV_CODEC_ID_NONE).result,
              -2);
    EXPECT_EQ(Prepared("", avi, "", out, -1, "no-such-muxer", AV_CODEC_ID_MPEG4, AV_CODEC_ID_AAC).result, -6);
    // WMV1 becomes MS-MPEG-4 v1, which has no encoder.
    EXPECT_EQ(Prepared("", avi, "", out, -1, "asf", AV_CODEC_ID_WMV1, AV_CODEC_ID_WMAV2).result, -7);
    // A muxer that refuses the codec does so at the header.
    EXPECT_EQ(Prepared("", avi, wav, encfx::OutPath("err.wav"), -1, "wav", AV_CODEC_ID_MPEG4, AV_CODEC_ID_PCM_S16LE)
                  .result,
              -15);
    EXPECT_EQ(Prepared("", avi, "", "/nonexistent-dir/out.mp4", -1, "mp4", AV_CODEC_ID_MPEG4, AV_CODEC_ID_AAC).result,
              -14);
}

TEST(SetupOutput, BitRateFromJobReferenceOrDefault) {
    const std::string& avi = encfx::MjpegAvi();
    const std::string& ref = encfx::H264AacMp4();
    const std::string out = encfx::OutPath("rate.mp4");
    EXPECT_EQ(Prepared("", avi, "", out, -1, "mp4", AV_CODEC_ID_MPEG4, AV_CODEC_ID_AAC).VideoRate(), 24000000);
    EXPECT_EQ(Prepared(ref, avi, "", out, 150000, "mp4", AV_CODEC_ID_MPEG4, AV_CODEC_ID_AAC).VideoRate(), 99999999);
    EXPECT_EQ(Prepared(ref, avi, "", out, 3000, "mp4", AV_CODEC_ID_MPEG4, AV_CODEC_ID_AAC).VideoRate(), 3000000);
    const std::int64_t refRate = ProbedRate(ref, "v:0");
    ASSERT_GT(refRate, 0);
    EXPECT_EQ(Prepared(ref, avi, "", out, -1, "mp4", AV_CODEC_ID_MPEG4, AV_CODEC_ID_AAC).VideoRate(), refRate);
    // The Motion-JPEG join takes its rate from the reversed file itself.
    std::int64_t aviRate = ProbedRate(avi, "v:0");
    if (aviRate <= 0) aviRate = ProbedRate(avi, nullptr);
    ASSERT_GT(aviRate, 0);
    EXPECT_EQ(Prepared(avi, avi, "", encfx::OutPath("rate.avi"), -1, "avi", AV_CODEC_ID_MJPEG, AV_CODEC_ID_PCM_S16LE)
                  .VideoRate(),
              aviRate);
}

TEST(SetupOutput, SameAsInputReplacementsAndSoundFallbacks) {
    const std::string& avi = encfx::MjpegAvi();
    const std::string& wav = encfx::Wav(1.0);
    AppSettings mts;       // ReplaceMTS 1 by default
    AppSettings noMts;
    noMts.ReplaceMTS = 0;
    AppSettings h264;
    h264.ReplaceH264 = 1;

    {
        Prepared s(encfx::H264Ac3Ts(), avi, wav, encfx::OutPath("s1.mov"), -1, "", AV_CODEC_ID_NONE, AV_CODEC_ID_NONE,
                mts);
        EXPECT_EQ(s.result, OUT_FORMAT_MOV | OUT_AUDIO_AAC);
        EXPECT_STREQ(s.fe.output->oformat->name, "mov");
        EXPECT_EQ(s.fe.audioEncoder->id, AV_CODEC_ID_AAC);
        EXPECT_EQ(s.fe.frameSize, 1024);  // AAC takes frames of 1024 samples
        EXPECT_EQ(s.fe.audioEncoderContext->time_base.den, 48000);
    }
    {
        Prepared s(encfx::H264Ac3Ts(), avi, wav, encfx::OutPath("s2.ts"), -1, "", AV_CODEC_ID_NONE, AV_CODEC_ID_NONE,
                noMts);
        EXPECT_EQ(s.result, OUT_AUDIO_AAC);
        EXPECT_STREQ(s.fe.output->oformat->name, "mpegts");
        EXPECT_EQ(s.fe.videoEncoder->id, AV_CODEC_ID_H264);
        EXPECT_EQ(s.fe.videoEncoderContext->pix_fmt, AV_PIX_FMT_YUV420P);
    }
    {
        Prepared s(encfx::H264AacMp4(), avi, wav, encfx::OutPath("s3.mp4"), -1, "", AV_CODEC_ID_NONE,
                AV_CODEC_ID_NONE, h264);
        EXPECT_EQ(s.result, OUT_VIDEO_MPEG4);
        EXPECT_EQ(s.fe.videoEncoder->id, AV_CODEC_ID_MPEG4);
    }
    {
        Prepared s(encfx::Wmv2Wmv(), avi, wav, encfx::OutPath("s4.wmv"), -1, "", AV_CODEC_ID_NONE, AV_CODEC_ID_NONE);
        EXPECT_EQ(s.result, OUT_VIDEO_MSMPEG4);
        EXPECT_STREQ(s.fe.output->oformat->name, "asf");
        EXPECT_EQ(s.fe.videoEncoder->id, AV_CODEC_ID_MSMPEG4V2);
        EXPECT_EQ(s.fe.audioEncoder->id, AV_CODEC_ID_WMAV2);
    }
    {
        // A reference without sound: no audio codec to follow, so 16-bit PCM.
        Prepared s(encfx::H264OnlyMov(), avi, wav, encfx::OutPath("s5.mov"), -1, "", AV_CODEC_ID_NONE,
                AV_CODEC_ID_NONE);
        EXPECT_EQ(s.result, OUT_AUDIO_PCM);
        EXPECT_EQ(s.fe.audioEncoder->id, AV_CODEC_ID_PCM_S16LE);
        EXPECT_EQ(s.fe.frameSize, 0);  // PCM takes frames of any length
    }
    {
        // WMA v2 does not open above 48 kHz: the sound is removed, and the result
        // is exactly 32 although the video codec was replaced too.
        Prepared s(encfx::Wmv2Wmv(), avi, encfx::Wav(1.0, 96000), encfx::OutPath("s6.wmv"), -1, "", AV_CODEC_ID_NONE,
                AV_CODEC_ID_NONE);
        EXPECT_EQ(s.result, OUT_AUDIO_REMOVED);
        EXPECT_FALSE(s.fe.withAudio);
        EXPECT_EQ(s.fe.output->nb_streams, 1u);
    }
}
