#include "avi/avi_reader.h"

#include <algorithm>
#include <limits>

namespace avi {

namespace {

constexpr uint32_t kRiff = FourCC("RIFF");
constexpr uint32_t kList = FourCC("LIST");
constexpr size_t kMaxMoviLists = 4096;
constexpr uint32_t kMaxSuperEntries = 1u << 16;
constexpr size_t kIndexBlock = 64 * 1024;  // bytes of index read at once

// "00dc", "01wb", ...: the stream number, or -1 for any other chunk.
int StreamOfChunk(uint32_t id) {
    const char c0 = static_cast<char>(id & 0xFF);
    const char c1 = static_cast<char>((id >> 8) & 0xFF);
    const char c2 = static_cast<char>((id >> 16) & 0xFF);
    const char c3 = static_cast<char>((id >> 24) & 0xFF);
    if (c0 < '0' || c0 > '9' || c1 < '0' || c1 > '9') return -1;
    if (c2 < 'a' || c2 > 'z' || c3 < 'a' || c3 > 'z') return -1;
    if (c2 == 'p' && c3 == 'c') return -1;  // palette change
    return (c0 - '0') * 10 + (c1 - '0');
}

bool Printable(uint32_t id) {
    for (int i = 0; i < 4; ++i) {
        const unsigned c = (id >> (8 * i)) & 0xFF;
        if (c < 0x20 || c > 0x7E) return false;
    }
    return true;
}

}  // namespace

bool Reader::Open(const std::string& path) {
    auto file = std::make_unique<FileSource>();
    if (!file->Open(path)) return false;
    return Open(std::move(file));
}

bool Reader::Open(std::unique_ptr<ByteSource> source) {
    src_ = std::move(source);
    size_ = src_->Size();
    streams_.clear();
    movi_.clear();
    wave_ = haveHeader_ = haveIdx1_ = idx1Cut_ = tooMany_ = false;

    Head riff;
    if (!ReadHead(0, size_, &riff) || riff.id != kRiff || size_ < 12) return false;
    const uint32_t form = ReadFourCC(8);
    bool ok = false;
    if (form == FourCC("WAVE")) ok = ParseWave(riff);
    else if (form == FourCC("AVI ")) ok = ParseAvi();
    if (!ok || tooMany_) {
        streams_.clear();
        return false;
    }
    return true;
}

int Reader::FindStream(uint32_t type, int index) const {
    for (int i = 0; i < StreamCount(); ++i) {
        if (streams_[i].info.fccType == type && index-- == 0) return i;
    }
    return -1;
}

bool Reader::ReadHead(uint64_t pos, uint64_t limit, Head* h) {
    if (pos > limit || limit - pos < 8) return false;
    uint8_t b[8];
    if (!src_->ReadAt(pos, b, 8)) return false;
    h->id = Le32(b);
    h->size = Le32(b + 4);
    h->data = pos + 8;
    h->end = std::min<uint64_t>(h->data + h->size, limit);
    h->next = h->data + h->size + (h->size & 1);
    return true;
}

uint32_t Reader::ReadFourCC(uint64_t pos) {
    uint8_t b[4];
    return src_->ReadAt(pos, b, 4) ? Le32(b) : 0;
}

bool Reader::ParseAvi() {
    uint64_t pos = 0;
    int parts = 0;
    Head riff;
    while (ReadHead(pos, size_, &riff)) {
        if (riff.id != kRiff) break;
        // A part whose size was never filled in runs to the end of the file.
        const uint64_t end = riff.size < 4 ? size_ : riff.end;
        const uint32_t form = ReadFourCC(riff.data);
        if (form != (parts == 0 ? FourCC("AVI ") : FourCC("AVIX"))) break;
        Head h;
        for (uint64_t p = riff.data + 4; ReadHead(p, end, &h); p = h.next) {
            if (h.id == kList && h.size >= 4) {
                const uint32_t type = ReadFourCC(h.data);
                if (type == FourCC("hdrl") && parts == 0 && !haveHeader_) {
                    haveHeader_ = true;
                    ParseHeaderList(h.data + 4, h.end);
                } else if (type == FourCC("movi") && movi_.size() < kMaxMoviLists) {
                    movi_.push_back({h.data, h.end});
                }
            } else if (h.id == FourCC("idx1") && parts == 0 && !haveIdx1_) {
                haveIdx1_ = true;
                idx1Pos_ = h.data;
                idx1Size_ = h.end - h.data;
                idx1Cut_ = h.data + h.size > h.end;
            }
        }
        if (riff.size < 4) break;
        pos = riff.next;
        ++parts;
    }
    if (!haveHeader_) return false;

    bool indexed = false;
    const bool anyIndx = std::any_of(streams_.begin(), streams_.end(),
                                     [](const Stream& s) { return s.indxSize > 0; });
    if (anyIndx) indexed = ReadOpenDmlIndexes();
    if (!indexed) {
        for (Stream& s : streams_) s.chunks.clear();
        tooMany_ = false;
        // An idx1 cut short (a file truncated inside its index) lists only
        // part of the frames that movi holds: the scan finds them all.
        if (haveIdx1_ && !idx1Cut_ && !movi_.empty() && ReadIdx1()) {
            indexed = true;
            // Parts written after the first RIFF without an OpenDML index.
            for (size_t i = 1; i < movi_.size(); ++i) ScanMovi(movi_[i]);
        }
    }
    if (!indexed) {
        for (Stream& s : streams_) s.chunks.clear();
        tooMany_ = false;
        for (const MoviList& m : movi_) ScanMovi(m);
    }
    Finish();
    return true;
}

void Reader::ParseHeaderList(uint64_t pos, uint64_t end) {
    Head h;
    for (; ReadHead(pos, end, &h); pos = h.next) {
        if (h.id == kList && h.size >= 4 && ReadFourCC(h.data) == FourCC("strl")) {
            if (streams_.size() < static_cast<size_t>(kMaxStreams)) ParseStreamList(h.data + 4, h.end);
        }
    }
}

void Reader::ParseStreamList(uint64_t pos, uint64_t end) {
    Stream s;
    Head h;
    for (; ReadHead(pos, end, &h); pos = h.next) {
        const uint64_t avail = h.end - h.data;
        if (h.id == FourCC("strh")) {
            uint8_t b[64] = {};
            const size_t n = static_cast<size_t>(std::min<uint64_t>(avail, sizeof b));
            if (!src_->ReadAt(h.data, b, n)) continue;
            StreamInfo& i = s.info;
            i.fccType = Le32(b);
            i.fccHandler = Le32(b + 4);
            i.dwFlags = Le32(b + 8);
            i.wPriority = Le16(b + 12);
            i.wLanguage = Le16(b + 14);
            i.dwInitialFrames = Le32(b + 16);
            i.dwScale = Le32(b + 20);
            i.dwRate = Le32(b + 24);
            i.dwStart = Le32(b + 28);
            i.dwLength = Le32(b + 32);
            i.dwSuggestedBufferSize = Le32(b + 36);
            i.dwQuality = Le32(b + 40);
            i.dwSampleSize = Le32(b + 44);
            i.rcFrame.left = static_cast<int16_t>(Le16(b + 48));
            i.rcFrame.top = static_cast<int16_t>(Le16(b + 50));
            i.rcFrame.right = static_cast<int16_t>(Le16(b + 52));
            i.rcFrame.bottom = static_cast<int16_t>(Le16(b + 54));
        } else if (h.id == FourCC("strf")) {
            if (avail > kMaxFormatSize) continue;
            s.format.resize(static_cast<size_t>(avail));
            if (!src_->ReadAt(h.data, s.format.data(), s.format.size())) s.format.clear();
        } else if (h.id == FourCC("strn")) {
            char name[64] = {};
            const size_t n = static_cast<size_t>(std::min<uint64_t>(avail, sizeof name - 1));
            if (src_->ReadAt(h.data, name, n)) s.info.SetName(name);
        } else if (h.id == FourCC("indx")) {
            s.indxPos = h.data;
            s.indxSize = avail;
        }
    }
    streams_.push_back(std::move(s));
}

bool Reader::AddChunk(int stream, uint64_t offset, uint32_t size, uint32_t flags) {
    if (stream < 0 || stream >= StreamCount()) return true;
    Stream& s = streams_[stream];
    if (s.chunks.size() >= kMaxIndexEntries) {
        tooMany_ = true;
        return false;
    }
    s.chunks.push_back({offset, size, flags});
    return true;
}

bool Reader::ReadOpenDmlIndexes() {
    for (Stream& s : streams_) {
        if (s.indxSize == 0) continue;
        if (s.indxSize < 24) return false;
        uint8_t h[24];
        if (!src_->ReadAt(s.indxPos, h, sizeof h)) return false;
        const uint16_t longsPerEntry = Le16(h);
        const uint8_t indexType = h[3];
        const uint32_t inUse = Le32(h + 4);
        if (indexType == 1) {  // the stream's chunks indexed right here
            if (!ReadStandardIndexBody(s, s.indxPos, s.indxPos + s.indxSize)) return false;
            continue;
        }
        if (indexType != 0 || longsPerEntry != 4) return false;
        const uint64_t room = (s.indxSize - 24) / 16;
        if (inUse > room || inUse > kMaxSuperEntries) return false;
        for (uint32_t e = 0; e < inUse; ++e) {
            uint8_t b[16];
            if (!src_->ReadAt(s.indxPos + 24 + 16ull * e, b, sizeof b)) return false;
            if (!ReadStandardIndex(s, Le64(b))) return false;
        }
    }
    return true;
}

bool Reader::ReadStandardIndex(Stream& s, uint64_t chunkPos) {
    Head h;
    if (!ReadHead(chunkPos, size_, &h)) return false;
    return ReadStandardIndexBody(s, h.data, h.end);
}

bool Reader::ReadStandardIndexBody(Stream& s, uint64_t data, uint64_t end) {
    if (end - data < 24) return false;
    uint8_t h[24];
    if (!src_->ReadAt(data, h, sizeof h)) return false;
    const uint16_t longsPerEntry = Le16(h);
    const uint8_t indexType = h[3];
    const uint32_t inUse = Le32(h + 4);
    const uint64_t base = Le64(h + 12);
    if (indexType != 1 || longsPerEntry < 2 || longsPerEntry > 16) return false;
    const size_t stride = 4u * longsPerEntry;
    if (inUse > (end - data - 24) / stride) return false;
    const int streamNo = static_cast<int>(&s - streams_.data());
    std::vector<uint8_t> block;
    const size_t perBlock = kIndexBlock / stride;
    for (uint32_t done = 0; done < inUse;) {
        const size_t n = std::min<size_t>(perBlock, inUse - done);
        block.resize(n * stride);
        if (!src_->ReadAt(data + 24 + uint64_t{done} * stride, block.data(), block.size())) return false;
        for (size_t k = 0; k < n; ++k) {
            const uint8_t* e = block.data() + k * stride;
            const uint32_t size = Le32(e + 4);
            // A base past the file makes the chunk unreadable, never an overflow.
            const uint64_t offset = base > size_ ? size_ : base + Le32(e);
            if (!AddChunk(streamNo, offset, size & 0x7FFFFFFFu, (size & 0x80000000u) ? 0 : kKeyFrame))
                return false;
        }
        done += static_cast<uint32_t>(n);
    }
    return true;
}

bool Reader::ReadIdx1() {
    const uint64_t count = idx1Size_ / 16;
    const uint64_t moviPos = movi_.front().fourccPos;
    // Offsets count from the "movi" code, or, in some files, from the file start.
    bool baseKnown = false;
    uint64_t base = 0;
    std::vector<uint8_t> block;
    const size_t perBlock = kIndexBlock / 16;
    for (uint64_t done = 0; done < count;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(perBlock, count - done));
        block.resize(n * 16);
        if (!src_->ReadAt(idx1Pos_ + done * 16, block.data(), block.size())) return false;
        for (size_t k = 0; k < n; ++k) {
            const uint8_t* e = block.data() + k * 16;
            const uint32_t id = Le32(e);
            const int stream = StreamOfChunk(id);
            if (stream < 0 || stream >= StreamCount()) continue;
            const uint64_t off = Le32(e + 8);
            if (!baseKnown) {
                if (ReadFourCC(moviPos + off) == id) base = moviPos;
                else if (ReadFourCC(off) == id) base = 0;
                else return false;
                baseKnown = true;
            }
            if (!AddChunk(stream, base + off + 8, Le32(e + 12), Le32(e + 4) & kKeyFrame)) return false;
        }
        done += n;
    }
    return true;
}

