#include "avi/mux.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "avi/avi_reader.h"
#include "avi/avi_writer.h"
#include "avi/frame_buffer.h"

namespace {

// The sound side of the join: reads chunks of sample frames from the WAV and
// appends them to the output's sound stream.
struct SoundCopy {
    avi::Reader& source;
    int sourceStream;
    avi::Writer& output;
    int outputStream;
    std::vector<uint8_t> buffer;
    uint32_t samplesPerRead = 0;
    uint32_t position = 0;
    int64_t remaining = 0;
    int64_t credit = 0;  // sound written minus sound due
    bool writeFailed = false;

    // Copies the next chunk; returns the sample frames written (0: the read or the write failed).
    uint32_t Next() {
        size_t bytes = 0;
        if (!source.Read(sourceStream, position, samplesPerRead, buffer.data(), buffer.size(), &bytes, nullptr))
            return 0;
        uint32_t n = 0;
        if (!output.Write(outputStream, position, buffer.data(), bytes, avi::kKeyFrame, &n)) {
            writeFailed = true;
            return 0;
        }
        position += n;
        credit += n;
        remaining -= n;
        return n;
    }
};

}  // namespace

bool MuxAviAndWav(JobContext& ctx, const std::string& videoPath, const std::string& wavPath,
                  const std::string& outputPath, double frameRate) {
    if (!(frameRate > 0)) return false;
    avi::Reader video;
    if (!video.Open(videoPath)) return false;
    avi::Reader sound;
    if (!sound.Open(wavPath)) return false;
    std::remove(outputPath.c_str());
    avi::Writer output;
    if (!output.Create(outputPath)) return false;

    const int vs = video.FindStream(avi::kStreamTypeVideo);
    if (vs < 0) return false;
    const avi::StreamInfo& videoInfo = video.Info(vs);
    const std::vector<uint8_t>& videoFormat = video.Format(vs);
    if (!avi::SanePictureSize(videoFormat)) return false;

    const uint32_t frames = videoInfo.dwLength;
    ctx.SetProgressRange(static_cast<int>(frames));
    ctx.SetProgressPos(0);

    std::vector<uint8_t> frame;
    if (!avi::AllocateFrameBuffer(video, vs, &frame)) return false;

    const int ss = sound.FindStream(avi::kStreamTypeAudio);
    if (ss < 0) return false;
    const avi::StreamInfo& soundInfo = sound.Info(ss);
    const std::vector<uint8_t>& soundFormat = sound.Format(ss);
    if (soundFormat.size() < avi::kPcmWaveFormatSize) return false;
    const uint16_t blockAlign = avi::WaveBlockAlign(soundFormat.data());
    if (soundInfo.dwScale == 0 || soundInfo.dwRate == 0 || blockAlign == 0 || soundInfo.dwSampleSize == 0) return false;

    const uint32_t samplesPerSecond = soundInfo.dwRate / soundInfo.dwScale;
    const double perFrame = samplesPerSecond / frameRate;
    if (perFrame >= 2147483648.0) return false;  // does not fit the 32-bit counter
    const int32_t samplesPerFrame = static_cast<int32_t>(perFrame);

    const uint64_t soundBufferSize =
        soundInfo.dwSuggestedBufferSize ? soundInfo.dwSuggestedBufferSize : uint64_t{blockAlign} * 1024;
    SoundCopy copy{sound, ss, output, -1, {}};
    copy.samplesPerRead = static_cast<uint32_t>(soundBufferSize / blockAlign);
    // A read never returns more than the whole sound: no larger buffer is needed.
    const uint64_t wholeSound = uint64_t{soundInfo.dwLength} * soundInfo.dwSampleSize;
    try {
        copy.buffer.assign(static_cast<size_t>(std::min(soundBufferSize, wholeSound)), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }

    avi::StreamInfo outVideo = videoInfo;
    outVideo.SetName("Video #1");
    const int ov = output.CreateStream(outVideo);
    if (ov < 0) return false;
    output.SetFormat(ov, videoFormat.data(), avi::kBitmapInfoHeaderSize);

    avi::StreamInfo outSound = soundInfo;
    outSound.SetName("Audio #1");
    copy.outputStream = output.CreateStream(outSound);
    if (copy.outputStream < 0) return false;
    uint8_t pcm[avi::kPcmWaveFormatSize];
    std::memcpy(pcm, soundFormat.data(), sizeof pcm);
    // WAVE_FORMAT_EXTENSIBLE cut to 16 bytes loses its sub-format: name that
    // sub-format (PCM or float) in the tag instead.
    if (avi::Le16(pcm) == 0xFFFE && soundFormat.size() >= 40) avi::Put16(pcm, avi::Le16(soundFormat.data() + 24));
    output.SetFormat(copy.outputStream, pcm, sizeof pcm);

    copy.remaining = soundInfo.dwLength;
    bool written = true;
    for (uint32_t i = 0; i < frames && !copy.writeFailed; ++i) {
        if (ctx.m_bCancel.load() != 0) break;
        size_t bytes = 0;
        if (video.Read(vs, i, 1, frame.data(), frame.size(), &bytes, nullptr)) {
            if (!output.Write(ov, i, frame.data(), bytes, avi::kKeyFrame)) {
                written = false;
                break;
            }
            ctx.SetProgressPos(static_cast<int>(i));
            if ((i & 15) == 0 && bytes > 0) ctx.LoadFromMemory(frame.data(), bytes);
        }
        copy.credit -= samplesPerFrame;
        if (copy.credit <= 0) {
            while (copy.remaining > 0) {
                if (copy.Next() == 0 || copy.credit > 0) break;
            }
        }
    }
    // The sound left over, also after a cancel.
    while (written && !copy.writeFailed && copy.remaining > 0) {
        if (copy.Next() == 0) break;
    }
    const bool closed = output.Close();
    return written && !copy.writeFailed && closed;
}
