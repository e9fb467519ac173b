// Copy with progress in KiB: sizes around the 1024-byte block, cancel, and
// the failures that must leave no destination behind.
#include <gtest/gtest.h>

#include "avi/copy.h"
#include "tests/avi/avi_fixtures.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using namespace avitest;
using testmedia::TempDir;

namespace {

Bytes Pattern(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>((i * 131 + i / 251) & 0xFF);
    return b;
}

}  // namespace

TEST(Copy, CopiesInBlocksWithProgressInKiB) {
    struct Case {
        size_t size;
        long long range;
        std::vector<long long> positions;  // after the initial 0
    };
    std::vector<long long> many;
    for (long long k = 1; k <= 2048; ++k) many.push_back(k);
    many.push_back(2048);  // the last, partial block
    const Case cases[] = {
        {0, 0, {}},
        {1023, 0, {0}},
        {3000, 2, {1, 2, 2}},
        {2 * 1024 * 1024 + 5, 2048, many},  // more than one read of the source
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        TempDir dir;
        WriteBytes(dir.File("src"), Pattern(c.size));
        WriteBytes(dir.File("dst"), Bytes(5000, 1));  // an existing destination is truncated
        RecordingContext ctx;
        ASSERT_TRUE(CopyFileWithProgress(ctx, dir.File("src"), dir.File("dst")));
        EXPECT_EQ(ReadBytes(dir.File("dst")), Pattern(c.size));
        EXPECT_EQ(ctx.Values(RecordedCall::Range), std::vector<long long>{c.range});
        std::vector<long long> positions{0};
        positions.insert(positions.end(), c.positions.begin(), c.positions.end());
        EXPECT_EQ(ctx.Values(RecordedCall::Pos), positions);
    }
}

TEST(Copy, CancelKeepsTheBlocksCopiedSoFar) {
    TempDir dir;
    WriteBytes(dir.File("src"), Pattern(10000));
    RecordingContext ctx;
    ctx.cancelWhen = [](const RecordedCall& c) { return c.kind == RecordedCall::Pos && c.value == 2; };
    ASSERT_TRUE(CopyFileWithProgress(ctx, dir.File("src"), dir.File("dst")));
    const Bytes all = Pattern(10000);
    EXPECT_EQ(ReadBytes(dir.File("dst")), Bytes(all.begin(), all.begin() + 2048));
}

TEST(Copy, FailuresLeaveNoDestination) {
    TempDir dir;
    WriteBytes(dir.File("src"), Pattern(100));
    WriteBytes(dir.File("old"), Pattern(10));
    struct Case {
        const char* name;
        std::string source, dest;
    };
    const Case cases[] = {
        {"missing source", dir.File("none"), dir.File("old")},
        {"source is a folder", dir.path(), dir.File("old2")},
        {"destination folder missing", dir.File("src"), dir.File("no/such/dst")},
    };
    for (const Case& c : cases) {
        RecordingContext ctx;
        EXPECT_FALSE(CopyFileWithProgress(ctx, c.source, c.dest)) << c.name;
        EXPECT_FALSE(testmedia::Exists(c.dest)) << c.name;
    }
}
