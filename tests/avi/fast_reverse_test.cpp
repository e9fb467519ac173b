// Fast reversal: real Motion-JPEG files from every writer we meet, the edge
// cases of the frame loop, and the header fields of cancelled outputs.
#include <gtest/gtest.h>

#include <opencv2/videoio.hpp>

#include <algorithm>
#include <functional>

#include "avi/avi_reader.h"
#include "avi/fast_reverse.h"
#include "tests/avi/avi_fixtures.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using namespace avitest;
using testmedia::TempDir;

namespace {

bool WriteWithOpenCv(const std::string& path, int api) {
    cv::VideoWriter w(path, api, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 25, cv::Size(320, 240));
    if (!w.isOpened()) return false;
    for (int n = 0; n < 40; ++n) w.write(cv::Mat(240, 320, CV_8UC3, cv::Scalar::all(testmedia::ExpectedGrey(n))));
    w.release();
    return true;
}

avi::StreamInfo VideoInfo(const std::string& path) {
    avi::Reader r;
    EXPECT_TRUE(r.Open(path)) << path;
    const int s = r.FindStream(avi::kStreamTypeVideo);
    EXPECT_GE(s, 0);
    return s >= 0 ? r.Info(s) : avi::StreamInfo{};
}

std::vector<long long> PositionsOf(const RecordingContext& ctx, RecordedCall::Kind kind) {
    return ctx.Values(kind);
}

}  // namespace

TEST(FastReverse, ReversesMotionJpegFromEveryWriter) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::function<bool(const std::string&)>>> writers = {
        {"ffmpeg -c:v mjpeg",
         [](const std::string& p) {
             testmedia::ClipSpec spec;
             spec.vcodec = "mjpeg";
             spec.vopts = "-q:v 3";
             return testmedia::MakeClip(p, spec);
         }},
        {"OpenCV FFmpeg writer", [](const std::string& p) { return WriteWithOpenCv(p, cv::CAP_FFMPEG); }},
        {"OpenCV Motion-JPEG writer", [](const std::string& p) { return WriteWithOpenCv(p, cv::CAP_OPENCV_MJPEG); }},
    };
    for (const auto& [name, make] : writers) {
        SCOPED_TRACE(name);
        const std::string in = dir.File("in.avi"), out = dir.File("out.avi");
        ASSERT_TRUE(make(in));
        RecordingContext ctx;
        std::vector<Bytes> previews;
        ctx.onMemory = [&](const void* p, size_t n) {
            previews.emplace_back(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
        };
        ASSERT_TRUE(ReverseAviFast(ctx, in, out));

        std::vector<std::string> expected = testmedia::PacketHashes(in);
        ASSERT_FALSE(expected.empty());
        std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(testmedia::PacketHashes(out), expected);
        EXPECT_EQ(ProbeErrors(out), "");
        for (const char* entry : {"r_frame_rate", "codec_tag_string", "width", "height"})
            EXPECT_EQ(testmedia::ProbeStream(out, "v:0", entry), testmedia::ProbeStream(in, "v:0", entry)) << entry;
        EXPECT_EQ(testmedia::ProbeStream(out, "v:0", "codec_name"), "mjpeg");
        std::string title;
        testmedia::Run("ffprobe -v error -show_entries stream_tags=title -of default=nw=1:nk=1 " +
                           testmedia::Quote(out),
                       &title);
        EXPECT_EQ(title, "Video #1\n");

        const avi::StreamInfo a = VideoInfo(in), b = VideoInfo(out);
        EXPECT_STREQ(b.szName, "Video #1");
        EXPECT_EQ(b.fccHandler, a.fccHandler);
        EXPECT_EQ(b.dwScale, a.dwScale);
        EXPECT_EQ(b.dwRate, a.dwRate);
        EXPECT_EQ(b.rcFrame.right, a.rcFrame.right);
        EXPECT_EQ(b.rcFrame.bottom, a.rcFrame.bottom);
        EXPECT_EQ(b.dwLength, a.dwLength);

        // Range N, position 0, then one position per frame; previews of output frames 0, 16, 32.
        const long long n = static_cast<long long>(expected.size());
        EXPECT_EQ(PositionsOf(ctx, RecordedCall::Range), std::vector<long long>{n});
        std::vector<long long> positions{0};
        for (long long i = 0; i < n; ++i) positions.push_back(i);
        EXPECT_EQ(PositionsOf(ctx, RecordedCall::Pos), positions);
        std::vector<Bytes> frames;
        ASSERT_TRUE(ReadFrames(out, &frames));
        ASSERT_EQ(previews.size(), static_cast<size_t>((n + 15) / 16));
        for (size_t k = 0; k < previews.size(); ++k) EXPECT_EQ(previews[k], frames[16 * k]);
    }
}