void Reader::ScanMovi(const MoviList& movi) {
    Head h;
    for (uint64_t p = movi.fourccPos + 4; ReadHead(p, movi.end, &h);) {
        if (!Printable(h.id)) return;  // lost in damaged data
        if (h.id == kList) {
            // "rec " groups hold ordinary chunks: walk into them.
            if (h.size >= 4 && ReadFourCC(h.data) == FourCC("rec ")) {
                p = h.data + 4;
                continue;
            }
        } else if (const int stream = StreamOfChunk(h.id); stream >= 0) {
            if (!AddChunk(stream, h.data, h.size, kKeyFrame)) return;
        }
        p = h.next;
    }
}

bool Reader::ParseWave(const Head& riff) {
    const uint64_t end = riff.size < 4 ? size_ : riff.end;
    bool haveData = false;
    uint64_t dataPos = 0, dataSize = 0;
    Stream s;
    Head h;
    for (uint64_t p = 12; ReadHead(p, end, &h); p = h.next) {
        const uint64_t avail = h.end - h.data;
        if (h.id == FourCC("fmt ") && s.format.empty()) {
            if (avail < kPcmWaveFormatSize || avail > kMaxFormatSize) return false;
            s.format.resize(static_cast<size_t>(avail));
            if (!src_->ReadAt(h.data, s.format.data(), s.format.size())) return false;
        } else if (h.id == FourCC("data") && !haveData) {
            haveData = true;
            dataPos = h.data;
            // A size never filled in (0 or past the end) means: up to the end of the file.
            dataSize = (h.size == 0 || h.data + h.size > size_) ? size_ - h.data : h.size;
        }
    }
    if (s.format.empty() || !haveData) return false;
    const uint8_t* f = s.format.data();
    const uint16_t tag = Le16(f);
    if (tag != 1 && tag != 3 && tag != 0xFFFE) return false;  // integer or float PCM only
    const uint32_t rate = Le32(f + 4);
    const uint16_t blockAlign = Le16(f + 12);

    StreamInfo& i = s.info;
    i.fccType = kStreamTypeAudio;
    i.dwSampleSize = blockAlign;
    const uint64_t bytesPerSecond = uint64_t{blockAlign} * rate;
    if (bytesPerSecond <= std::numeric_limits<uint32_t>::max()) {
        i.dwScale = blockAlign;
        i.dwRate = static_cast<uint32_t>(bytesPerSecond);
    } else {
        i.dwScale = 1;
        i.dwRate = rate;
    }
    if (dataSize > std::numeric_limits<uint32_t>::max()) dataSize = std::numeric_limits<uint32_t>::max();
    s.chunks.push_back({dataPos, static_cast<uint32_t>(dataSize), kKeyFrame});
    streams_.push_back(std::move(s));
    wave_ = true;
    Finish();
    return true;
}

