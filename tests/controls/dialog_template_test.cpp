#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QDialog>
#include <QGroupBox>
#include <QRadioButton>

#include "controls/dialog_template.h"

TEST(DialogTemplate, DialogUnitsFollowTheFontMetrics) {
    QFont font = DialogFont();
    const QFontMetrics fm(font);
    const DluMetrics dlu(font);
    const int letters = fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(dlu.baseX(), (letters / 26 + 1) / 2);
    EXPECT_EQ(dlu.baseY(), fm.height());
    EXPECT_EQ(dlu.X(400), 100 * dlu.baseX());
    EXPECT_EQ(dlu.Y(800), 100 * dlu.baseY());
    // Each edge is converted on its own.
    const QRect r = dlu.Rect(3, 5, 7, 9);
    EXPECT_EQ(r.left(), dlu.X(3));
    EXPECT_EQ(r.left() + r.width(), dlu.X(10));
    EXPECT_EQ(r.top() + r.height(), dlu.Y(14));

    font.setPointSize(16);  // a bigger font makes a bigger dialog
    EXPECT_GT(DluMetrics(font).X(100), dlu.X(100));
}

TEST(DialogTemplate, BuildsControlsRadioGroupsAndKeepsGroupBoxesBelow) {
    const ControlTemplate controls[] = {
        {10, CtlKind::GroupBox, 0, 0, 100, 60, kStyleGroup, "Group"},
        {11, CtlKind::RadioButton, 5, 10, 80, 10, kStyleGroup, "a"},
        {12, CtlKind::RadioButton, 5, 22, 80, 10, 0, "b"},
        {13, CtlKind::RadioButton, 5, 34, 80, 10, kStyleGroup, "c"},
        {14, CtlKind::RadioButton, 5, 46, 80, 10, 0, "d"},
        {-1, CtlKind::Static, 0, 70, 30, 8, 0, "unnamed"},
    };
    QDialog dlg;
    const DialogControls c = BuildDialog(&dlg, MakeTemplate(7, "Test", 120, 90, controls));
    const DluMetrics dlu(dlg.font());
    EXPECT_EQ(dlg.size(), QSize(dlu.X(120), dlu.Y(90)));
    EXPECT_EQ(dlg.windowTitle(), QString("Test"));
    EXPECT_EQ(c.Item(12)->geometry(), dlu.Rect(5, 22, 80, 10));
    EXPECT_EQ(c.Item(-1), nullptr);
    ASSERT_EQ(c.radioGroups.size(), 2u);
    auto* b = static_cast<QRadioButton*>(c.Item(12));
    auto* d = static_cast<QRadioButton*>(c.Item(14));
    b->click();
    d->click();
    EXPECT_TRUE(b->isChecked()) << "two groups: checking d leaves b checked";
    EXPECT_EQ(c.radioGroups.at(11)->checkedId(), 1);
    EXPECT_EQ(c.radioGroups.at(13)->checkedId(), 1);
    // The group box lies below the radios it frames.
    EXPECT_EQ(dlg.childAt(c.Item(11)->geometry().center()), c.Item(11));
}
