// Conversion of a non-Motion-JPEG input into the intermediate Motion-JPEG file
// (Step 1, and Step 1b when the input delivers far fewer frames than it claims).
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <opencv2/imgcodecs.hpp>

#include "engine/capture.h"
#include "engine/convert.h"
#include "engine/job_texts.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

namespace {

using testmedia::TempDir;
using C = RecordedCall;

constexpr double kNtscRate = 30000.0 / 1001.0;

// A 29.97 fps H.264 clip of `frames` grey frames (frame n has luma 16 + 4n).
// B-frames are off so that file order is display order.
std::string MakeGreyClip(const TempDir& dir, const std::string& name, int frames) {
    testmedia::ClipSpec spec;
    spec.rate = "30000/1001";
    spec.seconds = (frames - 0.2) / kNtscRate;
    spec.vopts = "-pix_fmt yuv420p -bf 0";
    spec.extra = "-movflags +faststart";
    const std::string path = dir.File(name);
    if (!testmedia::MakeClip(path, spec)) return {};
    return path;
}

// A copy of `path` cut just before the packet of frame `keep`: its header
// still announces every frame, but only the first `keep` can be decoded and
// every read after them fails.
std::string MakeCutCopy(const TempDir& dir, const std::string& path, int keep) {
    const std::string cutPath = dir.File("cut" + std::to_string(keep) + ".mp4");
    std::string out;
    testmedia::Run("ffprobe -v error -select_streams v:0 -show_entries packet=pos -of csv=p=0 " +
                       testmedia::Quote(path),
                   &out);
    std::istringstream lines(out);
    std::string line;
    for (int i = 0; i <= keep && std::getline(lines, line); ++i) {}
    const long long cut = std::atoll(line.c_str());
    if (cut <= 0) return {};
    if (testmedia::Run("head -c " + std::to_string(cut) + " " + testmedia::Quote(path) + " > " +
                       testmedia::Quote(cutPath)) != 0)
        return {};
    return cutPath;
}

double ProbeRate(const std::string& path) {
    const std::string r = testmedia::ProbeStream(path, "v:0", "r_frame_rate");
    const auto slash = r.find('/');
    if (slash == std::string::npos) return 0;
    return std::atof(r.substr(0, slash).c_str()) / std::atof(r.substr(slash + 1).c_str());
}

// The channel calls of one conversion loop that reads every frame of [0, n).
void ExpectLoop(std::vector<C>& calls, int n, const std::string& preview) {
    for (int i = 0; i < n; ++i) {
        if ((i & 15) == 0) calls.push_back({C::File, 0, preview, {}});
        calls.push_back({C::Pos, i, {}, {}});
    }
}

void ExpectGreysFrom(const std::vector<int>& actual, const std::vector<int>& source, size_t count) {
    ASSERT_EQ(actual.size(), count);
    ASSERT_GE(source.size(), count);
    for (size_t i = 0; i < count; ++i) EXPECT_NEAR(actual[i], source[i], 3) << "frame " << i;
}

struct Job {
    RecordingContext ctx;
    cv::VideoCapture cap;
    SourceInfo input;
    SourceInfo out;
    std::string sourcePath;

    bool Open(const std::string& path) {
        if (!OpenCapture(cap, path)) return false;
        input = ReadSourceInfo(cap);
        return true;
    }
    bool Convert(const std::string& inputPath, const std::string& mjpeg, const std::string& preview) {
        return ConvertToMjpeg(ctx, cap, input, inputPath, mjpeg, preview, sourcePath, out);
    }
};

}  // namespace

TEST(NeedsStep1b, ThresholdIsThreeQuartersOfReportedFramesRoundedDown) {
    const struct { int n0, n1; bool want; } cases[] = {
        {100, 74, true}, {100, 75, false}, {10, 6, true}, {10, 7, false},
        {0, 5, false}, {0, 0, false}, {100, 0, false}, {10, 10, false}, {4, 2, true},
        // 3 * INT_MAX does not fit an int; the threshold is 1610612735.
        {INT_MAX, 1610612734, true}, {INT_MAX, 1610612735, false}};
    for (const auto& c : cases) EXPECT_EQ(NeedsStep1b(c.n0, c.n1), c.want) << c.n0 << "/" << c.n1;
}

