#include "engine/capture.h"

#include <cmath>

#include <opencv2/imgcodecs.hpp>

#include "avi/avi_reader.h"
#include "engine/numeric.h"

namespace {

// OpenCV reports failures of its backends either by a false result or by a
// cv::Exception; both become false here.
bool TryOpen(cv::VideoCapture& cap, const std::string& path, int api) {
    try {
        if (cap.open(path, api)) return true;
    } catch (const cv::Exception&) {
    }
    cap.release();
    return false;
}

}  // namespace

bool OpenCapture(cv::VideoCapture& cap, const std::string& path) {
    return TryOpen(cap, path, cv::CAP_FFMPEG);
}

bool OpenMjpegCapture(cv::VideoCapture& cap, const std::string& path) {
    if (!OpenCapture(cap, path)) return false;
    // OpenCV's own reader seeks through the index straight to a frame, where
    // the FFmpeg backend decodes up to 16 frames before the one asked for; but
    // it reads only the first RIFF list of a file, so past 1 GiB (OpenDML) it
    // sees part of the frames. Use it only when it sees the same video.
    const SourceInfo whole = ReadSourceInfo(cap);
    if (whole.frameCount <= 0) return true;
    cv::VideoCapture own;
    if (!TryOpen(own, path, cv::CAP_OPENCV_MJPEG)) return true;
    const SourceInfo seen = ReadSourceInfo(own);
    if (seen.frameCount != whole.frameCount || seen.width != whole.width ||
        seen.height != whole.height || !(std::abs(seen.fps - whole.fps) <= 1e-3 * whole.fps))
        return true;
    own.release();
    cap.release();
    return TryOpen(cap, path, cv::CAP_OPENCV_MJPEG) || OpenCapture(cap, path);
}

SourceInfo ReadSourceInfo(cv::VideoCapture& cap) {
    SourceInfo info;
    info.width = ToIntOrZero(cap.get(cv::CAP_PROP_FRAME_WIDTH));
    info.height = ToIntOrZero(cap.get(cv::CAP_PROP_FRAME_HEIGHT));
    info.fps = cap.get(cv::CAP_PROP_FPS);
    info.frameCount = ToIntOrZero(cap.get(cv::CAP_PROP_FRAME_COUNT));
    return info;
}

int ReadFourcc(cv::VideoCapture& cap) {
    return ToIntOrZero(cap.get(cv::CAP_PROP_FOURCC));
}

bool OpenMjpegWriter(cv::VideoWriter& writer, const std::string& path, double fps, int width,
                     int height) {
    if (!std::isfinite(fps) || fps <= 0 || width <= 0 || height <= 0) return false;
    try {
        const int fourcc = cv::VideoWriter::fourcc('M', 'J', 'P', 'G');
        if (writer.open(path, cv::CAP_FFMPEG, fourcc, fps, cv::Size(width, height), true)) return true;
    } catch (const cv::Exception&) {
    }
    writer.release();
    return false;
}

bool CloseMjpegWriter(cv::VideoWriter& writer, const std::string& path, int framesWritten) {
    try {
        writer.release();
    } catch (const cv::Exception&) {
        return false;
    }
    avi::Reader reader;
    if (!reader.Open(path)) return false;
    const int video = reader.FindStream(avi::kStreamTypeVideo);
    if (video < 0) return framesWritten == 0;
    return static_cast<long long>(reader.Info(video).dwLength) == framesWritten;
}

bool ReadFrame(cv::VideoCapture& cap, cv::Mat& frame) {
    try {
        return cap.read(frame) && !frame.empty();
    } catch (const cv::Exception&) {
        return false;
    }
}

bool ReadFrameAt(cv::VideoCapture& cap, int index, cv::Mat& frame) {
    try {
        cap.set(cv::CAP_PROP_POS_FRAMES, static_cast<double>(index));
        return cap.read(frame) && !frame.empty();
    } catch (const cv::Exception&) {
        return false;
    }
}

void SaveFramePicture(const cv::Mat& frame, const std::string& path) {
    try {
        cv::imwrite(path, frame);
    } catch (const cv::Exception&) {
    }
}
