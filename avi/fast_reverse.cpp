#include "avi/fast_reverse.h"

#include <cstdio>
#include <vector>

#include "avi/avi_reader.h"
#include "avi/avi_writer.h"
#include "avi/frame_buffer.h"

bool ReverseAviFast(JobContext& ctx, const std::string& sourcePath, const std::string& targetPath) {
    avi::Reader source;
    if (!source.Open(sourcePath)) return false;
    std::remove(targetPath.c_str());
    avi::Writer output;
    if (!output.Create(targetPath)) return false;

    const int stream = source.FindStream(avi::kStreamTypeVideo);
    if (stream < 0) return false;
    const avi::StreamInfo& info = source.Info(stream);
    const std::vector<uint8_t>& format = source.Format(stream);
    if (!avi::SanePictureSize(format)) return false;
    // A stream without a time base has no frame rate to give the output.
    if (info.dwScale == 0 || info.dwRate == 0) return false;

    const uint32_t frames = info.dwLength;
    ctx.SetProgressRange(static_cast<int>(frames));
    ctx.SetProgressPos(0);

    std::vector<uint8_t> buffer;
    if (!avi::AllocateFrameBuffer(source, stream, &buffer)) return false;

    avi::StreamInfo outInfo = info;
    outInfo.SetName("Video #1");
    const int out = output.CreateStream(outInfo);
    if (out < 0) return false;
    output.SetFormat(out, format.data(), avi::kBitmapInfoHeaderSize);

    bool written = true;
    for (uint32_t i = 0; i < frames; ++i) {
        if (ctx.m_bCancel.load() != 0) break;
        size_t bytes = 0;
        // A frame that cannot be read is skipped; its place stays empty.
        if (!source.Read(stream, frames - 1 - i, 1, buffer.data(), buffer.size(), &bytes, nullptr)) continue;
        if (!output.Write(out, i, buffer.data(), bytes, avi::kKeyFrame)) {
            written = false;
            break;
        }
        ctx.SetProgressPos(static_cast<int>(i));
        if ((i & 15) == 0 && bytes > 0) ctx.LoadFromMemory(buffer.data(), bytes);
    }
    const bool closed = output.Close();
    return written && closed;
}
