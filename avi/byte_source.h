// Random-access byte sources the AVI reader parses: a file read with
// positioned reads, or a block of memory (fuzzing, tests).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace avi {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    uint64_t Size() const { return size_; }
    // Reads exactly n bytes at offset; false when they are not all there or on an I/O error.
    virtual bool ReadAt(uint64_t offset, void* out, size_t n) = 0;

protected:
    uint64_t size_ = 0;
};

class FileSource : public ByteSource {
public:
    FileSource() = default;
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    bool Open(const std::string& path);
    bool ReadAt(uint64_t offset, void* out, size_t n) override;

private:
    int fd_ = -1;
};

// Reads from memory the caller keeps alive.
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)) { size_ = size; }
    bool ReadAt(uint64_t offset, void* out, size_t n) override;

private:
    const uint8_t* data_;
};

}  // namespace avi
