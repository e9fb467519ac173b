// Outputs on a full file system: a small tmpfs mounted for the test (needs
// root; skipped otherwise). Every operation must answer false.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>

#include "avi/avi_writer.h"
#include "avi/copy.h"
#include "avi/fast_reverse.h"
#include "avi/mux.h"
#include "tests/avi/avi_fixtures.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using namespace avitest;

namespace {

class SmallFileSystem {
public:
    explicit SmallFileSystem(const std::string& path) : path_(path) {
        std::filesystem::create_directories(path_);
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=256k") == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    std::string path_;
    bool mounted_ = false;
};

}  // namespace

TEST(WriteFailure, FullDiskGivesFalse) {
    testmedia::TempDir dir;
    SmallFileSystem full(dir.File("full"));
    if (!full.mounted()) GTEST_SKIP() << "needs root and a tmpfs mount";
    // About 1 MiB of frames: four times what the file system holds.
    std::vector<Bytes> frames;
    for (int k = 0; k < 100; ++k) frames.push_back(Bytes(10 * 1024, static_cast<uint8_t>(k)));
    const std::string video = dir.File("video.avi"), wav = dir.File("sound.wav");
    ASSERT_TRUE(WriteAvi(video, frames));
    WriteWav(wav, Ramp(44100), 44100, 1);

    RecordingContext ctx;
    EXPECT_FALSE(ReverseAviFast(ctx, video, dir.File("full/rev.avi")));
    EXPECT_FALSE(MuxAviAndWav(ctx, video, wav, dir.File("full/mux.avi"), 25.0));
    std::filesystem::remove(dir.File("full/rev.avi"));
    std::filesystem::remove(dir.File("full/mux.avi"));
    EXPECT_FALSE(CopyFileWithProgress(ctx, video, dir.File("full/copy.avi")));
    EXPECT_FALSE(testmedia::Exists(dir.File("full/copy.avi")));
    // A frame small enough to wait in the writer's buffer fails at Close.
    WriteBytes(dir.File("full/filler"), Bytes(250 * 1024, 0));
    avi::Writer w;
    ASSERT_TRUE(w.Create(dir.File("full/direct.avi")));
    avi::StreamInfo info;
    info.fccType = avi::kStreamTypeVideo;
    const int s = w.CreateStream(info);
    const Bytes format(40, 0), frame(10 * 1024, 1);
    ASSERT_TRUE(w.SetFormat(s, format.data(), format.size()));
    EXPECT_TRUE(w.Write(s, 0, frame.data(), frame.size(), avi::kKeyFrame));
    EXPECT_FALSE(w.Close());
}
