// Slow reversal of a Motion-JPEG file: frames read by number, last first, and
// encoded again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "engine/capture.h"
#include "engine/job_texts.h"
#include "engine/slow_reverse.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

namespace {

using testmedia::TempDir;
using C = RecordedCall;

constexpr double kNtscRate = 30000.0 / 1001.0;
constexpr int kFrames = 40;

// A 40-frame 29.97 fps Motion-JPEG AVI whose frame n has luma 16 + 4n.
std::string MakeMjpegSource(const TempDir& dir) {
    testmedia::ClipSpec spec;
    spec.rate = "30000/1001";
    spec.seconds = (kFrames - 0.2) / kNtscRate;
    spec.vcodec = "mjpeg";
    spec.vopts = "-pix_fmt yuvj420p -q:v 3";
    const std::string path = dir.File("source.avi");
    return testmedia::MakeClip(path, spec) ? path : std::string();
}

double ProbeRate(const std::string& path) {
    const std::string r = testmedia::ProbeStream(path, "v:0", "r_frame_rate");
    const auto slash = r.find('/');
    if (slash == std::string::npos) return 0;
    return std::atof(r.substr(0, slash).c_str()) / std::atof(r.substr(slash + 1).c_str());
}

// The calls of a reversal of n frames up to the one cancelled after loop index `last`.
std::vector<C> ExpectedCalls(int n, int last, const std::string& target, const std::string& preview,
                             int step) {
    std::vector<C> calls = {
        {C::Pos, 0, {}, {}},
        {C::Range, n, {}, {}},
        {C::Log, 0, std::string(jobtext::kReversingSlow.def) + target + "\r\n", {}},
        {C::Step, 0, "Step " + std::to_string(step) + " : Reversing the video", {}},
    };
    for (int i = 0; i <= last; ++i) {
        if ((i & 15) == 0) calls.push_back({C::File, 0, preview, {}});
        calls.push_back({C::Pos, i, {}, {}});
    }
    return calls;
}

}  // namespace

// Both ways the source can be open: through the FFmpeg backend (an input that
// is already Motion-JPEG) and through the Motion-JPEG reader (the intermediate).
TEST(ReverseSlow, OutputFrameIIsSourceFrameNMinus1MinusI) {
    TempDir dir;
    const std::string source = MakeMjpegSource(dir);
    ASSERT_FALSE(source.empty());
    const auto sourceGreys = testmedia::GreyLevels(source);
    ASSERT_EQ(sourceGreys.size(), static_cast<size_t>(kFrames));

    // Each capture, and the frames read through the file's index.
    const struct {
        const char* name;
        bool (*open)(cv::VideoCapture&, const std::string&);
        bool indexed;
    } openers[] = {{"OpenCapture", &OpenCapture, false},
                   {"OpenMjpegCapture", &OpenMjpegCapture, false},
                   {"Indexed", &OpenMjpegCapture, true}};
    for (const auto& o : openers) {
        SCOPED_TRACE(o.name);
        cv::VideoCapture cap;
        ASSERT_TRUE(o.open(cap, source));
        const SourceInfo info = ReadSourceInfo(cap);
        ASSERT_EQ(info.frameCount, kFrames);
        const std::string target = dir.File(std::string(o.name) + ".avi");
        const std::string preview = dir.File("tmpAMB2Img.bmp");

        RecordingContext ctx;
        ASSERT_TRUE(ReverseSlow(ctx, cap, info, target, preview, 2, o.indexed ? source : std::string()));
        EXPECT_FALSE(cap.isOpened());
        EXPECT_EQ(ctx.Calls(), ExpectedCalls(kFrames, kFrames - 1, target, preview, 2));

        EXPECT_EQ(testmedia::ProbeStream(target, "v:0", "codec_name"), "mjpeg");
        EXPECT_EQ(testmedia::ProbeStream(target, "v:0", "width"), "320");
        EXPECT_EQ(testmedia::ProbeStream(target, "v:0", "height"), "240");
        EXPECT_NEAR(ProbeRate(target), kNtscRate, 0.001);
        const auto greys = testmedia::GreyLevels(target);
        ASSERT_EQ(greys.size(), static_cast<size_t>(kFrames));
        for (int i = 0; i < kFrames; ++i)
            EXPECT_NEAR(greys[i], sourceGreys[kFrames - 1 - i], 3) << "output frame " << i;
    }
}

