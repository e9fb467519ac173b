// Hard inputs through ambrelo-cli: files that are not videos, damaged
// videos, unusual shapes and unusual paths. Each row is made here, at test
// time, and checked for what the user sees: the error and its texts, or an
// output whose frames are the input's in reverse order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "tests/reliability/cli_fixture.h"

using testmedia::Quote;

namespace reltest {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The offset of the n-th chunk (from 0) with this id inside movi.
size_t NthChunk(const std::string& avi, const std::string& id, int n) {
    size_t pos = avi.find("movi");
    for (int i = 0; pos != std::string::npos && i <= n; ++i) pos = avi.find(id, pos + 4);
    return pos;
}

// One row: an input made at test time, the options of the run, what the user
// must see, and the checks of the output when one is written.
struct Row {
    const char* name;
    std::string file;                                     // input file name
    std::function<bool(const std::string&)> make;         // writes the input
    std::string args;                                     // front-end options
    Answer answer;
    std::function<void(const std::string& in, const std::string& out)> check;  // for status 0
};

class HardInputs : public CliFixture {
protected:
    void RunRows(const std::vector<Row>& rows) {
        for (const Row& r : rows) {
            SCOPED_TRACE(r.name);
            const std::string input = work_.File(r.file);
            ASSERT_TRUE(r.make(input));
            const std::string output = work_.File(std::string(r.name) + ".out.avi");
            const Outcome o = Run(input, r.args + " --force -o " + Quote(output));
            ExpectAnswer(o, r.answer);
            if (r.answer.status == 0 && r.check) r.check(input, output);
            if (r.answer.status != 0) {
                EXPECT_FALSE(testmedia::Exists(output));
            }
        }
    }
};

const Answer kNotAVideo{1, &jobtext::kError01, {}};
const Answer kDone{0, nullptr, {}};

TEST_F(HardInputs, NotAVideo) {
    const std::vector<Row> rows = {
        {"text", "notes.txt", [](const std::string& p) { WriteAll(p, "hello, this is not a video\n"); return true; },
         "", kNotAVideo, {}},
        {"empty", "empty.mp4", [](const std::string& p) { WriteAll(p, ""); return true; }, "", kNotAVideo, {}},
        {"random bytes", "random.mp4",
         [](const std::string& p) {
             std::mt19937 rng(9);
             std::string bytes(20000, '\0');
             for (char& c : bytes) c = static_cast<char>(rng() & 0xFF);
             WriteAll(p, bytes);
             return true;
         },
         "", kNotAVideo, {}},
        {"sound only", "sound.m4a", [](const std::string& p) { return Ffmpeg(Tone(48000, 1) + " -c:a aac " + Quote(p)); },
         "", kNotAVideo, {}},
        // A picture opens as a one-frame video: its one frame comes out.
        {"png picture", "picture.png",
         [](const std::string& p) { return Ffmpeg(Ramp("64x48", 1) + " -frames:v 1 " + Quote(p)); }, "", kDone,
         [](const std::string&, const std::string& out) { ExpectReversedRamp(out, 1); }},
    };
    RunRows(rows);
}

TEST_F(HardInputs, DamagedVideos) {
    const std::string mp4 = work_.File("whole.mp4");
    const std::string mp4Front = work_.File("whole_front.mp4");
    const std::string avi = work_.File("whole.avi");
    ASSERT_TRUE(Ffmpeg(Ramp("160x120", 1) + " " + Tone(48000, 1) + " -c:v libx264 -pix_fmt yuv420p -c:a aac " + Quote(mp4)));
    ASSERT_TRUE(Ffmpeg("-i " + Quote(mp4) + " -c copy -movflags +faststart " + Quote(mp4Front)));
    ASSERT_TRUE(Ffmpeg(Ramp("160x120", 1) + " -c:v mjpeg -pix_fmt yuvj420p -q:v 3 " + Quote(avi)));
    const std::string mp4Bytes = ReadAll(mp4), frontBytes = ReadAll(mp4Front), aviBytes = ReadAll(avi);
    const size_t idx1 = aviBytes.find("idx1");
    const size_t frame12 = NthChunk(aviBytes, "00dc", 12);
    ASSERT_NE(idx1, std::string::npos);
    ASSERT_NE(frame12, std::string::npos);

    // Every other JPEG frame scrambled after its scan header.
    std::string scrambled = aviBytes;
    std::vector<int> intact;
    for (int n = 0;; ++n) {
        const size_t chunk = NthChunk(scrambled, "00dc", n);
        if (chunk == std::string::npos || chunk > idx1) break;
        if (n % 2 == 1) {
            intact.push_back(n);
            continue;
        }
        const uint32_t size = static_cast<uint8_t>(scrambled[chunk + 4]) | static_cast<uint8_t>(scrambled[chunk + 5]) << 8 |
                              static_cast<uint8_t>(scrambled[chunk + 6]) << 16;
        const size_t sos = scrambled.find("\xFF\xDA", chunk + 8);
        for (size_t k = sos + 20; k + 4 < chunk + 8 + size; ++k) scrambled[k] = static_cast<char>(k % 3 ? 0x55 : 0xFF);
    }
    // The picture data of an MP4 (index first) replaced by noise.
    std::string noise = frontBytes;
    std::mt19937 rng(3);
    for (size_t k = noise.find("mdat") + 4; k < noise.size(); ++k) noise[k] = static_cast<char>(rng() & 0xFF);

    const auto bytes = [](std::string b) { return [b](const std::string& p) { WriteAll(p, b); return true; }; };
    const auto ramp = [](int n) { return [n](const std::string&, const std::string& out) { ExpectReversedRamp(out, n); }; };
    const auto scrambledFast = [](const std::string& in, const std::string& out) {
        // Fast mode moves the frames as they are: the damaged ones too.
        auto packets = testmedia::PacketHashes(in);
        std::reverse(packets.begin(), packets.end());
        EXPECT_EQ(testmedia::PacketHashes(out), packets);
    };
    const auto scrambledSlow = [intact](const std::string&, const std::string& out) {
        const std::vector<int> grey = testmedia::GreyLevels(out);
        ASSERT_EQ(grey.size(), 25u);
        for (int n : intact) EXPECT_NEAR(grey[24 - n], testmedia::ExpectedGrey(n), 4) << "source frame " << n;
    };
    const std::vector<Row> rows = {
        // The index (moov) was at the end: nothing to read.
        {"mp4 cut, index at the end", "cut_end.mp4", bytes(mp4Bytes.substr(0, mp4Bytes.size() / 2)), "", kNotAVideo, {}},
        // Index first: the frames before the cut come out, last first.
        {"mp4 cut, index first", "cut_front.mp4", bytes(frontBytes.substr(0, frontBytes.size() / 2)), "", kDone,
         [](const std::string&, const std::string& out) {
             const int n = testmedia::CountFrames(out);
             EXPECT_GE(n, 5);
             ExpectReversedRamp(out, n);
         }},
        {"mjpeg avi cut inside a frame, fast", "cut_frame.avi", bytes(aviBytes.substr(0, frame12 + 200)), "--mode fast",
         kDone, ramp(12)},
        {"mjpeg avi cut inside a frame, slow", "cut_frame.avi", bytes(aviBytes.substr(0, frame12 + 200)), "--mode slow",
         kDone, ramp(12)},
        {"mjpeg avi cut inside its index, fast", "cut_index.avi", bytes(aviBytes.substr(0, idx1 + 8 + 16 * 10 + 5)),
         "--mode fast", kDone, ramp(25)},
        {"mjpeg avi cut inside its index, slow", "cut_index.avi", bytes(aviBytes.substr(0, idx1 + 8 + 16 * 10 + 5)),
         "--mode slow", kDone, ramp(25)},
        {"corrupted jpeg frames, fast", "scrambled.avi", bytes(scrambled), "--mode fast", kDone, scrambledFast},
        {"corrupted jpeg frames, slow", "scrambled.avi", bytes(scrambled), "--mode slow", kDone, scrambledSlow},
        // Not one picture decodes: nothing to reverse.
        {"no frame decodes", "noise.mp4", bytes(noise), "", {3, &jobtext::kError03Step1, {}}, {}},
    };
    RunRows(rows);
}

TEST_F(HardInputs, Shapes) {
    const auto clip = [](const std::string& args) {
        return [args](const std::string& p) { return Ffmpeg(args + " " + Quote(p)); };
    };
    const std::string h264 = " -c:v libx264 -pix_fmt yuv420p";
    const auto ramp = [](int n) { return [n](const std::string&, const std::string& out) { ExpectReversedRamp(out, n); }; };
    const std::string soundDropped = "   warning : error in audio extraction. Removing audio from video\n";
    const auto reversedSound = [](int channels, int rate) {
        return [=](const std::string&, const std::string& out) {
            ExpectReversedRamp(out, 25);
            EXPECT_EQ(testmedia::ProbeStream(out, "a:0", "channels"), std::to_string(channels));
            EXPECT_EQ(testmedia::ProbeStream(out, "a:0", "sample_rate"), std::to_string(rate));
            const auto env = testmedia::Envelope(testmedia::DecodeAudio(out), 4);
            ASSERT_EQ(env.size(), 4u);
            EXPECT_GT(env[0], env[3]);  // the rising tone comes out falling
        };
    };
    const auto silentRamp = [](int n) {
        return [n](const std::string&, const std::string& out) {
            ExpectReversedRamp(out, n);
            EXPECT_EQ(testmedia::ProbeStream(out, "a", "codec_name"), "");
        };
    };
    const std::vector<Row> rows = {
        // The Motion-JPEG writer makes no side under 2 pixels: 1 x 1 comes out 2 x 2.
        {"1x1", "one_pixel.mp4", clip(Ramp("2x2", 1) + " -vf scale=1:1 -c:v libx264 -pix_fmt yuv444p"), "", kDone,
         [](const std::string&, const std::string& out) {
             ExpectReversedRamp(out, 25, 6);
             EXPECT_EQ(testmedia::ProbeStream(out, "v:0", "width"), "2");
             EXPECT_EQ(testmedia::ProbeStream(out, "v:0", "height"), "2");
         }},
        // Odd sizes: the writer makes them even.
        {"321x241", "odd.mp4", clip(Ramp("322x242", 1) + " -vf scale=321:241 -c:v libx264 -pix_fmt yuv444p"), "", kDone,
         [](const std::string&, const std::string& out) {
             ExpectReversedRamp(out, 25);
             EXPECT_NEAR(std::stoi(testmedia::ProbeStream(out, "v:0", "width")), 321, 1);
             EXPECT_NEAR(std::stoi(testmedia::ProbeStream(out, "v:0", "height")), 241, 1);
         }},
        {"h264 4:2:2", "h422.mp4", clip(Ramp("160x120", 1) + " -c:v libx264 -pix_fmt yuv422p"), "", kDone, ramp(25)},
        {"h264 10-bit", "h10.mp4", clip(Ramp("160x120", 1) + " -c:v libx264 -pix_fmt yuv420p10le"), "", kDone, ramp(25)},
        // A phone clip filmed upright: stored 160 x 120 with a quarter turn; it comes out standing.
        {"rotated", "rotated.mp4",
         [h264](const std::string& p) {
             const std::string upright = p + ".plain.mp4";
             return Ffmpeg(Ramp("160x120", 1) + h264 + " " + Quote(upright)) &&
                    Ffmpeg("-i " + Quote(upright) + " -c copy -metadata:s:v:0 rotate=90 " + Quote(p));
         },
         "", kDone,
         [](const std::string&, const std::string& out) {
             ExpectReversedRamp(out, 25);
             EXPECT_EQ(testmedia::ProbeStream(out, "v:0", "width"), "120");
             EXPECT_EQ(testmedia::ProbeStream(out, "v:0", "height"), "160");
         }},
        {"variable frame rate", "vfr.mp4",
         clip(Ramp("160x120", 1) + " -vf \"setpts='if(lt(N\\,10)\\,N*0.02\\,0.2+(N-10)*0.06)/TB'\" -fps_mode vfr" + h264),
         "", kDone, [](const std::string& in, const std::string& out) { ExpectReversedFrames(out, in); }},
        {"single frame", "single.mp4", clip(Ramp("160x120", 0.04) + h264), "", kDone, ramp(1)},
        // Sounds whose extracted WAV comes in the extensible form: reversed and joined like any other.
        {"6-channel sound", "six.mp4", clip(Ramp("160x120", 1) + " " + Tone(48000, 1) + h264 + " -c:a aac -ac 6"), "",
         kDone, reversedSound(6, 48000)},
        {"96 kHz sound", "k96.mp4", clip(Ramp("160x120", 1) + " " + Tone(96000, 1) + h264 + " -c:a aac"), "",
         kDone, reversedSound(1, 96000)},
        {"6-channel sound into MP4", "six_to_mp4.mp4",
         clip(Ramp("160x120", 1) + " " + Tone(48000, 1) + h264 + " -c:a aac -ac 6"), "--format mp4", kDone,
         reversedSound(6, 48000)},
        // 32-bit samples, which the extraction does not convert: the sound goes, with its warning.
        {"32-bit sound", "s32.mkv", clip(Ramp("160x120", 1) + " " + Tone(48000, 1) + h264 + " -c:a pcm_s32le"), "",
         {0, nullptr, soundDropped}, silentRamp(25)},
    };
    RunRows(rows);
}

// Paths with spaces, accents, Chinese characters, a very long path: the
// output gets the proposed name beside the input, and is right.
TEST_F(HardInputs, Paths) {
    const std::string source = work_.File("source.mp4");
    ASSERT_TRUE(Ffmpeg(Ramp("160x120", 1) + " " + Tone(48000, 1) + " -c:v libx264 -pix_fmt yuv420p -c:a aac " + Quote(source)));
    std::string deep = "deep";
    for (int i = 0; i < 12; ++i) deep += "/" + std::string(200, static_cast<char>('a' + i));
    const struct {
        std::string relative;   // the input, under the work folder
        std::string args;
        std::string suffix;     // what the proposed output name adds
        std::string format;     // ffprobe format name of the output
    } cases[] = {
        {"a folder with spaces/my holiday clip.mp4", "", ".rev.avi", "avi"},
        {"vidéos d'été/élève à Noël ç.mp4", "", ".rev.avi", "avi"},
        {"视频文件夹/我的 视频.mp4", "", ".rev.avi", "avi"},
        {deep + "/clip.mp4", "", ".rev.avi", "avi"},
        // No "." in the name: the same format as the input, with a name the
        // player recognises by content.
        {"no dot/clipwithoutdot", "--format same", ".rev", "mov,mp4,m4a,3gp,3g2,mj2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.relative.substr(0, 60));
        const std::string input = work_.File(c.relative);
        std::filesystem::create_directories(std::filesystem::path(input).parent_path());
        std::filesystem::copy_file(source, input);
        const Outcome o = Run(input, c.args);
        ExpectAnswer(o, kDone);
        const std::string output = input + c.suffix;
        EXPECT_NE(o.out.find("* Starting process to reverse video to : " + output + "\n"), std::string::npos) << o.out;
        ASSERT_TRUE(testmedia::Exists(output));
        EXPECT_EQ(testmedia::ProbeFormat(output, "format_name"), c.format);
        ExpectReversedFrames(output, input, 6);
        ExpectFallingSound(output);
    }
}

}  // namespace
}  // namespace reltest
