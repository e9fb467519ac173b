// Fast join of a video AVI and a PCM WAV: stream layout, the interleaving
// rule, the sound tail, cancel, and the inputs it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "avi/avi_reader.h"
#include "avi/mux.h"
#include "tests/avi/avi_fixtures.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using namespace avitest;
using testmedia::TempDir;

namespace {

// Sound sample frames (2 bytes each, mono) written before each video frame's
// successor: entry i is the sound in the file when video frame i+1 starts.
std::vector<long long> SoundAfterEachFrame(const std::string& path) {
    std::vector<long long> out;
    long long sound = 0;
    bool first = true;
    for (const ChunkRef& c : MoviChunks(path)) {
        if (c.id == "00dc") {
            if (!first) out.push_back(sound);
            first = false;
        } else if (c.id == "01wb") {
            sound += c.size / 2;
        }
    }
    out.push_back(sound);
    return out;
}

struct Inputs {
    TempDir dir;
    std::string video = dir.File("video.avi"), wav = dir.File("sound.wav"), out = dir.File("out.avi");
    std::vector<int16_t> sound;
    Inputs(int frames, size_t samples, int fmtSize = 16) : sound(Ramp(samples)) {
        EXPECT_TRUE(WriteAvi(video, frames ? MakeJpegs(dir.path(), frames, 64, 48) : std::vector<Bytes>{}));
        WriteWav(wav, sound, 44100, 1, fmtSize);
    }
};

}  // namespace

TEST(Mux, InterleavesSoundOneReadAheadOfTheVideo) {
    struct Case {
        double fps;
        long long samplesPerFrame;
    };
    for (const Case c : {Case{25.0, 1764}, Case{29.97, 1471}}) {
        SCOPED_TRACE(c.fps);
        Inputs in(50, 88200, 18);
        RecordingContext ctx;
        ASSERT_TRUE(MuxAviAndWav(ctx, in.video, in.wav, in.out, c.fps));

        // Each burst reads whole chunks of 1024 sample frames until the sound
        // written passes the sound due after frame i.
        const std::vector<long long> got = SoundAfterEachFrame(in.out);
        ASSERT_EQ(got.size(), 50u);
        EXPECT_EQ(got.back(), 88200);  // the tail after the last frame
        for (long long i = 0; i < 49; ++i) {
            const long long due = (i + 1) * c.samplesPerFrame;
            EXPECT_EQ(got[i], std::min<long long>(88200, (due / 1024 + 1) * 1024)) << "frame " << i;
        }
        EXPECT_EQ(testmedia::DecodeAudio(in.out), in.sound);
        EXPECT_EQ(testmedia::PacketHashes(in.out), testmedia::PacketHashes(in.video));
        EXPECT_EQ(ProbeErrors(in.out), "");
        EXPECT_EQ(testmedia::ProbeStream(in.out, "0", "codec_type"), "video");
        EXPECT_EQ(testmedia::ProbeStream(in.out, "1", "codec_type"), "audio");
        EXPECT_EQ(testmedia::ProbeStream(in.out, "1", "sample_rate"), "44100");

        avi::Reader r;
        ASSERT_TRUE(r.Open(in.out));
        EXPECT_STREQ(r.Info(0).szName, "Video #1");
        EXPECT_STREQ(r.Info(1).szName, "Audio #1");
        EXPECT_EQ(r.Format(1).size(), 16u);  // the WAV's format chunk has 18 bytes
        EXPECT_EQ(r.Info(1).dwLength, 88200u);

        std::vector<long long> positions{0};
        for (long long i = 0; i < 50; ++i) positions.push_back(i);
        EXPECT_EQ(ctx.Values(RecordedCall::Range), std::vector<long long>{50});
        EXPECT_EQ(ctx.Values(RecordedCall::Pos), positions);
        EXPECT_EQ(ctx.Values(RecordedCall::Memory).size(), 4u);  // frames 0, 16, 32, 48
    }
}

// However the frames end, all of the sound is in the output.
TEST(Mux, WritesAllOfTheSound) {
    struct Case {
        const char* name;
        int frames;
        size_t samples;
        long long cancelAt;  // -1: no cancel
        size_t framesOut;
    };
    const Case cases[] = {
        {"sound shorter than the video", 50, 22050, -1, 50},
        {"sound longer than the video", 50, 132300, -1, 50},
        {"no video frames", 0, 30000, -1, 0},
        {"cancel after frame 5", 50, 88200, 5, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Inputs in(c.frames, c.samples);
        RecordingContext ctx;
        if (c.cancelAt >= 0) {
            ctx.cancelWhen = [&](const RecordedCall& call) {
                return call.kind == RecordedCall::Pos && call.value == c.cancelAt;
            };
        }
        ASSERT_TRUE(MuxAviAndWav(ctx, in.video, in.wav, in.out, 25.0));
        EXPECT_EQ(testmedia::DecodeAudio(in.out), in.sound);
        EXPECT_EQ(ProbeErrors(in.out), "");
        avi::Reader r;
        ASSERT_TRUE(r.Open(in.out));
        EXPECT_EQ(r.Info(0).dwLength, c.framesOut);
        EXPECT_EQ(r.Info(1).dwLength, c.samples);
        // Sound never runs more than one read ahead of the frames written so far.
        const std::vector<ChunkRef> chunks = MoviChunks(in.out);
        long long frames = 0, sound = 0;
        for (const ChunkRef& ch : chunks) {
            if (ch.id == "00dc") ++frames;
            if (ch.id != "01wb") continue;
            const long long before = sound;
            sound += ch.size / 2;
            if (frames < static_cast<long long>(c.framesOut)) {
                EXPECT_LE(before, frames * 1764) << "chunk after frame " << frames;
            }
        }
    }
}

TEST(Mux, RefusesInputsOutsideItsRange) {
    Inputs in(5, 4410);
    WriteWav(in.dir.File("align0.wav"), Ramp(100), 44100, 1, 16, 0);
    struct Case {
        const char* name;
        std::string video, wav;
        double fps;
    };
    const Case cases[] = {
        {"frame rate 0", in.video, in.wav, 0.0},
        {"negative frame rate", in.video, in.wav, -25.0},
        {"frame rate not a number", in.video, in.wav, std::numeric_limits<double>::quiet_NaN()},
        {"frame rate so small the samples per frame overflow", in.video, in.wav, 1e-6},
        {"nBlockAlign 0", in.video, in.dir.File("align0.wav"), 25.0},
        {"video file without a video stream", in.wav, in.wav, 25.0},
        {"sound file without a sound stream", in.video, in.video, 25.0},
        {"missing sound file", in.video, in.dir.File("none.wav"), 25.0},
    };
    for (const Case& c : cases) {
        RecordingContext ctx;
        EXPECT_FALSE(MuxAviAndWav(ctx, c.video, c.wav, in.out, c.fps)) << c.name;
    }
}
