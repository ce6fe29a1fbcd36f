#include "linux/lock/password_buffer.h"

#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// A UTF-8 sequence's later bytes are 10xxxxxx.
bool continuesCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

std::size_t charactersIn(const char* text, std::size_t size)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < size; ++i)
        count += continuesCharacter(text[i]) ? 0 : 1;
    return count;
}

} // namespace

PasswordBuffer::PasswordBuffer()
{
    const long page = sysconf(_SC_PAGESIZE);
    capacity_ = page > 0 ? static_cast<std::size_t>(page) : 4096;
    void* memory = mmap(nullptr, capacity_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        capacity_ = 0;
        return;
    }
    bytes_ = static_cast<char*>(memory);
    locked_ = mlock(bytes_, capacity_) == 0;
    madvise(bytes_, capacity_, MADV_DONTDUMP);
    // A child forked for PAM's helper gets no copy it could leave behind.
    madvise(bytes_, capacity_, MADV_WIPEONFORK);
}

PasswordBuffer::~PasswordBuffer()
{
    if (!bytes_)
        return;
    explicit_bzero(bytes_, capacity_);
    if (locked_)
        munlock(bytes_, capacity_);
    munmap(bytes_, capacity_);
}

bool PasswordBuffer::append(const char* text)
{
    const std::size_t length = std::strlen(text);
    if (!bytes_ || length == 0 || size_ + length >= capacity_)
        return false;
    std::memcpy(bytes_ + size_, text, length);
    size_ += length;
    bytes_[size_] = '\0';
    characters_ += charactersIn(text, length);
    return true;
}

void PasswordBuffer::removeLast()
{
    if (size_ == 0)
        return;
    std::size_t cut = size_ - 1;
    while (cut > 0 && continuesCharacter(bytes_[cut]))
        --cut;
    explicit_bzero(bytes_ + cut, size_ - cut);
    size_ = cut;
    --characters_;
}

void PasswordBuffer::clear()
{
    if (bytes_)
        explicit_bzero(bytes_, capacity_);
    size_ = 0;
    characters_ = 0;
}
