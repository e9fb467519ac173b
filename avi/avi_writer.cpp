#include "avi/avi_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace avi {

namespace {

constexpr uint32_t kAvihSize = 56;
constexpr uint32_t kStrhSize = 56;
constexpr uint32_t kDmlhSize = 248;
constexpr uint32_t kIndxSize = 24 + 16 * kSuperIndexEntries;
constexpr uint32_t kAvifHasIndex = 0x10;
constexpr uint32_t kAvifIsInterleaved = 0x100;
constexpr uint32_t kNotKeyFrame = 0x80000000u;

uint32_t Clamp32(uint64_t v) {
    return static_cast<uint32_t>(std::min<uint64_t>(v, std::numeric_limits<uint32_t>::max()));
}
uint16_t Clamp16(int32_t v) {
    return static_cast<uint16_t>(static_cast<int16_t>(std::clamp<int32_t>(v, -32768, 32767)));
}
uint32_t Pad(uint32_t n) { return n + (n & 1); }

// Little-endian byte builder for headers and indexes.
class Bytes {
public:
    explicit Bytes(std::vector<uint8_t>& out) : out_(out) {}
    void U8(uint8_t v) { out_.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void U64(uint64_t v) {
        U32(static_cast<uint32_t>(v));
        U32(static_cast<uint32_t>(v >> 32));
    }
    void Raw(const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        out_.insert(out_.end(), b, b + n);
    }
    void Zeros(size_t n) { out_.insert(out_.end(), n, 0); }
    // Starts a chunk (or a LIST with its type); returns where its size goes.
    size_t Open(uint32_t id, uint32_t listType = 0) {
        U32(id);
        const size_t at = out_.size();
        U32(0);
        if (listType) U32(listType);
        return at;
    }
    void Close(size_t at) {
        const uint32_t size = static_cast<uint32_t>(out_.size() - at - 4);
        Put32(out_.data() + at, size);
        if (size & 1) U8(0);
    }

private:
    std::vector<uint8_t>& out_;
};

uint32_t ChunkId(int stream, const char* suffix) {
    const char id[5] = {static_cast<char>('0' + stream / 10), static_cast<char>('0' + stream % 10), suffix[0],
                        suffix[1], 0};
    return FourCC(id);
}

}  // namespace

Writer::~Writer() {
    if (open_) Close();
}

bool Writer::Fail() {
    failed_ = true;
    return false;
}

bool Writer::Create(const std::string& path, uint64_t partLimit) {
    if (open_ || !file_.Create(path)) return false;
    open_ = true;
    partLimit_ = std::min(partLimit, kMaxPartSize);
    return true;
}

int Writer::CreateStream(const StreamInfo& info) {
    if (!open_ || begun_ || streams_.size() >= 100) return -1;
    Stream s;
    s.info = info;
    s.info.szName[sizeof s.info.szName - 1] = 0;
    streams_.push_back(std::move(s));
    return static_cast<int>(streams_.size() - 1);
}

bool Writer::SetFormat(int stream, const void* data, size_t size) {
    if (!open_ || begun_ || stream < 0 || stream >= static_cast<int>(streams_.size()) || size > (1u << 20))
        return false;
    const auto* p = static_cast<const uint8_t*>(data);
    streams_[stream].format.assign(p, p + size);
    return true;
}

// The header list: avih, one strl per stream (strh, strf, indx, strn), odml.
// Its size depends only on the streams and formats, so Close rewrites it in place.
std::vector<uint8_t> Writer::BuildHeader() const {
    std::vector<uint8_t> out;
    Bytes b(out);
    const Stream* video = nullptr;
    uint32_t largest = 0;
    uint64_t allBytes = 0;
    for (const Stream& s : streams_) {
        if (!video && s.info.fccType == kStreamTypeVideo) video = &s;
        largest = std::max(largest, s.largest);
        allBytes += s.bytes;
    }
    uint32_t usPerFrame = 0, bytesPerSec = 0, width = 0, height = 0;
    uint64_t firstPartFrames = 0, totalFrames = 0;
    if (video) {
        const StreamInfo& i = video->info;
        if (i.dwRate) usPerFrame = Clamp32(static_cast<uint64_t>(std::llround(1e6 * i.dwScale / i.dwRate)));
        const double seconds = i.dwRate ? static_cast<double>(video->length) * i.dwScale / i.dwRate : 0.0;
        if (seconds > 0) bytesPerSec = Clamp32(static_cast<uint64_t>(static_cast<double>(allBytes) / seconds));
        if (video->format.size() >= kBitmapInfoHeaderSize) {
            width = static_cast<uint32_t>(std::abs(static_cast<int64_t>(BitmapWidth(video->format.data()))));
            height = static_cast<uint32_t>(std::abs(static_cast<int64_t>(BitmapHeight(video->format.data()))));
        } else {
            width = static_cast<uint32_t>(std::max(0, i.rcFrame.right - i.rcFrame.left));
            height = static_cast<uint32_t>(std::max(0, i.rcFrame.bottom - i.rcFrame.top));
        }
        firstPartFrames = video->firstPartChunks;
        totalFrames = video->length;
    }

    const size_t hdrl = b.Open(FourCC("LIST"), FourCC("hdrl"));
    const size_t avih = b.Open(FourCC("avih"));
    b.U32(usPerFrame);
    b.U32(bytesPerSec);
    b.U32(0);  // padding granularity
    b.U32(kAvifHasIndex | (streams_.size() > 1 ? kAvifIsInterleaved : 0));
    b.U32(Clamp32(firstPartFrames));  // frames of the first RIFF part; dmlh holds the total
    b.U32(0);                         // initial frames
    b.U32(static_cast<uint32_t>(streams_.size()));
    b.U32(largest);
    b.U32(width);
    b.U32(height);
    b.Zeros(16);
    b.Close(avih);

    for (const Stream& s : streams_) {
        const StreamInfo& i = s.info;
        const size_t strl = b.Open(FourCC("LIST"), FourCC("strl"));
        const size_t strh = b.Open(FourCC("strh"));
        b.U32(i.fccType);
        b.U32(i.fccHandler);
        b.U32(i.dwFlags);
        b.U16(i.wPriority);
        b.U16(i.wLanguage);
        b.U32(i.dwInitialFrames);
        b.U32(i.dwScale);
        b.U32(i.dwRate);
        b.U32(i.dwStart);
        b.U32(Clamp32(s.length));
        b.U32(s.largest);
        b.U32(i.dwQuality);
        b.U32(i.dwSampleSize);
        b.U16(Clamp16(i.rcFrame.left));
        b.U16(Clamp16(i.rcFrame.top));
        b.U16(Clamp16(i.rcFrame.right));
        b.U16(Clamp16(i.rcFrame.bottom));
        b.Close(strh);

        const size_t strf = b.Open(FourCC("strf"));
        b.Raw(s.format.data(), s.format.size());
        b.Close(strf);

        const size_t indx = b.Open(FourCC("indx"));
        b.U16(4);  // longs per entry
        b.U8(0);   // sub-type
        b.U8(0);   // index of indexes
        b.U32(static_cast<uint32_t>(s.super.size()));
        b.U32(s.ckid);
        b.Zeros(12);
        for (const SuperEntry& e : s.super) {
            b.U64(e.offset);
            b.U32(e.size);
            b.U32(e.duration);
        }
        b.Zeros(16 * (kSuperIndexEntries - s.super.size()));
        b.Close(indx);

        if (i.szName[0]) {
            const size_t strn = b.Open(FourCC("strn"));
            b.Raw(i.szName, std::strlen(i.szName) + 1);
            b.Close(strn);
        }
        b.Close(strl);
    }

    const size_t odml = b.Open(FourCC("LIST"), FourCC("odml"));
    const size_t dmlh = b.Open(FourCC("dmlh"));
    b.U32(Clamp32(totalFrames));
    b.Zeros(kDmlhSize - 4);
    b.Close(dmlh);
    b.Close(odml);
    b.Close(hdrl);
    return out;
}

// Writes the file head and opens the first part's movi list.
bool Writer::Begin() {
    for (size_t n = 0; n < streams_.size(); ++n) {
        Stream& s = streams_[n];
        const int no = static_cast<int>(n);
        if (s.info.fccType == kStreamTypeAudio) {
            s.ckid = ChunkId(no, "wb");
            s.sampleSize = s.info.dwSampleSize;
        } else if (s.info.fccType == kStreamTypeVideo) {
            const bool uncompressed = s.format.size() >= kBitmapInfoHeaderSize && BitmapCompression(s.format.data()) == 0;
            s.ckid = ChunkId(no, uncompressed ? "db" : "dc");
        } else {
            s.ckid = ChunkId(no, "tx");
        }
    }
    begun_ = true;
    std::vector<uint8_t> head;
    Bytes b(head);
    b.U32(FourCC("RIFF"));
    b.U32(0);
    b.U32(FourCC("AVI "));
    const std::vector<uint8_t> hdrl = BuildHeader();
    b.Raw(hdrl.data(), hdrl.size());
    moviListPos_ = head.size();
    b.U32(FourCC("LIST"));
    b.U32(0);
    b.U32(FourCC("movi"));
    partNo_ = 0;
    partStart_ = 0;
    partChunks_ = 0;
    partIndexBytes_ = 8;  // the idx1 header
    if (!file_.Append(head.data(), head.size())) return Fail();
    return true;
}

bool Writer::StartPart() {
    if (partNo_ + 1 >= kSuperIndexEntries) return Fail();
    ++partNo_;
    partStart_ = file_.Position();
    moviListPos_ = partStart_ + 12;
    partChunks_ = 0;
    partIndexBytes_ = 0;
    uint8_t head[24];
    Put32(head, FourCC("RIFF"));
    Put32(head + 4, 0);
    Put32(head + 8, FourCC("AVIX"));
    Put32(head + 12, FourCC("LIST"));
    Put32(head + 16, 0);
    Put32(head + 20, FourCC("movi"));
    if (!file_.Append(head, sizeof head)) return Fail();
    return true;
}

// Ends the movi list of the current part with its standard indexes (and, in
// the first part, idx1), then sets the sizes of the list and of the part.
bool Writer::EndPart() {
    std::vector<uint8_t> out;
    for (size_t n = 0; n < streams_.size(); ++n) {
        Stream& s = streams_[n];
        if (s.part.empty()) continue;
        out.clear();
        Bytes b(out);
        const char id[5] = {'i', 'x', static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10), 0};
        const size_t ix = b.Open(FourCC(id));
        b.U16(2);  // longs per entry
        b.U8(0);   // sub-type
        b.U8(1);   // index of chunks
        b.U32(static_cast<uint32_t>(s.part.size()));
        b.U32(s.ckid);
        b.U64(partStart_);
        b.U32(0);
        for (const StdEntry& e : s.part) {
            b.U32(static_cast<uint32_t>(e.offset - partStart_));
            b.U32(e.sizeAndFlag);
        }
        b.Close(ix);
        const uint64_t at = file_.Position();
        if (!file_.Append(out.data(), out.size())) return Fail();
        if (s.super.size() >= kSuperIndexEntries) return Fail();
        s.super.push_back({at, static_cast<uint32_t>(out.size()), Clamp32(s.sampleSize ? s.partDuration : s.part.size())});
        s.part.clear();
        s.part.shrink_to_fit();
        s.partDuration = 0;
    }
    uint8_t size[4];
    Put32(size, static_cast<uint32_t>(file_.Position() - moviListPos_ - 8));
    if (!file_.WriteAt(moviListPos_ + 4, size, 4)) return Fail();

