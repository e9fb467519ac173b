// The picture control loaded from another thread while the user-interface
// thread paints, as the job's previews load it: built into the
// ThreadSanitizer stage. The pictures are encoded in memory (no helper
// process is started), so that the run watches the control's own locking.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <QApplication>
#include <QBuffer>
#include <QImage>

#include "controls/image_static.h"

namespace {

QByteArray Encode(int w, int h, QColor colour, const char* format) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}

TEST(PictureControlThreads, LoadsFromAWorkerWhileTheUserInterfacePaints) {
    const QByteArray pictures[] = {Encode(320, 240, Qt::red, "PNG"), Encode(64, 48, Qt::blue, "JPEG"),
                                   Encode(200, 20, Qt::green, "BMP")};
    for (const QByteArray& p : pictures) ASSERT_FALSE(p.isEmpty());
    CImageStatic control;
    control.resize(100, 50);
    control.show();

    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    std::thread worker([&] {
        for (int i = 0; i < 125; ++i) {
            const QByteArray& b = pictures[i % 3];
            if (!control.LoadFromMemory(b.constData(), b.size())) ++failures;
            if (i % 10 == 9) control.LoadFromMemory(nullptr, 0);
        }
        done = true;
    });
    int paints = 0;
    while (!done) {
        control.repaint();
        QCoreApplication::processEvents();
        ++paints;
    }
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GT(paints, 0);
    EXPECT_TRUE(control.HasImage());
}

}  // namespace
