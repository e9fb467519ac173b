// The rows of the reliability table that concern the window, on the offscreen
// platform with the save dialog and the message boxes answered by hooks: a
// file dropped from folders with spaces, accents and Chinese characters is
// reversed beside itself; a job that meets a fault (an output folder that
// cannot be written, a full disk, the input deleted after the probe) shows
// its error box and gives the window back idle, with the input untouched and
// no temporary file left.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include <QApplication>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

#include "app/file_dialogs.h"
#include "app/main_dlg.h"
#include "controls/hand_button.h"
#include "controls/message_box.h"
#include "engine/job_texts.h"
#include "settings/settings_store.h"
#include "tests/common/media.h"
#include "tests/controls/ui_test_util.h"
#include "tests/reliability/cli_fixture.h"

using testmedia::Quote;
using testmedia::TempDir;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Runs the event loop until done() holds; false when it never does (a guard
// against a hang, not a time limit).
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > 300000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QApplication::processEvents();
    return true;
}

class WindowRows : public testing::Test {
protected:
    static void SetUpTestSuite() {
        clips_ = new TempDir;
        ASSERT_TRUE(reltest::Ffmpeg(reltest::Ramp("160x120", 1) + " " + reltest::Tone(48000, 1) +
                                    " -c:v libx264 -pix_fmt yuv420p -c:a aac " + Quote(Clip())));
    }
    static void TearDownTestSuite() {
        delete clips_;
        clips_ = nullptr;
    }
    static std::string Clip() { return clips_->File("clip.mp4"); }

    void SetUp() override {
        ASSERT_EQ(setenv("TMPDIR", tmp_.path().c_str(), 1), 0);
        ClearStore();
        settings::WriteInt(settings::kLanguage, 0);
        settings::WriteInt(settings::kShowDebug, 1);
    }
    void TearDown() override {
        SetFileDialogHooks({}, {});
        unsetenv("TMPDIR");
    }

    // Drops `input` on the window, answers the save dialog with `output` (the
    // proposed name when empty), runs `beforeStart`, clicks reverse and waits
    // for the job's end.
    void RunJob(CAmbrelo2Dlg& dlg, const std::string& input, const std::string& output,
                const std::function<void()>& beforeStart = {}) {
        ASSERT_TRUE(DropFiles(&dlg, {Q(input)}));
        ASSERT_EQ(static_cast<QLabel*>(dlg.Item(CAmbrelo2Dlg::kFilePath))->text(), Q(input));
        ASSERT_TRUE(dlg.Button(CAmbrelo2Dlg::kReverse)->isEnabled());
        SetFileDialogHooks({}, [output](QWidget*, const SaveFileRequest& r) {
            return output.empty() ? r.proposedName : Q(output);
        });
        if (beforeStart) beforeStart();
        messages_.boxes.clear();
        QTest::mouseClick(dlg.Button(CAmbrelo2Dlg::kReverse), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return dlg.m_bBusy.load() == 0; }));
    }

    // The window is idle again: choose enabled, cancel disabled, the step label empty.
    static void ExpectIdle(const CAmbrelo2Dlg& dlg) {
        EXPECT_EQ(dlg.m_bBusy.load(), 0);
        EXPECT_TRUE(dlg.Button(CAmbrelo2Dlg::kChoose)->isEnabled());
        EXPECT_FALSE(dlg.Button(CAmbrelo2Dlg::kCancel)->isEnabled());
        EXPECT_EQ(static_cast<QLabel*>(dlg.Item(CAmbrelo2Dlg::kStep))->text(), "");
    }

    static TempDir* clips_;
    TempDir tmp_;
    TempDir work_;
    MessageRecorder messages_;  // the boxes the window showed
};
TempDir* WindowRows::clips_ = nullptr;