    if (partNo_ == 0) {
        out.clear();
        Bytes b(out);
        b.U32(FourCC("idx1"));
        b.U32(static_cast<uint32_t>(16 * idx1_.size()));
        for (const Idx1Entry& e : idx1_) {
            b.U32(e.ckid);
            b.U32(e.flags);
            b.U32(e.offset);
            b.U32(e.size);
        }
        if (!file_.Append(out.data(), out.size())) return Fail();
        idx1_.clear();
        idx1_.shrink_to_fit();
    }
    Put32(size, static_cast<uint32_t>(file_.Position() - partStart_ - 8));
    if (!file_.WriteAt(partStart_ + 4, size, 4)) return Fail();
    return true;
}

bool Writer::AppendChunk(Stream& s, const void* data, uint32_t bytes, uint32_t flags, uint64_t samples) {
    const uint64_t need = 8 + Pad(bytes);
    const uint64_t moreIndex = (s.part.empty() ? 32 : 0) + 8 + (partNo_ == 0 ? 16 : 0);
    if (partChunks_ > 0 && file_.Position() + need + partIndexBytes_ + moreIndex - partStart_ > partLimit_) {
        if (!EndPart() || !StartPart()) return false;
        return AppendChunk(s, data, bytes, flags, samples);
    }
    const uint64_t at = file_.Position();
    uint8_t head[8];
    Put32(head, s.ckid);
    Put32(head + 4, bytes);
    static const uint8_t zero = 0;
    if (!file_.Append(head, 8) || !file_.Append(data, bytes) || ((bytes & 1) && !file_.Append(&zero, 1)))
        return Fail();
    const bool key = (flags & kKeyFrame) != 0;
    s.part.push_back({at + 8, bytes | (key ? 0 : kNotKeyFrame)});
    if (partNo_ == 0) {
        idx1_.push_back({s.ckid, flags & kKeyFrame, static_cast<uint32_t>(at - (moviListPos_ + 8)), bytes});
        ++s.firstPartChunks;
    }
    partIndexBytes_ += moreIndex;
    ++partChunks_;
    s.partDuration += samples;
    s.length += samples;
    s.bytes += bytes;
    s.largest = std::max(s.largest, bytes);
    return true;
}

