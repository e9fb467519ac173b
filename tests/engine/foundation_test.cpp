// The job channel's shared pieces: text selection, fatal error reporting,
// guarded conversions and the private temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <limits>

#include "engine/fatal_error.h"
#include "engine/job_texts.h"
#include "engine/numeric.h"
#include "engine/temp_files.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

TEST(Texts, LanguageIndexSelectsVariantAndOtherValuesGiveDefault) {
    const struct { int lang; const char* want; } cases[] = {
        {0, "Error"}, {1, "Erreur"}, {2, "Errore"}, {3, "Error"}, {7, "Error"}, {-1, "Error"}};
    for (const auto& c : cases) EXPECT_STREQ(jobtext::kErrorTitle.Pick(c.lang), c.want) << c.lang;
    EXPECT_STREQ(jobtext::kStepCanceled.Pick(1), "Annulé...");
    EXPECT_STREQ(jobtext::kEndBoxTitle.Pick(3), "成功!");
}

TEST(Texts, FormatFillsStepNumberAndOneDecimalRate) {
    EXPECT_EQ(Format(jobtext::kStepReverseVideo.Pick(0), 2), "Step 2 : Reversing the video");
    EXPECT_EQ(Format(jobtext::kSpecialCondition.Pick(0), 29.97 * 74 / 100),
              "   detected special condition : adjusting frame rate to : 22.2 fps. Please check if result is ok !\r\n");
}

TEST(FatalError, LogsThenShowsBoxWithErrorIconInJobLanguage) {
    for (int lang : {0, 2}) {
        RecordingContext ctx;
        ctx.m_settings.Language = lang;
        ReportFatalError(ctx, jobtext::kError04);
        const auto calls = ctx.Calls();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_EQ(calls[0].kind, RecordedCall::Log);
        EXPECT_EQ(calls[0].text, jobtext::kError04.log.Pick(lang));
        EXPECT_EQ(calls[1].kind, RecordedCall::Message);
        EXPECT_EQ(calls[1].text, jobtext::kError04.box.Pick(lang));
        EXPECT_EQ(calls[1].title, jobtext::kErrorTitle.Pick(lang));
        EXPECT_EQ(calls[1].value, kMbIconError);
        EXPECT_EQ(ctx.m_strLog, jobtext::kError04.log.Pick(lang));
    }
    EXPECT_STREQ(jobtext::kError04.log.Pick(0), "* Error 04 : cannot open file... Fatal error.\r\n");
}

TEST(RecordingContext, RaisesCancelAtChosenCall) {
    RecordingContext ctx;
    ctx.cancelWhen = [](const RecordedCall& c) { return c.kind == RecordedCall::Pos && c.value == 3; };
    for (int i = 0; i < 10 && !ctx.Cancelled(); ++i) ctx.SetProgressPos(i);
    EXPECT_EQ(ctx.Values(RecordedCall::Pos), (std::vector<long long>{0, 1, 2, 3}));
}

TEST(Numeric, GuardedConversionTruncatesAndRejectsNonsense) {
    const struct { double in; int want; } cases[] = {
        {25.9, 25}, {-3.7, -3}, {0.0, 0}, {-9.2e18, 0}, {3e9, 0},
        {std::numeric_limits<double>::infinity(), 0}, {std::nan(""), 0}, {2147483647.0, 2147483647}};
    for (const auto& c : cases) EXPECT_EQ(ToIntOrZero(c.in), c.want) << c.in;
}

TEST(TempFiles, PrivateFolderIsOwnedAndClosedToOthers) {
    testmedia::TempDir dir;
    setenv("TMPDIR", dir.path().c_str(), 1);
    const TempFileSet t = MakeTempFileSet();
    ASSERT_FALSE(t.folder.empty());
    EXPECT_EQ(t.mjpeg, dir.path() + "/ambrelo-" + std::to_string(getuid()) + "/tmpAMB2.avi");
    struct stat st {};
    ASSERT_EQ(lstat(t.folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(t.Contains(t.audioRev));
    EXPECT_FALSE(t.Contains(dir.File("tmpAMB2.avi")));

    // A folder another process opened up (or a planted link) is refused, and a
    // fresh private folder serves instead.
    chmod(t.folder.c_str(), 0755);
    EXPECT_TRUE(PrivateTempFolder().empty());
    const TempFileSet other = MakeTempFileSet();
    ASSERT_FALSE(other.folder.empty());
    EXPECT_NE(other.folder, t.folder);
    ASSERT_EQ(lstat(other.folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    chmod(t.folder.c_str(), 0700);
    unsetenv("TMPDIR");
}

TEST(TempFiles, JobsRunningAtOnceNeverShareAFolder) {
    testmedia::TempDir dir;
    setenv("TMPDIR", dir.path().c_str(), 1);
    std::string firstFolder;
    {
        const TempFileSet first = ClaimTempFileSet();
        ASSERT_FALSE(first.folder.empty());
        firstFolder = first.folder;
        EXPECT_EQ(first.folder, PrivateTempFolder());

        const TempFileSet second = ClaimTempFileSet();
        ASSERT_FALSE(second.folder.empty());
        EXPECT_NE(second.folder, first.folder);
        struct stat st {};
        ASSERT_EQ(lstat(second.folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        second.RemoveAll();
        EXPECT_FALSE(testmedia::Exists(second.folder)) << "a folder of its own goes with its files";
    }
    // Once the first job is over its folder serves the next one.
    EXPECT_EQ(ClaimTempFileSet().folder, firstFolder);
    unsetenv("TMPDIR");
}
