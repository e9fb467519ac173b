#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <QApplication>
#include <QTest>

#include "controls/image_static.h"
#include "controls/web_open.h"
#include "tests/controls/ui_test_util.h"

namespace {

QRect Edges(int l, int t, int r, int b) { return QRect(l, t, r - l, b - t); }

// One paint of the control (the control need not be on screen); returns what
// it drew.
QImage Paint(CImageStatic& c) { return c.grab().toImage(); }

class PictureControl : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        control.resize(100, 50);
        face = control.palette().color(QPalette::Window).rgb();
    }
    QTemporaryDir dir;
    CImageStatic control;
    QRgb face = 0;
};

}  // namespace

TEST(PictureLayoutTest, ShrinksToFitNeverEnlargesAndCentres) {
    // The 100 x 50 client with a 100 x 40 picture: five rows above, six below,
    // the first of which covers the picture's last row.
    PictureLayout l = ComputePictureLayout(100, 50, 100, 40);
    EXPECT_EQ(l.dw, 100);
    EXPECT_EQ(l.dh, 40);
    EXPECT_EQ(l.xo, 0);
    EXPECT_EQ(l.yo, 5);
    ASSERT_EQ(l.bands.size(), 2u);
    EXPECT_EQ(l.bands[0], Edges(0, 0, 100, 5));
    EXPECT_EQ(l.bands[1], Edges(0, 44, 100, 50));
    EXPECT_EQ(l.background, Edges(0, 5, 101, 46));

    l = ComputePictureLayout(100, 50, 400, 100);  // shrunk to 100 x 25, shape kept
    EXPECT_EQ(l.dw, 100);
    EXPECT_EQ(l.dh, 25);
    EXPECT_EQ(l.yo, 12);

    l = ComputePictureLayout(100, 50, 40, 20);  // smaller: its own size, centred
    EXPECT_EQ(l.dw, 40);
    EXPECT_EQ(l.dh, 20);
    EXPECT_EQ(l.xo, 30);
    EXPECT_EQ(l.yo, 15);
    ASSERT_EQ(l.bands.size(), 4u);
    EXPECT_EQ(l.bands[2], Edges(0, 0, 30, 50));
    EXPECT_EQ(l.bands[3], Edges(69, 0, 100, 50));

    l = ComputePictureLayout(100, 50, 100, 50);  // exact fit: no band
    EXPECT_TRUE(l.bands.empty());
}

TEST_F(PictureControl, DrawsThePictureBetweenItsBands) {
    const QByteArray png = MakeStill(dir.path(), "red.png", 100, 40, "red");
    ASSERT_FALSE(png.isEmpty());
    ASSERT_TRUE(control.LoadFromMemory(png.constData(), png.size()));
    const QImage shot = Paint(control);
    ASSERT_EQ(shot.size(), QSize(100, 50));
    for (int y : {0, 4, 44, 45, 49}) EXPECT_EQ(shot.pixel(50, y), face) << "row " << y;
    for (int y : {5, 20, 43}) {
        EXPECT_GT(qRed(shot.pixel(50, y)), 240) << "row " << y;
        EXPECT_LT(qGreen(shot.pixel(50, y)), 20) << "row " << y;
    }
    EXPECT_EQ(control.FrameTimerInterval(), -1) << "a still picture starts no timer";
}

TEST_F(PictureControl, LoadingNothingClears) {
    const QByteArray png = MakeStill(dir.path(), "blue.png", 20, 20, "blue");
    ASSERT_TRUE(control.LoadFromMemory(png.constData(), png.size()));
    EXPECT_TRUE(control.HasImage());
    EXPECT_FALSE(control.LoadFromMemory(nullptr, 0));
    EXPECT_FALSE(control.HasImage());
    const QImage shot = Paint(control);
    for (int y = 0; y < 50; y += 7)
        for (int x = 0; x < 100; x += 9) ASSERT_EQ(shot.pixel(x, y), face);

    ASSERT_TRUE(control.LoadFromMemory(png.constData(), png.size()));
    EXPECT_FALSE(control.LoadFromMemory(png.constData(), 0));
    EXPECT_FALSE(control.HasImage());
}

TEST_F(PictureControl, UndecodableBytesAndMissingFiles) {
    const QByteArray png = MakeStill(dir.path(), "green.png", 20, 20, "green");
    ASSERT_TRUE(control.LoadFromFile(dir.path() + "/green.png"));
    // A file that cannot be read: the picture stays.
    EXPECT_FALSE(control.LoadFromFile(dir.path() + "/missing.png"));
    EXPECT_TRUE(control.HasImage());
    // Bytes that are no picture (a truncated PNG among them): the control empties.
    const QByteArray junk("this is not a picture");
    EXPECT_FALSE(control.LoadFromMemory(junk.constData(), junk.size()));
    EXPECT_FALSE(control.HasImage());
    ASSERT_TRUE(control.LoadFromMemory(png.constData(), png.size()));
    EXPECT_FALSE(control.LoadFromMemory(png.constData(), 30));
    EXPECT_FALSE(control.HasImage());
    Paint(control);
}

TEST_F(PictureControl, FormatsDecode) {
    for (const char* name : {"a.jpg", "a.bmp", "a.png", "a.tiff"}) {
        const QByteArray bytes = MakeStill(dir.path(), name, 64, 48, "yellow");
        ASSERT_FALSE(bytes.isEmpty()) << name;
        EXPECT_TRUE(control.LoadFromMemory(bytes.constData(), bytes.size())) << name;
        const QImage shot = Paint(control);
        EXPECT_GT(qRed(shot.pixel(50, 25)), 200) << name;
        EXPECT_GT(qGreen(shot.pixel(50, 25)), 200) << name;
    }
}

