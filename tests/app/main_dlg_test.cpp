// The main window on the offscreen platform, with the file dialogs and the
// message boxes answered by hooks: real jobs on clips made at test time,
// started, cancelled and closed through the window; the proposed names and
// refused outputs; the log panel; the first start; the label sets.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/file_dialogs.h"
#include "app/main_dlg.h"
#include "controls/hand_button.h"
#include "controls/hyper_link.h"
#include "controls/image_static.h"
#include "controls/message_box.h"
#include "controls/resources.h"
#include "engine/job_texts.h"
#include "engine/output_naming.h"
#include "engine/temp_files.h"
#include "settings/init_language_dlg.h"
#include "settings/options_dlg.h"
#include "settings/settings_store.h"
#include "tests/common/media.h"
#include "tests/controls/ui_test_util.h"

using testmedia::TempDir;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Runs the event loop until done() holds; false when it never does (a guard
// against a hang, not a time limit on the behaviour).
bool WaitFor(const std::function<bool()>& done, int guardMs = 300000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > guardMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QApplication::processEvents();
    return true;
}

// The state of one picture button: enabled, and the bitmap it shows.
struct ButtonState {
    bool enabled;
    int bitmap;
    bool operator==(const ButtonState&) const = default;
};
std::ostream& operator<<(std::ostream& os, const ButtonState& s) {
    return os << (s.enabled ? "enabled/" : "disabled/") << s.bitmap;
}

ButtonState StateOf(const CAmbrelo2Dlg& dlg, int id) {
    CHandButton* b = dlg.Button(id);
    const QImage shown = b->icon().pixmap(QSize(70, 70)).toImage().convertToFormat(QImage::Format_ARGB32);
    int bitmap = 0;
    for (int bmp = res::kBmpCancelActive; bmp <= res::kBmpReverseInactive; ++bmp)
        if (res::LoadBitmap(bmp).toImage().convertToFormat(QImage::Format_ARGB32) == shown) bitmap = bmp;
    return {b->isEnabled(), bitmap};
}

// Choose, Options, Reverse, Cancel.
std::vector<ButtonState> Buttons(const CAmbrelo2Dlg& dlg) {
    return {StateOf(dlg, CAmbrelo2Dlg::kChoose), StateOf(dlg, CAmbrelo2Dlg::kOptions),
            StateOf(dlg, CAmbrelo2Dlg::kReverse), StateOf(dlg, CAmbrelo2Dlg::kCancel)};
}
const std::vector<ButtonState> kIdleNoInput = {{true, 142}, {true, 143}, {false, 148}, {false, 145}};
const std::vector<ButtonState> kIdleWithInput = {{true, 142}, {true, 143}, {true, 144}, {false, 145}};
const std::vector<ButtonState> kBusy = {{false, 146}, {false, 147}, {false, 148}, {true, 141}};

QString LabelText(const CAmbrelo2Dlg& dlg, int id) { return static_cast<QLabel*>(dlg.Item(id))->text(); }
QString LogText(const CAmbrelo2Dlg& dlg) {
    return static_cast<QPlainTextEdit*>(dlg.Item(CAmbrelo2Dlg::kLog))->toPlainText();
}
QProgressBar* Progress(const CAmbrelo2Dlg& dlg) {
    return static_cast<QProgressBar*>(dlg.Item(CAmbrelo2Dlg::kProgress));
}

class MainWindow : public testing::Test {
protected:
    static void SetUpTestSuite() {
        clips_ = new TempDir;
        testmedia::ClipSpec sound;
        sound.seconds = 1.6;
        sound.sound = true;
        ASSERT_TRUE(testmedia::MakeClip(clips_->File("sound.mp4"), sound));
        testmedia::ClipSpec longer;
        longer.seconds = 8;
        ASSERT_TRUE(testmedia::MakeClip(clips_->File("long.mp4"), longer));
        testmedia::ClipSpec mts;
        mts.seconds = 0.4;
        mts.extra = "-f mpegts";
        ASSERT_TRUE(testmedia::MakeClip(clips_->File("holiday.MTS"), mts));
        ASSERT_EQ(testmedia::Run("echo 'not a video' > " + testmedia::Quote(clips_->File("notes.txt"))), 0);
    }
    static void TearDownTestSuite() {
        delete clips_;
        clips_ = nullptr;
    }

    void SetUp() override {
        ASSERT_EQ(setenv("TMPDIR", tmp_.path().c_str(), 1), 0);
        ClearStore();
        settings::WriteInt(settings::kLanguage, 0);
        settings::WriteInt(settings::kShowDebug, 1);
        SetMessageBoxHook([this](QWidget*, const QString& text, const QString& caption, int style) {
            boxes_.push_back({text, caption, style});
            if (onBox_) onBox_();
        });
    }
    void TearDown() override {
        SetMessageBoxHook({});
        SetFileDialogHooks({}, {});
        unsetenv("TMPDIR");
    }

    // Answers the save dialog with `answer` (the proposed name when null) and
    // keeps the request.
    void AnswerSave(std::function<QString(const SaveFileRequest&)> answer = nullptr) {
        SetFileDialogHooks({}, [this, answer](QWidget*, const SaveFileRequest& r) {
            saveRequests_.push_back(r);
            return answer ? answer(r) : r.proposedName;
        });
    }

    static std::string Clip(const char* name) { return clips_->File(name); }

    static TempDir* clips_;
    TempDir tmp_;
    TempDir out_;
    std::vector<MessageRecorder::Box> boxes_;
    std::function<void()> onBox_;
    std::vector<SaveFileRequest> saveRequests_;
};

TempDir* MainWindow::clips_ = nullptr;

TEST_F(MainWindow, WholeJobThroughTheWindow) {
    CAmbrelo2Dlg dlg;
    dlg.show();
    EXPECT_EQ(Buttons(dlg), kIdleNoInput);
    EXPECT_TRUE(dlg.acceptDrops());

    // Two files dropped: the first one only is probed.
    const std::string input = Clip("sound.mp4");
    ASSERT_TRUE(DropFiles(&dlg, {Q(input), Q(Clip("long.mp4"))}));
    const QString probed = LogText(dlg);
    EXPECT_TRUE(probed.startsWith(Q("* Openning file : " + input + "\n"))) << probed.toStdString();
    EXPECT_TRUE(probed.contains("   Video stream detected : size : 320x240 ; frame rate : 25.00 fps ; Total Frames : 40\n"
                                "   Total time of video : 1.60 s\n"
                                "   video compression codec : avc1\n"
                                "   Audio track detected\n"))
        << probed.toStdString();
    EXPECT_FALSE(probed.contains("long.mp4"));
    EXPECT_EQ(LabelText(dlg, CAmbrelo2Dlg::kInfo), "320x240    25.00 fps     1.60 s");
    EXPECT_EQ(LabelText(dlg, CAmbrelo2Dlg::kFilePath), Q(input));
    EXPECT_EQ(Buttons(dlg), kIdleWithInput);

    // The end message arrives while the job still holds the busy state; the
    // clean-up runs only once it is closed.
    std::vector<ButtonState> atEndBox;
    int busyAtEndBox = -1;
    bool acceptedDropDuringJob = true;
    bool outputWrittenAtEndBox = false;
    onBox_ = [&] {
        atEndBox = Buttons(dlg);
        busyAtEndBox = dlg.m_bBusy.load();
        acceptedDropDuringJob = dlg.acceptDrops() || DropFiles(&dlg, {Q(Clip("long.mp4"))});
        outputWrittenAtEndBox = testmedia::Exists(input + ".rev.avi");
    };
    AnswerSave();
    QTest::mouseClick(dlg.Button(CAmbrelo2Dlg::kReverse), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return dlg.m_bBusy.load() == 0; }));

    ASSERT_EQ(saveRequests_.size(), 1u);
    EXPECT_EQ(saveRequests_[0].proposedName, Q(input + ".rev.avi"));
    EXPECT_EQ(saveRequests_[0].defaultSuffix, "avi");
    EXPECT_EQ(saveRequests_[0].filters, (QStringList{"avi files (*.avi)", "all files (*)"}));

    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "反向转换完成 !");
    EXPECT_EQ(boxes_[0].caption, "成功!");
    EXPECT_EQ(boxes_[0].style, 0);
    EXPECT_EQ(atEndBox, kBusy);
    EXPECT_EQ(busyAtEndBox, 1);
    EXPECT_FALSE(acceptedDropDuringJob);
    EXPECT_TRUE(outputWrittenAtEndBox);
    EXPECT_EQ(dlg.m_strInputPath, input);

    // Idle again, with the clean-up's traces.
    EXPECT_EQ(Buttons(dlg), kIdleWithInput);
    EXPECT_TRUE(dlg.acceptDrops());
    EXPECT_EQ(LabelText(dlg, CAmbrelo2Dlg::kStep), "");
    EXPECT_EQ(Progress(dlg)->maximum(), 10);
    EXPECT_EQ(Progress(dlg)->value(), 0);
    EXPECT_FALSE(static_cast<CImageStatic*>(dlg.Item(CAmbrelo2Dlg::kPreview))->HasImage());
    const QString log = LogText(dlg);
    EXPECT_FALSE(log.contains('\r'));
    EXPECT_TRUE(log.endsWith("* Process done !\n")) << log.toStdString();
    EXPECT_EQ(Q(dlg.m_strLog).remove('\r'), log);

    // The output runs backwards, picture and sound.
    const std::string out = input + ".rev.avi";
    const std::vector<int> in = testmedia::GreyLevels(input);
    const std::vector<int> grey = testmedia::GreyLevels(out);
    ASSERT_EQ(grey.size(), in.size());
    for (size_t i = 0; i < in.size(); ++i) EXPECT_NEAR(grey[i], in[in.size() - 1 - i], 4) << "frame " << i;
    const auto env = testmedia::Envelope(testmedia::DecodeAudio(out), 4);
    ASSERT_EQ(env.size(), 4u);
    EXPECT_GT(env[0], env[3] * 1.5) << "the sound should fall away";
    std::remove(out.c_str());
}

