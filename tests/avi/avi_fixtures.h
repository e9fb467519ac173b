// Fixtures of the AVI tests: raw file bytes, files written with our writer,
// a WAV writer, and an independent walk of the chunks of an AVI file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "avi/avi_format.h"

namespace avitest {

using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);
// Offset of the first four-character code `code` at or after `from`, or -1.
long long Find(const Bytes& bytes, const char* code, size_t from = 0);
void Patch32(Bytes& bytes, size_t at, uint32_t value);
uint32_t Get32(const Bytes& bytes, size_t at);

// n JPEG pictures w x h, picture k a solid grey of its own level, made by ffmpeg.
std::vector<Bytes> MakeJpegs(const std::string& dir, int n, int w, int h, int quality = 5);

struct TestAvi {
    int width = 16;
    int height = 16;
    uint32_t scale = 1;
    uint32_t rate = 25;
    size_t formatSize = 40;           // more than 40: the format carries extra bytes
    uint64_t partLimit = uint64_t{1} << 30;
};
// A Motion-JPEG AVI holding the frames, written with our writer.
bool WriteAvi(const std::string& path, const std::vector<Bytes>& frames, const TestAvi& spec = {});
// Every frame of the first video stream, read with our reader.
bool ReadFrames(const std::string& path, std::vector<Bytes>* frames);

// A PCM WAV file; fmtSize 16 or 18 (with cbSize), blockAlign 0 keeps its true value.
void WriteWav(const std::string& path, const std::vector<int16_t>& samples, int rate, int channels,
              int fmtSize = 16, int blockAlignOverride = -1);
// A rising ramp of n samples that never repeats a value pattern.
std::vector<int16_t> Ramp(size_t n);

// Chunks of every movi list in file order (id and size), read without our reader.
struct ChunkRef {
    std::string id;
    uint32_t size;
};
std::vector<ChunkRef> MoviChunks(const std::string& path);

// stderr of `ffprobe -v error` on the file (empty when it finds nothing wrong).
std::string ProbeErrors(const std::string& path);
// Packet count of the first video stream as ffprobe reads it.
long long ProbePackets(const std::string& path, const std::string& stream = "v:0");

// Free bytes on the file system that holds the folder.
unsigned long long FreeBytes(const std::string& dir);

}  // namespace avitest