TEST(ReverseSlow, NoFramesGivesValidEmptyFile) {
    TempDir dir;
    const std::string source = MakeMjpegSource(dir);
    ASSERT_FALSE(source.empty());
    cv::VideoCapture cap;
    ASSERT_TRUE(OpenMjpegCapture(cap, source));
    SourceInfo info = ReadSourceInfo(cap);
    info.frameCount = 0;
    const std::string target = dir.File("rev.avi");
    const std::string preview = dir.File("tmpAMB2Img.bmp");

    RecordingContext ctx;
    ASSERT_TRUE(ReverseSlow(ctx, cap, info, target, preview, 3));
    EXPECT_FALSE(cap.isOpened());
    EXPECT_EQ(ctx.Calls(), ExpectedCalls(0, -1, target, preview, 3));
    EXPECT_FALSE(testmedia::Exists(preview));
    EXPECT_EQ(testmedia::ProbeStream(target, "v:0", "codec_name"), "mjpeg");
    EXPECT_EQ(testmedia::ProbeStream(target, "v:0", "width"), "320");
    EXPECT_EQ(testmedia::CountFrames(target), 0);
}

TEST(ReverseSlow, CancelStopsBeforeNextFrameAndLeavesCompleteFile) {
    TempDir dir;
    const std::string source = MakeMjpegSource(dir);
    ASSERT_FALSE(source.empty());
    const auto sourceGreys = testmedia::GreyLevels(source);
    cv::VideoCapture cap;
    ASSERT_TRUE(OpenMjpegCapture(cap, source));
    const SourceInfo info = ReadSourceInfo(cap);
    const std::string target = dir.File("rev.avi");
    const std::string preview = dir.File("tmpAMB2Img.bmp");

    constexpr int k = 10;
    RecordingContext ctx;
    ctx.cancelWhen = [](const C& c) { return c.kind == C::Pos && c.value == k; };
    ASSERT_TRUE(ReverseSlow(ctx, cap, info, target, preview, 2));
    EXPECT_FALSE(cap.isOpened());
    EXPECT_EQ(ctx.Calls(), ExpectedCalls(kFrames, k, target, preview, 2));

    const auto greys = testmedia::GreyLevels(target);
    ASSERT_EQ(greys.size(), static_cast<size_t>(k + 1));
    for (int i = 0; i <= k; ++i) EXPECT_NEAR(greys[i], sourceGreys[kFrames - 1 - i], 3) << i;
}

TEST(ReverseSlow, TargetInUnwritablePlaceIsError04) {
    TempDir dir;
    const std::string source = MakeMjpegSource(dir);
    ASSERT_FALSE(source.empty());
    cv::VideoCapture cap;
    ASSERT_TRUE(OpenMjpegCapture(cap, source));
    const SourceInfo info = ReadSourceInfo(cap);
    // The target's parent is a regular file: no one, root included, can create it.
    const std::string notAFolder = dir.File("plain");
    std::ofstream(notAFolder) << "x";

    RecordingContext ctx;
    ctx.m_settings.Language = 2;
    EXPECT_FALSE(ReverseSlow(ctx, cap, info, notAFolder + "/rev.avi", dir.File("p.bmp"), 2));
    EXPECT_FALSE(cap.isOpened());
    const std::vector<C> want = {
        {C::Log, 0, jobtext::kError04.log.it, {}},
        {C::Message, kMbIconError, jobtext::kError04.box.it, jobtext::kErrorTitle.it},
    };
    EXPECT_EQ(ctx.Calls(), want);
}

// A Motion-JPEG file past 1 GiB goes on in an OpenDML extension list, which
// OpenCV's own reader does not see: the capture for the reversal must still
// report every frame and reach the last one.
TEST(OpenMjpegCapture, FilePastFirstGibIsSeenWhole) {
    TempDir dir;
    const std::string picture = dir.File("noise.jpg");
    const std::string big = dir.File("big.avi");
    ASSERT_EQ(testmedia::Run("ffmpeg -nostdin -v error -y -f lavfi -i "
                             "\"nullsrc=s=1920x1080:d=1,geq=random(1)*255:128:128\" -frames:v 1 "
                             "-c:v mjpeg -q:v 1 -pix_fmt yuvj444p " + testmedia::Quote(picture)),
              0);
    // About 1.5 MB a frame: 760 frames pass 1 GiB.
    ASSERT_EQ(testmedia::Run("ffmpeg -nostdin -v error -y -loop 1 -framerate 25 -i " +
                             testmedia::Quote(picture) + " -c:v copy -frames:v 760 " +
                             testmedia::Quote(big)),
              0);
    ASSERT_GT(testmedia::FileSize(big), 1LL << 30);
    ASSERT_EQ(testmedia::ProbeStream(big, "v:0", "nb_frames"), "760");

    cv::VideoCapture cap;
    ASSERT_TRUE(OpenMjpegCapture(cap, big));
    const SourceInfo info = ReadSourceInfo(cap);
    EXPECT_EQ(info.frameCount, 760);
    EXPECT_EQ(info.width, 1920);
    cv::Mat frame;
    EXPECT_TRUE(ReadFrameAt(cap, 759, frame));
}
