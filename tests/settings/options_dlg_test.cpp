#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "settings/options_dlg.h"
#include "settings/settings_store.h"
#include "tests/controls/ui_test_util.h"

namespace {

class OptionsDialog : public testing::Test {
protected:
    void SetUp() override { ClearStore(); }

    static QAbstractButton* Button(COptionsDlg& d, int id) { return static_cast<QAbstractButton*>(d.Item(id)); }
    static QString Text(COptionsDlg& d, int id) {
        if (auto* g = qobject_cast<QGroupBox*>(d.Item(id))) return g->title();
        return Button(d, id)->text();
    }
    static QLineEdit* Edit(COptionsDlg& d) { return static_cast<QLineEdit*>(d.Item(COptionsDlg::kBitrateEdit)); }
    static bool Enabled(COptionsDlg& d, int id) { return d.Item(id)->isEnabled(); }
    static void Store(const char* name, int v) { settings::WriteInt(name, v); }
    static int Stored(const char* name) { return StoredValues().at(QString::fromUtf8(name)).toInt(); }
    static bool IsStored(const char* name) { return StoredValues().count(QString::fromUtf8(name)) != 0; }

    // Clicks OK on a shown dialog; true when the dialog closed accepting.
    static bool ClickOk(COptionsDlg& d) {
        Button(d, COptionsDlg::IDOK)->click();
        return !d.isVisible() && d.result() == QDialog::Accepted;
    }

    MessageRecorder messages;
};

const int kBitrateControls[] = {COptionsDlg::kBitrateEdit, COptionsDlg::kBitrateUnit, COptionsDlg::kPresetFullHdHigh,
                                COptionsDlg::kPresetFullHdStd, COptionsDlg::kPreset720p};

}  // namespace

TEST_F(OptionsDialog, NothingStoredShowsTheDefaults) {
    COptionsDlg d;
    EXPECT_EQ(Text(d, COptionsDlg::kLangDefault), QString("中文"));
    EXPECT_EQ(Text(d, 1014), QString("界面语言"));
    EXPECT_EQ(Text(d, COptionsDlg::IDCANCEL), QString("&Cancel"));
    EXPECT_EQ(Text(d, COptionsDlg::kSoundReverse), QString("反转声音"));
    EXPECT_EQ(Text(d, COptionsDlg::kFormatAvi), QString("MJPEG avi 文件(更大的文件)"));
    EXPECT_EQ(static_cast<QLabel*>(d.Item(COptionsDlg::kBitrateUnit))->text(), QString("Kbits / s"));

    EXPECT_TRUE(Button(d, COptionsDlg::kLangDefault)->isChecked());
    EXPECT_TRUE(Button(d, COptionsDlg::kSoundReverse)->isChecked());
    EXPECT_TRUE(Button(d, COptionsDlg::kFormatAvi)->isChecked());
    EXPECT_EQ(Edit(d)->text(), QString("24000"));
    EXPECT_TRUE(Button(d, COptionsDlg::kFast)->isChecked());
    EXPECT_TRUE(Button(d, COptionsDlg::kSameBitrate)->isChecked());
    EXPECT_FALSE(Button(d, COptionsDlg::kReplaceH264)->isChecked());
    EXPECT_FALSE(Button(d, COptionsDlg::kShowDebug)->isChecked());
    EXPECT_TRUE(Button(d, COptionsDlg::kReplaceMts)->isChecked());

    for (int id : kBitrateControls) EXPECT_FALSE(Enabled(d, id)) << id;
    for (int id : {COptionsDlg::kSameBitrate, COptionsDlg::kReplaceH264, COptionsDlg::kReplaceMts})
        EXPECT_FALSE(Enabled(d, id)) << id;
    for (int id : {COptionsDlg::kShowDebug, COptionsDlg::kSoundRemove, COptionsDlg::kSoundKeep, COptionsDlg::kSlow,
                   COptionsDlg::kFast, COptionsDlg::kFormatMp4, COptionsDlg::kLangSpanish})
        EXPECT_TRUE(Enabled(d, id)) << id;
}