// A cancel or a close attempt made while the job reports its progress.
struct StopCase {
    const char* name;
    std::function<void(CAmbrelo2Dlg&)> stop;
};

void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

class StopDuringJob : public MainWindow, public testing::WithParamInterface<StopCase> {};

TEST_P(StopDuringJob, StopsAtTheNextCheckAndCleansUp) {
    const bool closing = std::string(GetParam().name) != "CancelButton";
    CAmbrelo2Dlg dlg;
    dlg.show();
    ASSERT_TRUE(DropFiles(&dlg, {Q(Clip("long.mp4"))}));
    const std::string out = out_.File("long.avi");
    AnswerSave([&](const SaveFileRequest&) { return Q(out); });

    bool stopped = false, visibleAfterStop = false;
    int busyWhenFinished = -1;
    QObject::connect(Progress(dlg), &QProgressBar::valueChanged, &dlg, [&](int v) {
        if (stopped || v < 10) return;
        stopped = true;
        GetParam().stop(dlg);
        visibleAfterStop = dlg.isVisible();
    });
    QObject::connect(&dlg, &QDialog::finished, &dlg, [&] { busyWhenFinished = dlg.m_bBusy.load(); });
    QTest::mouseClick(dlg.Button(CAmbrelo2Dlg::kReverse), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return dlg.m_bBusy.load() == 0; }));
    ASSERT_TRUE(stopped);
    EXPECT_TRUE(visibleAfterStop);

    EXPECT_EQ(LabelText(dlg, CAmbrelo2Dlg::kStep), "Canceled...");
    EXPECT_TRUE(LogText(dlg).endsWith("* Process canceled by user !\n")) << LogText(dlg).toStdString();
    EXPECT_FALSE(testmedia::Exists(out));
    EXPECT_TRUE(boxes_.empty());
    if (closing) {
        // The window closes at a retry once the clean-up has ended.
        ASSERT_TRUE(WaitFor([&] { return !dlg.isVisible(); }));
        EXPECT_EQ(busyWhenFinished, 0);
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
    } else {
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(Buttons(dlg), kIdleWithInput);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ways, StopDuringJob,
    testing::Values(
        StopCase{"CancelButton",
                 [](CAmbrelo2Dlg& d) { QTest::mouseClick(d.Button(CAmbrelo2Dlg::kCancel), Qt::LeftButton); }},
        StopCase{"CloseBox", [](CAmbrelo2Dlg& d) { d.close(); }},
        StopCase{"Escape", [](CAmbrelo2Dlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        StopCase{"Enter", [](CAmbrelo2Dlg& d) { QTest::keyClick(&d, Qt::Key_Return); }}),
    [](const testing::TestParamInfo<StopCase>& i) { return std::string(i.param.name); });

TEST_F(MainWindow, EnterAndEscapeCloseTheIdleWindow) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        CAmbrelo2Dlg dlg;
        dlg.show();
        QTest::keyClick(&dlg, key);
        EXPECT_FALSE(dlg.isVisible()) << key;
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_EQ(dlg.m_bCancel.load(), 1);
    }
}

