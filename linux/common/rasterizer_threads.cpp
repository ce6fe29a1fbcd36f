#include "linux/common/rasterizer_threads.h"

#include <cstdlib>

namespace {

constexpr const char* threadsSetting = "LP_NUM_THREADS";
constexpr const char* drawingThreadAlone = "0";

} // namespace

const char* rasterizerThreadsFor(long long picturePixels, const char* userSetting)
{
    if (userSetting || picturePixels <= 0 || picturePixels > drawingThreadPixelLimit)
        return nullptr;
    return drawingThreadAlone;
}

void chooseRasterizerThreads(long long picturePixels)
{
    if (const char* threads = rasterizerThreadsFor(picturePixels, std::getenv(threadsSetting)))
        setenv(threadsSetting, threads, 0);
}
