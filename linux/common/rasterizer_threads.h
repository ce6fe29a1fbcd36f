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

// The value to give llvmpipe's LP_NUM_THREADS for a picture of so many
// pixels, or null to leave its own choice: where the user has set it
// (userSetting non-null), where the size is not known (0 pixels) or where
// the picture is large.
const char* rasterizerThreadsFor(long long picturePixels, const char* userSetting);

// Applies that choice. Call before the first call into OpenGL, GLX or EGL,
// while the process has one thread: the driver reads it once, as it starts.
// Drivers other than llvmpipe do not read it.
void chooseRasterizerThreads(long long picturePixels);
