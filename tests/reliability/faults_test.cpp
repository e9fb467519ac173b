// Faults through ambrelo-cli: an output folder that cannot be written, a disk
// that fills up during each step of the job, the input deleted after the
// probe, and an output that is the input. Each ends in the error of the step
// that met the fault (or the sound dropped with its warning, for the sound
// steps), never in "Process done !", with the input untouched and no
// temporary file left.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "engine/output_naming.h"
#include "engine/probe.h"
#include "engine/reversal_job.h"
#include "engine/temp_files.h"
#include "tests/common/recording_context.h"
#include "tests/reliability/cli_fixture.h"

using testmedia::Quote;

namespace reltest {
namespace {

const std::string kWarnExtraction = "   warning : error in audio extraction. Removing audio from video\n";
const std::string kWarnReversing = "   warning : error in audio reversing. Removing audio from video\n";

// Space a file takes on a tmpfs: whole pages.
long long Pages(long long bytes) { return (bytes + 4095) / 4096 * 4096; }

class Faults : public CliFixture {
protected:
    static void SetUpTestSuite() {
        clips_ = new TempDir;
        ASSERT_TRUE(Ffmpeg(Ramp("160x120", 1) + " " + Tone(48000, 1) +
                           " -c:v libx264 -pix_fmt yuv420p -c:a aac " + Quote(Sound())));
        // A sound the extraction refuses (32-bit samples): dropped, so the
        // reversed video is copied.
        ASSERT_TRUE(Ffmpeg(Ramp("160x120", 1) + " " + Tone(48000, 1) +
                           " -c:v libx264 -pix_fmt yuv420p -c:a pcm_s32le " + Quote(DroppedSound())));
    }
    static void TearDownTestSuite() {
        delete clips_;
        clips_ = nullptr;
    }
    static std::string Sound() { return clips_->File("sound.mp4"); }
    static std::string DroppedSound() { return clips_->File("s32.mkv"); }

