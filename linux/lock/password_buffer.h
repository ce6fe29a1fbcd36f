// The password as it is typed: in a page of its own, locked against
// swapping, left out of core dumps, and wiped whenever it is cleared and at
// the end. Nothing else holds it: the prompt counts its characters, the
// check reads it in place.
#pragma once

#include <cstddef>

class PasswordBuffer {
public:
    PasswordBuffer();
    ~PasswordBuffer();
    PasswordBuffer(const PasswordBuffer&) = delete;
    PasswordBuffer& operator=(const PasswordBuffer&) = delete;

    // False where no page could be had: then nothing can be typed.
    bool usable() const { return bytes_ != nullptr; }
    // False where the system would not lock the page (RLIMIT_MEMLOCK).
    bool lockedInMemory() const { return locked_; }

    // Appends UTF-8 text whole, or nothing where it would not fit.
    bool append(const char* text);
    // Removes the last character (all the bytes of its UTF-8 sequence).
    void removeLast();
    // Wipes every byte.
    void clear();

    std::size_t characters() const { return characters_; }
    bool empty() const { return size_ == 0; }
    // NUL-terminated.
    const char* text() const { return bytes_ ? bytes_ : ""; }

private:
    char* bytes_ = nullptr;
    std::size_t capacity_ = 0; // bytes, the terminating NUL included
    std::size_t size_ = 0;
    std::size_t characters_ = 0;
    bool locked_ = false;
};
