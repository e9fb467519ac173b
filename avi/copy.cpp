#include "avi/copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "avi/output_file.h"

namespace {

constexpr size_t kBlock = 1024;
constexpr size_t kReadAhead = 1024 * kBlock;  // bytes read from the source at once

// Reads exactly n bytes; false on an error or an early end of file.
bool ReadFull(int fd, uint8_t* p, size_t n) {
    while (n > 0) {
        const ssize_t got = ::read(fd, p, n);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        p += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool Copy(JobContext& ctx, const std::string& sourcePath, const std::string& destPath) {
    Fd source(::open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0) return false;
    struct stat st;
    if (::fstat(source.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    avi::OutputFile dest;
    if (!dest.Create(destPath)) return false;
    std::vector<uint8_t> buffer(kReadAhead);

    const uint64_t length = static_cast<uint64_t>(st.st_size);
    ctx.SetProgressRange(static_cast<int>(static_cast<uint32_t>(length >> 10)));
    ctx.SetProgressPos(0);

    // Blocks of 1024 bytes, each followed by its progress position and a look
    // at the cancel flag; the file itself is read and written in larger pieces.
    uint64_t remaining = length, copied = 0;
    while (remaining != 0) {
        const size_t piece = static_cast<size_t>(std::min<uint64_t>(remaining, buffer.size()));
        if (!ReadFull(source.get(), buffer.data(), piece)) return false;
        bool cancelled = false;
        for (size_t at = 0; at < piece && !cancelled;) {
            const size_t n = std::min(kBlock, piece - at);
            if (!dest.Append(buffer.data() + at, n)) return false;
            at += n;
            copied += n;
            remaining -= n;
            ctx.SetProgressPos(static_cast<int>(static_cast<uint32_t>(copied >> 10)));
            cancelled = ctx.m_bCancel.load() != 0;
        }
        if (cancelled) break;
    }
    return dest.Close();
}

}  // namespace

bool CopyFileWithProgress(JobContext& ctx, const std::string& sourcePath, const std::string& destPath) {
    if (Copy(ctx, sourcePath, destPath)) return true;
    std::remove(destPath.c_str());
    return false;
}
