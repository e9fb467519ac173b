// The settings store, in a private temporary folder (never the user's own).
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include "engine/texts.h"
#include "settings/settings_store.h"

namespace {

class SettingsStore : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        ASSERT_TRUE(dir->isValid());
        qputenv("XDG_CONFIG_HOME", dir->path().toLocal8Bit());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir->path());
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    void SetUp() override {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Quillon Software", "ambrelo");
        s.clear();
        s.sync();
    }
    static QString StoreFile() { return dir->path() + "/Quillon Software/ambrelo.conf"; }
    static QTemporaryDir* dir;
};
QTemporaryDir* SettingsStore::dir = nullptr;

}  // namespace

TEST_F(SettingsStore, NothingStoredGivesEveryDefault) {
    AppSettings s;
    s.SoundOption = s.OutputFormat = s.bitrate = s.FastComputation = 77;
    s.BitrateSameAsInput = s.ReplaceH264 = s.ReplaceMTS = 77;
    s.Language = 5;
    s.ShowDebug = 6;
    settings::ReadJobSettings(s);
    EXPECT_EQ(s.SoundOption, 1);
    EXPECT_EQ(s.OutputFormat, 0);
    EXPECT_EQ(s.bitrate, 24000);
    EXPECT_EQ(s.FastComputation, 1);
    EXPECT_EQ(s.BitrateSameAsInput, 1);
    EXPECT_EQ(s.ReplaceH264, 0);
    EXPECT_EQ(s.ReplaceMTS, 1);
    EXPECT_EQ(s.Language, 5) << "not a job value";
    EXPECT_EQ(s.ShowDebug, 6) << "not a job value";
    EXPECT_EQ(settings::ReadInt(settings::kLanguage, -1), -1);
    EXPECT_EQ(settings::ReadInt(settings::kShowDebug, 0), 0);
}

TEST_F(SettingsStore, EachValueIsStoredUnderItsExactName) {
    const char* const names[] = {settings::kLanguage,         settings::kSoundOption,  settings::kOutputFormat,
                                 settings::kBitrate,          settings::kFastComputation, settings::kBitrateSameAsInput,
                                 settings::kReplaceH264,      settings::kShowDebug,    settings::kReplaceMTS};
    int value = 100;
    for (const char* n : names) settings::WriteInt(n, value++);

    // Read back with a separate reader of the file itself.
    ASSERT_TRUE(QFileInfo::exists(StoreFile()));
    QSettings file(StoreFile(), QSettings::IniFormat);
    file.beginGroup("Settings");
    QStringList keys = file.childKeys();
    keys.sort();
    QStringList expected = {"界面语言", "SoundOption", "OutputFormat", "bitrate", "FastComputation",
                            "BitrateSameAsInput", "ReplaceH264", "ShowDebug", "ReplaceMTS"};
    expected.sort();
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(file.value("界面语言").toInt(), 100);
    EXPECT_EQ(file.value("ReplaceMTS").toInt(), 108);

    AppSettings s;
    settings::ReadJobSettings(s);
    EXPECT_EQ(s.SoundOption, 101);
    EXPECT_EQ(s.OutputFormat, 102);
    EXPECT_EQ(s.bitrate, 103);
    EXPECT_EQ(s.FastComputation, 104);
    EXPECT_EQ(s.BitrateSameAsInput, 105);
    EXPECT_EQ(s.ReplaceH264, 106);
    EXPECT_EQ(s.ReplaceMTS, 108);
}

TEST_F(SettingsStore, ValuesThatAreNotIntegersGiveTheDefault) {
    {
        QSettings file(StoreFile(), QSettings::IniFormat);
        file.setValue("Settings/bitrate", "fast");
        file.setValue("Settings/SoundOption", "99999999999");
        file.setValue("Settings/OutputFormat", -2);
    }
    EXPECT_EQ(settings::ReadInt(settings::kBitrate, 24000), 24000);
    EXPECT_EQ(settings::ReadInt(settings::kSoundOption, 1), 1);
    EXPECT_EQ(settings::ReadInt(settings::kOutputFormat, 0), -2) << "out of range values are used unchanged";
}

TEST_F(SettingsStore, LanguageSevenSelectsTheDefaultTexts) {
    settings::WriteInt(settings::kLanguage, 7);
    const int language = settings::ReadInt(settings::kLanguage, -1);
    EXPECT_EQ(language, 7);
    const Text t{"Error", "Erreur", "Errore", "Error (es)"};
    EXPECT_STREQ(t.Pick(language), "Error");
    EXPECT_STREQ(t.Pick(1), "Erreur");
}
