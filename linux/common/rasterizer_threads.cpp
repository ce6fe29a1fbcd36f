#include "linux/common/rasterizer_threads.h"

#include <cstdlib>

namespace {

constexpr const char* threadsSetting = "LP_NUM_THREADS";
constexpr const char* drawingThreadAlone = "0";

} // namespace

void chooseRasterizerThreads(int width, int height)
{
    const long long pixels = static_cast<long long>(width) * height;
    // Not overwritten: a user's own setting stands.
    if (pixels > 0 && pixels <= drawingThreadPixelLimit)
        setenv(threadsSetting, drawingThreadAlone, 0);
}
