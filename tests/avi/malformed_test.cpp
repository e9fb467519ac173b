// Damaged and hostile files: every one gives false or a clean result (an
// output that ffprobe reads without a complaint), never a crash or a huge
// allocation. This suite also runs under AddressSanitizer and UBSan.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "avi/fast_reverse.h"
#include "avi/fuzz/reader_exercise.h"
#include "avi/mux.h"
#include "tests/avi/avi_fixtures.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using namespace avitest;
using testmedia::TempDir;

namespace {

using Change = std::function<void(Bytes&)>;

size_t At(const Bytes& b, const char* code, int nth = 0) {
    long long at = Find(b, code);
    while (at >= 0 && nth-- > 0) at = Find(b, code, static_cast<size_t>(at) + 4);
    if (at < 0) ADD_FAILURE() << "no " << code;
    return at < 0 ? 0 : static_cast<size_t>(at);
}
Change Truncate(double fraction) {
    return [fraction](Bytes& b) { b.resize(static_cast<size_t>(static_cast<double>(b.size()) * fraction)); };
}
Change TruncateAt(const char* code, int extra) {
    return [code, extra](Bytes& b) { b.resize(At(b, code) + static_cast<size_t>(extra)); };
}
Change SetSize(const char* code, uint32_t value, int nth = 0) {
    return [=](Bytes& b) { Patch32(b, At(b, code, nth) + 4, value); };
}
Change SetField(const char* code, size_t offset, uint32_t value) {
    return [=](Bytes& b) { Patch32(b, At(b, code) + 8 + offset, value); };
}
Change RenameChunk(const char* code) {
    return [code](Bytes& b) { std::memcpy(b.data() + At(b, code), "JUNK", 4); };
}
// Every idx1 entry's offset (or size) set to value.
Change Idx1Field(size_t offset, uint32_t value) {
    return [=](Bytes& b) {
        const size_t idx1 = At(b, "idx1");
        for (size_t e = idx1 + 8; e + 16 <= std::min(b.size(), idx1 + 8 + Get32(b, idx1 + 4)); e += 16)
            Patch32(b, e + offset, value);
    };
}

struct Case {
    const char* name;
    int base;  // 0: ffmpeg AVI with sound, 1: our OpenDML AVI in parts, 2: WAV
    Change change;
    bool mustFail = false;
};

}  // namespace

