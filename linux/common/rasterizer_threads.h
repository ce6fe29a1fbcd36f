// How many helper threads Mesa's software rasterizer (llvmpipe) lays each
// frame on. Its default, one a core, hands each of a frame's batches to the
// helpers and waits for them, and a paced frame finds them asleep: at
// 1920x1080 and 30 frames a second that costs a fifth of the frame's CPU
// (7.5 ms a frame on the drawing thread alone against 9 to 10 ms with two
// helpers). A picture one core lays well within a frame's time is drawn
// without them; larger ones keep them, which hold the frame rate there.
#pragma once

// Pictures of at most this many pixels are laid on the drawing thread alone:
// 1920x1200, some 8 ms a frame on one core here, 4K nearly 30.
constexpr long long drawingThreadPixelLimit = 1920LL * 1200;

// Asks llvmpipe (LP_NUM_THREADS) for no helpers where a picture of this
// size is at most drawingThreadPixelLimit; leaves its own choice where the
// user has set one, where the size is not known (0) or the picture is large.
// Call before the first call into OpenGL, GLX or EGL, while the process has
// one thread: the driver reads it once, as it starts. Drivers other than
// llvmpipe do not read it.
void chooseRasterizerThreads(int width, int height);
