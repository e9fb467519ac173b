// Replays the inputs kept for the WAV header reader and the probe (hex text
// in tests/reliability/corpus/: wav_*.hex and probe_*.hex, crashes the
// fuzzers found and hand-made hard cases) through the same checks as their
// fuzz targets.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <vector>

#include "audio/fuzz/wav_header_check.h"
#include "engine/fuzz/probe_check.h"
#include "tests/common/media.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> Corpus(const std::string& prefix) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(fs::path(AMBRELO_SOURCE_DIR) / "tests/reliability/corpus"))
        if (e.path().extension() == ".hex" && e.path().filename().string().rfind(prefix, 0) == 0)
            files.push_back(e.path());
    return files;
}

TEST(Replay, WavHeaderInputs) {
    const auto files = Corpus("wav_");
    ASSERT_FALSE(files.empty());
    for (const fs::path& p : files) {
        SCOPED_TRACE(p.filename().string());
        const auto bytes = testmedia::ReadHexFile(p.string());
        EXPECT_TRUE(CheckWavHeader(bytes.data(), bytes.size()));
    }
}

TEST(Replay, ProbeInputs) {
    const auto files = Corpus("probe_");
    ASSERT_FALSE(files.empty());
    testmedia::TempDir dir;
    for (const fs::path& p : files) {
        SCOPED_TRACE(p.filename().string());
        const auto bytes = testmedia::ReadHexFile(p.string());
        const std::string file = dir.File(p.stem().string());
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
        EXPECT_TRUE(CheckProbe(file));
    }
}

}  // namespace