bool Reader::ChunkInFile(const Chunk& c) const { return c.offset <= size_ && c.size <= size_ - c.offset; }

void Reader::Finish() {
    for (Stream& s : streams_) {
        s.sampleSize = s.info.fccType == kStreamTypeAudio ? s.info.dwSampleSize : 0;
        s.largest = 0;
        for (const Chunk& c : s.chunks) {
            if (ChunkInFile(c)) s.largest = std::max(s.largest, c.size);
        }
        uint64_t length = s.chunks.size();
        if (s.sampleSize > 0) {
            s.firstSample.resize(s.chunks.size());
            length = 0;
            for (size_t k = 0; k < s.chunks.size(); ++k) {
                s.firstSample[k] = length;
                length += s.chunks[k].size / s.sampleSize;
            }
        }
        s.info.dwLength = static_cast<uint32_t>(std::min<uint64_t>(length, std::numeric_limits<uint32_t>::max()));
    }
}

bool Reader::Read(int stream, uint32_t start, uint32_t count, void* buffer, size_t capacity,
                  size_t* bytes, uint32_t* samples) {
    if (bytes) *bytes = 0;
    if (samples) *samples = 0;
    if (stream < 0 || stream >= StreamCount() || count == 0) return false;
    Stream& s = streams_[stream];
    if (s.sampleSize == 0) {
        if (start >= s.chunks.size()) return false;
        const Chunk& c = s.chunks[start];
        if (c.size > capacity || !ChunkInFile(c)) return false;
        if (c.size && !src_->ReadAt(c.offset, buffer, c.size)) return false;
        if (bytes) *bytes = c.size;
        if (samples) *samples = 1;
        return true;
    }
    if (start >= s.info.dwLength) return false;
    const uint64_t want = std::min<uint64_t>({count, s.info.dwLength - uint64_t{start}, capacity / s.sampleSize});
    if (want == 0) return false;
    size_t k = static_cast<size_t>(std::upper_bound(s.firstSample.begin(), s.firstSample.end(), uint64_t{start}) -
                                   s.firstSample.begin()) - 1;
    auto* out = static_cast<uint8_t*>(buffer);
    uint64_t pos = start, left = want;
    for (; left > 0 && k < s.chunks.size(); ++k) {
        const Chunk& c = s.chunks[k];
        const uint64_t inChunk = c.size / s.sampleSize;
        const uint64_t skip = pos - s.firstSample[k];
        if (skip >= inChunk) continue;
        const uint64_t take = std::min(inChunk - skip, left);
        if (!ChunkInFile(c) || !src_->ReadAt(c.offset + skip * s.sampleSize, out, take * s.sampleSize)) return false;
        out += take * s.sampleSize;
        pos += take;
        left -= take;
    }
    if (left != 0) return false;
    if (bytes) *bytes = static_cast<size_t>(want * s.sampleSize);
    if (samples) *samples = static_cast<uint32_t>(want);
    return true;
}

}  // namespace avi