TEST_F(MainWindow, SaveDialogFollowsTheSettingsReadAtEachClick) {
    struct Case {
        int format, replaceMts;
        const char* suffix;
    };
    const Case cases[] = {{1, 1, "mov"}, {1, 0, "mts"}, {3, 1, "mp4"}, {2, 1, "wmv"}, {0, 0, "avi"}};
    const std::string input = Clip("holiday.MTS");
    CAmbrelo2Dlg dlg;
    dlg.show();
    ASSERT_TRUE(DropFiles(&dlg, {Q(input)}));
    const QString log = LogText(dlg);
    AnswerSave([](const SaveFileRequest&) { return QString(); });  // the user cancels
    for (const Case& c : cases) {
        SCOPED_TRACE(c.suffix);
        settings::WriteInt(settings::kOutputFormat, c.format);
        settings::WriteInt(settings::kReplaceMTS, c.replaceMts);
        saveRequests_.clear();
        QTest::mouseClick(dlg.Button(CAmbrelo2Dlg::kReverse), Qt::LeftButton);
        ASSERT_EQ(saveRequests_.size(), 1u);
        EXPECT_EQ(saveRequests_[0].proposedName, Q(input + ".rev." + c.suffix));
        EXPECT_EQ(saveRequests_[0].defaultSuffix, c.suffix);
        EXPECT_EQ(saveRequests_[0].filters,
                  (QStringList{QString("%1 files (*.%1)").arg(c.suffix), "all files (*)"}));
        // A cancelled save dialog starts nothing.
        QApplication::processEvents();
        EXPECT_EQ(dlg.m_bBusy.load(), 0);
        EXPECT_EQ(Buttons(dlg), kIdleWithInput);
        EXPECT_EQ(LogText(dlg), log);
    }
}