TEST(FastReverse, ZeroFramesGiveOneEmptyVideoStream) {
    TempDir dir;
    ASSERT_TRUE(WriteAvi(dir.File("empty.avi"), {}));
    RecordingContext ctx;
    ASSERT_TRUE(ReverseAviFast(ctx, dir.File("empty.avi"), dir.File("out.avi")));
    EXPECT_EQ(ctx.Values(RecordedCall::Range), std::vector<long long>{0});
    EXPECT_EQ(ctx.Values(RecordedCall::Pos), std::vector<long long>{0});
    avi::Reader r;
    ASSERT_TRUE(r.Open(dir.File("out.avi")));
    ASSERT_EQ(r.StreamCount(), 1);
    EXPECT_EQ(r.Info(0).dwLength, 0u);
    EXPECT_EQ(testmedia::ProbeFormat(dir.File("out.avi"), "nb_streams"), "1");
}

// Without a suggested buffer size the buffer holds width x height x 3 bytes
// (768 for 16 x 16): a longer frame is skipped, keeps its place empty and gets
// no preview, even at a multiple of 16.
TEST(FastReverse, FrameLongerThanTheFallbackBufferIsSkipped) {
    TempDir dir;
    std::vector<Bytes> frames;
    for (int k = 0; k < 20; ++k) frames.push_back(Bytes(static_cast<size_t>(k == 3 ? 769 : 700 + k), uint8_t(k)));
    const std::string in = dir.File("in.avi"), out = dir.File("out.avi");
    ASSERT_TRUE(WriteAvi(in, frames));
    Bytes bytes = ReadBytes(in);
    const long long strh = Find(bytes, "strh");
    ASSERT_GT(strh, 0);
    Patch32(bytes, static_cast<size_t>(strh) + 8 + 36, 0);  // dwSuggestedBufferSize
    WriteBytes(in, bytes);

    RecordingContext ctx;
    ASSERT_TRUE(ReverseAviFast(ctx, in, out));
    std::vector<Bytes> got;
    ASSERT_TRUE(ReadFrames(out, &got));
    ASSERT_EQ(got.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(got[i], i == 16 ? Bytes{} : frames[19 - i]) << i;
    EXPECT_EQ(ctx.Values(RecordedCall::Memory), std::vector<long long>{static_cast<long long>(frames[19].size())});
    const std::vector<long long> pos = ctx.Values(RecordedCall::Pos);
    EXPECT_EQ(std::count(pos.begin(), pos.end(), 16), 0);
    EXPECT_EQ(pos.size(), 20u);  // position 0 first, then 19 frames
}

TEST(FastReverse, KeepsTheBitmapHeaderOnlyAndReplacesAnExistingOutput) {
    TempDir dir;
    TestAvi spec;
    spec.formatSize = 60;
    const std::vector<Bytes> frames(3, Bytes(100, 7));
    ASSERT_TRUE(WriteAvi(dir.File("in.avi"), frames, spec));
    WriteBytes(dir.File("out.avi"), Bytes(5000, 0xAB));
    RecordingContext ctx;
    ASSERT_TRUE(ReverseAviFast(ctx, dir.File("in.avi"), dir.File("out.avi")));
    avi::Reader in, out;
    ASSERT_TRUE(in.Open(dir.File("in.avi")));
    ASSERT_TRUE(out.Open(dir.File("out.avi")));
    ASSERT_EQ(in.Format(0).size(), 60u);
    EXPECT_EQ(out.Format(0), Bytes(in.Format(0).begin(), in.Format(0).begin() + 40));
    EXPECT_EQ(out.Info(0).dwLength, 3u);
}

// A cancel stops before the next frame; the output is complete and its
// derived header fields count the frames really written.
TEST(FastReverse, CancelKeepsAValidOutput) {
    TempDir dir;
    const std::string in = dir.File("in.avi"), out = dir.File("out.avi");
    ASSERT_TRUE(WriteAvi(in, MakeJpegs(dir.path(), 30, 64, 48)));
    struct Case {
        const char* name;
        std::function<bool(const RecordedCall&)> when;
        uint32_t frames;
    };
    const Case cases[] = {
        {"before the first frame", [](const RecordedCall& c) { return c.kind == RecordedCall::Range; }, 0},
        {"after frame 5", [](const RecordedCall& c) { return c.kind == RecordedCall::Pos && c.value == 5; }, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingContext ctx;
        ctx.cancelWhen = c.when;
        ASSERT_TRUE(ReverseAviFast(ctx, in, out));
        const Bytes b = ReadBytes(out);
        const long long avih = Find(b, "avih"), strh = Find(b, "strh"), dmlh = Find(b, "dmlh");
        ASSERT_GT(avih, 0);
        EXPECT_EQ(Get32(b, static_cast<size_t>(avih) + 8 + 16), c.frames);  // dwTotalFrames
        EXPECT_EQ(Get32(b, static_cast<size_t>(strh) + 8 + 32), c.frames);  // dwLength
        EXPECT_EQ(Get32(b, static_cast<size_t>(dmlh) + 8), c.frames);
        EXPECT_EQ(ProbeErrors(out), "");
        if (c.frames > 0) {
            EXPECT_EQ(ProbePackets(out), c.frames);
        }
        EXPECT_EQ(testmedia::ProbeFormat(out, "nb_streams"), "1");
        std::vector<Bytes> got;
        ASSERT_TRUE(ReadFrames(out, &got));
        EXPECT_EQ(got.size(), c.frames);
    }
}

TEST(FastReverse, RefusesWhatItCannotReverse) {
    TempDir dir;
    ASSERT_TRUE(testmedia::Run("ffmpeg -nostdin -v error -f lavfi -i sine=d=0.5 -c:a pcm_s16le " +
                               testmedia::Quote(dir.File("sound.avi"))) == 0);
    WriteWav(dir.File("sound.wav"), Ramp(1000), 8000, 1);
    ASSERT_TRUE(WriteAvi(dir.File("ok.avi"), {Bytes(10, 1)}));
    struct Case {
        const char* name;
        std::string source, target;
    };
    const Case cases[] = {
        {"AVI without a video stream", dir.File("sound.avi"), dir.File("a.avi")},
        {"WAV file", dir.File("sound.wav"), dir.File("b.avi")},
        {"missing source", dir.File("none.avi"), dir.File("c.avi")},
        {"output folder missing", dir.File("ok.avi"), dir.File("no/such/out.avi")},
    };
    for (const Case& c : cases) {
        RecordingContext ctx;
        EXPECT_FALSE(ReverseAviFast(ctx, c.source, c.target)) << c.name;
        EXPECT_TRUE(ctx.Values(RecordedCall::Log).empty());
        EXPECT_TRUE(ctx.Values(RecordedCall::Message).empty());
    }
}
