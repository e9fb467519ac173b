#include "avi/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace avi {

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool OutputFile::Create(const std::string& path, size_t bufferSize) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) return false;
    buf_.resize(bufferSize);
    return true;
}

bool OutputFile::WriteAll(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (n > 0) {
        const ssize_t done = ::write(fd_, p, n);
        if (done < 0) {
            if (errno == EINTR) continue;
            failed_ = true;
            return false;
        }
        if (done == 0) {
            failed_ = true;
            return false;
        }
        p += done;
        n -= static_cast<size_t>(done);
    }
    return true;
}

bool OutputFile::Flush() {
    if (failed_ || fd_ < 0) return false;
    if (used_ == 0) return true;
    const size_t n = used_;
    used_ = 0;
    return WriteAll(buf_.data(), n);
}

bool OutputFile::Append(const void* data, size_t n) {
    if (failed_ || fd_ < 0) return false;
    if (n > buf_.size() - used_) {
        if (!Flush()) return false;
        // Large blocks go straight to the file.
        if (n >= buf_.size() / 2) {
            if (!WriteAll(data, n)) return false;
            pos_ += n;
            return true;
        }
    }
    if (n) std::memcpy(buf_.data() + used_, data, n);
    used_ += n;
    pos_ += n;
    return true;
}

bool OutputFile::WriteAt(uint64_t offset, const void* data, size_t n) {
    if (!Flush()) return false;
    const auto* p = static_cast<const uint8_t*>(data);
    while (n > 0) {
        const ssize_t done = ::pwrite(fd_, p, n, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            failed_ = true;
            return false;
        }
        p += done;
        n -= static_cast<size_t>(done);
        offset += static_cast<uint64_t>(done);
    }
    return true;
}

bool OutputFile::Close() {
    if (fd_ < 0) return !failed_;
    Flush();
    // The file system may report a failed write-back only here.
    if (::close(fd_) != 0) failed_ = true;
    fd_ = -1;
    return !failed_;
}

}  // namespace avi
