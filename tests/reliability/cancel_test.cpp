// Cancel on the encoding paths (formats same as input, WMV, MP4, and the slow
// join of video and sound): raised inside the encoding loop and at the
// checkpoint before the output step, the job ends on its cancel path and
// leaves nothing behind. (The other checkpoints and loops are covered with
// the Motion-JPEG output in the job driver's own tests.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "engine/probe.h"
#include "engine/reversal_job.h"
#include "engine/temp_files.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using testmedia::TempDir;

namespace {

using K = RecordedCall::Kind;

// Raises the cancel at the first progress position past 0 once a step label
// containing `step` has been shown.
std::function<bool(const RecordedCall&)> InsideStep(const std::string& step) {
    auto seen = std::make_shared<bool>(false);
    return [seen, step](const RecordedCall& c) {
        if (c.kind == K::Step && c.text.find(step) != std::string::npos) *seen = true;
        return *seen && c.kind == K::Pos && c.value > 0;
    };
}

std::function<bool(const RecordedCall&)> AtLog(const std::string& line) {
    return [line](const RecordedCall& c) { return c.kind == K::Log && c.text.find(line) != std::string::npos; };
}

TEST(CancelOnEncodingPaths, LeavesNothingBehind) {
    TempDir clips, tmp, out;
    testmedia::ClipSpec spec;
    spec.width = 160;
    spec.height = 120;
    spec.seconds = 2;
    spec.sound = true;
    const std::string input = clips.File("clip.mp4");
    ASSERT_TRUE(testmedia::MakeClip(input, spec));
    ASSERT_EQ(setenv("TMPDIR", tmp.path().c_str(), 1), 0);
    const TempFileSet temps = MakeTempFileSet();

    const struct {
        const char* where;
        int format;
        int fast;
        int sound;
        const char* step;   // the output step's label
        std::function<bool(const RecordedCall&)> when;
    } cases[] = {
        {"inside the same-format encoding", 1, 1, 1, "Encoding final file", InsideStep("Encoding final file")},
        {"inside the WMV encoding", 2, 1, 1, "Encoding video into WMV", InsideStep("Encoding video into WMV")},
        {"inside the MP4 encoding", 3, 0, 1, "Encoding video into MP4", InsideStep("Encoding video into MP4")},
        {"inside the MP4 encoding, separate sound", 3, 1, 2, "Encoding video into MP4", InsideStep("Encoding video into MP4")},
        {"inside the slow join", 0, 0, 1, "Muxing video and sound", InsideStep("Muxing video and sound")},
        {"before the MP4 encoding", 3, 1, 1, nullptr, AtLog("Audio reverse ended")},
        {"before the WMV encoding, sound removed", 2, 1, 0, nullptr, AtLog("Video reverse ended")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        RecordingContext ctx;
        ctx.m_settings.OutputFormat = c.format;
        ctx.m_settings.FastComputation = c.fast;
        ctx.m_settings.SoundOption = c.sound;
        ctx.cancelWhen = c.when;
        ctx.m_strInputPath = input;
        ASSERT_TRUE(ProbeInput(ctx).accepted);
        const std::string output = out.File(c.format == 2 ? "o.wmv" : c.format == 0 ? "o.avi" : "o.mp4");
        ctx.m_strOutputPath = output;
        ctx.m_bCancel = 0;
        EXPECT_EQ(RunReversalJob(ctx), JobOutcome::Canceled);

        const std::vector<std::string> steps = ctx.Texts(RecordedCall::Step);
        if (c.step) {
            // The cancel came inside the output step's loop.
            bool shown = false;
            for (const std::string& s : steps) shown = shown || s.find(c.step) != std::string::npos;
            EXPECT_TRUE(shown);
        }
        const auto log = ctx.LogLines();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), "* Process canceled by user !\r\n");
        EXPECT_EQ(steps.back(), "Canceled...");
        EXPECT_TRUE(ctx.Texts(RecordedCall::Message).empty());
        EXPECT_FALSE(testmedia::Exists(output));
        EXPECT_FALSE(testmedia::Exists(output + ".wav"));
        for (const std::string* p : {&temps.mjpeg, &temps.preview, &temps.reversed, &temps.audio, &temps.audioRev})
            EXPECT_FALSE(testmedia::Exists(*p)) << *p;
        EXPECT_EQ(ctx.m_bBusy.load(), 0);
    }
    unsetenv("TMPDIR");
}

}  // namespace
