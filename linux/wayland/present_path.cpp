#include "linux/wayland/present_path.h"

#include <cstring>

namespace {

// Mesa's software rasterizers as GL_RENDERER names them ("llvmpipe (LLVM
// 15.0.6, 256 bits)", "softpipe", "Software Rasterizer" for swrast).
constexpr const char* softwareRenderers[] = {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"};

} // namespace

PresentPath choosePresentPath(const char* renderer, const char* requested)
{
    if (requested && std::strcmp(requested, "egl") == 0)
        return PresentPath::Egl;
    if (requested && std::strcmp(requested, "shm") == 0)
        return PresentPath::Shm;
    for (const char* software : softwareRenderers)
        if (renderer && std::strstr(renderer, software))
            return PresentPath::Shm;
    return PresentPath::Egl;
}

const char* presentPathName(PresentPath path)
{
    return path == PresentPath::Shm ? "shared memory filled by the saver" : "EGL window surfaces";
}
