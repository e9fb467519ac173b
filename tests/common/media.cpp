#include "tests/common/media.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testmedia {

int Run(const std::string& cmd, std::string* out) {
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) text.append(buf, n);
    const int status = ::pclose(pipe);
    if (out) *out = std::move(text);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ambrelo-test-XXXXXX").string();
    if (::mkdtemp(tmpl.data())) path_ = tmpl;
}

TempDir::~TempDir() {
    if (path_.empty()) return;
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

bool MakeClip(const std::string& path, const ClipSpec& s) {
    std::ostringstream cmd;
    cmd.setf(std::ios::fixed);
    cmd.precision(3);
    cmd << "ffmpeg -nostdin -v error -y -f lavfi -i \"color=c=black:s=" << s.width << "x" << s.height
        << ":r=" << s.rate << ":d=" << s.seconds
        << ",geq=lum='16+mod(4*N\\,220)':cb=128:cr=128\"";
    if (s.sound) {
        cmd << " -f lavfi -i \"aevalsrc=0.8*t/" << s.seconds << "*sin(2*PI*440*t):s=" << s.sampleRate
            << ":d=" << s.seconds << "\"";
    }
    cmd << " -c:v " << s.vcodec << " " << s.vopts;
    if (s.sound) cmd << " -c:a " << s.acodec << " -ac " << s.channels;
    cmd << " " << s.extra << " " << Quote(path) << " 2>&1";
    std::string out;
    const int rc = Run(cmd.str(), &out);
    if (rc != 0) std::fprintf(stderr, "MakeClip failed: %s\n%s\n", cmd.str().c_str(), out.c_str());
    return rc == 0;
}

int ExpectedGrey(int n) { return 16 + (4 * n) % 220; }

std::vector<int> GreyLevels(const std::string& path) {
    std::string raw;
    Run("ffmpeg -nostdin -v error -i " + Quote(path) +
            " -map 0:v:0 -fps_mode passthrough -vf scale=8:8:out_range=tv,format=gray -f rawvideo - 2>/dev/null",
        &raw);
    std::vector<int> levels;
    for (size_t off = 0; off + 64 <= raw.size(); off += 64) {
        int sum = 0;
        for (size_t i = 0; i < 64; ++i) sum += static_cast<unsigned char>(raw[off + i]);
        levels.push_back((sum + 32) / 64);
    }
    return levels;
}

std::vector<std::string> PacketHashes(const std::string& path) {
    std::string out;
    Run("ffmpeg -nostdin -v error -i " + Quote(path) + " -map 0:v:0 -c copy -f framemd5 - 2>/dev/null", &out);
    std::vector<std::string> hashes;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto comma = line.rfind(',');
        if (comma == std::string::npos) continue;
        std::string h = line.substr(comma + 1);
        while (!h.empty() && (h.front() == ' ')) h.erase(h.begin());
        hashes.push_back(h);
    }
    return hashes;
}

static std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

std::string ProbeStream(const std::string& path, const std::string& stream, const std::string& entry) {
    std::string out;
    Run("ffprobe -v error -select_streams " + stream + " -show_entries stream=" + entry +
            " -of default=nw=1:nk=1 " + Quote(path) + " 2>/dev/null",
        &out);
    return Trim(out);
}

std::string ProbeFormat(const std::string& path, const std::string& entry) {
    std::string out;
    Run("ffprobe -v error -show_entries format=" + entry + " -of default=nw=1:nk=1 " + Quote(path) +
            " 2>/dev/null",
        &out);
    return Trim(out);
}

int CountFrames(const std::string& path) {
    std::string out;
    Run("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames"
        " -of default=nw=1:nk=1 " + Quote(path) + " 2>/dev/null",
        &out);
    return std::atoi(Trim(out).c_str());
}

std::vector<int16_t> DecodeAudio(const std::string& path, int channels) {
    std::string raw;
    Run("ffmpeg -nostdin -v error -i " + Quote(path) + " -map 0:a:0 -ac " + std::to_string(channels) +
            " -f s16le -c:a pcm_s16le - 2>/dev/null",
        &raw);
    std::vector<int16_t> samples(raw.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                          (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    return samples;
}

std::vector<double> Envelope(const std::vector<int16_t>& samples, int blocks) {
    std::vector<double> env;
    if (blocks <= 0 || samples.empty()) return env;
    const size_t per = samples.size() / static_cast<size_t>(blocks);
    for (int b = 0; b < blocks; ++b) {
        double sum = 0;
        for (size_t i = b * per; i < (b + 1) * per; ++i) sum += double(samples[i]) * samples[i];
        env.push_back(per ? std::sqrt(sum / double(per)) : 0.0);
    }
    return env;
}

std::string Sha256(const std::string& path) {
    std::string out;
    Run("sha256sum " + Quote(path) + " 2>/dev/null", &out);
    return out.substr(0, 64);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

long long FileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

std::vector<std::uint8_t> ReadHexFile(const std::string& path) {
    std::ifstream in(path);
    std::string line, digits;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '#') continue;
        for (char c : line)
            if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    }
    std::vector<std::uint8_t> out;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

}  // namespace testmedia
