#include "encode/video_read_ahead.h"

#include <exception>
#include <utility>

namespace enc {

VideoReadAhead::VideoReadAhead(InputSide& source, bool decode, Prepare prepare, std::size_t depth)
    : source_(source), decode_(decode), prepare_(std::move(prepare)), depth_(depth > 0 ? depth : 1) {
    thread_ = std::thread([this] { Run(); });
}

VideoReadAhead::~VideoReadAhead() { Stop(); }

void VideoReadAhead::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
    queue_.clear();
}

bool VideoReadAhead::Next(DecodedPacket& out) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !queue_.empty() || done_; });
    if (queue_.empty()) return false;
    out = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    changed_.notify_all();
    return true;
}

void VideoReadAhead::Run() {
    try {
        while (ReadAndDecode()) {
        }
    } catch (const std::exception&) {
        // Out of memory: Next reports it once the queue is empty.
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    changed_.notify_all();
}

// One packet read and decoded, and its entry queued. False when the thread
// ends: after the last entry, when stopped, or on a failed allocation.
bool VideoReadAhead::ReadAndDecode() {
    DecodedPacket entry;
    entry.packet.reset(av_packet_alloc());
    if (!entry.packet) return false;
    if (av_read_frame(source_.input.get(), entry.packet.get()) < 0) {
        // The end of the file (or a read error, taken as the end): drain the decoder.
        entry.packet.reset();
        entry.last = true;
        if (decode_ && !Decode(nullptr, entry)) return false;
        Push(std::move(entry));
        return false;
    }
    if (decode_ && entry.packet->stream_index == source_.videoIndex && !Decode(entry.packet.get(), entry))
        return false;
    return Push(std::move(entry));
}

// Sends one packet (nullptr: drain) and keeps every picture the decoder gives.
// A packet the decoder refuses gives no picture. False on a failed allocation.
bool VideoReadAhead::Decode(const AVPacket* pkt, DecodedPacket& entry) {
    AVCodecContext* dec = source_.videoDecoder.get();
    if (pkt && dec->codec_id == AV_CODEC_ID_MJPEG) {
        ff::FramePtr frame(av_frame_alloc());
        if (!frame) return false;
        if (jpeg_.Decode(pkt->data, static_cast<std::size_t>(pkt->size), dec->width, dec->height, frame.get())) {
            frame->sample_aspect_ratio = dec->sample_aspect_ratio;
            entry.pictures.push_back(std::move(frame));
            return true;
        }
    }
    if (avcodec_send_packet(dec, pkt) < 0) return true;
    for (;;) {
        ff::FramePtr frame(av_frame_alloc());
        if (!frame) return false;
        if (avcodec_receive_frame(dec, frame.get()) < 0) return true;
        entry.pictures.push_back(std::move(frame));
    }
}

// Prepares the entry's pictures, then waits for room in the queue. False
// when stopped.
bool VideoReadAhead::Push(DecodedPacket&& entry) {
    if (prepare_)
        for (ff::FramePtr& picture : entry.pictures) prepare_(picture.get());
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return stop_ || queue_.size() < depth_; });
        if (stop_) return false;
        queue_.push_back(std::move(entry));
    }
    changed_.notify_all();
    return true;
}

}  // namespace enc
