// Replays the fuzzers' seeds and every input they ever found (kept as hex
// text in tests/avi/corpus/) through the reader. With AMBRELO_SEED_DIR set,
// the generated seeds are also copied there for avi/fuzz/run_fuzzers.sh.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "avi/fuzz/reader_exercise.h"
#include "avi/mux.h"
#include "tests/avi/avi_fixtures.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using namespace avitest;
namespace fs = std::filesystem;

namespace {

void Replay(const std::string& name, const Bytes& b) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(avi::ExerciseFrameReading(b.data(), b.size()));
    EXPECT_TRUE(avi::ExerciseSoundReading(b.data(), b.size()));
}

}  // namespace

TEST(CorpusReplay, SeedsReadCleanly) {
    testmedia::TempDir dir;
    const std::string seeds = dir.File("seeds");
    ASSERT_EQ(testmedia::Run(testmedia::Quote(std::string(AMBRELO_SOURCE_DIR) + "/avi/fuzz/make_seeds.sh") + " " +
                             testmedia::Quote(seeds)),
              0);
    // Our own OpenDML layout in small parts, and a joined file with sound.
    TestAvi spec;
    spec.partLimit = 6 * 1024;
    const std::vector<Bytes> frames = MakeJpegs(dir.path(), 12, 16, 16, 31);
    ASSERT_TRUE(WriteAvi(seeds + "/odml_parts.avi", frames, spec));
    WriteWav(dir.File("s.wav"), Ramp(3000), 8000, 1);
    RecordingContext ctx;
    ASSERT_TRUE(MuxAviAndWav(ctx, seeds + "/odml_parts.avi", dir.File("s.wav"), seeds + "/joined.avi", 5.0));

    int count = 0;
    for (const auto& entry : fs::directory_iterator(seeds)) {
        Replay(entry.path().filename().string(), ReadBytes(entry.path().string()));
        ++count;
    }
    EXPECT_GE(count, 7);
    if (const char* out = std::getenv("AMBRELO_SEED_DIR")) {
        fs::create_directories(out);
        for (const auto& entry : fs::directory_iterator(seeds))
            fs::copy_file(entry.path(), fs::path(out) / entry.path().filename(), fs::copy_options::overwrite_existing);
    }
}

TEST(CorpusReplay, FoundInputsReadCleanly) {
    const fs::path corpus = fs::path(AMBRELO_SOURCE_DIR) / "tests/avi/corpus";
    int count = 0;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        if (entry.path().extension() != ".hex") continue;
        Replay(entry.path().filename().string(), testmedia::ReadHexFile(entry.path().string()));
        ++count;
    }
    EXPECT_GT(count, 0) << "no .hex input in " << corpus;
}
