#include <gtest/gtest.h>

#include <QTest>

#include "controls/hand_button.h"
#include "settings/init_language_dlg.h"
#include "settings/settings_store.h"
#include "tests/controls/ui_test_util.h"

namespace {
class LanguageChooser : public testing::Test {
protected:
    void SetUp() override { ClearStore(); }
};
}  // namespace

TEST_F(LanguageChooser, EachFlagStoresItsIndexAndCloses) {
    const std::pair<int, int> flags[] = {{CInitLanguageDlg::kFlagChina, 0},
                                         {CInitLanguageDlg::kFlagFrance, 1},
                                         {CInitLanguageDlg::kFlagItaly, 2},
                                         {CInitLanguageDlg::kFlagSpain, 3}};
    for (const auto& [button, index] : flags) {
        SCOPED_TRACE(button);
        ClearStore();
        AppSettings app;
        app.Language = -1;
        CInitLanguageDlg d(app);
        d.show();
        QTest::mouseClick(d.FlagButton(button), Qt::LeftButton);
        EXPECT_EQ(app.Language, index);
        EXPECT_EQ(settings::ReadInt(settings::kLanguage, -1), index);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
}

TEST_F(LanguageChooser, EscapeEnterAndCloseDoNotCloseIt) {
    AppSettings app;
    app.Language = -1;
    CInitLanguageDlg d(app);
    d.show();
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_TRUE(d.isVisible());
    QTest::keyClick(&d, Qt::Key_Return);
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.close());
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(app.Language, -1);
    EXPECT_TRUE(StoredValues().empty());
}

TEST_F(LanguageChooser, FlagsWithTheirTooltipsAndHandCursor) {
    AppSettings app;
    CInitLanguageDlg d(app);
    const std::pair<int, const char*> tips[] = {
        {CInitLanguageDlg::kFlagChina, "简体中文点这里 !"},
        {CInitLanguageDlg::kFlagFrance, "Vous parlez français ? Cliquez ici !"},
        {CInitLanguageDlg::kFlagItaly, "si parla italiano? Clicca qui"},
        {CInitLanguageDlg::kFlagSpain, "¿Hablas Español? ¡haz click aquí!"}};
    for (const auto& [id, tip] : tips) {
        CHandButton* b = d.FlagButton(id);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(tip));
        EXPECT_EQ(b->cursor().shape(), Qt::BitmapCursor);
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_TRUE(b->text().isEmpty());
    }
    EXPECT_EQ(d.windowTitle(), QString("Ambrelo - Quillon - https://quillon.example/"));
}
