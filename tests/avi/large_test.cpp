// An input past 1 GiB (ffmpeg's OpenDML, RIFF AVIX parts) reversed into an
// output past 1 GiB (our OpenDML). Label "large"; skipped without 4 GiB free.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "avi/avi_reader.h"
#include "avi/fast_reverse.h"
#include "tests/avi/avi_fixtures.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using namespace avitest;
using testmedia::Quote;

namespace {

// Bytes of the first RIFF part: a file larger than that goes on in AVIX parts.
long long FirstPartSize(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    uint8_t head[8] = {};
    f.read(reinterpret_cast<char*>(head), sizeof head);
    return 8ll + avi::Le32(head + 4);
}

}  // namespace

TEST(LargeAvi, ReversesPastOneGiB) {
    testmedia::TempDir dir;
    const unsigned long long free = FreeBytes(dir.path());
    if (free < (4ull << 30)) GTEST_SKIP() << "needs 4 GiB free in " << dir.path() << ", has " << (free >> 20) << " MiB";

    // 50 large, distinct noisy frames, repeated by a stream copy until past 1 GiB.
    const std::string small = dir.File("small.avi"), in = dir.File("in.avi"), out = dir.File("out.avi");
    ASSERT_EQ(testmedia::Run("ffmpeg -nostdin -v error -f lavfi -i \"testsrc2=s=1920x1080:r=25:d=2,noise=alls=60:allf=t\" "
                             "-c:v mjpeg -q:v 2 " + Quote(small)),
              0);
    const long long loops = (1200ll << 20) / std::max(1ll, testmedia::FileSize(small)) + 1;
    ASSERT_EQ(testmedia::Run("ffmpeg -nostdin -v error -stream_loop " + std::to_string(loops) + " -i " + Quote(small) +
                             " -c copy " + Quote(in)),
              0);
    ASSERT_GT(testmedia::FileSize(in), 1ll << 30);
    ASSERT_LT(FirstPartSize(in), testmedia::FileSize(in));  // ffmpeg went on in AVIX parts

    avi::Reader reader;
    ASSERT_TRUE(reader.Open(in));
    const uint32_t frames = reader.Info(reader.FindStream(avi::kStreamTypeVideo)).dwLength;
    EXPECT_EQ(static_cast<long long>(frames), ProbePackets(in));

    RecordingContext ctx;
    ASSERT_TRUE(ReverseAviFast(ctx, in, out));
    ASSERT_GT(testmedia::FileSize(out), 1ll << 30);
    EXPECT_LE(FirstPartSize(out), 1ll << 30);
    EXPECT_EQ(ProbeErrors(out), "");
    EXPECT_EQ(ProbePackets(out), static_cast<long long>(frames));
    std::vector<std::string> expected = testmedia::PacketHashes(in);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(testmedia::PacketHashes(out), expected);
}
