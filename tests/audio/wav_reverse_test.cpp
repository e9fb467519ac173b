// Reversal of PCM WAV files: frame order, header rewriting, rejected inputs,
// progress, cancel and write failures. Sources are built byte by byte here,
// plus one written by the ffmpeg tool.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/wav_reverse.h"
#include "tests/common/media.h"
#include "tests/common/recording_context.h"

using testmedia::Exists;
using testmedia::TempDir;

namespace {

using Bytes = std::string;

void Put16(Bytes& b, uint16_t v) {
    b += char(v & 0xFF);
    b += char(v >> 8);
}
void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b += char((v >> (8 * i)) & 0xFF);
}
uint32_t Get32(const Bytes& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}
int16_t Get16s(const Bytes& b, size_t at) { return int16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }

struct WavSpec {
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint16_t bits = 16;
    int16_t blockAlign = 4;
    uint32_t fmtSize = 16;
    Bytes fmtExtra;           // bytes after the 16 PCM fields (fmtSize - 16 of them)
    Bytes chunksBeforeData;   // whole chunks between "fmt " and "data"
    int frames = 0;
    int trailingBytes = 0;    // bytes of an incomplete last frame
    int64_t declaredData = -1;  // data size written in the header; -1: the real size
};

// Frame i of a source: for 16-bit stereo, left = i and right = -i - 1, so both
// order and channel placement show; for other layouts, bytes derived from i.
Bytes Frame(const WavSpec& s, int i) {
    Bytes f;
    if (s.bits == 16 && s.blockAlign == 4) {
        Put16(f, uint16_t(i));
        Put16(f, uint16_t(-i - 1));
        return f;
    }
    for (int b = 0; b < s.blockAlign; ++b) f += char((i * 7 + b * 31 + (i >> 8) * 13) & 0xFF);
    return f;
}

Bytes BuildWav(const WavSpec& s) {
    Bytes data;
    for (int i = 0; i < s.frames; ++i) data += Frame(s, i);
    data += Bytes(size_t(s.trailingBytes), '\x5A');
    Bytes fmt;
    Put16(fmt, s.tag);
    Put16(fmt, s.channels);
    Put32(fmt, 8000);
    Put32(fmt, 8000u * uint32_t(s.blockAlign));
    Put16(fmt, uint16_t(s.blockAlign));
    Put16(fmt, s.bits);
    fmt += s.fmtExtra;
    Bytes body = "WAVE";
    body += "fmt ";
    Put32(body, s.fmtSize);
    body += fmt;
    body += s.chunksBeforeData;
    body += "data";
    Put32(body, s.declaredData < 0 ? uint32_t(data.size()) : uint32_t(s.declaredData));
    body += data;
    Bytes file = "RIFF";
    Put32(file, uint32_t(body.size()));
    return file + body;
}

// The extension of WAVE_FORMAT_EXTENSIBLE: cbSize 22, valid bits, channel
// mask, then the sub-format GUID (integer PCM unless told).
Bytes Extensible(uint16_t bits, uint32_t mask, uint8_t subFormat = 1) {
    Bytes e;
    Put16(e, 22);
    Put16(e, bits);
    Put32(e, mask);
    e += char(subFormat);
    e += Bytes("\0\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 15);
    return e;
}

// What a correct reversal of `s` holds: the format chunk with its extra bytes
// zeroed (kept as they are in the extensible form), then the whole frames
// from last to first, padded to an even size.
Bytes ExpectedOutput(const WavSpec& s) {
    Bytes data;
    for (int i = s.frames - 1; i >= 0; --i) data += Frame(s, i);
    Bytes src = BuildWav(s);
    Bytes fmt = src.substr(20, 16) + (s.tag == 0xFFFE ? s.fmtExtra : Bytes(s.fmtSize - 16, '\0'));
    Bytes out = "RIFF";
    Put32(out, uint32_t(4 + 8 + fmt.size() + 8 + data.size() + data.size() % 2));
    out += "WAVEfmt ";
    Put32(out, s.fmtSize);
    out += fmt + "data";
    Put32(out, uint32_t(data.size()));
    out += data;
    if (data.size() % 2) out += '\0';
    return out;
}

void WriteFile(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary) << b;
}
Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Positions and ranges in call order, as "P0 R1025 P1024 P1025".
std::string ProgressTrace(const RecordingContext& ctx) {
    std::string t;
    for (const auto& c : ctx.Calls()) {
        if (c.kind == RecordedCall::Pos) t += " P" + std::to_string(c.value);
        if (c.kind == RecordedCall::Range) t += " R" + std::to_string(c.value);
    }
    return t.empty() ? t : t.substr(1);
}