TEST_F(OptionsDialog, ShowsTheStoredValues) {
    Store(settings::kLanguage, 2);
    Store(settings::kSoundOption, 3);
    Store(settings::kOutputFormat, 1);
    Store(settings::kBitrate, 777);
    Store(settings::kFastComputation, 0);
    Store(settings::kBitrateSameAsInput, 0);
    Store(settings::kReplaceH264, 1);
    Store(settings::kShowDebug, 1);
    Store(settings::kReplaceMTS, 0);
    COptionsDlg d;
    EXPECT_EQ(Text(d, COptionsDlg::kLangDefault), QString("Inglese"));
    EXPECT_TRUE(Button(d, COptionsDlg::kLangItalian)->isChecked());
    EXPECT_TRUE(Button(d, COptionsDlg::kSoundKeep)->isChecked());
    EXPECT_TRUE(Button(d, COptionsDlg::kFormatSame)->isChecked());
    EXPECT_EQ(Edit(d)->text(), QString("777"));
    EXPECT_TRUE(Button(d, COptionsDlg::kSlow)->isChecked());
    EXPECT_FALSE(Button(d, COptionsDlg::kSameBitrate)->isChecked());
    EXPECT_TRUE(Button(d, COptionsDlg::kReplaceH264)->isChecked());
    EXPECT_TRUE(Button(d, COptionsDlg::kShowDebug)->isChecked());
    EXPECT_FALSE(Button(d, COptionsDlg::kReplaceMts)->isChecked());
    for (int id : kBitrateControls) EXPECT_TRUE(Enabled(d, id)) << id;
}

