#include <gtest/gtest.h>

#include "controls/hand_button.h"
#include "controls/resources.h"

TEST(HandButton, TooltipOnlyWhenItsTextIsNotEmpty) {
    CHandButton b;
    EXPECT_FALSE(b.TipActive());
    b.SetTip("选项");
    EXPECT_TRUE(b.TipActive());
    EXPECT_EQ(b.toolTip(), QString("选项"));
    b.SetTip("");
    EXPECT_FALSE(b.TipActive());
    EXPECT_TRUE(b.toolTip().isEmpty());
}

TEST(HandButton, HandCursorOnlyWhileEnabled) {
    QWidget dialog;
    CHandButton b(&dialog);
    EXPECT_FALSE(b.testAttribute(Qt::WA_SetCursor)) << "no hand cursor set: the cursor is left alone";
    const std::optional<QCursor> hand = res::LoadHandCursor();
    ASSERT_TRUE(hand.has_value());
    b.SetHandCursor(hand);
    EXPECT_TRUE(b.testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(b.cursor().shape(), Qt::BitmapCursor);
    b.setEnabled(false);
    EXPECT_FALSE(b.testAttribute(Qt::WA_SetCursor));
    b.setEnabled(true);
    EXPECT_TRUE(b.testAttribute(Qt::WA_SetCursor));
    b.SetHandCursor(std::nullopt);
    EXPECT_FALSE(b.testAttribute(Qt::WA_SetCursor));
}

TEST(HandButton, ShowsItsPictureInsteadOfItsCaption) {
    QWidget dialog;
    dialog.resize(100, 100);
    CHandButton b("Choose video\nto reverse", &dialog);
    b.resize(80, 80);
    dialog.show();
    b.SetImage(res::LoadBitmap(res::kBmpChooseActive));
    EXPECT_TRUE(b.text().isEmpty());
    EXPECT_EQ(b.iconSize(), QSize(70, 70));
    b.resize(50, 40);  // smaller than the picture: shrunk to fit, shape kept
    EXPECT_LE(b.iconSize().width(), 44);
    EXPECT_LE(b.iconSize().height(), 34);
    EXPECT_EQ(b.iconSize().width(), b.iconSize().height());
}
