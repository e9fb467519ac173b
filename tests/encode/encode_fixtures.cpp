#include "tests/encode/encode_fixtures.h"

extern "C" {
#include <libavutil/md5.h>
}

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "tests/common/media.h"

namespace encfx {

namespace {

testmedia::TempDir& Dir() {
    static testmedia::TempDir dir;
    return dir;
}

// Makes the file once with `make`; throws when the tool fails.
const std::string& Once(const std::string& name, bool (*make)(const std::string&)) {
    static std::map<std::string, std::string> made;
    auto it = made.find(name);
    if (it != made.end()) return it->second;
    const std::string path = Dir().File(name);
    if (!make(path)) throw std::runtime_error("cannot make fixture " + name);
    return made.emplace(name, path).first->second;
}

bool RunFfmpeg(const std::string& args) {
    std::string out;
    const int rc = testmedia::Run("ffmpeg -nostdin -v error -y " + args + " 2>&1", &out);
    if (rc != 0) std::fprintf(stderr, "ffmpeg failed: %s\n%s\n", args.c_str(), out.c_str());
    return rc == 0;
}

}  // namespace

const std::string& MjpegAvi() {
    return Once("grey.avi", [](const std::string& p) {
        testmedia::ClipSpec s;
        s.vcodec = "mjpeg";
        s.vopts = "-pix_fmt yuvj420p -q:v 3";
        return testmedia::MakeClip(p, s);
    });
}

static bool MakeLevels(const std::string& p, const char* pixfmt) {
    return RunFfmpeg(
        "-f lavfi -i \"color=c=black:s=320x240:r=25:d=0.6,"
        "geq=lum='if(lt(N\\,5)\\,16\\,if(lt(N\\,10)\\,128\\,235))':cb=128:cr=128\""
        " -c:v mjpeg -q:v 2 -pix_fmt " + std::string(pixfmt) + " " + testmedia::Quote(p));
}

const std::string& LevelsAvi(bool yuv422) {
    if (yuv422) return Once("levels422.avi", [](const std::string& p) { return MakeLevels(p, "yuvj422p"); });
    return Once("levels420.avi", [](const std::string& p) { return MakeLevels(p, "yuvj420p"); });
}

const std::string& Wav(double seconds, int rate) {
    static std::map<std::string, std::string> made;
    char name[64];
    std::snprintf(name, sizeof name, "tone-%.2f-%d.wav", seconds, rate);
    auto it = made.find(name);
    if (it != made.end()) return it->second;
    const std::string path = Dir().File(name);
    char src[160];
    std::snprintf(src, sizeof src, "aevalsrc=0.8*t/%.2f*sin(2*PI*440*t):s=%d:d=%.2f", seconds, rate, seconds);
    if (!RunFfmpeg("-f lavfi -i \"" + std::string(src) + "\" -c:a pcm_s16le -ac 1 " + testmedia::Quote(path)))
        throw std::runtime_error("cannot make WAV");
    return made.emplace(name, path).first->second;
}

const std::string& H264AacMp4() {
    return Once("ref.mp4", [](const std::string& p) {
        testmedia::ClipSpec s;
        s.sound = true;
        return testmedia::MakeClip(p, s);
    });
}

const std::string& H264Ac3Ts() {
    return Once("ref.ts", [](const std::string& p) {
        testmedia::ClipSpec s;
        s.sound = true;
        s.acodec = "ac3";
        return testmedia::MakeClip(p, s);
    });
}

const std::string& Wmv2Wmv() {
    return Once("ref.wmv", [](const std::string& p) {
        testmedia::ClipSpec s;
        s.vcodec = "wmv2";
        s.vopts = "-b:v 500k";
        s.sound = true;
        s.acodec = "wmav2";
        return testmedia::MakeClip(p, s);
    });
}

const std::string& H264OnlyMov() {
    return Once("ref-silent.mov", [](const std::string& p) {
        testmedia::ClipSpec s;
        return testmedia::MakeClip(p, s);
    });
}

std::string Probe(const std::string& path, const std::string& stream, const std::string& entry) {
    const std::string all = testmedia::ProbeStream(path, stream, entry);
    return all.substr(0, all.find('\n'));
}

std::vector<int> LumaLevels(const std::string& path) {
    const std::string pixfmt = Probe(path, "v:0", "pix_fmt");
    const bool full = pixfmt.rfind("yuvj", 0) == 0 || Probe(path, "v:0", "color_range") == "pc";
    const int w = std::atoi(Probe(path, "v:0", "width").c_str());
    const int h = std::atoi(Probe(path, "v:0", "height").c_str());
    std::vector<int> levels;
    if (w <= 0 || h <= 0) return levels;
    std::string raw;
    testmedia::Run("ffmpeg -nostdin -v error -i " + testmedia::Quote(path) +
                       " -map 0:v:0 -vf extractplanes=y -fps_mode passthrough -f rawvideo - 2>/dev/null",
                   &raw);
    const size_t plane = static_cast<size_t>(w) * h;
    for (size_t off = 0; off + plane <= raw.size(); off += plane) {
        double sum = 0;
        for (size_t i = 0; i < plane; ++i) sum += static_cast<unsigned char>(raw[off + i]);
        double mean = sum / static_cast<double>(plane);
        if (full) mean = mean * 219.0 / 255.0 + 16.0;
        levels.push_back(static_cast<int>(std::lround(mean)));
    }
    return levels;
}

std::string OutPath(const std::string& name) { return Dir().File(name); }

std::string MajorBrand(const std::string& path) {
    std::string out;
    testmedia::Run("ffprobe -v error -show_entries format_tags=major_brand -of default=nw=1:nk=1 " +
                       testmedia::Quote(path) + " 2>/dev/null",
                   &out);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

std::string Md5(const void* data, size_t size) {
    unsigned char sum[16];
    av_md5_sum(sum, static_cast<const uint8_t*>(data), size);
    static const char* hex = "0123456789abcdef";
    std::string s;
    for (unsigned char b : sum) {
        s += hex[b >> 4];
        s += hex[b & 15];
    }
    return s;
}

}  // namespace encfx