TEST_F(OptionsDialog, FormatAndSameBitrateDriveTheEnabling) {
    COptionsDlg d;
    Button(d, COptionsDlg::kFormatSame)->click();
    for (int id : {COptionsDlg::kSameBitrate, COptionsDlg::kReplaceH264, COptionsDlg::kReplaceMts})
        EXPECT_TRUE(Enabled(d, id)) << id;
    for (int id : kBitrateControls) EXPECT_FALSE(Enabled(d, id)) << id;

    Button(d, COptionsDlg::kSameBitrate)->click();  // unticked
    for (int id : kBitrateControls) EXPECT_TRUE(Enabled(d, id)) << id;

    Button(d, COptionsDlg::kFormatWmv)->click();
    EXPECT_FALSE(Enabled(d, COptionsDlg::kReplaceH264));
    EXPECT_FALSE(Enabled(d, COptionsDlg::kReplaceMts));
    EXPECT_TRUE(Enabled(d, COptionsDlg::kSameBitrate));
    for (int id : kBitrateControls) EXPECT_TRUE(Enabled(d, id)) << id;

    Button(d, COptionsDlg::kFormatAvi)->click();
    EXPECT_FALSE(Enabled(d, COptionsDlg::kSameBitrate));
    for (int id : kBitrateControls) EXPECT_FALSE(Enabled(d, id)) << id;
    EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(OptionsDialog, PresetsFillTheBitrate) {
    COptionsDlg d;
    Button(d, COptionsDlg::kFormatMp4)->click();
    Button(d, COptionsDlg::kSameBitrate)->click();
    const std::pair<int, const char*> presets[] = {
        {COptionsDlg::kPresetFullHdHigh, "48000"}, {COptionsDlg::kPresetFullHdStd, "24000"}, {COptionsDlg::kPreset720p, "10000"}};
    for (const auto& [id, text] : presets) {
        Edit(d)->setText("123");
        Button(d, id)->click();
        EXPECT_EQ(Edit(d)->text(), QString(text)) << id;
    }
    EXPECT_FALSE(Button(d, COptionsDlg::kSameBitrate)->isChecked()) << "the other controls keep their state";
    EXPECT_TRUE(Button(d, COptionsDlg::kFormatMp4)->isChecked());
}

TEST_F(OptionsDialog, LanguageRadiosRelabelAtOnce) {
    COptionsDlg d;
    Button(d, COptionsDlg::kLangFrench)->click();
    EXPECT_EQ(Text(d, COptionsDlg::kLangDefault), QString("Anglais"));
    EXPECT_EQ(Text(d, COptionsDlg::IDCANCEL), QString("&Annuler"));
    EXPECT_EQ(Text(d, COptionsDlg::kSlow), QString("Lente (mais sure)"));
    EXPECT_EQ(Text(d, COptionsDlg::kFast), QString("Rapide (si pb, prenez lente)"));
    EXPECT_EQ(Text(d, 1014), QString("Langue"));

    Button(d, COptionsDlg::kLangItalian)->click();
    EXPECT_EQ(Text(d, COptionsDlg::kLangDefault), QString("Inglese"));
    EXPECT_EQ(Text(d, COptionsDlg::kLangItalian), QString("Italiano"));
    EXPECT_EQ(Text(d, COptionsDlg::IDCANCEL), QString("&Annulla"));
    EXPECT_EQ(Text(d, COptionsDlg::kSlow), QString("Lento (Scegli questa opzione se non sei sicuro)"));

    Button(d, COptionsDlg::kLangSpanish)->click();
    EXPECT_EQ(Text(d, COptionsDlg::kLangDefault), QString("Inglés"));
    EXPECT_EQ(Text(d, COptionsDlg::IDCANCEL), QString("&Cancelar"));
    EXPECT_EQ(Text(d, COptionsDlg::kFast), QString("Rápido (si no son buenos, elija Lento)"));

    Button(d, COptionsDlg::kLangDefault)->click();
    EXPECT_EQ(Text(d, COptionsDlg::kLangDefault), QString("中文"));
    EXPECT_EQ(Text(d, COptionsDlg::kSlow), QString("慢速(更清晰)"));
    EXPECT_EQ(Text(d, COptionsDlg::IDOK), QString("&Ok"));
}

TEST_F(OptionsDialog, BitrateRangeForWmvAndMp4) {
    struct Case {
        int format;
        const char* bitrate;
        bool sameTicked;
        int languageRadio;
        bool saved;
        const char* message;
        const char* caption;
    };
    const Case cases[] = {
        {COptionsDlg::kFormatWmv, "10", false, COptionsDlg::kLangDefault, false,
         "Please set a bitrate for output video between 10 and 100000 Kbits/s", "Error"},
        {COptionsDlg::kFormatWmv, "11", false, COptionsDlg::kLangDefault, true, nullptr, nullptr},
        {COptionsDlg::kFormatMp4, "99999", false, COptionsDlg::kLangDefault, true, nullptr, nullptr},
        {COptionsDlg::kFormatMp4, "100000", false, COptionsDlg::kLangDefault, false,
         "Please set a bitrate for output video between 10 and 100000 Kbits/s", "Error"},
        // The language selected in the dialog, not the one in use.
        {COptionsDlg::kFormatWmv, "5", false, COptionsDlg::kLangFrench, false,
         "Merci d'entrer un débit vidéo compris entre 10 et 100000 Kbits/s", "Erreur"},
        {COptionsDlg::kFormatWmv, "0", false, COptionsDlg::kLangItalian, false,
         "Imposta un bitrate per il video output da 10 a 100000 Kbit/s", "Errore"},
        {COptionsDlg::kFormatMp4, "100001", false, COptionsDlg::kLangSpanish, false,
         "Por favor fije la velocidad en bits por segundo entre 10 y 100000 Kbits/s", "Error"},
        // Checked even with the same-as-input box ticked.
        {COptionsDlg::kFormatMp4, "100000", true, COptionsDlg::kLangDefault, false,
         "Please set a bitrate for output video between 10 and 100000 Kbits/s", "Error"},
        // No check for the Motion-JPEG and same-as-input formats.
        {COptionsDlg::kFormatSame, "5", false, COptionsDlg::kLangDefault, true, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << " bitrate " << c.bitrate);
        ClearStore();
        messages.boxes.clear();
        COptionsDlg d;
        d.show();
        Button(d, c.format)->click();
        if (!c.sameTicked) Button(d, COptionsDlg::kSameBitrate)->click();
        Edit(d)->setText(c.bitrate);
        Button(d, c.languageRadio)->click();
        EXPECT_EQ(ClickOk(d), c.saved);
        if (c.saved) {
            EXPECT_TRUE(messages.boxes.empty());
            EXPECT_EQ(Stored(settings::kBitrate), QString(c.bitrate).toInt());
            EXPECT_EQ(Stored(settings::kBitrateSameAsInput), 0);
        } else {
            ASSERT_EQ(messages.boxes.size(), 1u);
            EXPECT_EQ(messages.boxes[0].text, QString(c.message));
            EXPECT_EQ(messages.boxes[0].caption, QString(c.caption));
            EXPECT_EQ(messages.boxes[0].style, 0x10);
            EXPECT_TRUE(StoredValues().empty());
            EXPECT_TRUE(d.isVisible()) << "the dialog stays open";
            EXPECT_EQ(Edit(d)->text(), QString(c.bitrate)) << "and keeps its values";
        }
    }
}

TEST_F(OptionsDialog, BitrateThatIsNotAnUnsignedIntegerSavesNothing) {
    for (const char* text : {"", "abc", "99999999999"}) {
        SCOPED_TRACE(text);
        messages.boxes.clear();
        COptionsDlg d;
        d.show();
        Button(d, COptionsDlg::kShowDebug)->click();
        Edit(d)->setText(text);
        EXPECT_FALSE(ClickOk(d));
        ASSERT_EQ(messages.boxes.size(), 1u);
        EXPECT_EQ(messages.boxes[0].text, QString("Enter a positive integer."));
        EXPECT_TRUE(StoredValues().empty());
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.m_bShowDebug, 0) << "members after the box are not read";
    }
}

