// Media made at test time for the final-encoding tests. Each file is made on
// first use (one test process usually needs only a few of them).
#pragma once

#include <string>
#include <vector>

namespace encfx {

// The reversed-video stand-in: the grey-level clip (frame N has luma 16 + 4N),
// 320x240, 25 fps, 2 s, written by `ffmpeg -c:v mjpeg` into an AVI.
const std::string& MjpegAvi();
// 15 Motion-JPEG frames: five black (16), five mid-grey (128), five white (235),
// in 4:2:0 or 4:2:2.
const std::string& LevelsAvi(bool yuv422);

// 16-bit PCM WAV, mono, with a rising tone, of the given length and rate.
const std::string& Wav(double seconds, int rate = 48000);

// References: the user's input files.
const std::string& H264AacMp4();
const std::string& H264Ac3Ts();
const std::string& Wmv2Wmv();
const std::string& H264OnlyMov();   // no sound track

// Mean luma of every decoded picture of the first video stream, read from the
// stored Y plane without conversion and brought to the limited (16..235)
// scale when the stream is full range (yuvj formats or range "pc"). Pictures
// are counted as stored (no frame-rate conversion).
std::vector<int> LumaLevels(const std::string& path);

// The first ffprobe value of an entry of the selected stream (a transport
// stream lists its streams twice).
std::string Probe(const std::string& path, const std::string& stream, const std::string& entry);

// A fresh path in the test folder.
std::string OutPath(const std::string& name);

// The MP4/MOV major brand ("isom", "qt  ", ...).
std::string MajorBrand(const std::string& path);
// MD5 (hex) of a block of bytes.
std::string Md5(const void* data, size_t size);

}  // namespace encfx
