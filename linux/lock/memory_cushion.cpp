#include "linux/lock/memory_cushion.h"

#include <sys/mman.h>

bool MemoryCushion::take(std::size_t bytes)
{
    giveBack();
    void* held = mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (held == MAP_FAILED)
        return false;
    held_ = held;
    bytes_ = bytes;
    return true;
}

void MemoryCushion::giveBack()
{
    if (held_)
        munmap(held_, bytes_);
    held_ = nullptr;
    bytes_ = 0;
}
