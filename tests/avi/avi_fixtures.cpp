#include "tests/avi/avi_fixtures.h"

#include <sys/statvfs.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "avi/avi_reader.h"
#include "avi/avi_writer.h"
#include "tests/common/media.h"

namespace avitest {

using testmedia::Quote;
using testmedia::Run;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

long long Find(const Bytes& bytes, const char* code, size_t from) {
    for (size_t i = from; i + 4 <= bytes.size(); ++i) {
        if (std::memcmp(bytes.data() + i, code, 4) == 0) return static_cast<long long>(i);
    }
    return -1;
}

void Patch32(Bytes& bytes, size_t at, uint32_t value) { avi::Put32(bytes.data() + at, value); }
uint32_t Get32(const Bytes& bytes, size_t at) { return avi::Le32(bytes.data() + at); }

std::vector<Bytes> MakeJpegs(const std::string& dir, int n, int w, int h, int quality) {
    const std::string pattern = dir + "/jpeg-%04d.jpg";
    const std::string cmd = "ffmpeg -nostdin -v error -y -f lavfi -i \"color=c=black:s=" + std::to_string(w) + "x" +
                            std::to_string(h) + ":r=25,geq=lum='16+mod(4*N\\,220)':cb=128:cr=128\" -frames:v " +
                            std::to_string(n) + " -c:v mjpeg -q:v " + std::to_string(quality) + " " +
                            Quote(pattern) + " 2>&1";
    std::vector<Bytes> out;
    if (Run(cmd) != 0) return out;
    for (int k = 1; k <= n; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "/jpeg-%04d.jpg", k);
        out.push_back(ReadBytes(dir + name));
        std::remove((dir + name).c_str());
    }
    return out;
}

bool WriteAvi(const std::string& path, const std::vector<Bytes>& frames, const TestAvi& spec) {
    avi::Writer w;
    if (!w.Create(path, spec.partLimit)) return false;
    avi::StreamInfo info;
    info.fccType = avi::kStreamTypeVideo;
    info.fccHandler = avi::FourCC("MJPG");
    info.dwScale = spec.scale;
    info.dwRate = spec.rate;
    info.dwQuality = 0xFFFFFFFFu;
    info.rcFrame.right = spec.width;
    info.rcFrame.bottom = spec.height;
    info.SetName("source");
    const int s = w.CreateStream(info);
    Bytes format(spec.formatSize, 0);
    avi::Put32(format.data(), 40);
    avi::Put32(format.data() + 4, static_cast<uint32_t>(spec.width));
    avi::Put32(format.data() + 8, static_cast<uint32_t>(spec.height));
    avi::Put16(format.data() + 12, 1);
    avi::Put16(format.data() + 14, 24);
    avi::Put32(format.data() + 16, avi::FourCC("MJPG"));
    avi::Put32(format.data() + 20, static_cast<uint32_t>(spec.width * spec.height * 3));
    for (size_t i = 40; i < format.size(); ++i) format[i] = static_cast<uint8_t>(i);
    if (s < 0 || !w.SetFormat(s, format.data(), format.size())) return false;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (!w.Write(s, static_cast<uint32_t>(i), frames[i].data(), frames[i].size(), avi::kKeyFrame)) return false;
    }
    return w.Close();
}

bool ReadFrames(const std::string& path, std::vector<Bytes>* frames) {
    frames->clear();
    avi::Reader r;
    if (!r.Open(path)) return false;
    const int s = r.FindStream(avi::kStreamTypeVideo);
    if (s < 0) return false;
    Bytes buffer(r.LargestChunk(s) + 1);
    for (uint32_t i = 0; i < r.Info(s).dwLength; ++i) {
        size_t n = 0;
        if (!r.Read(s, i, 1, buffer.data(), buffer.size(), &n, nullptr)) return false;
        frames->emplace_back(buffer.begin(), buffer.begin() + static_cast<long>(n));
    }
    return true;
}

void WriteWav(const std::string& path, const std::vector<int16_t>& samples, int rate, int channels, int fmtSize,
              int blockAlignOverride) {
    Bytes b;
    b.reserve(64 + samples.size() * 2);
    auto u16 = [&](uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    auto code = [&](const char* c) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(c[i]));
    };
    const uint32_t blockAlign = 2u * static_cast<uint32_t>(channels);
    code("RIFF");
    u32(0);
    code("WAVE");
    code("fmt ");
    u32(static_cast<uint32_t>(fmtSize));
    u16(1);
    u16(static_cast<uint32_t>(channels));
    u32(static_cast<uint32_t>(rate));
    u32(static_cast<uint32_t>(rate) * blockAlign);
    u16(blockAlignOverride >= 0 ? static_cast<uint32_t>(blockAlignOverride) : blockAlign);
    u16(16);
    for (int i = 16; i < fmtSize; ++i) b.push_back(0);
    code("data");
    u32(static_cast<uint32_t>(samples.size() * 2));
    for (int16_t v : samples) u16(static_cast<uint16_t>(v));
    avi::Put32(b.data() + 4, static_cast<uint32_t>(b.size() - 8));
    WriteBytes(path, b);
}

std::vector<int16_t> Ramp(size_t n) {
    std::vector<int16_t> s(n);
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<int16_t>((i * 7) % 60000 - 30000);
    return s;
}

std::vector<ChunkRef> MoviChunks(const std::string& path) {
    const Bytes b = ReadBytes(path);
    std::vector<ChunkRef> out;
    // Walks RIFF parts, then their LIST movi, then the chunks inside.
    size_t pos = 0;
    while (pos + 12 <= b.size() && std::memcmp(b.data() + pos, "RIFF", 4) == 0) {
        const size_t riffEnd = std::min(b.size(), pos + 8 + Get32(b, pos + 4));
        size_t p = pos + 12;
        while (p + 8 <= riffEnd) {
            const uint32_t size = Get32(b, p + 4);
            if (std::memcmp(b.data() + p, "LIST", 4) == 0 && std::memcmp(b.data() + p + 8, "movi", 4) == 0) {
                const size_t end = std::min(riffEnd, p + 8 + size);
                for (size_t c = p + 12; c + 8 <= end;) {
                    const uint32_t n = Get32(b, c + 4);
                    out.push_back({std::string(reinterpret_cast<const char*>(b.data() + c), 4), n});
                    c += 8 + n + (n & 1);
                }
            }
            p += 8 + size + (size & 1);
        }
        pos = riffEnd + (riffEnd & 1);
    }
    return out;
}

std::string ProbeErrors(const std::string& path) {
    std::string out;
    Run("ffprobe -v error -i " + Quote(path) + " 2>&1 >/dev/null", &out);
    return out;
}

long long ProbePackets(const std::string& path, const std::string& stream) {
    std::string out;
    Run("ffprobe -v error -count_packets -select_streams " + stream +
            " -show_entries stream=nb_read_packets -of default=nw=1:nk=1 " + Quote(path) + " 2>/dev/null",
        &out);
    if (out.empty() || out[0] < '0' || out[0] > '9') return -1;
    return std::stoll(out);
}

unsigned long long FreeBytes(const std::string& dir) {
    struct statvfs st;
    if (::statvfs(dir.c_str(), &st) != 0) return 0;
    return static_cast<unsigned long long>(st.f_bavail) * st.f_frsize;
}

}  // namespace avitest