TEST_F(MainWindow, AnOutputThatWouldDestroyTheInputOrATemporaryFileIsRefused) {
    const std::string input = Clip("sound.mp4");
    const std::string inputHash = testmedia::Sha256(input);
    const TempFileSet temps = MakeTempFileSet();
    const std::string audioStem = temps.audio.substr(0, temps.audio.size() - 4);  // + ".wav" is the extracted sound
    struct Case {
        std::string output;
        int soundOption;
        OutputConflict conflict;
    };
    const Case cases[] = {{input, 1, OutputConflict::SameAsInput},
                          {temps.reversed, 1, OutputConflict::TemporaryFile},
                          {temps.mjpeg, 0, OutputConflict::TemporaryFile},
                          {audioStem, 2, OutputConflict::TemporaryFile}};
    CAmbrelo2Dlg dlg;
    dlg.show();
    ASSERT_TRUE(DropFiles(&dlg, {Q(input)}));
    const QString log = LogText(dlg);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        settings::WriteInt(settings::kSoundOption, c.soundOption);
        boxes_.clear();
        AnswerSave([&](const SaveFileRequest&) { return Q(c.output); });
        QTest::mouseClick(dlg.Button(CAmbrelo2Dlg::kReverse), Qt::LeftButton);
        QApplication::processEvents();
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].text, QString::fromUtf8(OutputConflictMessage(c.conflict, 0)));
        EXPECT_EQ(boxes_[0].caption, "Error");
        EXPECT_EQ(boxes_[0].style, kMsgIconError);
        EXPECT_EQ(dlg.m_bBusy.load(), 0);
        EXPECT_EQ(Buttons(dlg), kIdleWithInput);
        EXPECT_EQ(LogText(dlg), log);
    }
    EXPECT_EQ(testmedia::Sha256(input), inputHash);
}