bool Writer::Write(int stream, uint32_t start, const void* data, size_t bytes, uint32_t flags,
                   uint32_t* samplesWritten) {
    if (samplesWritten) *samplesWritten = 0;
    if (!open_ || failed_ || stream < 0 || stream >= static_cast<int>(streams_.size())) return false;
    if (bytes > kMaxChunkSize || (bytes > 0 && !data)) return false;
    if (!begun_ && !Begin()) return false;
    Stream& s = streams_[stream];
    if (start < s.length) return false;  // samples are appended, never replaced
    if (start > s.length) {
        // Frames never written keep their place as empty chunks.
        if (s.sampleSize != 0 || start - s.length > (1u << 24)) return false;
        while (s.length < start) {
            if (!AppendChunk(s, nullptr, 0, 0, 1)) return false;
        }
    }
    const uint64_t samples = s.sampleSize ? bytes / s.sampleSize : 1;
    if (!AppendChunk(s, data, static_cast<uint32_t>(bytes), flags, samples)) return false;
    if (samplesWritten) *samplesWritten = static_cast<uint32_t>(samples);
    return true;
}

bool Writer::Close() {
    if (!open_) return !failed_;
    open_ = false;
    if (!failed_ && !begun_) Begin();
    if (!failed_) EndPart();
    if (!failed_) {
        const std::vector<uint8_t> hdrl = BuildHeader();
        if (!file_.WriteAt(12, hdrl.data(), hdrl.size())) failed_ = true;
    }
    if (!file_.Close()) failed_ = true;
    return !failed_;
}

}  // namespace avi
