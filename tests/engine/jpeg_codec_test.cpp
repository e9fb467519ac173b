// The libjpeg-turbo picture coder behind the Motion-JPEG files: what it
// writes decodes the same with FFmpeg's decoder, it quantises no coarser than
// OpenCV's Motion-JPEG writer, and its decoder refuses what it cannot take
// (so that FFmpeg's decoder takes over).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <opencv2/videoio.hpp>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "engine/capture.h"
#include "audio/ffmpeg_util.h"
#include "engine/jpeg_codec.h"
#include "tests/common/media.h"

namespace {

// Y, Cb, Cr planes with detail, padded as the encoder wants (the padding
// repeats the last pixel of each row).
struct Planes {
    int width, height;
    std::vector<uint8_t> plane[3];
    int stride[3];

    Planes(int w, int h) : width(w), height(h) {
        for (int p = 0; p < 3; ++p) {
            const int pw = p == 0 ? w : w / 2;
            const int ph = p == 0 ? h : h / 2;
            stride[p] = p == 0 ? jpeg::PaddedLuma(w) : jpeg::PaddedLuma(w) / 2;
            plane[p].resize(static_cast<size_t>(stride[p]) * ph);
            for (int y = 0; y < ph; ++y) {
                uint8_t* row = &plane[p][static_cast<size_t>(y) * stride[p]];
                for (int x = 0; x < pw; ++x)
                    row[x] = static_cast<uint8_t>(p == 0 ? 128 + 100 * std::sin(x * 0.07) * std::cos(y * 0.05)
                                                         : 128 + (p == 1 ? x - y : y - x) / 3);
                for (int x = pw; x < stride[p]; ++x) row[x] = row[pw - 1];
            }
        }
    }
    const uint8_t* const* Data() const {
        ptrs[0] = plane[0].data();
        ptrs[1] = plane[1].data();
        ptrs[2] = plane[2].data();
        return ptrs;
    }
    mutable const uint8_t* ptrs[3];
};

std::vector<uint8_t> Encode(const Planes& in) {
    jpeg::Encoder encoder;
    EXPECT_TRUE(encoder.Encode(in.Data(), in.stride, in.width, in.height));
    return std::vector<uint8_t>(encoder.Data(), encoder.Data() + encoder.Size());
}

ff::FramePtr DecodeWithFfmpeg(const std::vector<uint8_t>& bytes) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    ff::CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx || avcodec_open2(ctx.get(), codec, nullptr) < 0) return nullptr;
    ff::PacketPtr pkt(av_packet_alloc());
    if (av_new_packet(pkt.get(), static_cast<int>(bytes.size())) < 0) return nullptr;
    std::copy(bytes.begin(), bytes.end(), pkt->data);
    ff::FramePtr frame(av_frame_alloc());
    if (avcodec_send_packet(ctx.get(), pkt.get()) < 0 || avcodec_receive_frame(ctx.get(), frame.get()) < 0)
        return nullptr;
    return frame;
}

// Largest difference between two planes of a picture, and its PSNR against
// the source planes.
int MaxDiff(const AVFrame* a, const AVFrame* b, int p, int w, int h) {
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            worst = std::max(worst, std::abs(a->data[p][y * a->linesize[p] + x] - b->data[p][y * b->linesize[p] + x]));
    return worst;
}

double Psnr(const Planes& src, const AVFrame* f, int p) {
    const int w = p == 0 ? src.width : src.width / 2;
    const int h = p == 0 ? src.height : src.height / 2;
    double sum = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double d = src.plane[p][y * src.stride[p] + x] - f->data[p][y * f->linesize[p] + x];
            sum += d * d;
        }
    return 10 * std::log10(255.0 * 255.0 / std::max(sum / (w * h), 1e-9));
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Every quantisation table (zig-zag order) of a JPEG.
std::vector<std::vector<int>> QuantTables(const std::vector<uint8_t>& jpg) {
    std::vector<std::vector<int>> tables;
    size_t i = 2;
    while (i + 4 <= jpg.size() && jpg[i] == 0xFF && jpg[i + 1] != 0xDA) {
        const size_t len = static_cast<size_t>(jpg[i + 2] << 8 | jpg[i + 3]);
        if (jpg[i + 1] == 0xDB)
            for (size_t j = i + 4; j + 65 <= i + 2 + len; j += 65)
                tables.emplace_back(jpg.begin() + static_cast<long>(j) + 1, jpg.begin() + static_cast<long>(j) + 65);
        i += 2 + len;
    }
    return tables;
}

constexpr int kZigZag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                             12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                             35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                             58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

}  // namespace

