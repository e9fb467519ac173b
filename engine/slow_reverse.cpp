#include "engine/slow_reverse.h"

#include <vector>

#include "avi/avi_reader.h"
#include "avi/frame_buffer.h"
#include "engine/fatal_error.h"
#include "engine/job_texts.h"
#include "engine/jpeg_codec.h"
#include "engine/mjpeg_writer.h"
#include "engine/video_decoder.h"

namespace {

// Reads the frames of a Motion-JPEG AVI by number through the file's index
// and decodes them into their own colour format (no trip through BGR), with
// libjpeg-turbo when they are 4:2:0, else with FFmpeg's decoder. Open
// accepts a file only when it holds the frames the capture counted, of the
// size the capture reported: then frame p is the picture the capture gives
// after a seek to p.
class IndexedMjpegFrames {
public:
    bool Open(const std::string& path, const SourceInfo& info) {
        if (info.frameCount <= 0 || !reader_.Open(path)) return false;
        width_ = info.width;
        height_ = info.height;
        stream_ = reader_.FindStream(avi::kStreamTypeVideo);
        if (stream_ < 0 || reader_.Info(stream_).dwLength != static_cast<uint32_t>(info.frameCount)) return false;
        if (!avi::SanePictureSize(reader_.Format(stream_)) ||
            !avi::AllocateFrameBuffer(reader_, stream_, &buffer_))
            return false;
        buffer_.resize(buffer_.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
        if (!codec) return false;
        decoder_.reset(avcodec_alloc_context3(codec));
        packet_.reset(av_packet_alloc());
        if (!decoder_ || !packet_ || avcodec_open2(decoder_.get(), codec, nullptr) < 0) return false;
        // The last frame, read first, must come out as the capture shows it.
        ff::FramePtr probe(av_frame_alloc());
        return probe && Read(info.frameCount - 1, probe.get()) && probe->width == info.width &&
               probe->height == info.height;
    }

    // Frame `index` into `picture`; false when it cannot be read or decoded.
    bool Read(int index, AVFrame* picture) {
        av_frame_unref(picture);
        size_t bytes = 0;
        if (!reader_.Read(stream_, static_cast<uint32_t>(index), 1, buffer_.data(),
                          buffer_.size() - AV_INPUT_BUFFER_PADDING_SIZE, &bytes, nullptr) ||
            bytes == 0)
            return false;
        if (jpeg_.Decode(buffer_.data(), bytes, width_, height_, picture)) return true;
        AVPacket* pkt = packet_.get();
        pkt->data = buffer_.data();
        pkt->size = static_cast<int>(bytes);
        pkt->flags = AV_PKT_FLAG_KEY;
        const int sent = avcodec_send_packet(decoder_.get(), pkt);
        av_packet_unref(pkt);
        if (sent < 0) return false;
        return avcodec_receive_frame(decoder_.get(), picture) == 0;
    }

private:
    avi::Reader reader_;
    int stream_ = -1;
    std::vector<uint8_t> buffer_;
    ff::CodecContextPtr decoder_;
    ff::PacketPtr packet_;
    jpeg::Decoder jpeg_;  // 4:2:0 pictures; FFmpeg's decoder takes any other
    int width_ = 0;
    int height_ = 0;
};

}  // namespace

bool ReverseSlow(JobContext& ctx, cv::VideoCapture& cap, const SourceInfo& info,
                 const std::string& target, const std::string& previewPath, int step,
                 const std::string& sourcePath) {
    const int lang = ctx.Language();
    // The writer encodes on a thread of its own: the next frame is read and
    // decoded while the last one is encoded.
    MjpegWriter writer;
    if (!writer.Open(target, info.fps, info.width, info.height)) {
        cap.release();
        ReportFatalError(ctx, jobtext::kError04);
        return false;
    }

    const int n = info.frameCount;
    ctx.SetProgressPos(0);
    ctx.SetProgressRange(n);
    ctx.AppendLog(jobtext::kReversingSlow.Pick(lang) + target + "\r\n");
    ctx.SetStepText(Format(jobtext::kStepReverseVideo.Pick(lang), step));

    // The pictures straight from the file's index when it can be read that
    // way, else from the capture.
    IndexedMjpegFrames indexed;
    const bool direct = !sourcePath.empty() && indexed.Open(sourcePath, info);
    ff::FramePtr picture(direct ? av_frame_alloc() : nullptr);
    VideoDecoder converter;  // only its BGR conversion, for the previews

    cv::Mat frame;
    int written = 0;
    for (int i = 0; i < n && !ctx.Cancelled(); ++i) {
        const bool got = direct ? picture && indexed.Read(n - 1 - i, picture.get())
                                : ReadFrameAt(cap, n - 1 - i, frame);
        if (got) {
            if ((i & 15) == 0) {
                if (!direct || converter.ToBgr(picture.get(), frame)) SaveFramePicture(frame, previewPath);
                ctx.LoadFromFile(previewPath);
            }
            if (direct)
                writer.Write(picture.get());
            else
                writer.Write(frame);
            ++written;
        }
        ctx.SetProgressPos(i);
    }

    // The writer does not report failed writes: a file short of frames (disk
    // full) is checked for here, unless the job is being cancelled anyway.
    const bool complete = CloseMjpegWriter(writer, target, written);
    cap.release();
    if (!complete && !ctx.Cancelled()) {
        ReportFatalError(ctx, jobtext::kError04);
        return false;
    }
    return true;
}
