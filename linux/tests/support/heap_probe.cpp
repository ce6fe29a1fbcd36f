// Loaded into the program under test with LD_PRELOAD: after every tenth
// buffer swap it appends "SECONDS BYTES" to the file CASCADE_HEAP_PROBE names,
// the monotonic time and the bytes the program holds on glibc's heap
// (mallinfo2: allocated chunks, mapped ones included). Taken at the same
// point of every frame, between one frame's work and the next, the figure
// moves only with what the program keeps; resident pages move with the
// machine's load and the allocator's fragmentation as well.
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <new>
#include <cstdlib>
#include <ctime>

#include <dlfcn.h>

namespace {

constexpr unsigned framesPerSample = 10;

using SwapBuffers = void (*)(void*, unsigned long);

std::atomic<long long> newBytes{0};

void* allocate(std::size_t size)
{
    void* block = std::malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    newBytes += static_cast<long long>(malloc_usable_size(block));
    return block;
}

void release(void* block)
{
    if (!block)
        return;
    newBytes -= static_cast<long long>(malloc_usable_size(block));
    std::free(block);
}

FILE* openReport()
{
    const char* path = std::getenv("CASCADE_HEAP_PROBE");
    return path && *path ? std::fopen(path, "w") : nullptr;
}

void report(FILE* out)
{
    const struct mallinfo2 heap = mallinfo2();
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(out, "%.3f %zu %lld\n", static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9,
                 heap.uordblks + heap.hblkhd, newBytes.load());
    std::fflush(out);
}

} // namespace

// Xlib's types are left out: only the two words are passed on.
extern "C" void glXSwapBuffers(void* display, unsigned long drawable)
{
    static const auto next = reinterpret_cast<SwapBuffers>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    static FILE* const out = openReport();
    static unsigned frames = 0;
    next(display, drawable);
    if (out && ++frames % framesPerSample == 0)
        report(out);
}

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