Bytes Chunk(const char* id, const Bytes& body) {
    Bytes c = id;
    Put32(c, uint32_t(body.size()));
    c += body;
    if (body.size() % 2) c += '\0';
    return c;
}

// ffprobe's warnings and errors about a file (empty when it reads cleanly).
std::string ProbeComplaints(const std::string& path) {
    std::string out;
    testmedia::Run("ffprobe -v warning -show_streams " + testmedia::Quote(path) + " 2>&1 >/dev/null", &out);
    return out;
}

}  // namespace

TEST(WavReverse, AcceptedSourcesGiveFramesInReverseOrderUnderARewrittenHeader) {
    struct Case {
        const char* name;
        WavSpec spec;
        const char* progress;
    };
    WavSpec mono8;
    mono8.channels = 1, mono8.bits = 8, mono8.blockAlign = 1, mono8.frames = 7;
    WavSpec stereo;
    stereo.frames = 5;
    WavSpec empty;
    WavSpec oneBlock;
    oneBlock.frames = 1024;
    WavSpec twoBlocks;
    twoBlocks.frames = 1025;
    WavSpec threeBlocks;
    threeBlocks.frames = 2500;
    WavSpec withList = stereo;
    withList.chunksBeforeData = Chunk("LIST", "INFOISFT\x06\0\0\0Lavf59") + Chunk("junk", "odd");
    WavSpec fmt18 = stereo;
    fmt18.fmtSize = 18;
    fmt18.fmtExtra = Bytes("\x34\x12", 2);  // a cbSize that is not carried over
    WavSpec partial = stereo;
    partial.trailingBytes = 3;
    // What FFmpeg writes for 5.1 sound (and for rates above 48 kHz).
    WavSpec surround;
    surround.tag = 0xFFFE, surround.channels = 6, surround.blockAlign = 12, surround.frames = 9;
    surround.fmtSize = 40, surround.fmtExtra = Extensible(16, 0x3F);

    const Case cases[] = {
        {"stereo 16-bit", stereo, "P0 R5 P5"},
        {"8-bit mono", mono8, "P0 R7 P7"},
        {"empty data", empty, "P0 R0"},
        {"1024 frames", oneBlock, "P0 R1024 P1024"},
        {"1025 frames", twoBlocks, "P0 R1025 P1024 P1025"},
        {"2500 frames", threeBlocks, "P0 R2500 P1024 P2048 P2500"},
        {"LIST chunk", withList, "P0 R5 P5"},
        {"18-byte fmt", fmt18, "P0 R5 P5"},
        {"trailing partial frame", partial, "P0 R5 P5"},
        {"extensible 5.1", surround, "P0 R9 P9"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string src = dir.File("in.wav"), dst = dir.File("out.wav");
        WriteFile(src, BuildWav(c.spec));
        WriteFile(dst, Bytes(100000, 'x'));  // an existing output is replaced
        RecordingContext ctx;
        ASSERT_TRUE(ReverseWavFile(ctx, src, dst));
        EXPECT_EQ(ReadFile(dst), ExpectedOutput(c.spec));
        EXPECT_EQ(ProgressTrace(ctx), c.progress);
        // ffprobe reads an empty data chunk with a note about S/PDIF, also in
        // files written by ffmpeg itself: only non-empty ones are checked.
        if (c.spec.frames > 0) {
            EXPECT_EQ(ProbeComplaints(dst), "");
        }
    }
}

TEST(WavReverse, StereoKeepsLeftAndRightInsideEachFrame) {
    TempDir dir;
    WavSpec s;
    s.frames = 1500;
    WriteFile(dir.File("in.wav"), BuildWav(s));
    RecordingContext ctx;
    ASSERT_TRUE(ReverseWavFile(ctx, dir.File("in.wav"), dir.File("out.wav")));
    const Bytes out = ReadFile(dir.File("out.wav"));
    ASSERT_EQ(out.size(), 44u + 1500 * 4);
    for (int k = 0; k < 1500; ++k) {
        ASSERT_EQ(Get16s(out, 44 + 4 * k), 1499 - k) << k;
        ASSERT_EQ(Get16s(out, 46 + 4 * k), -(1499 - k) - 1) << k;
    }
}

TEST(WavReverse, HeaderOfOutputCountsOnlyFormatAndDataChunks) {
    TempDir dir;
    WavSpec s;
    s.frames = 3;
    s.fmtSize = 18;
    s.fmtExtra = Bytes("\x16\x00", 2);
    s.chunksBeforeData = Chunk("LIST", Bytes(40, 'L'));
    WriteFile(dir.File("in.wav"), BuildWav(s));
    RecordingContext ctx;
    ASSERT_TRUE(ReverseWavFile(ctx, dir.File("in.wav"), dir.File("out.wav")));
    const Bytes out = ReadFile(dir.File("out.wav"));
    EXPECT_EQ(out.find("LIST"), Bytes::npos);
    EXPECT_EQ(Get32(out, 4), 4u + (8 + 18) + (8 + 12));
    EXPECT_EQ(Get32(out, 16), 18u);
    EXPECT_EQ(out.substr(36, 2), Bytes(2, '\0'));
    EXPECT_EQ(out.substr(38, 4), "data");
    EXPECT_EQ(Get32(out, 42), 12u);
    EXPECT_EQ(out.size(), 46u + 12);
}

TEST(WavReverse, RejectsEverythingButWholePcmWavFilesAndLeavesNoOutput) {
    struct Case {
        const char* name;
        Bytes file;
    };
    const auto with = [](auto change) {
        WavSpec s;
        s.frames = 10;
        change(s);
        return BuildWav(s);
    };
    const Bytes good = with([](WavSpec&) {});
    Bytes notRiff = good;
    notRiff.replace(0, 4, "RIFX");
    Bytes notWave = good;
    notWave.replace(8, 4, "AVI ");
    Bytes fmtNotFirst = good;
    fmtNotFirst.replace(12, 4, "LIST");
    Bytes dataMissing = good.substr(0, 36 + 6);  // ends inside the data chunk header

    const Case cases[] = {
        {"extensible, float", with([](WavSpec& s) { s.tag = 0xFFFE, s.fmtSize = 40, s.fmtExtra = Extensible(16, 3, 3); })},
        {"extensible without its extension", with([](WavSpec& s) { s.tag = 0xFFFE; })},
        {"extensible, extension missing", with([](WavSpec& s) { s.tag = 0xFFFE, s.fmtSize = 40; })},
        {"float", with([](WavSpec& s) { s.tag = 3; })},
        {"24-bit", with([](WavSpec& s) { s.bits = 24, s.blockAlign = 6; })},
        {"nBlockAlign 0", with([](WavSpec& s) { s.blockAlign = 0; })},
        {"negative nBlockAlign", with([](WavSpec& s) { s.blockAlign = -4; })},
        {"data of 2 GiB", with([](WavSpec& s) { s.declaredData = 0x80000000LL; })},
        {"data of 4 GiB - 1", with([](WavSpec& s) { s.declaredData = 0xFFFFFFFFLL; })},
        {"data beyond the file", with([](WavSpec& s) { s.declaredData = 44; })},
        {"chunk beyond the file",
         with([](WavSpec& s) { s.chunksBeforeData = Bytes("LIST\x00\x00\x01\x00", 8) + "short"; })},
        {"format chunk of 14 bytes", with([](WavSpec& s) { s.fmtSize = 14; })},
        {"format chunk beyond the file", with([](WavSpec& s) { s.fmtSize = 100000; })},
        {"not RIFF", notRiff},
        {"not WAVE", notWave},
        {"first chunk not fmt", fmtNotFirst},
        {"no data chunk", dataMissing},
        {"35 bytes", good.substr(0, 35)},
        {"empty file", ""},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(dir.File("in.wav"), c.file);
        RecordingContext ctx;
        EXPECT_FALSE(ReverseWavFile(ctx, dir.File("in.wav"), dir.File("out.wav")));
        EXPECT_FALSE(Exists(dir.File("out.wav")));
        EXPECT_TRUE(ctx.Calls().empty());
    }
    RecordingContext ctx;
    EXPECT_FALSE(ReverseWavFile(ctx, dir.File("missing.wav"), dir.File("out.wav")));
    EXPECT_FALSE(Exists(dir.File("out.wav")));
}

TEST(WavReverse, SoundWrittenByFfmpegPlaysBackwards) {
    TempDir dir;
    const std::string src = dir.File("tone.wav"), dst = dir.File("rev.wav");
    // Left a rising ramp, right a falling one: both order and channels show.
    ASSERT_EQ(testmedia::Run("ffmpeg -nostdin -v error -f lavfi -i \"aevalsrc=0.9*t/3|-0.9*t/3:s=22050:d=3\" "
                             "-c:a pcm_s16le " + testmedia::Quote(src)),
              0);
    ASSERT_NE(ReadFile(src).find("LIST"), Bytes::npos);  // ffmpeg adds an INFO chunk
    RecordingContext ctx;
    ASSERT_TRUE(ReverseWavFile(ctx, src, dst));
    const auto in = testmedia::DecodeAudio(src, 2), out = testmedia::DecodeAudio(dst, 2);
    ASSERT_EQ(in.size(), size_t(22050 * 3 * 2));
    ASSERT_EQ(out.size(), in.size());
    const size_t frames = in.size() / 2;
    for (size_t k = 0; k < frames; ++k) {
        ASSERT_EQ(out[2 * k], in[2 * (frames - 1 - k)]) << k;
        ASSERT_EQ(out[2 * k + 1], in[2 * (frames - 1 - k) + 1]) << k;
    }
    EXPECT_EQ(testmedia::ProbeStream(dst, "a:0", "duration"), "3.000000");
    EXPECT_EQ(ProbeComplaints(dst), "");
}

TEST(WavReverse, CancelBetweenBlocksLeavesAValidShorterWav) {
    TempDir dir;
    WavSpec s;
    s.frames = 3000;
    WriteFile(dir.File("in.wav"), BuildWav(s));
    RecordingContext ctx;
    ctx.cancelWhen = [](const RecordedCall& c) { return c.kind == RecordedCall::Pos && c.value == 2048; };
    ASSERT_TRUE(ReverseWavFile(ctx, dir.File("in.wav"), dir.File("out.wav")));
    EXPECT_EQ(ProgressTrace(ctx), "P0 R3000 P1024 P2048");

    // The output describes exactly the 2048 frames written: the last 2048 of the source.
    const Bytes out = ReadFile(dir.File("out.wav"));
    ASSERT_EQ(out.size(), 44u + 2048 * 4);
    EXPECT_EQ(Get32(out, 4), 36u + 2048 * 4);
    EXPECT_EQ(Get32(out, 40), 2048u * 4);
    EXPECT_EQ(Get16s(out, 44), 2999);
    EXPECT_EQ(Get16s(out, 44 + 4 * 2047), 2999 - 2047);
    EXPECT_EQ(testmedia::ProbeStream(dir.File("out.wav"), "a:0", "duration"), "0.256000");
    EXPECT_EQ(ProbeComplaints(dir.File("out.wav")), "");
}

TEST(WavReverse, FailedWriteOrOutputOverTheSourceGivesFalse) {
    TempDir dir;
    WavSpec s;
    s.frames = 2000;
    const Bytes source = BuildWav(s);
    WriteFile(dir.File("in.wav"), source);
    RecordingContext full;
    EXPECT_FALSE(ReverseWavFile(full, dir.File("in.wav"), "/dev/full"));  // every write: no space left
    EXPECT_TRUE(Exists("/dev/full"));

    RecordingContext same;
    EXPECT_FALSE(ReverseWavFile(same, dir.File("in.wav"), dir.File("in.wav")));
    EXPECT_EQ(ReadFile(dir.File("in.wav")), source);

    ASSERT_EQ(::symlink(dir.File("in.wav").c_str(), dir.File("link.wav").c_str()), 0);
    EXPECT_FALSE(ReverseWavFile(same, dir.File("in.wav"), dir.File("link.wav")));
    EXPECT_EQ(ReadFile(dir.File("in.wav")), source);
}

TEST(WavReverse, HeaderReaderFindsTheDataChunkInMemory) {
    WavSpec s;
    s.frames = 9;
    s.trailingBytes = 2;
    s.chunksBeforeData = Chunk("LIST", "abc");
    const Bytes file = BuildWav(s);
    WavLayout layout;
    ASSERT_TRUE(ParseWavLayout(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &layout));
    EXPECT_EQ(layout.dataOffset, 36u + 12 + 8);
    EXPECT_EQ(layout.dataSize, 9u * 4 + 2);
    EXPECT_EQ(layout.totalFrames, 9);
    EXPECT_EQ(layout.channels, 2);
    EXPECT_EQ(layout.blockAlign, 4);
    EXPECT_FALSE(ParseWavLayout(reinterpret_cast<const uint8_t*>(file.data()), layout.dataOffset - 1, &layout));
}
