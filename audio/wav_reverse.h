// Reversal of a PCM WAV file: the sample frames of the data chunk are written
// in reverse order, read block by block from the end so that memory stays
// bounded whatever the length of the sound. Nothing is decoded.
//
// Accepted sources: RIFF "WAVE" whose first chunk is "fmt ", integer PCM
// (format tag 1), 8 or 16 bits per sample, a frame size (nBlockAlign) above 0
// and a data chunk below 2 GiB that the file really holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/job_context.h"

// Where the parts of an accepted WAV file are. Every size has been checked
// against the size of the file.
struct WavLayout {
    std::uint8_t header[36] = {};   // the first 36 bytes of the file, as read
    std::int32_t fmtSize = 0;       // size of the "fmt " chunk body (16 or more)
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint16_t bitsPerSample = 0;
    std::int16_t blockAlign = 0;    // bytes per sample frame
    std::uint64_t dataOffset = 0;   // file offset of the first byte of the data chunk body
    std::uint32_t dataSize = 0;     // data chunk size as declared (below 2 GiB)
    std::int32_t totalFrames = 0;   // whole frames of the data chunk
    // The format chunk's bytes beyond its first 16, kept for the extensible
    // form (channel mask and sub-format); empty for plain PCM, whose extra
    // bytes are written back as zeros.
    std::vector<std::uint8_t> fmtExtension;
};

// Reads `size` bytes at `offset` into `buf`; returns the count actually read.
using WavReadAt = std::function<std::size_t(std::uint64_t offset, void* buf, std::size_t size)>;

// Reads and checks the header and the chunk list up to the "data" chunk of a
// file of `fileSize` bytes. Returns false for anything but an accepted WAV.
bool ParseWavLayout(const WavReadAt& read, std::uint64_t fileSize, WavLayout* out);
// The same over a file held in memory.
bool ParseWavLayout(const std::uint8_t* data, std::size_t size, WavLayout* out);

// The state of one reversal: open the source, create the output, reverse
// blocks until none remain, release (the destructor releases too).
class WavReverser {
public:
    static constexpr int kBlockFrames = 1024;

    WavReverser() = default;
    ~WavReverser();
    WavReverser(const WavReverser&) = delete;
    WavReverser& operator=(const WavReverser&) = delete;

    bool OpenSource(const std::string& path);
    bool CreateOutput(const std::string& path);
    // Writes the next (at most kBlockFrames) frames, taken from the end of
    // what is left of the source.
    bool ReverseNextBlock();
    // Completes the output after the last block written: the pad byte of an
    // odd-sized data chunk and, when the run stopped early, sizes that
    // describe the frames actually written, so that the file stays a valid WAV.
    bool FinishOutput();
    // Closes both files; false when the output could not be closed cleanly.
    bool Release();

    std::int32_t TotalFrames() const { return layout_.totalFrames; }
    std::int32_t RemainingFrames() const { return remaining_; }
    // True once CreateOutput has opened (and so created or truncated) the output.
    bool HasOutput() const { return output_ >= 0; }

private:
    bool WriteAll(const void* data, std::size_t size);
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);

    int source_ = -1;
    int output_ = -1;
    WavLayout layout_;
    std::int32_t remaining_ = 0;
    std::uint64_t outputDataOffset_ = 0;
    std::vector<std::uint8_t> readBuffer_;
    std::vector<std::uint8_t> writeBuffer_;
};

// Writes `targetPath` as the reversed copy of `sourcePath`. Progress range is
// the frame count, the position the frames written; the cancel flag is read
// after each block. True when every block was written, or when a cancel
// stopped the loop (the output is then a valid WAV holding the blocks written
// so far). False for an unaccepted source or any read, write or close error;
// an output left behind by a failure is removed.
bool ReverseWavFile(JobContext& ctx, const std::string& sourcePath, const std::string& targetPath);
