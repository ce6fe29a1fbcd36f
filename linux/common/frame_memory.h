// How a drawing process keeps the heap memory it frees. Each frame the GL
// driver (llvmpipe above all: its bins and vertex data) allocates its working
// memory anew and frees it when the frame is done. glibc's default hands the
// top of a heap back to the kernel once 128 KiB lie free there, so the next
// frame takes it back page by page, each page a fault that the kernel zeroes
// and the driver then clears again: some 300 faults a frame at 1920x1080, 2 to
// 3 ms of CPU on a 12 ms frame, on X11 and Wayland alike. Kept, the memory is
// the same the frame needs anyway: the peak does not rise, it only stays.
#pragma once

// Call once, before the first frame.
void keepFreedMemoryForNextFrame();
