// OpenCV capture and writer plumbing shared by the conversion and the slow
// reversal: opening files with a named backend, reading capture properties
// through the guarded conversion, and creating Motion-JPEG writers.
#pragma once

#include <string>

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

// Width, height, frame rate and frame count of a video as its capture reports them.
struct SourceInfo {
    int width = 0;
    int height = 0;
    double fps = 0.0;
    int frameCount = 0;
};

// Opens a capture with OpenCV's FFmpeg backend named explicitly (cv::CAP_FFMPEG).
// False when it cannot.
bool OpenCapture(cv::VideoCapture& cap, const std::string& path);

// Opens a Motion-JPEG AVI file that the slow reversal reads by frame number.
// Prefers OpenCV's own Motion-JPEG reader (about three times faster at reading
// frames by number) when it sees every frame of the file, which it does not
// past the first GiB; otherwise the FFmpeg backend. False when neither opens it.
bool OpenMjpegCapture(cv::VideoCapture& cap, const std::string& path);

// Width, height, rate, frame count as the capture reports them (through ToIntOrZero).
SourceInfo ReadSourceInfo(cv::VideoCapture& cap);

// The capture's four-character code (property 6) through the guarded conversion.
int ReadFourcc(cv::VideoCapture& cap);

constexpr int kFourccMjpg = 0x47504A4D;  // "MJPG", 'M' in the lowest byte

// Creates a colour Motion-JPEG AVI writer on path with OpenCV's FFmpeg backend
// (it keeps fractional rates such as 29.97 and writes OpenDML files past 4 GiB).
// Any existing file of that name is replaced. False when the writer cannot be
// created, or the rate or size is not a usable value.
bool OpenMjpegWriter(cv::VideoWriter& writer, const std::string& path, double fps, int width,
                     int height);

// Closes a writer made by OpenMjpegWriter and checks its file: true when the
// file at path holds exactly `framesWritten` complete frames. The writer does
// not report failed writes (a full disk, a lost folder), so a short or
// unreadable file is the only sign of them.
bool CloseMjpegWriter(cv::VideoWriter& writer, const std::string& path, int framesWritten);

// Reads the next frame; false (never an exception) when there is none.
bool ReadFrame(cv::VideoCapture& cap, cv::Mat& frame);

// Moves the capture to frame `index` and reads it; false when it cannot.
bool ReadFrameAt(cv::VideoCapture& cap, int index, cv::Mat& frame);

// Writes the frame as a picture file whose format follows the extension (the
// ".bmp" preview). A failure is ignored: the preview is only a picture.
void SaveFramePicture(const cv::Mat& frame, const std::string& path);