TEST(ConvertToMjpeg, GreyClipAt2997BecomesMjpegFrameForFrame) {
    TempDir dir;
    const std::string input = MakeGreyClip(dir, "grey.mp4", 40);
    ASSERT_FALSE(input.empty());
    const std::string mjpeg = dir.File("tmpAMB2.avi");
    const std::string preview = dir.File("tmpAMB2Img.bmp");

    Job job;
    ASSERT_TRUE(job.Open(input));
    ASSERT_EQ(job.input.frameCount, 40);
    ASSERT_TRUE(job.Convert(input, mjpeg, preview));

    EXPECT_EQ(job.sourcePath, mjpeg);
    EXPECT_TRUE(job.cap.isOpened());
    EXPECT_EQ(job.out.width, 320);
    EXPECT_EQ(job.out.height, 240);
    EXPECT_EQ(job.out.frameCount, 40);
    EXPECT_NEAR(job.out.fps, kNtscRate, 0.001);

    // Checked with ffprobe/ffmpeg: Motion-JPEG, same size, 29.97 (not 30) fps, same pictures.
    EXPECT_EQ(testmedia::ProbeStream(mjpeg, "v:0", "codec_name"), "mjpeg");
    EXPECT_EQ(testmedia::ProbeStream(mjpeg, "v:0", "width"), "320");
    EXPECT_EQ(testmedia::ProbeStream(mjpeg, "v:0", "height"), "240");
    EXPECT_NEAR(ProbeRate(mjpeg), kNtscRate, 0.001);
    EXPECT_EQ(testmedia::CountFrames(mjpeg), 40);
    ExpectGreysFrom(testmedia::GreyLevels(mjpeg), testmedia::GreyLevels(input), 40);

    // The capture handed back reads the intermediate file from its start.
    cv::Mat frame;
    ASSERT_TRUE(ReadFrame(job.cap, frame));
    EXPECT_EQ(frame.cols, 320);

    std::vector<C> want = {
        {C::Log, 0, std::string(jobtext::kNotMjpeg.def) + mjpeg + "\r\n", {}},
        {C::Pos, 0, {}, {}},
        {C::Range, 40, {}, {}},
        {C::Step, 0, jobtext::kStep1.def, {}},
    };
    ExpectLoop(want, 40, preview);
    EXPECT_EQ(job.ctx.Calls(), want);

    // The last preview written is frame 32, as the capture decoded it.
    cv::VideoCapture again;
    ASSERT_TRUE(OpenCapture(again, input));
    for (int i = 0; i <= 32; ++i) ASSERT_TRUE(ReadFrame(again, frame));
    const cv::Mat shown = cv::imread(preview);
    ASSERT_FALSE(shown.empty());
    EXPECT_LE(cv::norm(shown, frame, cv::NORM_INF), 3.0);
}