TEST_F(PictureControl, GifWithLoopCountThreeStopsOnItsLastFrame) {
    const QByteArray gif = MakeAnimatedGif(dir.path(), 3, 3);
    ASSERT_FALSE(gif.isEmpty());
    ASSERT_TRUE(control.LoadFromMemory(gif.constData(), gif.size()));
    EXPECT_EQ(control.FrameIndex(), -1);
    EXPECT_EQ(control.LoopsLeft(), -1);

    std::vector<int> shown;
    std::vector<int> grey;
    for (int i = 0; i < 14; ++i) {
        const QImage shot = Paint(control);
        shown.push_back(control.FrameIndex());
        grey.push_back(qGray(shot.pixel(50, 25)));
        if (i < 8) {
            EXPECT_EQ(control.FrameTimerInterval(), 50) << "paint " << i << ": a delay of 5 hundredths";
        }
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1, 2, 2, 2, 2, 2, 2}));
    EXPECT_EQ(control.LoopsLeft(), 0);
    EXPECT_EQ(control.FrameTimerInterval(), -1) << "the animation has ended";
    // The frames drawn are the GIF's own: each pass grows darker to lighter.
    EXPECT_LT(grey[0], grey[1]);
    EXPECT_LT(grey[1], grey[2]);
    EXPECT_EQ(grey[0], grey[3]);
    EXPECT_EQ(grey[13], grey[2]);
}

TEST_F(PictureControl, GifWithLoopCountZeroOrNoneKeepsGoing) {
    for (int loop : {0, -1}) {
        SCOPED_TRACE(testing::Message() << "loop " << loop);
        const QByteArray gif = MakeAnimatedGif(dir.path(), 2, loop);
        ASSERT_FALSE(gif.isEmpty());
        ASSERT_TRUE(control.LoadFromMemory(gif.constData(), gif.size()));
        for (int i = 0; i < 40; ++i) {
            Paint(control);
            ASSERT_EQ(control.FrameIndex(), i % 2);
            ASSERT_EQ(control.FrameTimerInterval(), 50);
        }
        EXPECT_EQ(control.LoopsLeft(), loop == 0 ? -2 : -1);
    }
}

TEST_F(PictureControl, GifWithoutFrameDelaysUsesTenMilliseconds) {
    const QByteArray gif = StripGraphicControl(MakeAnimatedGif(dir.path(), 2, 0));
    ASSERT_FALSE(gif.contains("\x21\xF9\x04"));
    ASSERT_TRUE(control.LoadFromMemory(gif.constData(), gif.size()));
    Paint(control);
    EXPECT_EQ(control.FrameTimerInterval(), 10);
    Paint(control);
    EXPECT_EQ(control.FrameIndex(), 1);
    EXPECT_EQ(control.FrameTimerInterval(), 10);
}

TEST_F(PictureControl, FrameTimerRepaintsUntilTheEnd) {
    const QByteArray gif = MakeAnimatedGif(dir.path(), 2, 1);
    ASSERT_TRUE(control.LoadFromMemory(gif.constData(), gif.size()));
    control.show();
    // Driven by its own timer: one pass, then the last frame stays.
    EXPECT_TRUE(QTest::qWaitFor([&] { return control.LoopsLeft() == 0; }, 10000));
    EXPECT_EQ(control.FrameIndex(), 1);
    EXPECT_EQ(control.FrameTimerInterval(), -1);
}

TEST_F(PictureControl, ResourcesAndClicks) {
    EXPECT_TRUE(control.LoadFromResource(151, "IMAGE"));
    EXPECT_FALSE(control.LoadFromResource(999, "IMAGE"));
    EXPECT_TRUE(control.HasImage()) << "a missing resource leaves the picture";

    std::vector<QString> opened;
    int code = kOpenOk;
    SetWebOpenHook([&](const QString& a) {
        opened.push_back(a);
        return code;
    });
    MessageRecorder boxes;
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(opened.empty()) << "no target: a click does nothing";
    control.SetTarget("quillon.example/ambrelo/social");
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QString("quillon.example/ambrelo/social"));
    EXPECT_TRUE(boxes.boxes.empty());
    code = 31;
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, OpenErrorText(31));
    SetWebOpenHook({});
}

TEST_F(PictureControl, LoadsFromAnotherThreadWhilePainting) {
    const QByteArray png = MakeStill(dir.path(), "p.png", 320, 240, "red");
    const QByteArray jpg = MakeStill(dir.path(), "p.jpg", 64, 48, "blue");
    const QByteArray gif = MakeAnimatedGif(dir.path(), 4, 0);
    ASSERT_FALSE(png.isEmpty());
    ASSERT_FALSE(jpg.isEmpty());
    ASSERT_FALSE(gif.isEmpty());
    control.show();

    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    std::thread worker([&] {
        for (int i = 0; i < 150; ++i) {
            const QByteArray& b = i % 3 == 0 ? png : i % 3 == 1 ? jpg : gif;
            if (!control.LoadFromMemory(b.constData(), b.size())) ++failures;
            if (i % 10 == 9) control.LoadFromMemory(nullptr, 0);
        }
        if (!control.LoadFromFile(dir.path() + "/p.png")) ++failures;
        done = true;
    });
    // The user-interface thread keeps painting and serving the loads' repaints.
    int paints = 0;
    while (!done) {
        control.repaint();
        QCoreApplication::processEvents();
        ++paints;
    }
    worker.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(paints, 0);
    EXPECT_TRUE(control.HasImage());
}
