// Reads the streams of an AVI file, or of a PCM WAV file seen as a file with
// one sound stream counted in sample frames.
//
// Finds the samples through the OpenDML index (indx/ix##, across RIFF AVIX
// parts), else the idx1 index (offsets relative to movi or to the file) when
// the file holds the whole of it, else a scan of every movi list. Every size and count read from the file is
// checked against the file size and the limits below before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "avi/avi_format.h"
#include "avi/byte_source.h"

namespace avi {

constexpr int kMaxStreams = 100;
constexpr size_t kMaxIndexEntries = size_t{1} << 24;  // per stream
constexpr uint32_t kMaxFormatSize = 1u << 20;

class Reader {
public:
    // Opens an AVI or WAV file; false when it is neither or cannot be parsed.
    bool Open(const std::string& path);
    bool Open(std::unique_ptr<ByteSource> source);

    bool IsWave() const { return wave_; }
    int StreamCount() const { return static_cast<int>(streams_.size()); }
    // The index-th stream of a type (kStreamTypeVideo, kStreamTypeAudio), or -1.
    int FindStream(uint32_t type, int index = 0) const;

    // The stream information: the header's fields, with dwLength the number of
    // samples the file really holds.
    const StreamInfo& Info(int stream) const { return streams_[stream].info; }
    // The whole format chunk (BITMAPINFOHEADER, WAVEFORMATEX, ...).
    const std::vector<uint8_t>& Format(int stream) const { return streams_[stream].format; }
    // The largest sample of the stream that lies inside the file, in bytes:
    // an upper bound for one video frame.
    uint32_t LargestChunk(int stream) const { return streams_[stream].largest; }

    // Reads samples from `start` into buffer (capacity bytes). A stream without
    // a sample size gives one chunk (one frame); the read fails when that chunk
    // is larger than the capacity. A sound stream with a sample size gives up to
    // `count` sample frames, as many as fit, and fails only when not even one does
    // or `start` is past the end. *bytes and *samples receive what was read.
    bool Read(int stream, uint32_t start, uint32_t count, void* buffer, size_t capacity,
              size_t* bytes, uint32_t* samples);

private:
    struct Chunk {
        uint64_t offset;  // of the data, past the chunk header
        uint32_t size;
        uint32_t flags;
    };
    struct Stream {
        StreamInfo info;
        std::vector<uint8_t> format;
        uint64_t indxPos = 0;     // data of the OpenDML super index, if any
        uint64_t indxSize = 0;
        uint32_t sampleSize = 0;  // 0: one chunk per sample
        std::vector<Chunk> chunks;
        std::vector<uint64_t> firstSample;  // per chunk, when sampleSize > 0
        uint32_t largest = 0;
    };
    struct Head {
        uint32_t id = 0;
        uint32_t size = 0;
        uint64_t data = 0;  // first data byte
        uint64_t end = 0;   // end of the data that lies inside the parent
        uint64_t next = 0;  // the next sibling chunk (size padded to even)
    };
    struct MoviList {
        uint64_t fourccPos;  // position of the "movi" code: idx1 offsets count from here
        uint64_t end;
    };

    bool ReadHead(uint64_t pos, uint64_t limit, Head* h);
    uint32_t ReadFourCC(uint64_t pos);
    bool ParseAvi();
    bool ParseWave(const Head& riff);
    void ParseHeaderList(uint64_t pos, uint64_t end);
    void ParseStreamList(uint64_t pos, uint64_t end);
    bool ReadOpenDmlIndexes();
    bool ReadStandardIndex(Stream& s, uint64_t chunkPos);
    bool ReadStandardIndexBody(Stream& s, uint64_t data, uint64_t end);
    bool ReadIdx1();
    void ScanMovi(const MoviList& movi);
    bool AddChunk(int stream, uint64_t offset, uint32_t size, uint32_t flags);
    void Finish();
    bool ChunkInFile(const Chunk& c) const;

    std::unique_ptr<ByteSource> src_;
    uint64_t size_ = 0;
    bool wave_ = false;
    bool haveHeader_ = false;
    std::vector<Stream> streams_;
    std::vector<MoviList> movi_;
    uint64_t idx1Pos_ = 0;
    uint64_t idx1Size_ = 0;
    bool haveIdx1_ = false;
    bool idx1Cut_ = false;    // idx1 runs past the end of its RIFF part or the file
    bool tooMany_ = false;
};

}  // namespace avi
