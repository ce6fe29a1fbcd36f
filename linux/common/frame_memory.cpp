#include "linux/common/frame_memory.h"

#include <malloc.h>

namespace {

// Free memory a heap may keep at its top. Several frames' worth of the
// driver's working memory at 1920x1080 (about 1.2 MiB), so that larger
// outputs and denser frames stay covered.
constexpr int keptFreeBytes = 16 << 20;
// Blocks smaller than this come from the heap, not a mapping of their own.
// Setting the limit above stops glibc from moving this one as it sees fit,
// and a block mapped of its own is handed back whole when freed: the
// driver's larger per-frame blocks would fault anew each frame.
constexpr int ownMappingFromBytes = 16 << 20;

} // namespace

void keepFreedMemoryForNextFrame()
{
    // Only a hint to the allocator: where it refuses (another C library, or
    // a value out of its range), frames cost more but draw the same.
    mallopt(M_TRIM_THRESHOLD, keptFreeBytes);
    mallopt(M_MMAP_THRESHOLD, ownMappingFromBytes);
}
