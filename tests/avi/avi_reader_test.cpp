// The reader against every way a file can locate its frames, and the writer's
// OpenDML layout read back by ffprobe.
#include <gtest/gtest.h>

#include <functional>

#include "avi/avi_reader.h"
#include "avi/avi_writer.h"
#include "avi/fast_reverse.h"
#include "tests/avi/avi_fixtures.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using namespace avitest;
using testmedia::TempDir;

namespace {

// Renames every chunk `from` to `to` (same size), so that readers skip it.
void Rename(Bytes& b, const char* from, const char* to) {
    for (long long at = Find(b, from); at >= 0; at = Find(b, from, static_cast<size_t>(at) + 4))
        std::memcpy(b.data() + at, to, 4);
}

}  // namespace

TEST(AviReader, FindsTheFramesThroughEveryKindOfIndex) {
    TempDir dir;
    const std::vector<Bytes> frames = MakeJpegs(dir.path(), 120, 64, 48, 2);
    ASSERT_EQ(frames.size(), 120u);
    TestAvi spec;
    spec.width = 64;
    spec.height = 48;
    spec.partLimit = 12 * 1024;
    const std::string odml = dir.File("odml.avi");
    ASSERT_TRUE(WriteAvi(odml, frames, spec));

    // The parts: one "AVI " and several "AVIX", each within the limit.
    const Bytes b = ReadBytes(odml);
    int parts = 0;
    for (size_t pos = 0; pos + 12 <= b.size(); pos += 8 + Get32(b, pos + 4)) {
        ASSERT_EQ(std::memcmp(b.data() + pos, "RIFF", 4), 0);
        EXPECT_LE(Get32(b, pos + 4) + 8u, spec.partLimit);
        EXPECT_EQ(std::memcmp(b.data() + pos + 8, parts == 0 ? "AVI " : "AVIX", 4), 0);
        ++parts;
    }
    EXPECT_GE(parts, 3);
    EXPECT_EQ(ProbeErrors(odml), "");
    EXPECT_EQ(ProbePackets(odml), 120);

    // The ffmpeg file's idx1 counts from "movi"; a copy counts from the file start.
    const std::string ffmpegAvi = dir.File("ffmpeg.avi");
    ASSERT_TRUE(WriteAvi(dir.File("tmp.avi"), frames));
    ASSERT_EQ(testmedia::Run("ffmpeg -nostdin -v error -i " + testmedia::Quote(dir.File("tmp.avi")) +
                             " -c copy " + testmedia::Quote(ffmpegAvi)),
              0);
    struct Case {
        const char* name;
        std::string base;
        std::function<void(Bytes&)> change;
    };
    const Case cases[] = {
        {"OpenDML indexes across RIFF parts", odml, [](Bytes&) {}},
        {"idx1 of the first part, then a scan of the others", odml, [](Bytes& x) { Rename(x, "indx", "JUNK"); }},
        {"no index: a scan of every movi list", odml,
         [](Bytes& x) {
             Rename(x, "indx", "JUNK");
             Rename(x, "idx1", "JUNK");
         }},
        {"ffmpeg's idx1, relative to movi", ffmpegAvi, [](Bytes&) {}},
        {"idx1 relative to the file start", ffmpegAvi,
         [](Bytes& x) {
             const size_t movi = static_cast<size_t>(Find(x, "movi"));
             const size_t idx1 = static_cast<size_t>(Find(x, "idx1"));
             for (size_t e = idx1 + 8; e + 16 <= idx1 + 8 + Get32(x, idx1 + 4); e += 16)
                 Patch32(x, e + 8, Get32(x, e + 8) + static_cast<uint32_t>(movi));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = ReadBytes(c.base);
        c.change(bytes);
        WriteBytes(dir.File("case.avi"), bytes);
        std::vector<Bytes> got;
        ASSERT_TRUE(ReadFrames(dir.File("case.avi"), &got));
        EXPECT_EQ(got, frames);
    }

    // A multi-part source reverses like any other.
    RecordingContext ctx;
    ASSERT_TRUE(ReverseAviFast(ctx, odml, dir.File("rev.avi")));
    std::vector<std::string> hashes = testmedia::PacketHashes(odml);
    std::reverse(hashes.begin(), hashes.end());
    EXPECT_EQ(testmedia::PacketHashes(dir.File("rev.avi")), hashes);
}

// A WAV file is one sound stream counted in sample frames, whatever the
// shape of its header.
TEST(AviReader, OpensWaveFilesAsOneSoundStream) {
    TempDir dir;
    const std::vector<int16_t> stereo = Ramp(2 * 5000);
    Bytes data(stereo.size() * 2);
    for (size_t i = 0; i < stereo.size(); ++i) avi::Put16(data.data() + 2 * i, static_cast<uint16_t>(stereo[i]));
    struct Case {
        const char* name;
        int fmtSize;
        std::function<void(Bytes&)> change;
    };
    const Case cases[] = {
        {"16-byte format", 16, [](Bytes&) {}},
        {"18-byte format", 18, [](Bytes&) {}},
        {"data size never filled in", 16, [](Bytes& b) { Patch32(b, static_cast<size_t>(Find(b, "data")) + 4, 0); }},
        {"data size past the end", 16,
         [](Bytes& b) { Patch32(b, static_cast<size_t>(Find(b, "data")) + 4, 0x7FFFFFF0u); }},
        {"odd chunk before the data", 16,
         [](Bytes& b) {
             const size_t at = static_cast<size_t>(Find(b, "data"));
             const uint8_t junk[] = {'J', 'U', 'N', 'K', 3, 0, 0, 0, 1, 2, 3, 0};
             b.insert(b.begin() + static_cast<long>(at), junk, junk + sizeof junk);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteWav(dir.File("s.wav"), stereo, 22050, 2, c.fmtSize);
        Bytes b = ReadBytes(dir.File("s.wav"));
        c.change(b);
        WriteBytes(dir.File("s.wav"), b);
        avi::Reader r;
        ASSERT_TRUE(r.Open(dir.File("s.wav")));
        ASSERT_EQ(r.StreamCount(), 1);
        const avi::StreamInfo& info = r.Info(0);
        EXPECT_EQ(info.fccType, avi::kStreamTypeAudio);
        EXPECT_EQ(info.dwRate / info.dwScale, 22050u);
        EXPECT_EQ(info.dwLength, 5000u);
        EXPECT_EQ(r.Format(0).size(), static_cast<size_t>(c.fmtSize));
        Bytes all, buffer(4 * 1024);
        uint32_t pos = 0;
        size_t bytes = 0;
        uint32_t n = 0;
        while (r.Read(0, pos, 1024, buffer.data(), buffer.size(), &bytes, &n)) {
            ASSERT_EQ(bytes, 4u * n);
            all.insert(all.end(), buffer.begin(), buffer.begin() + static_cast<long>(bytes));
            pos += n;
        }
        EXPECT_EQ(all, data);
        // A buffer too small for one sample frame fails the read.
        EXPECT_FALSE(r.Read(0, 0, 1024, buffer.data(), 3, &bytes, &n));
    }
}
