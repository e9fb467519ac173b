// The reversal job driven through a recording context: step labels and log
// lines in order, every sound option, cancel at every checkpoint and inside
// the loops, fatal errors, and clean-up on every path.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "engine/job_texts.h"
#include "engine/probe.h"
#include "engine/reversal_job.h"
#include "engine/temp_files.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using testmedia::TempDir;

namespace {

class ReversalJob : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        clips_ = new TempDir;
        testmedia::ClipSpec mp4;
        mp4.seconds = 1.6;
        mp4.sound = true;
        ASSERT_TRUE(testmedia::MakeClip(clips_->File("sound.mp4"), mp4));
        testmedia::ClipSpec mjpeg;
        mjpeg.seconds = 1.2;
        mjpeg.vcodec = "mjpeg";
        mjpeg.vopts = "-pix_fmt yuvj420p -q:v 3";
        ASSERT_TRUE(testmedia::MakeClip(clips_->File("silent.avi"), mjpeg));
    }
    static void TearDownTestSuite() {
        delete clips_;
        clips_ = nullptr;
    }

    void SetUp() override {
        ASSERT_EQ(setenv("TMPDIR", tmp_.path().c_str(), 1), 0);
        temps_ = MakeTempFileSet();
    }
    void TearDown() override { unsetenv("TMPDIR"); }

    // Probes the input like the window does, then runs the job.
    JobOutcome Run(RecordingContext& ctx, const std::string& input, const std::string& output) {
        ctx.m_strInputPath = input;
        const ProbeResult probe = ProbeInput(ctx);
        EXPECT_TRUE(probe.accepted) << input;
        ctx.m_strOutputPath = output;
        ctx.m_bCancel = 0;
        return RunReversalJob(ctx);
    }

    std::vector<std::string> Steps(const RecordingContext& ctx) {
        std::vector<std::string> steps = ctx.Texts(RecordedCall::Step);
        return steps;
    }

    void ExpectNoTemporaryFile() {
        for (const std::string* p : {&temps_.mjpeg, &temps_.preview, &temps_.reversed, &temps_.audio, &temps_.audioRev})
            EXPECT_FALSE(testmedia::Exists(*p)) << *p;
    }

    // Output frame i looks like input frame n-1-i (both read back the same way).
    static void ExpectReversedFrames(const std::string& out, const std::string& input) {
        const std::vector<int> in = testmedia::GreyLevels(input);
        const std::vector<int> grey = testmedia::GreyLevels(out);
        ASSERT_EQ(grey.size(), in.size()) << out;
        const size_t n = in.size();
        for (size_t i = 0; i < n; ++i) EXPECT_NEAR(grey[i], in[n - 1 - i], 4) << "frame " << i;
    }

    static void ExpectFalling(const std::vector<int16_t>& s) {
        const auto env = testmedia::Envelope(s, 4);
        ASSERT_EQ(env.size(), 4u);
        EXPECT_GT(env[0], env[3] * 1.5) << "the sound should fall away";
    }

    static TempDir* clips_;
    TempDir tmp_;
    TempDir out_;
    TempFileSet temps_;
};

TempDir* ReversalJob::clips_ = nullptr;

TEST_F(ReversalJob, MotionJpegInputWithoutSoundIsReversedStraightIntoTheOutput) {
    RecordingContext ctx;
    const std::string out = out_.File("out.avi");
    ASSERT_EQ(Run(ctx, clips_->File("silent.avi"), out), JobOutcome::Done);

    EXPECT_EQ(Steps(ctx), (std::vector<std::string>{"Step 1 : Reversing the video", ""}));
    const std::vector<std::string> log = ctx.LogLines();
    const std::vector<std::string> tail(log.end() - 4, log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "* Starting process to reverse video to : " + out + "\r\n",
                        "* Reversing MJPEG file (using Fast mode) to file : " + out + "\r\n",
                        "   Video reverse ended\r\n", "* Process done !\r\n"}));
    EXPECT_FALSE(testmedia::Exists(temps_.mjpeg));
    ExpectReversedFrames(out, clips_->File("silent.avi"));
    ExpectNoTemporaryFile();

    // The end box, then the idle state, the cleared preview and progress 0 of 10.
    const auto calls = ctx.Calls();
    const auto firstBusy = std::find_if(calls.begin(), calls.end(),
                                        [](const RecordedCall& c) { return c.kind == RecordedCall::Busy; });
    ASSERT_NE(firstBusy, calls.end());
    EXPECT_EQ(firstBusy->value, 1);
    EXPECT_EQ(calls.back(), (RecordedCall{RecordedCall::Busy, 0, {}, {}}));
    EXPECT_EQ(ctx.Values(RecordedCall::Range).back(), 10);
    EXPECT_EQ(ctx.Values(RecordedCall::Pos).back(), 0);
    EXPECT_EQ(ctx.Values(RecordedCall::Memory).back(), 0);
    const auto messages = ctx.Texts(RecordedCall::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "反向转换完成 !");
    EXPECT_EQ(ctx.m_bBusy.load(), 0);
}

