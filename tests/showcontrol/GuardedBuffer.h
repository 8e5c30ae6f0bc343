#pragma once

#include <QByteArray>

#include <cstring>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace vand::test {

// Holds bytes at the very end of readable memory followed by an inaccessible
// page: a read past the last byte faults at once, also without sanitizers.
class GuardedBuffer
{
public:
    explicit GuardedBuffer(const QByteArray& bytes)
    {
        const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        const std::size_t size = static_cast<std::size_t>(bytes.size());
        dataBytes_ = (size + page - 1) / page * page;
        mappedBytes_ = dataBytes_ + page;
        void* mapped = mmap(nullptr, mappedBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::runtime_error("mmap failed");
        mapped_ = static_cast<char*>(mapped);
        if (mprotect(mapped_ + dataBytes_, page, PROT_NONE) != 0)
            throw std::runtime_error("mprotect failed");
        data_ = mapped_ + dataBytes_ - size;
        if (size > 0)
            std::memcpy(data_, bytes.constData(), size);
        size_ = size;
    }
    ~GuardedBuffer() { munmap(mapped_, mappedBytes_); }
    GuardedBuffer(const GuardedBuffer&) = delete;
    GuardedBuffer& operator=(const GuardedBuffer&) = delete;

    const char* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    char* mapped_ = nullptr;
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t dataBytes_ = 0;
    std::size_t mappedBytes_ = 0;
};

} // namespace vand::test
