#include "audio/wav_reverse.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

// A format chunk holds at most a WAVEFORMATEX with 65535 extra bytes.
constexpr std::int32_t kMaxFmtSize = 18 + 65535;
constexpr std::uint32_t kMaxDataSize = 0x7FFFFFFFu;

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void PutLe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}
bool IsTag(const std::uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// WAVE_FORMAT_EXTENSIBLE, and its sub-format for integer PCM. FFmpeg's WAV
// writer uses this form for more than two channels and for rates above
// 48 kHz, so the extracted sound of a 5.1 or 96 kHz video comes in it.
constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
constexpr std::uint8_t kSubFormatPcm[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                            0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// Reads exactly `size` bytes at `offset` unless the file ends or fails first.
std::size_t PreadFull(int fd, std::uint64_t offset, void* buf, std::size_t size) {
    auto* out = static_cast<std::uint8_t*>(buf);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void RemoveIfRegularFile(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
}

}  // namespace

bool ParseWavLayout(const WavReadAt& read, std::uint64_t fileSize, WavLayout* out) {
    WavLayout l;
    if (fileSize < sizeof l.header || read(0, l.header, sizeof l.header) != sizeof l.header) return false;
    const std::uint8_t* h = l.header;
    if (!IsTag(h, "RIFF") || !IsTag(h + 8, "WAVE") || !IsTag(h + 12, "fmt ")) return false;

    l.fmtSize = static_cast<std::int32_t>(Le32(h + 16));
    l.formatTag = Le16(h + 20);
    l.channels = Le16(h + 22);
    l.blockAlign = static_cast<std::int16_t>(Le16(h + 32));
    l.bitsPerSample = Le16(h + 34);
    if (l.fmtSize < 16 || l.fmtSize > kMaxFmtSize) return false;
    if (l.formatTag != kTagPcm && l.formatTag != kTagExtensible) return false;
    if (l.bitsPerSample != 8 && l.bitsPerSample != 16) return false;
    if (l.blockAlign <= 0) return false;
    if (l.formatTag == kTagExtensible) {
        // cbSize, valid bits, channel mask and the sub-format: integer PCM only.
        if (l.fmtSize < 40 || 20 + static_cast<std::uint64_t>(l.fmtSize) > fileSize) return false;
        l.fmtExtension.resize(static_cast<std::size_t>(l.fmtSize) - 16);
        if (read(36, l.fmtExtension.data(), l.fmtExtension.size()) != l.fmtExtension.size()) return false;
        if (std::memcmp(l.fmtExtension.data() + 8, kSubFormatPcm, sizeof kSubFormatPcm) != 0) return false;
    }

    // Walk the chunks after the format chunk up to "data". Chunks are padded
    // to an even size; every declared size must fit in the file.
    const auto fmtSize = static_cast<std::uint64_t>(l.fmtSize);
    if (20 + fmtSize > fileSize) return false;
    std::uint64_t offset = 20 + fmtSize + (fmtSize & 1);
    for (;;) {
        std::uint8_t chunk[8];
        if (offset > fileSize || fileSize - offset < sizeof chunk) return false;
        if (read(offset, chunk, sizeof chunk) != sizeof chunk) return false;
        offset += sizeof chunk;
        const std::uint32_t size = Le32(chunk + 4);
        if (IsTag(chunk, "data")) {
            if (size > kMaxDataSize) return false;
            l.totalFrames = static_cast<std::int32_t>(size / static_cast<std::uint32_t>(l.blockAlign));
            // Only whole frames are ever read; they must all be in the file.
            const std::uint64_t wholeBytes =
                static_cast<std::uint64_t>(l.totalFrames) * static_cast<std::uint64_t>(l.blockAlign);
            if (wholeBytes > fileSize - offset) return false;
            l.dataOffset = offset;
            l.dataSize = size;
            *out = l;
            return true;
        }
        if (size > fileSize - offset) return false;
        offset += static_cast<std::uint64_t>(size) + (size & 1);
    }
}

bool ParseWavLayout(const std::uint8_t* data, std::size_t size, WavLayout* out) {
    const WavReadAt read = [data, size](std::uint64_t offset, void* buf, std::size_t n) -> std::size_t {
        if (offset >= size) return 0;
        const std::size_t avail = size - static_cast<std::size_t>(offset);
        const std::size_t count = n < avail ? n : avail;
        std::memcpy(buf, data + offset, count);
        return count;
    };
    return ParseWavLayout(read, size, out);
}

WavReverser::~WavReverser() { Release(); }

bool WavReverser::OpenSource(const std::string& path) {
    if (source_ >= 0) {
        ::close(source_);
        source_ = -1;
    }
    remaining_ = 0;
    layout_ = WavLayout{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    WavLayout layout;
    const WavReadAt read = [fd](std::uint64_t offset, void* buf, std::size_t n) {
        return PreadFull(fd, offset, buf, n);
    };
    if (!ParseWavLayout(read, static_cast<std::uint64_t>(st.st_size), &layout)) {
        ::close(fd);
        return false;
    }
    source_ = fd;
    layout_ = layout;
    remaining_ = layout.totalFrames;

    const std::size_t blockBytes = static_cast<std::size_t>(layout.blockAlign) * kBlockFrames;
    try {
        readBuffer_.assign(blockBytes, 0);
        writeBuffer_.assign(blockBytes, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool WavReverser::WriteAll(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(output_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WavReverser::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(output_, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        offset += static_cast<std::uint64_t>(n);
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WavReverser::CreateOutput(const std::string& path) {
    if (output_ >= 0) {
        ::close(output_);
        output_ = -1;
    }
    if (source_ < 0) return false;
    // Truncating the source itself would destroy what is still to be read.
    struct stat src {}, dst {};
    if (::fstat(source_, &src) == 0 && ::stat(path.c_str(), &dst) == 0 && src.st_dev == dst.st_dev &&
        src.st_ino == dst.st_ino)
        return false;
    output_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (output_ < 0) return false;

    const auto fmtSize = static_cast<std::uint32_t>(layout_.fmtSize);
    const std::uint32_t fmtPad = fmtSize & 1;
    const std::uint32_t dataSize =
        static_cast<std::uint32_t>(layout_.totalFrames) * static_cast<std::uint32_t>(layout_.blockAlign);
    std::uint8_t header[36];
    std::memcpy(header, layout_.header, sizeof header);
    PutLe32(header + 4, 4 + (8 + fmtSize + fmtPad) + (8 + dataSize + (dataSize & 1)));
    if (!WriteAll(header, sizeof header)) return false;

    // Bytes of the format chunk beyond the PCM fields: the extensible form's
    // as read, anything else as zeros.
    std::vector<std::uint8_t> extra(fmtSize - 16 + fmtPad, 0);
    std::copy(layout_.fmtExtension.begin(), layout_.fmtExtension.end(), extra.begin());
    if (!extra.empty() && !WriteAll(extra.data(), extra.size())) return false;

    std::uint8_t dataHeader[8] = {'d', 'a', 't', 'a', 0, 0, 0, 0};
    PutLe32(dataHeader + 4, dataSize);
    if (!WriteAll(dataHeader, sizeof dataHeader)) return false;
    outputDataOffset_ = sizeof header + extra.size() + sizeof dataHeader;
    return true;
}

bool WavReverser::ReverseNextBlock() {
    if (source_ < 0 || output_ < 0 || remaining_ <= 0) return false;
    const std::int32_t n = remaining_ < kBlockFrames ? remaining_ : kBlockFrames;
    const std::size_t frame = static_cast<std::size_t>(layout_.blockAlign);
    const std::size_t bytes = static_cast<std::size_t>(n) * frame;
    const std::uint64_t start =
        layout_.dataOffset + static_cast<std::uint64_t>(remaining_ - n) * static_cast<std::uint64_t>(frame);
    if (PreadFull(source_, start, readBuffer_.data(), bytes) != bytes) return false;
    for (std::int32_t k = 0; k < n; ++k)
        std::memcpy(writeBuffer_.data() + static_cast<std::size_t>(k) * frame,
                    readBuffer_.data() + static_cast<std::size_t>(n - 1 - k) * frame, frame);
    if (!WriteAll(writeBuffer_.data(), bytes)) return false;
    remaining_ -= n;
    return true;
}

bool WavReverser::FinishOutput() {
    if (output_ < 0) return false;
    const std::uint32_t written = static_cast<std::uint32_t>(layout_.totalFrames - remaining_) *
                                  static_cast<std::uint32_t>(layout_.blockAlign);
    if ((written & 1) && !WriteAll("", 1)) return false;
    if (remaining_ == 0) return true;
    const auto fmtSize = static_cast<std::uint32_t>(layout_.fmtSize);
    std::uint8_t riffSize[4], dataSize[4];
    PutLe32(riffSize, 4 + (8 + fmtSize + (fmtSize & 1)) + (8 + written + (written & 1)));
    PutLe32(dataSize, written);
    return WriteAt(4, riffSize, sizeof riffSize) && WriteAt(outputDataOffset_ - 4, dataSize, sizeof dataSize);
}

bool WavReverser::Release() {
    readBuffer_.clear();
    readBuffer_.shrink_to_fit();
    writeBuffer_.clear();
    writeBuffer_.shrink_to_fit();
    if (source_ >= 0) {
        ::close(source_);
        source_ = -1;
    }
    bool ok = true;
    if (output_ >= 0) {
        ok = ::close(output_) == 0;
        output_ = -1;
    }
    return ok;
}

bool ReverseWavFile(JobContext& ctx, const std::string& sourcePath, const std::string& targetPath) {
    WavReverser reverser;
    const auto fail = [&] {
        const bool created = reverser.HasOutput();
        reverser.Release();
        if (created) RemoveIfRegularFile(targetPath);
        return false;
    };
    if (!reverser.OpenSource(sourcePath)) return fail();
    if (!reverser.CreateOutput(targetPath)) return fail();

    const std::int32_t total = reverser.TotalFrames();
    ctx.SetProgressPos(0);
    ctx.SetProgressRange(total);
    while (reverser.RemainingFrames() != 0) {
        if (!reverser.ReverseNextBlock()) return fail();
        ctx.SetProgressPos(total - reverser.RemainingFrames());
        if (ctx.Cancelled()) break;
    }
    if (!reverser.FinishOutput()) return fail();
    if (!reverser.Release()) {
        RemoveIfRegularFile(targetPath);
        return false;
    }
    return true;
}
