#include "tests/reliability/cli_fixture.h"

#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace reltest {

namespace {
const std::string kCli = AMBRELO_BINARY_DIR "/cli/ambrelo-cli";
}

bool Ffmpeg(const std::string& args) {
    std::string out;
    const int rc = testmedia::Run("ffmpeg -nostdin -v error -y " + args + " 2>&1", &out);
    if (rc != 0) ADD_FAILURE() << "ffmpeg " << args << "\n" << out;
    return rc == 0;
}

std::string Ramp(const std::string& size, double seconds, const std::string& rate) {
    return "-f lavfi -i \"color=c=black:s=" + size + ":r=" + rate + ":d=" + std::to_string(seconds) +
           ",format=yuv444p,geq=lum='16+mod(4*N\\,220)':cb=128:cr=128\"";
}

std::string Tone(int rate, double seconds) {
    return "-f lavfi -i \"aevalsrc=0.8*t*sin(2*PI*440*t):s=" + std::to_string(rate) + ":d=" +
           std::to_string(seconds) + "\"";
}

std::string Unix(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

bool CanMount() {
    if (::geteuid() != 0) return false;
    SmallDisk probe(64 * 1024);
    return probe.mounted();
}

SmallDisk::SmallDisk(long long bytes, bool readOnly) {
    if (::geteuid() != 0 || dir_.path().empty()) return;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    mounted_ = ::mount("tmpfs", dir_.path().c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
}

Outcome CliFixture::Run(const std::string& input, const std::string& args, const std::string& tmpdir) {
    using testmedia::Quote;
    const std::string tmp = tmpdir.empty() ? tmp_.path() : tmpdir;
    const std::string before = testmedia::Exists(input) ? testmedia::Sha256(input) : "";
    const std::string errFile = home_.File("stderr.txt");
    const std::string cmd = "HOME=" + Quote(home_.path()) + " XDG_CONFIG_HOME=" + Quote(home_.File("config")) +
                            " TMPDIR=" + Quote(tmp) + " " + Quote(kCli) + " -q " + args + " " + Quote(input) +
                            " 2>" + Quote(errFile);
    Outcome o;
    o.status = testmedia::Run(cmd, &o.out);
    std::ifstream f(errFile);
    o.err.assign(std::istreambuf_iterator<char>(f), {});

    if (!before.empty()) {
        EXPECT_EQ(testmedia::Sha256(input), before) << "the input was changed";
    }
    ExpectNoTemporaryFile(tmp);
    return o;
}

void ExpectNoTemporaryFile(const std::string& tmpdir) {
    for (const auto& e : std::filesystem::recursive_directory_iterator(tmpdir))
        EXPECT_FALSE(e.is_regular_file()) << "left behind: " << e.path();
}

void CliFixture::ExpectAnswer(const Outcome& o, const Answer& a) {
    EXPECT_EQ(o.status, a.status) << o.out << o.err;
    const bool done = o.out.find("* Process done !\n") != std::string::npos;
    EXPECT_EQ(done, a.status == 0) << o.out;
    EXPECT_EQ(o.err.find("反向转换完成 !") != std::string::npos, a.status == 0) << o.err;
    if (a.error) {
        EXPECT_NE(o.out.find(Unix(a.error->log.def)), std::string::npos) << o.out;
        EXPECT_NE(o.err.find("Error: " + Unix(a.error->box.def)), std::string::npos) << o.err;
    }
    if (!a.line.empty()) {
        EXPECT_NE(o.out.find(a.line), std::string::npos) << a.line << "\n" << o.out;
    }
}

void CliFixture::ExpectReversedFrames(const std::string& output, const std::string& input, int tolerance) {
    const std::vector<int> in = testmedia::GreyLevels(input);
    const std::vector<int> out = testmedia::GreyLevels(output);
    ASSERT_FALSE(in.empty()) << input;
    ASSERT_EQ(out.size(), in.size()) << output;
    for (size_t i = 0; i < in.size(); ++i) EXPECT_NEAR(out[i], in[in.size() - 1 - i], tolerance) << "frame " << i;
}

void CliFixture::ExpectReversedRamp(const std::string& output, int count, int tolerance) {
    const std::vector<int> out = testmedia::GreyLevels(output);
    ASSERT_EQ(out.size(), static_cast<size_t>(count)) << output;
    for (int i = 0; i < count; ++i) EXPECT_NEAR(out[i], testmedia::ExpectedGrey(count - 1 - i), tolerance) << "frame " << i;
}

void CliFixture::ExpectFallingSound(const std::string& output) {
    const auto env = testmedia::Envelope(testmedia::DecodeAudio(output), 4);
    ASSERT_EQ(env.size(), 4u) << output;
    EXPECT_GT(env[0], env[3] * 1.5) << "the sound should fall away";
}

}  // namespace reltest
