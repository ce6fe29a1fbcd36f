// Planted into KDE's lock-screen greeter with LD_PRELOAD, to see the Plasma
// wallpaper's scene fail without taking the greeter with it. Only calls made
// from our QML module fail, so Qt's own drawing goes on; they fail once the
// file CASCADE_TEST_GL_FAULT_FILE exists (at once where it is not set), as
// CASCADE_TEST_GL_FAULT says:
//   error  glGetError reports GL_OUT_OF_MEMORY, as a driver short of memory
//   throw  glEnd throws std::bad_alloc once, as an allocation in the scene
//          would, between glBegin and glEnd
#include <GL/gl.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

bool fromOurModule(const void* returnAddress)
{
    Dl_info info{};
    return dladdr(returnAddress, &info) != 0 && info.dli_fname && std::strstr(info.dli_fname, "cascadescene");
}

bool faultIs(const char* kind)
{
    const char* fault = std::getenv("CASCADE_TEST_GL_FAULT");
    const char* file = std::getenv("CASCADE_TEST_GL_FAULT_FILE");
    struct stat seen {};
    return fault && std::strcmp(fault, kind) == 0 && (!file || stat(file, &seen) == 0);
}

template <typename Function> Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" __attribute__((visibility("default"))) GLenum glGetError()
{
    static const auto real = next<GLenum (*)()>("glGetError");
    if (fromOurModule(__builtin_return_address(0)) && faultIs("error"))
        return GL_OUT_OF_MEMORY;
    return real();
}

extern "C" __attribute__((visibility("default"))) void glEnd()
{
    static const auto real = next<void (*)()>("glEnd");
    static bool thrown = false;
    if (!thrown && fromOurModule(__builtin_return_address(0)) && faultIs("throw")) {
        thrown = true;
        throw std::bad_alloc();
    }
    real();
}