TEST_F(OptionsDialog, MotionJpegOutputLeavesTheBitrateValuesAlone) {
    Store(settings::kOutputFormat, 3);
    Store(settings::kBitrate, 5000);
    Store(settings::kBitrateSameAsInput, 0);
    COptionsDlg d;
    d.show();
    Button(d, COptionsDlg::kFormatAvi)->click();
    Edit(d)->setText("777");
    static_cast<QAbstractButton*>(d.Item(COptionsDlg::kSameBitrate))->setChecked(true);
    Button(d, COptionsDlg::kSoundRemove)->click();
    Button(d, COptionsDlg::kSlow)->click();
    Button(d, COptionsDlg::kShowDebug)->click();
    ASSERT_TRUE(ClickOk(d));
    EXPECT_EQ(Stored(settings::kOutputFormat), 0);
    EXPECT_EQ(Stored(settings::kBitrate), 5000);
    EXPECT_EQ(Stored(settings::kBitrateSameAsInput), 0);
    EXPECT_EQ(Stored(settings::kLanguage), 0);
    EXPECT_EQ(Stored(settings::kSoundOption), 0);
    EXPECT_EQ(Stored(settings::kFastComputation), 0);
    EXPECT_EQ(Stored(settings::kReplaceH264), 0);
    EXPECT_EQ(Stored(settings::kShowDebug), 1);
    EXPECT_EQ(Stored(settings::kReplaceMTS), 1);
    EXPECT_EQ(StoredValues().size(), 9u);
}

TEST_F(OptionsDialog, SameAsInputTickedLeavesTheBitrateAlone) {
    COptionsDlg d;
    d.show();
    Button(d, COptionsDlg::kFormatSame)->click();
    ASSERT_TRUE(ClickOk(d));
    EXPECT_EQ(Stored(settings::kBitrateSameAsInput), 1);
    EXPECT_FALSE(IsStored(settings::kBitrate));
    EXPECT_EQ(Stored(settings::kOutputFormat), 1);
    EXPECT_EQ(StoredValues().size(), 8u);
}

TEST_F(OptionsDialog, CancelWritesNothing) {
    for (int how = 0; how < 3; ++how) {
        SCOPED_TRACE(how);
        COptionsDlg d;
        d.show();
        Button(d, COptionsDlg::kLangFrench)->click();
        Button(d, COptionsDlg::kFormatMp4)->click();
        Button(d, COptionsDlg::kSoundKeep)->click();
        if (how == 0) Button(d, COptionsDlg::IDCANCEL)->click();
        if (how == 1) QTest::keyClick(&d, Qt::Key_Escape);
        if (how == 2) d.close();
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_TRUE(StoredValues().empty());
    }
}

TEST_F(OptionsDialog, LanguageOutsideTheSetsShowsTheDefaultLabels) {
    Store(settings::kLanguage, 7);
    COptionsDlg d;
    d.show();
    EXPECT_EQ(Text(d, COptionsDlg::kLangDefault), QString("中文"));
    for (int id : {COptionsDlg::kLangDefault, COptionsDlg::kLangFrench, COptionsDlg::kLangItalian, COptionsDlg::kLangSpanish})
        EXPECT_FALSE(Button(d, id)->isChecked()) << id;
    ASSERT_TRUE(ClickOk(d));
    EXPECT_EQ(Stored(settings::kLanguage), 7) << "no language chosen: the stored one stays";
}

TEST_F(OptionsDialog, ProportionsOfItsTemplate) {
    COptionsDlg d;
    const DluMetrics dlu(d.font());
    EXPECT_EQ(d.size(), QSize(dlu.X(389), dlu.Y(223)));
    EXPECT_EQ(d.Item(COptionsDlg::kBitrateEdit)->geometry(), dlu.Rect(14, 147, 51, 14));
    EXPECT_EQ(d.Item(COptionsDlg::IDOK)->geometry(), dlu.Rect(257, 196, 50, 14));
}