// Sizes that are and are not whole blocks: the picture comes back through
// both decoders alike, edges included, and close to what went in.
TEST(JpegCodec, RoundTripAgreesWithFfmpegsDecoder) {
    const std::pair<int, int> sizes[] = {{64, 48}, {322, 242}, {640, 360}, {2, 2}};
    jpeg::Decoder decoder;
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        const Planes src(w, h);
        const std::vector<uint8_t> bytes = Encode(src);
        ASSERT_FALSE(bytes.empty());
        ff::FramePtr ours(av_frame_alloc());
        ASSERT_TRUE(decoder.Decode(bytes.data(), bytes.size(), w, h, ours.get()));
        EXPECT_EQ(ours->format, AV_PIX_FMT_YUVJ420P);
        EXPECT_EQ(ours->width, w);
        EXPECT_EQ(ours->height, h);
        ff::FramePtr theirs = DecodeWithFfmpeg(bytes);
        ASSERT_TRUE(theirs);
        ASSERT_EQ(theirs->format, AV_PIX_FMT_YUVJ420P);
        ASSERT_EQ(theirs->width, w);
        ASSERT_EQ(theirs->height, h);
        for (int p = 0; p < 3; ++p) {
            const int pw = p == 0 ? w : w / 2, ph = p == 0 ? h : h / 2;
            EXPECT_LE(MaxDiff(ours.get(), theirs.get(), p, pw, ph), 2) << "plane " << p;
            EXPECT_GT(Psnr(src, ours.get(), p), 38.0) << "plane " << p;
        }
    }
}

TEST(JpegCodec, QuantisesNoCoarserThanOpenCvsWriter) {
    testmedia::TempDir dir;
    cv::VideoWriter writer;
    ASSERT_TRUE(OpenMjpegWriter(writer, dir.File("cv.avi"), 25.0, 64, 48));
    cv::Mat bgr(48, 64, CV_8UC3, cv::Scalar(30, 120, 200));
    for (int i = 0; i < 3; ++i) writer.write(bgr);
    writer.release();
    ASSERT_EQ(testmedia::Run("ffmpeg -v error -y -i " + testmedia::Quote(dir.File("cv.avi")) +
                             " -frames:v 1 -c copy -f mjpeg " + testmedia::Quote(dir.File("cv.jpg"))),
              0);
    const auto theirs = QuantTables(ReadAll(dir.File("cv.jpg")));
    const auto ours = QuantTables(Encode(Planes(64, 48)));
    ASSERT_FALSE(theirs.empty());
    ASSERT_EQ(ours.size(), 1u);  // one table for the three components
    for (const auto& table : theirs)
        for (int k = 0; k < 64; ++k) {
            EXPECT_LE(ours[0][k], table[k]) << "zig-zag " << k;
            EXPECT_EQ(ours[0][k], jpeg::QuantTable()[kZigZag[k]]) << "zig-zag " << k;
        }
}

// Anything but a whole 4:2:0 picture of the size asked for is refused, with
// the picture left empty.
TEST(JpegCodec, DecoderRefusesOtherPictures) {
    testmedia::TempDir dir;
    auto make = [&](const char* name, const char* pixfmt) {
        const std::string path = dir.File(name);
        EXPECT_EQ(testmedia::Run("ffmpeg -v error -y -f lavfi -i testsrc=size=64x48 -frames:v 1 -c:v mjpeg "
                                 "-strict -1 -pix_fmt " + std::string(pixfmt) + " " + testmedia::Quote(path)),
                  0);
        return ReadAll(path);
    };
    const std::vector<uint8_t> good = Encode(Planes(64, 48));
    const std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<long>(good.size() / 2));
    std::vector<uint8_t> damaged = good;
    for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 40; ++i) damaged[i] = 0xFF;
    const std::vector<uint8_t> garbage(500, 0x5A);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int width, height;
    };
    const Case cases[] = {
        {"4:2:2", make("422.jpg", "yuvj422p"), 64, 48},
        {"4:4:4", make("444.jpg", "yuvj444p"), 64, 48},
        {"grey", make("grey.jpg", "gray"), 64, 48},
        {"other size", good, 64, 32},
        {"truncated", truncated, 64, 48},
        {"not a JPEG", garbage, 64, 48},
        {"empty", {}, 64, 48},
    };
    jpeg::Decoder decoder;
    for (const Case& c : cases) {
        ff::FramePtr picture(av_frame_alloc());
        EXPECT_FALSE(decoder.Decode(c.bytes.data(), c.bytes.size(), c.width, c.height, picture.get())) << c.what;
        EXPECT_EQ(picture->buf[0], nullptr) << c.what;
    }
    // Damaged coded data may decode to something (as with FFmpeg's decoder),
    // but safely; and the decoder still works after all that.
    ff::FramePtr picture(av_frame_alloc());
    decoder.Decode(damaged.data(), damaged.size(), 64, 48, picture.get());
    EXPECT_TRUE(decoder.Decode(good.data(), good.size(), 64, 48, picture.get()));
}