TEST_F(ReversalJob, ReversedSoundIsMuxedWithConvertedVideo) {
    RecordingContext ctx;
    const std::string out = out_.File("out.avi");
    ASSERT_EQ(Run(ctx, clips_->File("sound.mp4"), out), JobOutcome::Done);

    EXPECT_EQ(Steps(ctx), (std::vector<std::string>{
                              "Step 1 : Converting input video file into MJPG video",
                              "Step 2 : Reversing the video", "Step 3 : Extracting audio track",
                              "Step 4 : Reversing audio track", "Step 5 : Muxing video and sound", ""}));
    const std::string log = ctx.m_strLog;
    for (const std::string& line :
         {"* Video is not MJPEG ==> convert it to MJPEG ! using temp file : " + temps_.mjpeg + "\r\n",
          std::string("   Conversion ended\r\n"),
          "* Starting audio extraction to : " + temps_.audio + "\r\n",
          "* Starting audio reverse. Saving it in file : " + temps_.audioRev + "\r\n",
          "* Muxing video and sound tracks (fast mode) in final output file : " + out + "\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_EQ(testmedia::ProbeStream(out, "v:0", "codec_name"), "mjpeg");
    EXPECT_EQ(testmedia::ProbeStream(out, "a:0", "codec_name"), "pcm_s16le");
    ExpectReversedFrames(out, clips_->File("sound.mp4"));
    ExpectFalling(testmedia::DecodeAudio(out));
    ExpectNoTemporaryFile();
}

TEST_F(ReversalJob, SoundOptions) {
    const struct {
        int option;
        const char* planLine;   // nullptr: none
        bool soundInOutput;
        bool separateWav;
        bool falling;
    } cases[] = {
        {0, "   Sound will be removed\r\n", false, false, false},
        {2, nullptr, false, true, true},
        {3, "   Sound will be kept unreversed\r\n", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        RecordingContext ctx;
        ctx.m_settings.SoundOption = c.option;
        const std::string out = out_.File("opt" + std::to_string(c.option) + ".avi");
        ASSERT_EQ(Run(ctx, clips_->File("sound.mp4"), out), JobOutcome::Done);
        const std::string plan = c.planLine ? c.planLine : "   Sound will be recorded into file : " + out + ".wav\r\n";
        EXPECT_NE(ctx.m_strLog.find(plan), std::string::npos);
        EXPECT_EQ(testmedia::ProbeStream(out, "a", "codec_name").empty(), !c.soundInOutput);
        EXPECT_EQ(testmedia::Exists(out + ".wav"), c.separateWav);
        ExpectReversedFrames(out, clips_->File("sound.mp4"));
        if (c.soundInOutput) {
            const auto env = testmedia::Envelope(testmedia::DecodeAudio(out), 4);
            EXPECT_LT(env[0] * 1.5, env[3]) << "the kept sound should rise as in the input";
        }
        if (c.separateWav) ExpectFalling(testmedia::DecodeAudio(out + ".wav"));
        if (c.option == 0) {
            EXPECT_EQ(ctx.m_strLog.find("audio extraction"), std::string::npos);
        }
        ExpectNoTemporaryFile();
    }
}

// Cancel raised at each checkpoint and inside each loop: the log ends with the
// cancel line, nothing is left behind and the step label says so.
TEST_F(ReversalJob, CancelAnywhereLeavesNothingBehind) {
    using K = RecordedCall::Kind;
    const struct {
        const char* where;
        int soundOption;
        int fast;
        std::function<bool(const RecordedCall&)> when;
    } cases[] = {
        {"inside conversion", 1, 1, [](const RecordedCall& c) { return c.kind == K::Pos && c.value == 5; }},
        {"after conversion", 1, 1,
         [](const RecordedCall& c) { return c.kind == K::Log && c.text.find("MJPEG ==>") != std::string::npos; }},
        {"inside fast reversal", 1, 1,
         [](const RecordedCall& c) { return c.kind == K::Step && c.text.find("Reversing the video") != std::string::npos; }},
        {"inside slow reversal", 1, 0,
         [](const RecordedCall& c) { return c.kind == K::Step && c.text.find("Reversing the video") != std::string::npos; }},
        {"inside extraction", 1, 1,
         [](const RecordedCall& c) { return c.kind == K::Step && c.text.find("Extracting") != std::string::npos; }},
        {"inside sound reversal", 2, 1,
         [](const RecordedCall& c) { return c.kind == K::Step && c.text.find("Reversing audio") != std::string::npos; }},
        {"inside mux", 1, 1,
         [](const RecordedCall& c) { return c.kind == K::Step && c.text.find("Muxing") != std::string::npos; }},
        {"before the end", 1, 1,
         [](const RecordedCall& c) { return c.kind == K::Log && c.text.find("Audio reverse ended") != std::string::npos; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        RecordingContext ctx;
        ctx.m_settings.SoundOption = c.soundOption;
        ctx.m_settings.FastComputation = c.fast;
        ctx.cancelWhen = c.when;
        const std::string out = out_.File("cancel.avi");
        EXPECT_EQ(Run(ctx, clips_->File("sound.mp4"), out), JobOutcome::Canceled);
        const auto log = ctx.LogLines();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), "* Process canceled by user !\r\n");
        EXPECT_EQ(Steps(ctx).back(), "Canceled...");
        EXPECT_FALSE(testmedia::Exists(out));
        EXPECT_FALSE(testmedia::Exists(out + ".wav"));
        EXPECT_TRUE(ctx.Texts(RecordedCall::Message).empty());
        ExpectNoTemporaryFile();
    }
}

TEST_F(ReversalJob, CancelAfterTheEndMessageKeepsTheOutput) {
    RecordingContext ctx;
    ctx.cancelWhen = [](const RecordedCall& c) { return c.kind == RecordedCall::Message; };
    const std::string out = out_.File("kept.avi");
    EXPECT_EQ(Run(ctx, clips_->File("silent.avi"), out), JobOutcome::Done);
    EXPECT_TRUE(testmedia::Exists(out));
    EXPECT_EQ(Steps(ctx).back(), "");
}

TEST_F(ReversalJob, InputGoneAfterProbeIsError05AndOutputStays) {
    const std::string input = out_.File("gone.mp4");
    std::filesystem::copy_file(clips_->File("sound.mp4"), input);
    RecordingContext ctx;
    ctx.m_strInputPath = input;
    ASSERT_TRUE(ProbeInput(ctx).accepted);
    std::filesystem::remove(input);
    ctx.m_strOutputPath = out_.File("out.avi");
    EXPECT_EQ(RunReversalJob(ctx), JobOutcome::Failed);
    EXPECT_EQ(ctx.m_nError, 5);
    EXPECT_EQ(ctx.LogLines().back(), jobtext::kError05.log.def);
    ASSERT_EQ(ctx.Texts(RecordedCall::Message).size(), 1u);
    EXPECT_EQ(ctx.Values(RecordedCall::Message).back(), kMbIconError);
    ExpectNoTemporaryFile();
}

TEST_F(ReversalJob, FastReversalFailureIsError07) {
    // A Motion-JPEG AVI whose video header has a time scale of 0: the
    // capture guesses a rate and reads it, the fast reversal refuses it.
    const std::string input = out_.File("scale0.avi");
    testmedia::ClipSpec spec;
    spec.seconds = 0.4;
    spec.vcodec = "mjpeg";
    spec.vopts = "-pix_fmt yuvj420p";
    ASSERT_TRUE(testmedia::MakeClip(input, spec));
    {
        std::fstream f(input, std::ios::in | std::ios::out | std::ios::binary);
        std::string head(4096, '\0');
        f.read(head.data(), head.size());
        const auto strh = head.find("strh");
        ASSERT_NE(strh, std::string::npos);
        f.clear();
        f.seekp(static_cast<std::streamoff>(strh + 8 + 20));
        f.write("\0\0\0\0", 4);
    }
    RecordingContext ctx;
    EXPECT_EQ(Run(ctx, input, out_.File("out.avi")), JobOutcome::Failed);
    EXPECT_EQ(ctx.m_nError, 7);
    EXPECT_EQ(ctx.LogLines().back(), jobtext::kError07.log.def);
    ExpectNoTemporaryFile();

    // The slow mode reads it through the capture and succeeds.
    RecordingContext slow;
    slow.m_settings.FastComputation = 0;
    EXPECT_EQ(Run(slow, input, out_.File("slow.avi")), JobOutcome::Done);
    ExpectReversedFrames(out_.File("slow.avi"), input);
}

TEST_F(ReversalJob, FailedSoundIsDroppedAndTheVideoCopied) {
    // The probe said there was sound, but the file has none any more.
    RecordingContext ctx;
    ctx.m_strInputPath = clips_->File("silent.avi");
    ASSERT_TRUE(ProbeInput(ctx).accepted);
    ctx.m_bHasAudio = 1;
    const std::string out = out_.File("copied.avi");
    ctx.m_strOutputPath = out;
    ASSERT_EQ(RunReversalJob(ctx), JobOutcome::Done);
    const std::string log = ctx.m_strLog;
    EXPECT_NE(log.find("   warning : error in audio extraction. Removing audio from video\r\n"), std::string::npos);
    EXPECT_NE(log.find("* Copy of reversed video file into output file : " + out + "\r\n"), std::string::npos);
    EXPECT_NE(log.find("   Output file copy done !\r\n"), std::string::npos);
    EXPECT_EQ(Steps(ctx)[2], "Step 3 : Copy of output file");
    ExpectReversedFrames(out, clips_->File("silent.avi"));
    ExpectNoTemporaryFile();
}

TEST_F(ReversalJob, TwoJobsAtOnceEachGetTheirOwnTemporaryFiles) {
    // Two windows or terminals reversing two different clips at the same time.
    const std::string other = out_.File("other.mp4");
    testmedia::ClipSpec spec;
    spec.width = 160;
    spec.height = 120;
    spec.seconds = 2.4;
    spec.sound = true;
    ASSERT_TRUE(testmedia::MakeClip(other, spec));
    const std::string inputs[2] = {clips_->File("sound.mp4"), other};
    RecordingContext a, b;
    for (RecordingContext* ctx : {&a, &b}) {
        ctx->m_strInputPath = inputs[ctx == &a ? 0 : 1];
        ASSERT_TRUE(ProbeInput(*ctx).accepted);
        ctx->m_strOutputPath = out_.File(ctx == &a ? "a.avi" : "b.avi");
    }
    JobOutcome ra = JobOutcome::Failed, rb = JobOutcome::Failed;
    std::thread ta([&] { ra = RunReversalJob(a); });
    std::thread tb([&] { rb = RunReversalJob(b); });
    ta.join();
    tb.join();
    EXPECT_EQ(ra, JobOutcome::Done) << a.m_strLog;
    EXPECT_EQ(rb, JobOutcome::Done) << b.m_strLog;
    for (int i = 0; i < 2; ++i) {
        const std::string out = out_.File(i == 0 ? "a.avi" : "b.avi");
        ExpectReversedFrames(out, inputs[i]);
        ExpectFalling(testmedia::DecodeAudio(out));
    }
    ExpectNoTemporaryFile();
    for (const auto& e : std::filesystem::recursive_directory_iterator(tmp_.path()))
        EXPECT_FALSE(e.is_regular_file()) << e.path();
}

TEST_F(ReversalJob, ProbeReportAndRejection) {
    RecordingContext ctx;
    ctx.m_strInputPath = clips_->File("sound.mp4");
    const ProbeResult r = ProbeInput(ctx);
    ASSERT_TRUE(r.accepted);
    EXPECT_EQ(r.info, "320x240    25.00 fps     1.60 s");
    EXPECT_EQ(ctx.m_bHasAudio, 1);
    EXPECT_EQ(ctx.m_strLog, "* Openning file : " + ctx.m_strInputPath +
                                "\r\n   Video stream detected : size : 320x240 ; frame rate : 25.00 fps ; Total Frames : 40\r\n"
                                "   Total time of video : 1.60 s\r\n   video compression codec : avc1\r\n"
                                "   Audio track detected\r\n");

    for (const std::string& content : {std::string("just some text\n"), std::string()}) {
        const std::string bad = out_.File("bad.txt");
        { std::ofstream(bad) << content; }
        RecordingContext rej;
        rej.m_strInputPath = bad;
        EXPECT_FALSE(ProbeInput(rej).accepted);
        EXPECT_EQ(rej.m_strInputPath, "");
        EXPECT_EQ(rej.LogLines().back(),
                  "* Error 01 : This file seems not to be a valid video file : No video stream detected\r\n");
        ASSERT_EQ(rej.Texts(RecordedCall::Message).size(), 1u);
        EXPECT_EQ(rej.Texts(RecordedCall::Message)[0], "Error 01 : This file seems not to be a valid video file...");
    }
}

}  // namespace
