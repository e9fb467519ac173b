#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QTest>

#include "controls/hyper_link.h"
#include "controls/web_open.h"
#include "tests/controls/ui_test_util.h"

namespace {
const QString kAddress = "https://quillon.example/ambrelo/en/";
}

TEST(HyperLink, HandlerCommandIsCutAtItsPlaceholder) {
    struct Case {
        const char* command;
        const char* expected;
    };
    const Case cases[] = {
        // A quoted placeholder: cut just before its opening quote.
        {"\"/opt/browser/browser\" -new \"%1\"", "\"/opt/browser/browser\" -new  https://quillon.example/ambrelo/en/"},
        // The quoted one wins even when an unquoted one comes first.
        {"browser %1 -x \"%1\"", "browser %1 -x  https://quillon.example/ambrelo/en/"},
        // An unquoted placeholder: cut before it.
        {"browser %1 --tab", "browser  https://quillon.example/ambrelo/en/"},
        // No placeholder: the whole command, a space, the address.
        {"browser --tab", "browser --tab https://quillon.example/ambrelo/en/"},
        // A desktop Exec line's field code.
        {"firefox-esr %u", "firefox-esr  https://quillon.example/ambrelo/en/"},
        {"chromium \"%U\" --x", "chromium  https://quillon.example/ambrelo/en/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildHandlerCommand(c.command, kAddress), QString(c.expected)) << c.command;
}

TEST(HyperLink, OverlongHandlerCommandIsNotBuilt) {
    const QString command = "browser " + QString(kMaxOpenCommand - 8 - 1 - kAddress.size(), 'x');
    EXPECT_EQ(BuildHandlerCommand(command, kAddress).size(), kMaxOpenCommand);
    EXPECT_TRUE(BuildHandlerCommand(command + "y", kAddress).isEmpty());
}

TEST(HyperLink, ErrorTexts) {
    const QString prefix = "impossible d'ouvrir le lien:\n\n";
    EXPECT_EQ(OpenErrorText(28), OpenErrorText(30));
    EXPECT_EQ(OpenErrorText(28), prefix + "La transaction DDE n'a pas pu être finie.");
    EXPECT_EQ(OpenErrorText(29), prefix + "La transaction DDE a échouée.");
    EXPECT_EQ(OpenErrorText(4), prefix + "Unknown Error (4) occurred.");
    EXPECT_EQ(OpenErrorText(2), prefix + "Le fichier spécifié n'a pas été trouvé.");
    EXPECT_EQ(OpenErrorText(31), prefix + "Il n'y a pas d'application associé au fichier.");

    MessageRecorder boxes;
    ShowOpenError(4);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, prefix + "Unknown Error (4) occurred.");
    EXPECT_EQ(boxes.boxes[0].caption, QString("ambrelo"));
    EXPECT_EQ(boxes.boxes[0].style, 0x30);
}

TEST(HyperLink, AttachTakesTheTextAsTargetAndTooltip) {
    QWidget parent;
    CHyperLink link(kAddress, &parent);
    link.setGeometry(10, 10, 400, 40);
    link.Attach();
    EXPECT_EQ(link.Target(), kAddress);
    EXPECT_EQ(link.toolTip(), kAddress);
    EXPECT_TRUE(link.font().underline());
    EXPECT_EQ(link.CurrentColour(), QColor(0, 0, 238));
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor) << "the fallback hand cursor";

    link.SetTarget("https://quillon.example/ambrelo/fr/");
    EXPECT_EQ(link.text(), kAddress) << "the shown text stays";
    EXPECT_EQ(link.toolTip(), kAddress) << "the tooltip stays";
    link.SetTip("Go to Ambrelo page on Quillon's website");
    EXPECT_EQ(link.toolTip(), QString("Go to Ambrelo page on Quillon's website"));
}

TEST(HyperLink, FitsItselfToItsText) {
    QWidget parent;
    for (Qt::Alignment a : {Qt::AlignLeft | Qt::AlignTop, Qt::AlignHCenter | Qt::AlignTop, Qt::AlignRight | Qt::AlignTop,
                            Qt::AlignLeft | Qt::AlignVCenter}) {
        CHyperLink link("quillon.example", &parent);
        link.setAlignment(a);
        const QRect before(20, 30, 301, 41);
        link.setGeometry(before);
        link.Attach();
        const QFontMetrics fm(link.font());
        const int tw = fm.horizontalAdvance(link.text()), th = fm.height();
        const QRect r = link.geometry();
        SCOPED_TRACE(testing::Message() << "alignment " << int(a));
        if (a & Qt::AlignHCenter) {
            const int d = (before.width() - tw) / 2;
            EXPECT_EQ(r.left(), before.left() + d);
            EXPECT_EQ(r.right(), before.right() - d);
        } else if (a & Qt::AlignRight) {
            EXPECT_EQ(r.right(), before.right());
            EXPECT_EQ(r.width(), tw);
        } else {
            EXPECT_EQ(r.left(), before.left());
            EXPECT_EQ(r.width(), tw);
        }
        if (a & Qt::AlignVCenter) {
            const int d = (before.height() - th) / 2;
            EXPECT_EQ(r.top(), before.top() + d);
            EXPECT_EQ(r.bottom(), before.bottom() - d);
        } else {
            EXPECT_EQ(r.top(), before.top());
            EXPECT_EQ(r.height(), th);
        }
    }
}

TEST(HyperLink, RedWhileHovered) {
    QWidget parent;
    CHyperLink link(kAddress, &parent);
    link.Attach();
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(&link, &enter);
    EXPECT_EQ(link.CurrentColour(), QColor(255, 0, 0));
    EXPECT_EQ(link.palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    EXPECT_EQ(link.CurrentColour(), QColor(0, 0, 238));
}

TEST(HyperLink, ClickOpensTheTargetAndReportsAFailure) {
    QWidget parent;
    CHyperLink link(kAddress, &parent);
    link.setGeometry(0, 0, 300, 20);
    link.Attach();
    link.SetTarget("https://quillon.example/ambrelo/it/");
    std::vector<QString> opened;
    int code = kOpenOk;
    SetWebOpenHook([&](const QString& a) {
        opened.push_back(a);
        return code;
    });
    MessageRecorder boxes;

    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QString("https://quillon.example/ambrelo/it/"));
    EXPECT_TRUE(link.Visited());
    EXPECT_TRUE(boxes.boxes.empty());

    code = 2;
    QTest::mouseClick(&link, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(link.Visited()) << "a failure clears the visited flag";
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, OpenErrorText(2));
    SetWebOpenHook({});
}
