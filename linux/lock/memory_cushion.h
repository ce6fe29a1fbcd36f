// Address space held back while the locker makes ready, and given back just
// before the lock is asked for. The first frame is then made with that much
// less room than the process will have, so that what software GL makes
// later, once locked (the code for a way of drawing first met then, a
// frame for an output plugged in), finds the room it needs under a limit on
// address space, where running short would abort the locker inside the
// driver. Nothing is touched, so it costs no memory, only addresses.
#pragma once

#include <cstddef>

class MemoryCushion {
public:
    MemoryCushion() = default;
    ~MemoryCushion() { giveBack(); }
    MemoryCushion(const MemoryCushion&) = delete;
    MemoryCushion& operator=(const MemoryCushion&) = delete;

    // False where the address space is not there to hold back.
    bool take(std::size_t bytes);
    void giveBack();

private:
    void* held_ = nullptr;
    std::size_t bytes_ = 0;
};
