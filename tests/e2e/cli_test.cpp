// ambrelo-cli end to end: real clips in, outputs checked with ffprobe and
// decoded data, exit statuses, refusals, and Ctrl-C.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/common/media.h"

using testmedia::Quote;
using testmedia::TempDir;

namespace {

const std::string kCli = AMBRELO_BINARY_DIR "/cli/ambrelo-cli";

class Cli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        clips_ = new TempDir;
        testmedia::ClipSpec spec;
        spec.seconds = 1.6;
        spec.sound = true;
        ASSERT_TRUE(testmedia::MakeClip(clips_->File("in put é.mp4"), spec));
    }
    static void TearDownTestSuite() {
        delete clips_;
        clips_ = nullptr;
    }

    // Runs the front-end with a private settings store and temporary folder.
    int Run(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
        const std::string errFile = home_.File("stderr.txt");
        const std::string cmd = "HOME=" + Quote(home_.path()) + " XDG_CONFIG_HOME=" + Quote(home_.File("config")) +
                                " TMPDIR=" + Quote(tmp_.path()) + " " + Quote(kCli) + " " + args + " 2>" +
                                Quote(errFile);
        const int rc = testmedia::Run(cmd, out);
        if (err) {
            std::ifstream f(errFile);
            err->assign(std::istreambuf_iterator<char>(f), {});
        }
        return rc;
    }

    bool TemporaryFilesLeft() {
        for (const auto& e : std::filesystem::recursive_directory_iterator(tmp_.path()))
            if (e.is_regular_file()) return true;
        return false;
    }

    static TempDir* clips_;
    TempDir home_;
    TempDir tmp_;
    TempDir out_;
};

TempDir* Cli::clips_ = nullptr;