TEST_F(MainWindow, ChooseDropRejectAndStartFile) {
    CAmbrelo2Dlg dlg;
    dlg.OpenAtStart(Q(Clip("sound.mp4")));
    dlg.show();
    // The file given at start is probed once the window shows.
    ASSERT_TRUE(WaitFor([&] { return dlg.Button(CAmbrelo2Dlg::kReverse)->isEnabled(); }));
    EXPECT_EQ(LabelText(dlg, CAmbrelo2Dlg::kFilePath), Q(Clip("sound.mp4")));

    // A cancelled open dialog changes nothing; its filters are those of the language.
    std::vector<OpenFileRequest> opens;
    QString answer;
    SetFileDialogHooks([&](QWidget*, const OpenFileRequest& r) {
        opens.push_back(r);
        return answer;
    }, {});
    const QString log = LogText(dlg);
    QTest::mouseClick(dlg.Button(CAmbrelo2Dlg::kChoose), Qt::LeftButton);
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].filters,
              (QStringList{"video files (*.wmv *.mov *.avi *.mts *.mp4 *.3GP)", "All files (*)"}));
    EXPECT_EQ(LogText(dlg), log);
    EXPECT_EQ(LabelText(dlg, CAmbrelo2Dlg::kInfo), "320x240    25.00 fps     1.60 s");

    // A file that is not a video: error 01, labels emptied, reverse disabled.
    answer = Q(Clip("notes.txt"));
    QTest::mouseClick(dlg.Button(CAmbrelo2Dlg::kChoose), Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Error 01 : This file seems not to be a valid video file...");
    EXPECT_EQ(boxes_[0].style, kMsgIconError);
    EXPECT_EQ(LabelText(dlg, CAmbrelo2Dlg::kFilePath), "");
    EXPECT_EQ(LabelText(dlg, CAmbrelo2Dlg::kInfo), "");
    EXPECT_EQ(dlg.m_strInputPath, "");
    EXPECT_EQ(Buttons(dlg), kIdleNoInput);
    EXPECT_TRUE(LogText(dlg).endsWith(
        "* Error 01 : This file seems not to be a valid video file : No video stream detected\n"));

    // A video chosen again enables reverse again.
    answer = Q(Clip("holiday.MTS"));
    QTest::mouseClick(dlg.Button(CAmbrelo2Dlg::kChoose), Qt::LeftButton);
    EXPECT_EQ(Buttons(dlg), kIdleWithInput);
    EXPECT_EQ(LabelText(dlg, CAmbrelo2Dlg::kFilePath), Q(Clip("holiday.MTS")));
}

// Runs `drive` on the next modal dialog once it is open, then returns.
void OnNextModal(std::function<void(QWidget*)> drive) {
    QTimer::singleShot(0, [drive] {
        QWidget* w = QApplication::activeModalWidget();
        drive(w);
    });
}