TEST(Malformed, GivesFalseOrACleanResult) {
    TempDir dir;
    const std::string bases[3] = {dir.File("ffmpeg.avi"), dir.File("odml.avi"), dir.File("good.wav")};
    ASSERT_EQ(testmedia::Run("ffmpeg -nostdin -v error -f lavfi -i \"color=c=gray:s=64x48:r=25:d=1\" -f lavfi -i "
                             "\"sine=r=8000:d=1\" -c:v mjpeg -c:a pcm_s16le " +
                             testmedia::Quote(bases[0])),
              0);
    TestAvi spec;
    spec.width = 64;
    spec.height = 48;
    spec.partLimit = 8 * 1024;
    ASSERT_TRUE(WriteAvi(bases[1], MakeJpegs(dir.path(), 40, 64, 48), spec));
    WriteWav(bases[2], Ramp(8000), 8000, 1);

    const uint32_t kHuge = 0xFFFFFFF0u;
    const Case cases[] = {
        {"cut in the RIFF header", 0, Truncate(0.001), true},
        {"cut in the header list", 0, TruncateAt("strf", 6), true},
        {"cut in movi", 0, Truncate(0.5)},
        {"cut in idx1", 0, TruncateAt("idx1", 40)},
        {"RIFF size zero", 0, SetSize("RIFF", 0)},
        {"RIFF size odd", 0, SetSize("RIFF", 1001)},
        {"RIFF size past the end", 0, SetSize("RIFF", kHuge)},
        {"header list size zero", 0, SetSize("LIST", 0), true},
        {"header list size past the end", 0, SetSize("LIST", kHuge)},
        {"strh size past the end", 0, SetSize("strh", kHuge)},
        {"strh size zero", 0, SetSize("strh", 0)},
        {"strf size zero", 0, SetSize("strf", 0), true},
        {"strf size odd", 0, SetSize("strf", 41)},
        {"strf missing", 0, RenameChunk("strf"), true},
        {"movi size past the end", 0, SetSize("LIST", kHuge, 3)},
        {"a frame size past the end", 0, SetSize("00dc", kHuge)},
        {"a frame size odd", 0, SetSize("00dc", 3)},
        {"idx1 size odd", 0, SetSize("idx1", 17)},
        {"idx1 pointing outside the file", 0, Idx1Field(8, 0x7FFFFFF0u)},
        {"idx1 sizes past the end", 0, Idx1Field(12, kHuge)},
        {"suggested buffer size 4 GiB", 0, SetField("strh", 36, kHuge)},
        {"no suggested size, huge picture", 0,
         [](Bytes& b) {
             Patch32(b, At(b, "strh") + 8 + 36, 0);
             Patch32(b, At(b, "strf") + 8 + 4, 0x7FFFFFFF);
             Patch32(b, At(b, "strf") + 8 + 8, 0x80000000u);
         },
         true},
        {"sound block align zero", 0, [](Bytes& b) { std::memset(b.data() + At(b, "strf", 1) + 8 + 12, 0, 2); }},
        {"sound sample size zero", 0, [](Bytes& b) { Patch32(b, At(b, "strh", 1) + 8 + 44, 0); }},
        {"OpenDML: super index entry outside the file", 1,
         [](Bytes& b) { Patch32(b, At(b, "indx") + 8 + 24, kHuge); }},
        {"OpenDML: super index counting too many entries", 1, SetField("indx", 4, kHuge)},
        {"OpenDML: standard index counting too many entries", 1, SetField("ix00", 4, kHuge)},
        {"OpenDML: standard index base past the file", 1,
         [](Bytes& b) { Patch32(b, At(b, "ix00") + 8 + 16, kHuge); }},
        {"OpenDML: cut in the second part", 1, Truncate(0.4)},
        {"OpenDML: AVIX size zero", 1, SetSize("RIFF", 0, 1)},
        {"WAV: cut in the header", 2, Truncate(0.0005), true},
        {"WAV: format size zero", 2, SetSize("fmt ", 0), true},
        {"WAV: format past the end", 2, SetSize("fmt ", kHuge), true},
        {"WAV: no format", 2, RenameChunk("fmt "), true},
        {"WAV: no data", 2, RenameChunk("data"), true},
        {"WAV: data size odd", 2, SetSize("data", 1001)},
        {"WAV: cut in the data", 2, Truncate(0.5)},
        {"WAV: block align zero", 2, [](Bytes& b) { std::memset(b.data() + At(b, "fmt ") + 8 + 12, 0, 2); }, true},
        {"WAV: sample rate zero", 2, SetField("fmt ", 4, 0), true},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = ReadBytes(bases[c.base]);
        c.change(bytes);
        EXPECT_TRUE(avi::ExerciseFrameReading(bytes.data(), bytes.size()));
        EXPECT_TRUE(avi::ExerciseSoundReading(bytes.data(), bytes.size()));
        const std::string bad = dir.File(c.base == 2 ? "bad.wav" : "bad.avi");
        WriteBytes(bad, bytes);

        RecordingContext ctx;
        const std::string out = dir.File("out.avi");
        bool ok;
        if (c.base == 2) {
            ok = MuxAviAndWav(ctx, bases[1], bad, out, 25.0);
        } else {
            ok = ReverseAviFast(ctx, bad, out);
            if (ok) {
                EXPECT_EQ(ProbeErrors(out), "") << "reversal";
            }
            RecordingContext ctx2;
            const bool joined = MuxAviAndWav(ctx2, bad, bases[2], out, 25.0);
            if (joined) {
                EXPECT_EQ(ProbeErrors(out), "") << "join";
            }
            ok = ok || joined;
        }
        if (c.mustFail) {
            EXPECT_FALSE(ok);
        }
        if (ok && c.base == 2) {
            EXPECT_EQ(ProbeErrors(out), "");
        }
    }
}
