// Test fixtures made at test time with the ffmpeg tool, and checks read back
// with ffmpeg/ffprobe (tools no one here wrote).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testmedia {

// Runs a command through /bin/sh. Returns its exit status; stdout goes to *out when given.
int Run(const std::string& cmd, std::string* out = nullptr);
// Single-quotes a path for the shell.
std::string Quote(const std::string& s);

// A fresh folder removed (with its content) at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A clip whose frame N is a solid grey with luma 16 + 4N (mod 220), with an
// optional sound track whose amplitude rises over time.
struct ClipSpec {
    int width = 320;
    int height = 240;
    std::string rate = "25";        // ffmpeg rate text, e.g. "30000/1001"
    double seconds = 2.0;
    std::string vcodec = "libx264"; // any ffmpeg encoder ("mjpeg", "mpeg4", "wmv2", ...)
    std::string vopts = "-pix_fmt yuv420p";
    bool sound = false;
    std::string acodec = "aac";
    int sampleRate = 48000;
    int channels = 1;
    std::string extra;              // more output options
};
// Writes the clip; the container follows the path's extension. Returns true on success.
bool MakeClip(const std::string& path, const ClipSpec& spec);

// The luma a grey clip has at frame n.
int ExpectedGrey(int n);
// Mean luma of every decoded frame of the first video stream, on the
// limited-range scale (16 black .. 235 white) whatever the stream's range.
std::vector<int> GreyLevels(const std::string& path);

// MD5 of every compressed packet of the first video stream, in file order.
std::vector<std::string> PacketHashes(const std::string& path);

// One ffprobe value: e.g. ProbeStream(path, "v:0", "codec_name").
std::string ProbeStream(const std::string& path, const std::string& stream, const std::string& entry);
std::string ProbeFormat(const std::string& path, const std::string& entry);
// Number of decoded video frames (ffprobe -count_frames).
int CountFrames(const std::string& path);

// The first audio stream decoded to mono signed 16-bit samples at its own rate.
std::vector<int16_t> DecodeAudio(const std::string& path, int channels = 1);
// Root mean square of each of `blocks` equal parts of the samples.
std::vector<double> Envelope(const std::vector<int16_t>& samples, int blocks);

std::string Sha256(const std::string& path);
bool Exists(const std::string& path);
long long FileSize(const std::string& path);

// The bytes of a text file of hex digits ('#' comment lines and white space
// ignored): the form in which the fuzzers' inputs are kept.
std::vector<std::uint8_t> ReadHexFile(const std::string& path);

}  // namespace testmedia
