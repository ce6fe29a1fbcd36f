// The OpenGL and GLU functions the core calls by their plain names. This
// build links no OpenGL import library: each name forwards to the entry point
// resolved from the system's own DLLs, and does nothing (returns 0) while
// there is none, as OpenGL itself does without a current context.
//
// Built, like the core, with WINGDIAPI and APIENTRY set on the command line:
// the headers then declare these names as plain functions of this program
// rather than imports, and a definition that differs from its declaration in
// the headers does not compile.
#include "host/gl_entry_points.h"

GLEntryPoints glCalls = {};

namespace {

template <typename Result>
Result nothing()
{
    return Result();
}

} // namespace

#define CASCADE_GL_FORWARD(result, name, parameters, arguments) \
    extern "C" CASCADE_GL_FUNCTION(result, name, parameters) \
    { \
        return glCalls.name ? glCalls.name arguments : nothing<result>(); \
    }
CASCADE_GL_ENTRY_POINTS(CASCADE_GL_FORWARD)
CASCADE_GLU_ENTRY_POINTS(CASCADE_GL_FORWARD)
#undef CASCADE_GL_FORWARD