TEST_F(WindowRows, PathsWithSpacesAccentsAndChineseCharacters) {
    for (const std::string relative : {"a folder with spaces/my holiday clip.mp4", "vidéos d'été/élève à Noël ç.mp4",
                                       "视频文件夹/我的 视频.mp4"}) {
        SCOPED_TRACE(relative);
        const std::string input = work_.File(relative);
        std::filesystem::create_directories(std::filesystem::path(input).parent_path());
        std::filesystem::copy_file(Clip(), input);
        const std::string hash = testmedia::Sha256(input);
        CAmbrelo2Dlg dlg;
        dlg.show();
        RunJob(dlg, input, "");
        ASSERT_EQ(messages_.boxes.size(), 1u);
        EXPECT_EQ(messages_.boxes[0].text, "反向转换完成 !");
        ExpectIdle(dlg);
        const std::string output = input + ".rev.avi";
        ASSERT_TRUE(testmedia::Exists(output));
        const std::vector<int> in = testmedia::GreyLevels(input), out = testmedia::GreyLevels(output);
        ASSERT_EQ(out.size(), in.size());
        for (size_t i = 0; i < in.size(); ++i) EXPECT_NEAR(out[i], in[in.size() - 1 - i], 4) << "frame " << i;
        EXPECT_EQ(testmedia::Sha256(input), hash);
        reltest::ExpectNoTemporaryFile(tmp_.path());
    }
}

TEST_F(WindowRows, FaultsEndInTheirErrorBox) {
    const std::string notAFolder = work_.File("a file");
    std::ofstream(notAFolder) << "not a folder";
    // The full disk: room for half of the output, measured on a first run.
    std::string reference;
    {
        CAmbrelo2Dlg dlg;
        dlg.show();
        reference = work_.File("reference.avi");
        RunJob(dlg, Clip(), reference);
        ASSERT_EQ(messages_.boxes.size(), 1u);
    }
    // The small disk lives outside the job's temporary folder.
    unsetenv("TMPDIR");
    const bool mountable = reltest::CanMount();
    reltest::SmallDisk disk(mountable ? (testmedia::FileSize(reference) + 4095) / 4096 * 4096 / 2 : 4096);
    ASSERT_EQ(setenv("TMPDIR", tmp_.path().c_str(), 1), 0);

    const std::string going = work_.File("going.mp4");
    const struct {
        const char* name;
        std::string input;
        std::string output;
        bool deleteInput;
        const jobtext::ErrorText& error;
    } cases[] = {
        {"output folder not writable", Clip(), notAFolder + "/o.avi", false, jobtext::kError08},
        {"disk full", Clip(), disk.File("o.avi"), false, jobtext::kError08},
        {"input deleted after the probe", going, work_.File("gone.avi"), true, jobtext::kError05},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name) == "disk full" && !disk.mounted()) {
            std::printf("skipped (needs root to mount a small file system): %s\n", c.name);
            continue;
        }
        if (c.deleteInput) std::filesystem::copy_file(Clip(), going, std::filesystem::copy_options::overwrite_existing);
        const std::string hash = testmedia::Sha256(c.input);
        CAmbrelo2Dlg dlg;
        dlg.show();
        RunJob(dlg, c.input, c.output, [&] {
            if (c.deleteInput) std::filesystem::remove(c.input);
        });
        ASSERT_EQ(messages_.boxes.size(), 1u);
        EXPECT_EQ(messages_.boxes[0].text, QString::fromUtf8(c.error.box.def));
        EXPECT_EQ(messages_.boxes[0].caption, "Error");
        EXPECT_EQ(messages_.boxes[0].style, kMsgIconError);
        ExpectIdle(dlg);
        EXPECT_FALSE(dlg.m_strLog.find("* Process done !") != std::string::npos);
        EXPECT_NE(dlg.m_strLog.find(c.error.log.def), std::string::npos) << dlg.m_strLog;
        if (!c.deleteInput) {
            EXPECT_EQ(testmedia::Sha256(c.input), hash);
        }
        reltest::ExpectNoTemporaryFile(tmp_.path());
    }
}

}  // namespace