    static TempDir* clips_;
};
TempDir* Faults::clips_ = nullptr;

// The ways the output step writes the output file, and the error of each.
struct OutputKind {
    const char* name;
    bool droppedSound;      // the input whose sound is dropped (the copy)
    const char* args;
    const char* file;       // output file name
    int status;
    const jobtext::ErrorText* error;
};
const OutputKind kOutputKinds[] = {
    {"fast reversal into the output", false, "--sound remove --mode fast", "o.avi", 7, &jobtext::kError07},
    {"slow reversal into the output", false, "--sound remove --mode slow", "o.avi", 4, &jobtext::kError04},
    {"fast join", false, "--mode fast", "o.avi", 8, &jobtext::kError08},
    {"slow join", false, "--mode slow", "o.avi", 9, &jobtext::kError09},
    {"copy", true, "", "o.avi", 12, &jobtext::kError20409},
    {"same format", false, "--format same", "o.mp4", 10, &jobtext::kError10Same},
    {"wmv", false, "--format wmv", "o.wmv", 10, &jobtext::kError10Wmv},
    {"mp4", false, "--format mp4", "o.mp4", 11, &jobtext::kError11},
};

TEST_F(Faults, OutputFolderNotWritable) {
    // A "folder" that is a regular file, and (as root) a read-only file system.
    const std::string file = work_.File("a file");
    std::ofstream(file) << "not a folder";
    SmallDisk readOnly(1 << 20, true);
    std::vector<std::string> folders = {file};
    if (readOnly.mounted()) folders.push_back(readOnly.path());

    for (const std::string& folder : folders) {
        for (const OutputKind& k : kOutputKinds) {
            SCOPED_TRACE(folder + " / " + k.name);
            const std::string output = folder + "/" + k.file;
            const Outcome o = Run(k.droppedSound ? DroppedSound() : Sound(), std::string(k.args) + " -o " + Quote(output));
            ExpectAnswer(o, {k.status, k.error, {}});
            EXPECT_FALSE(testmedia::Exists(output));
        }
    }
}

// The sizes of the job's temporary files, watched through a job run in this
// process on the same input with the same settings.
std::map<std::string, long long> TemporarySizes(const std::string& input, int fast) {
    TempDir tmp;
    setenv("TMPDIR", tmp.path().c_str(), 1);
    const TempFileSet temps = MakeTempFileSet();
    std::map<std::string, long long> sizes;
    RecordingContext ctx;
    ctx.m_settings.FastComputation = fast;
    ctx.cancelWhen = [&](const RecordedCall&) {
        for (const std::string* p : {&temps.mjpeg, &temps.preview, &temps.reversed, &temps.audio, &temps.audioRev})
            sizes[*p] = std::max(sizes[*p], testmedia::FileSize(*p));
        return false;
    };
    ctx.m_strInputPath = input;
    EXPECT_TRUE(ProbeInput(ctx).accepted);
    TempDir out;
    ctx.m_strOutputPath = out.File("o.avi");
    EXPECT_EQ(RunReversalJob(ctx), JobOutcome::Done);
    unsetenv("TMPDIR");
    return {{"mjpeg", sizes[temps.mjpeg]}, {"preview", sizes[temps.preview]}, {"reversed", sizes[temps.reversed]},
            {"audio", sizes[temps.audio]}, {"audioRev", sizes[temps.audioRev]}};
}

// The temporary folder on a disk that fills up during each step in turn:
// room for the files of the steps before it and half of its own.
TEST_F(Faults, DiskFullDuringEachTemporaryStep) {
    if (!CanMount()) GTEST_SKIP() << "needs root to mount a small file system";
    const Answer videoDroppedSound = {0, nullptr, {}};
    const struct {
        const char* step;
        int fast;
        std::vector<const char*> before;   // files complete before the step
        const char* own;                   // the file the step writes
        Answer answer;
        std::string warning;               // the sound steps' warning
    } cases[] = {
        {"conversion, fast", 1, {"preview"}, "mjpeg", {2, &jobtext::kError02, {}}, ""},
        {"conversion, slow", 0, {"preview"}, "mjpeg", {2, &jobtext::kError02, {}}, ""},
        {"fast reversal", 1, {"preview", "mjpeg"}, "reversed", {7, &jobtext::kError07, {}}, ""},
        {"slow reversal", 0, {"preview", "mjpeg"}, "reversed", {4, &jobtext::kError04, {}}, ""},
        {"sound extraction", 1, {"preview", "mjpeg", "reversed"}, "audio", videoDroppedSound, kWarnExtraction},
        {"sound reversal", 1, {"preview", "mjpeg", "reversed", "audio"}, "audioRev", videoDroppedSound, kWarnReversing},
    };
    std::map<int, std::map<std::string, long long>> sizes;
    for (int fast : {0, 1}) sizes[fast] = TemporarySizes(Sound(), fast);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        long long room = Pages(sizes[c.fast][c.own]) / 2;
        ASSERT_GE(room, 4096) << "the step's file is too small to fill a disk halfway";
        for (const char* f : c.before) room += Pages(sizes[c.fast][f]);
        SmallDisk disk(room);
        ASSERT_TRUE(disk.mounted());
        const std::string output = work_.File("o.avi");
        const Outcome o = Run(Sound(), std::string("--force --mode ") + (c.fast ? "fast" : "slow") + " -o " + Quote(output),
                              disk.path());
        ExpectAnswer(o, c.answer);
        if (c.answer.status == 0) {
            // The sound is dropped with its warning; the video is right.
            EXPECT_NE(o.out.find(c.warning), std::string::npos) << o.out;
            EXPECT_NE(o.out.find("   Output file copy done !\n"), std::string::npos) << o.out;
            ExpectReversedRamp(output, 25);
            EXPECT_EQ(testmedia::ProbeStream(output, "a", "codec_name"), "");
        }
    }
}

// The output on a disk with room for half of it, for each way of writing it.
TEST_F(Faults, DiskFullWhileWritingTheOutput) {
    if (!CanMount()) GTEST_SKIP() << "needs root to mount a small file system";
    for (const OutputKind& k : kOutputKinds) {
        SCOPED_TRACE(k.name);
        const std::string input = k.droppedSound ? DroppedSound() : Sound();
        const std::string reference = work_.File(k.file);
        ASSERT_EQ(Run(input, std::string(k.args) + " --force -o " + Quote(reference)).status, 0);
        SmallDisk disk(Pages(testmedia::FileSize(reference)) / 2);
        ASSERT_TRUE(disk.mounted());
        const Outcome o = Run(input, std::string(k.args) + " -o " + Quote(disk.File(k.file)));
        ExpectAnswer(o, {k.status, k.error, {}});
    }

    // The separate sound file meets the full disk: the sound is dropped with
    // its warning, the video written before it is whole.
    const std::string reference = work_.File("sep.avi");
    ASSERT_EQ(Run(Sound(), "--sound separate --force -o " + Quote(reference)).status, 0);
    SmallDisk disk(Pages(testmedia::FileSize(reference)) + Pages(testmedia::FileSize(reference + ".wav")) / 2);
    ASSERT_TRUE(disk.mounted());
    const std::string output = disk.File("sep.avi");
    const Outcome o = Run(Sound(), "--sound separate -o " + Quote(output));
    ExpectAnswer(o, {0, nullptr, kWarnReversing});
    EXPECT_FALSE(testmedia::Exists(output + ".wav"));
    ExpectReversedRamp(output, 25);
}

// The input disappears between the probe and the job: the front-end is held
// on its first job log line (a full pipe) while the file is deleted.
TEST_F(Faults, InputDeletedAfterTheProbe) {
    const std::string input = work_.File("going.mp4");
    std::filesystem::copy_file(Sound(), input);
    const std::string report = Run(input, "--probe").out;
    ASSERT_NE(report.find("Audio track detected"), std::string::npos);

    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const int capacity = ::fcntl(fds[1], F_SETPIPE_SZ, 4096);
    ASSERT_GT(capacity, static_cast<int>(report.size()));
    const std::string filler(capacity - report.size(), 'x');
    ASSERT_EQ(::write(fds[1], filler.data(), filler.size()), static_cast<ssize_t>(filler.size()));

    const std::string output = work_.File("going.avi");
    const std::string errFile = work_.File("stderr.txt");
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::setenv("HOME", home_.path().c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", home_.File("config").c_str(), 1);
        ::setenv("TMPDIR", tmp_.path().c_str(), 1);
        ::dup2(fds[1], 1);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(err, 2);
        ::close(fds[0]);
        const std::string cli = AMBRELO_BINARY_DIR "/cli/ambrelo-cli";
        ::execl(cli.c_str(), "ambrelo-cli", "-q", "-o", output.c_str(), input.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(fds[1]);
    // The probe's lines fill the pipe; the job's first line waits for room.
    int queued = 0;
    for (int i = 0; i < 600 && queued < capacity; ++i) {
        ::usleep(50 * 1000);
        ASSERT_EQ(::ioctl(fds[0], FIONREAD, &queued), 0);
    }
    ASSERT_EQ(queued, capacity);
    std::filesystem::remove(input);

    std::string out;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    Outcome o;
    o.status = WEXITSTATUS(status);
    o.out = out.substr(filler.size());
    std::ifstream err(errFile);
    o.err.assign(std::istreambuf_iterator<char>(err), {});
    ExpectAnswer(o, {5, &jobtext::kError05, {}});
    EXPECT_EQ(o.out.rfind(Unix(jobtext::kError05.log.def)), o.out.size() - Unix(jobtext::kError05.log.def).size());
    EXPECT_FALSE(testmedia::Exists(output));
    ExpectNoTemporaryFile(tmp_.path());
}

// An output that is the input, however it is spelled, is refused before
// anything is written.
TEST_F(Faults, OutputThatIsTheInputIsRefused) {
    const std::string input = work_.File("mine.mp4");
    std::filesystem::copy_file(Sound(), input);
    const std::string link = work_.File("link.mp4");
    std::filesystem::create_symlink(input, link);
    // A video named like the separate sound file of an output.
    const std::string wavNamed = work_.File("clip.avi.wav");
    std::filesystem::copy_file(Sound(), wavNamed);
    const std::string sameAsInput = OutputConflictMessage(OutputConflict::SameAsInput, 0);
    const struct {
        const char* name;
        std::string input;
        std::string args;
        std::string message;
    } cases[] = {
        {"the same path", input, "--force -o " + Quote(input), sameAsInput},
        {"through a link", input, "--force -o " + Quote(link), sameAsInput},
        {"spelled with ..", input, "--force -o " + Quote(work_.path() + "/./../" +
                                                          std::filesystem::path(work_.path()).filename().string() +
                                                          "/mine.mp4"),
         sameAsInput},
        {"the separate sound file", wavNamed, "--force --sound separate -o " + Quote(work_.File("clip.avi")),
         sameAsInput},
        {"a temporary file", input,
         "--force -o " + Quote(tmp_.File("ambrelo-" + std::to_string(::getuid()) + "/tmpAMB2Rev.avi")),
         OutputConflictMessage(OutputConflict::TemporaryFile, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome o = Run(c.input, c.args);
        EXPECT_EQ(o.status, 64);
        EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
        EXPECT_EQ(o.out.find("* Starting process"), std::string::npos) << o.out;
        EXPECT_FALSE(testmedia::Exists(work_.File("clip.avi")));
    }
}

}  // namespace
}  // namespace reltest