TEST(ConvertToMjpeg, FiveFailedReadsEndStep1ThenStep1bReadsItsFramesAtScaledRate) {
    TempDir dir;
    const std::string full = MakeGreyClip(dir, "grey.mp4", 100);
    ASSERT_FALSE(full.empty());
    const std::string input = MakeCutCopy(dir, full, 74);
    ASSERT_FALSE(input.empty());
    const std::string mjpeg = dir.File("tmpAMB2.avi");
    const std::string preview = dir.File("tmpAMB2Img.bmp");

    Job job;
    ASSERT_TRUE(job.Open(input));
    ASSERT_EQ(job.input.frameCount, 100);  // the header's claim
    ASSERT_TRUE(job.Convert(input, mjpeg, preview));

    // Step 1: 74 frames read, then five failed reads in a row end the loop at
    // once (no position for the fifth). Step 1b: 74 frames at 29.97 * 0.74.
    std::vector<C> want = {
        {C::Log, 0, std::string(jobtext::kNotMjpeg.def) + mjpeg + "\r\n", {}},
        {C::Pos, 0, {}, {}},
        {C::Range, 100, {}, {}},
        {C::Step, 0, jobtext::kStep1.def, {}},
    };
    ExpectLoop(want, 74, preview);
    for (int i = 74; i < 78; ++i) want.push_back({C::Pos, i, {}, {}});
    want.push_back({C::Log, 0, jobtext::kWarnFiveErrors.def, {}});
    want.push_back({C::Log, 0,
                    "   detected special condition : adjusting frame rate to : 22.2 fps. "
                    "Please check if result is ok !\r\n",
                    {}});
    want.push_back({C::Pos, 0, {}, {}});
    want.push_back({C::Range, 74, {}, {}});
    want.push_back({C::Step, 0, jobtext::kStep1b.def, {}});
    ExpectLoop(want, 74, preview);
    EXPECT_EQ(job.ctx.Calls(), want);

    const double scaled = 74 * kNtscRate / 100;
    EXPECT_TRUE(job.cap.isOpened());
    EXPECT_EQ(job.out.frameCount, 74);
    EXPECT_NEAR(job.out.fps, scaled, 0.001);
    EXPECT_NEAR(ProbeRate(mjpeg), scaled, 0.001);
    EXPECT_EQ(testmedia::ProbeStream(mjpeg, "v:0", "codec_name"), "mjpeg");
    EXPECT_EQ(testmedia::CountFrames(mjpeg), 74);
    ExpectGreysFrom(testmedia::GreyLevels(mjpeg), testmedia::GreyLevels(full), 74);
}

// The input is replaced by a shorter copy before Step 1b opens it again: six
// failed reads in a row end Step 1b with its own warning, and the
// intermediate holds what Step 1b wrote.
TEST(ConvertToMjpeg, SixFailedReadsEndStep1b) {
    TempDir dir;
    const std::string full = MakeGreyClip(dir, "grey.mp4", 100);
    ASSERT_FALSE(full.empty());
    const std::string input = MakeCutCopy(dir, full, 74);
    const std::string shorter = MakeCutCopy(dir, full, 30);
    ASSERT_FALSE(input.empty());
    ASSERT_FALSE(shorter.empty());
    const std::string mjpeg = dir.File("tmpAMB2.avi");
    const std::string preview = dir.File("tmpAMB2Img.bmp");

    Job job;
    job.ctx.cancelWhen = [&](const C& c) {
        if (c.kind == C::Log && c.text.find("special condition") != std::string::npos)
            std::rename(shorter.c_str(), input.c_str());
        return false;
    };
    ASSERT_TRUE(job.Open(input));
    ASSERT_TRUE(job.Convert(input, mjpeg, preview));

    EXPECT_EQ(job.ctx.LogLines(),
              (std::vector<std::string>{
                  std::string(jobtext::kNotMjpeg.def) + mjpeg + "\r\n", jobtext::kWarnFiveErrors.def,
                  "   detected special condition : adjusting frame rate to : 22.2 fps. "
                  "Please check if result is ok !\r\n",
                  jobtext::kWarnSixErrors.def}));
    // Step 1b: frames 0..29 read, failures at 30..35; the sixth ends the loop at once.
    const auto positions = job.ctx.Values(C::Pos);
    ASSERT_GE(positions.size(), 36u);
    std::vector<long long> step1b(positions.end() - 36, positions.end());
    std::vector<long long> want = {0};
    for (int i = 0; i < 35; ++i) want.push_back(i);
    EXPECT_EQ(step1b, want);

    EXPECT_EQ(job.out.frameCount, 30);
    EXPECT_EQ(testmedia::CountFrames(mjpeg), 30);
    ExpectGreysFrom(testmedia::GreyLevels(mjpeg), testmedia::GreyLevels(full), 30);
}

