#include "host/gl_library.h"

#include "host/gl_entry_points.h"
#include "win32/system_library.h"

namespace {

enum class LoadState { NotTried, Loaded, Missing };

LoadState loadState = LoadState::NotTried;
HMODULE openGLLibrary = nullptr;
HMODULE gluLibrary = nullptr;
GLEntryPoints resolved = {};
WGLEntryPoints wgl = {};
bool callsEnabled = false;

template <typename Function>
bool resolve(HMODULE library, const char* name, Function& entry)
{
    entry = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return entry != nullptr;
}

bool resolveAll()
{
    bool complete = true;
#define CASCADE_RESOLVE_GL(result, name, parameters, arguments) \
    complete = resolve(openGLLibrary, #name, resolved.name) && complete;
#define CASCADE_RESOLVE_GLU(result, name, parameters, arguments) \
    complete = resolve(gluLibrary, #name, resolved.name) && complete;
    CASCADE_GL_ENTRY_POINTS(CASCADE_RESOLVE_GL)
    CASCADE_GLU_ENTRY_POINTS(CASCADE_RESOLVE_GLU)
#undef CASCADE_RESOLVE_GL
#undef CASCADE_RESOLVE_GLU
    complete = resolve(openGLLibrary, "wglCreateContext", wgl.createContext) && complete;
    complete = resolve(openGLLibrary, "wglMakeCurrent", wgl.makeCurrent) && complete;
    complete = resolve(openGLLibrary, "wglDeleteContext", wgl.deleteContext) && complete;
    return complete;
}

void unloadAll()
{
    resolved = {};
    wgl = {};
    if (gluLibrary)
        FreeLibrary(gluLibrary);
    if (openGLLibrary)
        FreeLibrary(openGLLibrary);
    gluLibrary = nullptr;
    openGLLibrary = nullptr;
}

} // namespace

bool loadGLLibraries()
{
    if (loadState != LoadState::NotTried)
        return loadState == LoadState::Loaded;
    // OpenGL first: GLU imports it, and the loader then takes the module
    // already in the process instead of searching for one.
    openGLLibrary = loadSystemLibrary("OPENGL32.DLL");
    gluLibrary = openGLLibrary ? loadSystemLibrary("GLU32.DLL") : nullptr;
    if (gluLibrary && resolveAll()) {
        loadState = LoadState::Loaded;
        return true;
    }
    unloadAll();
    loadState = LoadState::Missing;
    return false;
}

const WGLEntryPoints& wglEntryPoints()
{
    return wgl;
}

void enableGLCalls(bool on)
{
    callsEnabled = on && loadState == LoadState::Loaded;
    glCalls = callsEnabled ? resolved : GLEntryPoints{};
}

bool glCallsEnabled()
{
    return callsEnabled;
}
