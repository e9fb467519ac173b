#include "controls/gif_info.h"

#include <cstring>

namespace {

class Reader {
public:
    explicit Reader(const QByteArray& b) : m_data(reinterpret_cast<const unsigned char*>(b.constData())), m_size(b.size()) {}
    bool Has(qsizetype n) const { return n >= 0 && m_pos + n <= m_size; }
    int Byte() { return Has(1) ? m_data[m_pos++] : -1; }
    const unsigned char* Take(qsizetype n) {
        if (!Has(n)) return nullptr;
        const unsigned char* p = m_data + m_pos;
        m_pos += n;
        return p;
    }
    // Skips data sub-blocks up to and including the terminator.
    bool SkipSubBlocks() {
        for (;;) {
            const int len = Byte();
            if (len < 0) return false;
            if (len == 0) return true;
            if (!Take(len)) return false;
        }
    }

private:
    const unsigned char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

}  // namespace

std::optional<GifInfo> ReadGifInfo(const QByteArray& bytes) {
    Reader r(bytes);
    const unsigned char* head = r.Take(13);
    if (!head || (std::memcmp(head, "GIF87a", 6) != 0 && std::memcmp(head, "GIF89a", 6) != 0)) return std::nullopt;
    GifInfo info;
    if (head[10] & 0x80) {
        if (!r.Take(3 * (2 << (head[10] & 7)))) return info;
    }
    int pendingDelay = 0;
    for (;;) {
        const int block = r.Byte();
        if (block == 0x21) {
            const int label = r.Byte();
            if (label == 0xF9) {
                const int len = r.Byte();
                const unsigned char* gce = len >= 4 ? r.Take(len) : nullptr;
                if (!gce) return info;
                info.hasDelays = true;
                pendingDelay = gce[1] | (gce[2] << 8);
                if (!r.SkipSubBlocks()) return info;
            } else if (label == 0xFF) {
                const int len = r.Byte();
                const unsigned char* app = len > 0 ? r.Take(len) : nullptr;
                if (!app) return info;
                const bool looping = len == 11 && (std::memcmp(app, "NETSCAPE2.0", 11) == 0 ||
                                                   std::memcmp(app, "ANIMEXTS1.0", 11) == 0);
                if (looping) {
                    const int sub = r.Byte();
                    if (sub < 0) return info;
                    if (sub == 0) continue;
                    const unsigned char* data = r.Take(sub);
                    if (!data) return info;
                    if (sub >= 3 && data[0] == 1 && !info.loopCount) info.loopCount = data[1] | (data[2] << 8);
                }
                if (!r.SkipSubBlocks()) return info;
            } else {
                if (label < 0 || !r.SkipSubBlocks()) return info;
            }
        } else if (block == 0x2C) {
            const unsigned char* desc = r.Take(9);
            if (!desc) return info;
            if ((desc[8] & 0x80) && !r.Take(3 * (2 << (desc[8] & 7)))) return info;
            if (r.Byte() < 0 || !r.SkipSubBlocks()) return info;
            ++info.frameCount;
            info.delays.push_back(pendingDelay);
            pendingDelay = 0;
        } else {
            return info;  // the trailer, or anything unknown
        }
    }
}