TEST_F(Cli, ReversesIntoProposedNameWithLogOnStandardOutput) {
    const std::string input = out_.File("clip.mp4");
    std::filesystem::copy_file(clips_->File("in put é.mp4"), input);
    const std::string hash = testmedia::Sha256(input);
    std::string out, err;
    ASSERT_EQ(Run("-q " + Quote(input), &out, &err), 0) << err;
    const std::string output = input + ".rev.avi";
    EXPECT_NE(out.find("* Starting process to reverse video to : " + output + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find("* Process done !\n"), std::string::npos);
    EXPECT_EQ(out.find('\r'), std::string::npos);
    EXPECT_NE(err.find("反向转换完成 !"), std::string::npos);
    const auto grey = testmedia::GreyLevels(output);
    ASSERT_EQ(grey.size(), 40u);
    EXPECT_NEAR(grey.front(), testmedia::ExpectedGrey(39), 4);
    EXPECT_NEAR(grey.back(), testmedia::ExpectedGrey(0), 4);
    EXPECT_EQ(testmedia::Sha256(input), hash);
    EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(Cli, OptionsOverrideSettingsAndLanguage) {
    const std::string output = out_.File("fr.avi");
    std::string out, err;
    ASSERT_EQ(Run("-q --language fr --sound separate -o " + Quote(output) + " " + Quote(clips_->File("in put é.mp4")),
                  &out, &err),
              0)
        << err;
    EXPECT_NE(out.find("* Processus terminé !\n"), std::string::npos) << out;
    EXPECT_TRUE(testmedia::Exists(output + ".wav"));
    EXPECT_TRUE(testmedia::ProbeStream(output, "a", "codec_name").empty());
}

TEST_F(Cli, RefusalsAndExitStatuses) {
    const std::string input = clips_->File("in put é.mp4");
    const std::string text = out_.File("notes.txt");
    std::ofstream(text) << "not a video\n";
    const std::string existing = out_.File("exists.avi");
    std::ofstream(existing) << "keep me";

    std::string out, err;
    EXPECT_EQ(Run(Quote(text), &out, &err), 1);
    EXPECT_NE(err.find("Error 01 : This file seems not to be a valid video file..."), std::string::npos) << err;

    EXPECT_EQ(Run("--sound loud " + Quote(input)), 64);
    EXPECT_EQ(Run("--bitrate -5 " + Quote(input)), 64);
    EXPECT_EQ(Run(""), 64);

    EXPECT_EQ(Run("-o " + Quote(input) + " --force " + Quote(input), &out, &err), 64);
    EXPECT_NE(err.find("input file itself"), std::string::npos) << err;

    EXPECT_EQ(Run("-o " + Quote(existing) + " " + Quote(input), &out, &err), 64);
    std::ifstream kept(existing);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");

    EXPECT_EQ(Run("--probe " + Quote(input), &out), 0);
    EXPECT_NE(out.find("   Audio track detected\n"), std::string::npos) << out;
    EXPECT_FALSE(testmedia::Exists(input + ".rev.avi"));
}

TEST_F(Cli, InterruptCancelsAndCleansUp) {
    // A longer clip so that the job is still running when the signal comes.
    const std::string input = out_.File("long.mp4");
    testmedia::ClipSpec spec;
    spec.width = 640;
    spec.height = 480;
    spec.seconds = 20;
    spec.sound = true;
    ASSERT_TRUE(testmedia::MakeClip(input, spec));
    const std::string output = out_.File("long.avi");

    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("TMPDIR", tmp_.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", home_.File("config").c_str(), 1);
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        execl(kCli.c_str(), "ambrelo-cli", "-q", "-o", output.c_str(), input.c_str(), nullptr);
        _exit(127);
    }
    // Wait until the job has written something, then press Ctrl-C.
    for (int i = 0; i < 200 && !TemporaryFilesLeft(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_FALSE(testmedia::Exists(output));
    EXPECT_FALSE(TemporaryFilesLeft());
}

}  // namespace

namespace {

// Every output format and mode through the front-end: the container and
// codecs, pictures in reverse order and sound played backwards.
TEST_F(Cli, EveryOutputFormatAndMode) {
    const std::string input = clips_->File("in put é.mp4");
    const std::vector<int> in = testmedia::GreyLevels(input);
    const struct {
        const char* args;
        const char* name;
        const char* format;  // ffprobe format_name
        const char* video;
        const char* audio;
    } cases[] = {
        {"--format mp4", "o.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
        {"--format wmv", "o.wmv", "asf", "msmpeg4v3", "wmav2"},
        {"--format same", "o.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "h264", "aac"},
        {"--format same --replace-h264", "o2.mp4", "mov,mp4,m4a,3gp,3g2,mj2", "mpeg4", "aac"},
        {"--format avi --mode slow", "o.avi", "avi", "mjpeg", "pcm_s16le"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const std::string output = out_.File(c.name);
        std::string out, err;
        // The clip's own bit rate is tiny (flat grey frames): give the
        // encoders room so that the levels can be compared.
        ASSERT_EQ(Run(std::string("-q --force --bitrate 2000 ") + c.args + " -o " + Quote(output) + " " + Quote(input), &out, &err), 0)
            << out << err;
        EXPECT_EQ(testmedia::ProbeFormat(output, "format_name"), c.format);
        EXPECT_EQ(testmedia::ProbeStream(output, "v:0", "codec_name"), c.video);
        EXPECT_EQ(testmedia::ProbeStream(output, "a:0", "codec_name"), c.audio);
        const std::vector<int> grey = testmedia::GreyLevels(output);
        ASSERT_EQ(grey.size(), in.size());
        for (size_t i = 0; i < in.size(); ++i) EXPECT_NEAR(grey[i], in[in.size() - 1 - i], 6) << "frame " << i;
        const auto env = testmedia::Envelope(testmedia::DecodeAudio(output), 4);
        ASSERT_EQ(env.size(), 4u);
        EXPECT_GT(env[0], env[3] * 1.5) << "the sound should fall away";
        EXPECT_FALSE(TemporaryFilesLeft());
    }
}

}  // namespace