TEST(ConvertToMjpeg, CancelAtFrameKeepsFramesSoFarInReadableFileWithoutStep1b) {
    TempDir dir;
    const std::string input = MakeGreyClip(dir, "grey.mp4", 40);
    ASSERT_FALSE(input.empty());
    const std::string mjpeg = dir.File("tmpAMB2.avi");
    const std::string preview = dir.File("tmpAMB2Img.bmp");

    constexpr int k = 20;
    Job job;
    job.ctx.m_settings.Language = 1;
    job.ctx.cancelWhen = [](const C& c) { return c.kind == C::Pos && c.value == k; };
    ASSERT_TRUE(job.Open(input));
    ASSERT_TRUE(job.Convert(input, mjpeg, preview));

    std::vector<C> want = {
        {C::Log, 0, std::string(jobtext::kNotMjpeg.fr) + mjpeg + "\r\n", {}},
        {C::Pos, 0, {}, {}},
        {C::Range, 40, {}, {}},
        {C::Step, 0, jobtext::kStep1.fr, {}},
    };
    ExpectLoop(want, k + 1, preview);
    EXPECT_EQ(job.ctx.Calls(), want);

    EXPECT_TRUE(job.cap.isOpened());
    EXPECT_EQ(job.out.frameCount, k + 1);
    EXPECT_EQ(testmedia::CountFrames(mjpeg), k + 1);
    ExpectGreysFrom(testmedia::GreyLevels(mjpeg), testmedia::GreyLevels(input), k + 1);
}

TEST(ConvertToMjpeg, IntermediateInUnwritablePlaceIsError02) {
    TempDir dir;
    const std::string input = MakeGreyClip(dir, "grey.mp4", 20);
    ASSERT_FALSE(input.empty());
    // The intermediate's parent is a regular file: no one, root included, can create it.
    const std::string notAFolder = dir.File("plain");
    std::ofstream(notAFolder) << "x";
    const std::string mjpeg = notAFolder + "/tmpAMB2.avi";

    Job job;
    ASSERT_TRUE(job.Open(input));
    EXPECT_FALSE(job.Convert(input, mjpeg, dir.File("p.bmp")));
    EXPECT_FALSE(job.cap.isOpened());
    const std::vector<C> want = {
        {C::Log, 0, std::string(jobtext::kNotMjpeg.def) + mjpeg + "\r\n", {}},
        {C::Log, 0, jobtext::kError02.log.def, {}},
        {C::Message, kMbIconError, jobtext::kError02.box.def, jobtext::kErrorTitle.def},
    };
    EXPECT_EQ(job.ctx.Calls(), want);
}

// Files that vanish while a step runs: the intermediate before it is read back
// (error 03, with the log line of its step), the input before Step 1b opens it
// again (error 05).
TEST(ConvertToMjpeg, FilesGoneDuringConversionAreErrors03And05) {
    TempDir dir;
    const std::string full = MakeGreyClip(dir, "grey.mp4", 40);
    ASSERT_FALSE(full.empty());
    const std::string cut = MakeCutCopy(dir, full, 20);
    ASSERT_FALSE(cut.empty());

    const struct {
        const char* atStep;
        bool removeInput;
        const jobtext::ErrorText& error;
        size_t stepsShown;
    } cases[] = {
        {jobtext::kStep1.def, false, jobtext::kError03Step1, 1},
        {jobtext::kStep1.def, true, jobtext::kError05, 1},
        {jobtext::kStep1b.def, false, jobtext::kError03Step1b, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error.log.def);
        const std::string input = dir.File("in.mp4");
        ASSERT_EQ(testmedia::Run("cp " + testmedia::Quote(cut) + " " + testmedia::Quote(input)), 0);
        const std::string mjpeg = dir.File("tmpAMB2.avi");
        const std::string gone = c.removeInput ? input : mjpeg;

        Job job;
        ASSERT_TRUE(job.Open(input));
        job.ctx.cancelWhen = [&](const C& call) {
            if (call.kind == C::Step && call.text == c.atStep) ::unlink(gone.c_str());
            return false;
        };
        EXPECT_FALSE(job.Convert(input, mjpeg, dir.File("p.bmp")));
        EXPECT_FALSE(job.cap.isOpened());

        const auto calls = job.ctx.Calls();
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls[calls.size() - 2], (C{C::Log, 0, c.error.log.def, {}}));
        EXPECT_EQ(calls.back(), (C{C::Message, kMbIconError, c.error.box.def, jobtext::kErrorTitle.def}));
        EXPECT_EQ(job.ctx.Texts(C::Step).size(), c.stepsShown);
    }
}