TEST_F(MainWindow, LogPanelFollowsShowDebug) {
    // Shown at start: the template's layout.
    CAmbrelo2Dlg shown;
    shown.show();
    const QWidget* const footer[] = {shown.Item(CAmbrelo2Dlg::kWebLink), shown.Item(CAmbrelo2Dlg::kDonate),
                                     shown.Item(CAmbrelo2Dlg::kFacebook), shown.Item(CAmbrelo2Dlg::kGooglePlus),
                                     shown.Item(CAmbrelo2Dlg::kThanks)};
    const int ids[] = {CAmbrelo2Dlg::kWebLink, CAmbrelo2Dlg::kDonate, CAmbrelo2Dlg::kFacebook,
                       CAmbrelo2Dlg::kGooglePlus, CAmbrelo2Dlg::kThanks};

    settings::WriteInt(settings::kShowDebug, 0);
    CAmbrelo2Dlg dlg;
    dlg.show();
    auto expectLayout = [&](int shift) {
        EXPECT_EQ(dlg.height(), shown.height() - shift);
        EXPECT_EQ(dlg.width(), shown.width());
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(dlg.Item(ids[i])->geometry(), footer[i]->geometry().translated(0, -shift)) << ids[i];
        EXPECT_EQ(dlg.Item(CAmbrelo2Dlg::kPreview)->geometry(), shown.Item(CAmbrelo2Dlg::kPreview)->geometry());
        EXPECT_EQ(dlg.Item(CAmbrelo2Dlg::kLog)->isVisible(), shift == 0);
    };
    SCOPED_TRACE("hidden at first showing");
    expectLayout(CAmbrelo2Dlg::kPanelStep);

    // A hidden panel still receives the log.
    dlg.AppendLog("   written while hidden\r\n");
    EXPECT_TRUE(LogText(dlg).endsWith("   written while hidden\n"));

    // Options closed with OK and no change: nothing moves.
    OnNextModal([](QWidget* w) {
        QTest::mouseClick(static_cast<COptionsDlg*>(w)->Item(COptionsDlg::IDOK), Qt::LeftButton);
    });
    QTest::mouseClick(dlg.Button(CAmbrelo2Dlg::kOptions), Qt::LeftButton);
    expectLayout(CAmbrelo2Dlg::kPanelStep);

    // Options with the debug box ticked: the panel and the footer come back.
    OnNextModal([](QWidget* w) {
        auto* o = qobject_cast<COptionsDlg*>(w);
        ASSERT_NE(o, nullptr);
        static_cast<QCheckBox*>(o->Item(COptionsDlg::kShowDebug))->setChecked(true);
        QTest::mouseClick(static_cast<QWidget*>(o->Item(COptionsDlg::IDOK)), Qt::LeftButton);
    });
    QTest::mouseClick(dlg.Button(CAmbrelo2Dlg::kOptions), Qt::LeftButton);
    expectLayout(0);
    EXPECT_TRUE(LogText(dlg).endsWith("   written while hidden\n"));
    EXPECT_EQ(settings::ReadInt(settings::kShowDebug, 0), 1);

    // Options cancelled after other choices: nothing changes.
    OnNextModal([](QWidget* w) {
        auto* o = static_cast<COptionsDlg*>(w);
        static_cast<QCheckBox*>(o->Item(COptionsDlg::kShowDebug))->setChecked(false);
        o->reject();
    });
    QTest::mouseClick(dlg.Button(CAmbrelo2Dlg::kOptions), Qt::LeftButton);
    expectLayout(0);
}

TEST_F(MainWindow, FirstStartShowsTheChooserBeforeTheWindow) {
    ClearStore();
    CAmbrelo2Dlg dlg;
    bool chooserSeen = false, windowVisibleThen = true;
    OnNextModal([&](QWidget* w) {
        auto* chooser = qobject_cast<CInitLanguageDlg*>(w);
        if (!chooser) return;
        chooserSeen = true;
        windowVisibleThen = dlg.isVisible();
        QTest::mouseClick(chooser->FlagButton(CInitLanguageDlg::kFlagItaly), Qt::LeftButton);
    });
    dlg.show();
    EXPECT_TRUE(chooserSeen);
    EXPECT_FALSE(windowVisibleThen);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(settings::ReadInt(settings::kLanguage, -1), 2);
    EXPECT_EQ(dlg.Button(CAmbrelo2Dlg::kReverse)->Tip(), "Rovescia il video !");
    EXPECT_EQ(LabelText(dlg, CAmbrelo2Dlg::kThanks), "Grazie al traduttore italiano !");
}

