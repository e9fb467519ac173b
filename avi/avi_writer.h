// Writes an OpenDML AVI file: streams created from information records, then
// samples appended at their positions.
//
// The first RIFF part keeps an idx1 index for old readers; every part (the
// first "AVI " and the following "AVIX") stays under the part limit (1 GiB),
// each with its own ix## standard indexes listed in the indx super index of
// its stream. Close completes the file: stream lengths, buffer sizes, frame
// counts and part sizes are derived from what was written, whenever Close is
// called. The first failed write makes every later call and Close fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "avi/avi_format.h"
#include "avi/output_file.h"

namespace avi {

constexpr uint64_t kMaxPartSize = uint64_t{1} << 30;
constexpr uint32_t kMaxChunkSize = 1u << 30;  // larger samples are refused
constexpr uint32_t kSuperIndexEntries = 256;  // parts a file can have

class Writer {
public:
    Writer() = default;
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Creates (or truncates) the file. partLimit is lowered only by tests.
    bool Create(const std::string& path, uint64_t partLimit = kMaxPartSize);
    // Adds a stream made from the record (type, handler, scale and rate,
    // rectangle, name, ...); returns its number, or -1. Streams and formats
    // must all be set before the first Write.
    int CreateStream(const StreamInfo& info);
    bool SetFormat(int stream, const void* data, size_t size);
    // Appends a sample (a frame), or a run of sound sample frames, at position
    // `start`: the stream's current length, or for a stream without a sample
    // size a later position (the frames in between are left empty).
    // *samplesWritten receives the number of samples written.
    bool Write(int stream, uint32_t start, const void* data, size_t bytes, uint32_t flags,
               uint32_t* samplesWritten = nullptr);
    // Completes the file; false when anything failed since Create.
    bool Close();

    // Samples written to a stream so far.
    uint64_t Length(int stream) const { return streams_[stream].length; }

private:
    struct StdEntry {
        uint64_t offset;  // of the data
        uint32_t sizeAndFlag;
    };
    struct SuperEntry {
        uint64_t offset;
        uint32_t size;
        uint32_t duration;
    };
    struct Idx1Entry {
        uint32_t ckid, flags, offset, size;
    };
    struct Stream {
        StreamInfo info;
        std::vector<uint8_t> format;
        uint32_t ckid = 0;
        uint32_t sampleSize = 0;
        uint64_t length = 0;
        uint64_t bytes = 0;
        uint32_t largest = 0;
        uint64_t firstPartChunks = 0;
        std::vector<StdEntry> part;  // chunks of the current part
        uint64_t partDuration = 0;
        std::vector<SuperEntry> super;
    };

    bool Fail();
    bool Begin();
    std::vector<uint8_t> BuildHeader() const;
    bool AppendChunk(Stream& s, const void* data, uint32_t bytes, uint32_t flags, uint64_t samples);
    bool EndPart();
    bool StartPart();

    OutputFile file_;
    bool open_ = false;
    bool failed_ = false;
    bool begun_ = false;
    uint64_t partLimit_ = kMaxPartSize;
    std::vector<Stream> streams_;
    uint32_t partNo_ = 0;
    uint64_t partStart_ = 0;
    uint64_t moviListPos_ = 0;
    uint64_t partChunks_ = 0;
    uint64_t partIndexBytes_ = 0;  // ix## (and idx1) bytes the part will end with
    std::vector<Idx1Entry> idx1_;
};

}  // namespace avi
