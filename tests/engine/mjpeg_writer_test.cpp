// The Motion-JPEG writer against OpenCV's FFmpeg writer, which it stands in
// for: same pictures in, a file with the same stream header, every picture of
// which is at least as close to what went in.
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include "engine/capture.h"
#include "engine/mjpeg_writer.h"
#include "engine/video_decoder.h"
#include "tests/common/media.h"

namespace {

// A picture with detail in every colour, different for each index.
cv::Mat Picture(int width, int height, int index) {
    cv::Mat bgr(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bgr.at<cv::Vec3b>(y, x) = cv::Vec3b(static_cast<uchar>((x * 7 + index * 13) & 255),
                                                static_cast<uchar>((y * 5 + x * 3) & 255),
                                                static_cast<uchar>((x ^ y) + index * 29));
    return bgr;
}

std::string StreamHeader(const std::string& path) {
    std::string all;
    for (const char* entry : {"codec_name", "codec_tag_string", "width", "height", "pix_fmt", "r_frame_rate",
                              "time_base", "nb_frames"})
        all += std::string(entry) + "=" + testmedia::ProbeStream(path, "v:0", entry) + ";";
    return all;
}

}  // namespace

TEST(MjpegWriter, WritesOpenCvsFilesAtLeastAsClose) {
    struct Case {
        int width, height;
        double fps;
    };
    const Case cases[] = {{320, 240, 25.0}, {321, 241, 29.97}, {64, 48, 12.5}};
    testmedia::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " @ " << c.fps);
        const std::string theirs = dir.File("opencv.avi");
        const std::string ours = dir.File("ours.avi");
        cv::VideoWriter reference;
        ASSERT_TRUE(OpenMjpegWriter(reference, theirs, c.fps, c.width, c.height));
        MjpegWriter writer;
        ASSERT_TRUE(writer.Open(ours, c.fps, c.width, c.height));
        for (int i = 0; i < 20; ++i) {
            const cv::Mat bgr = Picture(c.width, c.height, i);
            reference.write(bgr);
            ASSERT_TRUE(writer.Write(bgr));
        }
        reference.release();
        ASSERT_TRUE(CloseMjpegWriter(writer, ours, 20));
        EXPECT_EQ(StreamHeader(ours), StreamHeader(theirs));

        cv::VideoCapture readOurs, readTheirs;
        ASSERT_TRUE(OpenCapture(readOurs, ours));
        ASSERT_TRUE(OpenCapture(readTheirs, theirs));
        cv::Mat a, b;
        double sumOurs = 0, sumTheirs = 0;
        for (int i = 0; i < 20; ++i) {
            ASSERT_TRUE(readOurs.read(a) && readTheirs.read(b)) << "frame " << i;
            const cv::Mat in = Picture(c.width, c.height, i)(cv::Rect(0, 0, c.width & -2, c.height & -2));
            const double ourPsnr = cv::PSNR(in, a), theirPsnr = cv::PSNR(in, b);
            EXPECT_GE(ourPsnr, theirPsnr - 0.25) << "frame " << i;
            sumOurs += ourPsnr;
            sumTheirs += theirPsnr;
        }
        EXPECT_GE(sumOurs, sumTheirs);
    }
}

TEST(MjpegWriter, RefusesWhatOpenCvsWriterRefuses) {
    testmedia::TempDir dir;
    MjpegWriter writer;
    EXPECT_FALSE(writer.Open(dir.File("a.avi"), 0.0, 320, 240));
    EXPECT_FALSE(writer.Open(dir.File("a.avi"), 25.0, 1, 240));
    EXPECT_FALSE(writer.Open(dir.File("a.avi"), 25.0, 320, 0));
    EXPECT_FALSE(writer.Open(dir.File("no/such/folder/a.avi"), 25.0, 320, 240));
    ASSERT_TRUE(writer.Open(dir.File("a.avi"), 25.0, 320, 240));
    EXPECT_FALSE(writer.Write(Picture(318, 240, 0)));  // a picture of another size
    EXPECT_TRUE(writer.Write(Picture(320, 240, 0)));
    EXPECT_TRUE(CloseMjpegWriter(writer, dir.File("a.avi"), 1));
}

// Decoded limited-range pictures go in without a trip through BGR: the grey
// levels come out as the BGR route gives them.
TEST(MjpegWriter, DecodedPicturesKeepTheirLevels) {
    testmedia::TempDir dir;
    const std::string clip = dir.File("grey.mp4");
    ASSERT_TRUE(testmedia::MakeClip(clip, testmedia::ClipSpec{}));
    VideoDecoder decoder;
    ASSERT_TRUE(decoder.Open(clip));
    MjpegWriter writer;
    ASSERT_TRUE(writer.Open(dir.File("out.avi"), 25.0, decoder.Width(), decoder.Height()));
    ff::FramePtr picture(av_frame_alloc());
    int n = 0;
    while (decoder.Read(picture.get())) {
        ASSERT_TRUE(writer.Write(picture.get()));
        ++n;
    }
    EXPECT_EQ(n, 50);
    ASSERT_TRUE(CloseMjpegWriter(writer, dir.File("out.avi"), n));
    const std::vector<int> levels = testmedia::GreyLevels(dir.File("out.avi"));
    ASSERT_EQ(levels.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_NEAR(levels[i], testmedia::ExpectedGrey(i), 2) << "frame " << i;
}
