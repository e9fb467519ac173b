// A file written through a large buffer, with positioned writes for header
// fields patched afterwards. The first failed write (a full disk, an I/O
// error) sticks: every later call fails and Close reports it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace avi {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, or truncates an existing one.
    bool Create(const std::string& path, size_t bufferSize = size_t{1} << 20);
    // Appends bytes at the end.
    bool Append(const void* data, size_t n);
    // Overwrites bytes already appended.
    bool WriteAt(uint64_t offset, const void* data, size_t n);
    // Bytes appended so far: the position of the next Append.
    uint64_t Position() const { return pos_; }
    bool Failed() const { return failed_; }
    // Flushes and closes; false when any write failed.
    bool Close();

private:
    bool Flush();
    bool WriteAll(const void* data, size_t n);

    int fd_ = -1;
    bool failed_ = false;
    uint64_t pos_ = 0;
    std::vector<uint8_t> buf_;
    size_t used_ = 0;
};

}  // namespace avi
