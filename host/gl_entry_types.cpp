// Every OpenGL, GLU and WGL entry point the saver resolves by name, held
// against the system header's own declaration. GetProcAddress gives an
// untyped address, so nothing else would notice a pointer whose type differs:
// on 32-bit x86 the calling convention is part of that type, and a call
// through a pointer without it leaves the stack unbalanced. The 32-bit build
// refuses to compile rather than ship such a file; the 64-bit build still
// compares results and parameters.
//
// Compiled with the headers as they stand (OpenGL as an import), unlike the
// forwarders, which stand in for those very declarations.
#include "host/gl_entry_points.h"
#include "host/gl_library.h"

#include <type_traits>

#define CASCADE_SAME_TYPE_AS_HEADER(result, name, parameters, arguments) \
    static_assert(std::is_same<decltype(GLEntryPoints::name), decltype(&::name)>::value, \
                  #name ": the table's pointer differs from the header's declaration");
CASCADE_GL_ENTRY_POINTS(CASCADE_SAME_TYPE_AS_HEADER)
CASCADE_GLU_ENTRY_POINTS(CASCADE_SAME_TYPE_AS_HEADER)
#undef CASCADE_SAME_TYPE_AS_HEADER

static_assert(std::is_same<decltype(WGLEntryPoints::createContext), decltype(&::wglCreateContext)>::value,
              "wglCreateContext: the table's pointer differs from the header's declaration");
static_assert(std::is_same<decltype(WGLEntryPoints::makeCurrent), decltype(&::wglMakeCurrent)>::value,
              "wglMakeCurrent: the table's pointer differs from the header's declaration");
static_assert(std::is_same<decltype(WGLEntryPoints::deleteContext), decltype(&::wglDeleteContext)>::value,
              "wglDeleteContext: the table's pointer differs from the header's declaration");