TEST_F(MainWindow, LabelSetsOfTheLanguages) {
    struct Case {
        int language;
        const char *options, *reverse, *cancel, *web, *donate;
        bool thanks;
    };
    const char* en = "https://quillon.example/en/";
    const char* fr = "https://quillon.example/fr/";
    const char* it = "https://quillon.example/it/";
    const Case cases[] = {{0, "选项", "开始反向转换", "取消", en, en, false},
                          {1, "选项", "Retourner la vidéo !", "Annuler !", fr, fr, false},
                          {2, "Opzioni", "Rovescia il video !", "Annulla !", it, en, true},
                          {3, "Opciones", "¡Invertir el vídeo!", "¡Cancelar¡", fr, en, true},
                          {7, "选项", "开始反向转换", "取消", en, en, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        settings::WriteInt(settings::kLanguage, c.language);
        CAmbrelo2Dlg dlg;
        dlg.show();
        EXPECT_EQ(dlg.Button(CAmbrelo2Dlg::kOptions)->Tip(), QString::fromUtf8(c.options));
        EXPECT_EQ(dlg.Button(CAmbrelo2Dlg::kReverse)->Tip(), QString::fromUtf8(c.reverse));
        EXPECT_EQ(dlg.Button(CAmbrelo2Dlg::kCancel)->Tip(), QString::fromUtf8(c.cancel));
        auto* web = static_cast<CHyperLink*>(dlg.Item(CAmbrelo2Dlg::kWebLink));
        auto* donate = static_cast<CImageStatic*>(dlg.Item(CAmbrelo2Dlg::kDonate));
        auto* facebook = static_cast<CImageStatic*>(dlg.Item(CAmbrelo2Dlg::kFacebook));
        EXPECT_TRUE(web->Target().startsWith(c.web)) << web->Target().toStdString();
        EXPECT_EQ(web->text(), res::kMakerAddress);
        EXPECT_TRUE(donate->Target().startsWith(c.donate)) << donate->Target().toStdString();
        EXPECT_TRUE(donate->HasImage());
        EXPECT_FALSE(facebook->Target().contains("://"));
        EXPECT_TRUE(facebook->HasImage());
        // The thanks line, when there is one, stays clear of the donation picture.
        auto* thanks = static_cast<QLabel*>(dlg.Item(CAmbrelo2Dlg::kThanks));
        EXPECT_EQ(thanks->text().isEmpty(), !c.thanks);
        const int textWidth = thanks->fontMetrics().horizontalAdvance(thanks->text());
        const int centre = thanks->geometry().center().x();
        EXPECT_LE(centre + textWidth / 2, donate->geometry().left()) << thanks->text().toStdString();
    }
}

TEST_F(MainWindow, VersionEntryAndF1OpenTheAboutBox) {
    CAmbrelo2Dlg dlg;
    dlg.show();
    QStringList titles;
    auto closeAbout = [&](QWidget* w) {
        if (!w) return;
        titles << w->windowTitle();
        static_cast<QDialog*>(w)->accept();
    };
    OnNextModal(closeAbout);
    QTest::keyClick(&dlg, Qt::Key_F1);

    // The context menu's "Version" entry.
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions()[0]->text(), "Version");
        OnNextModal(closeAbout);
        menu->actions()[0]->trigger();
        menu->close();
    });
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), dlg.mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(&dlg, &e);
    QApplication::processEvents();
    EXPECT_EQ(titles, (QStringList{"Ambrelo 2", "Ambrelo 2"}));
    EXPECT_TRUE(dlg.isVisible());
}

}  // namespace
