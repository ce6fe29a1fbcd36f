/* A planted failure for the lock's tests, loaded with LD_PRELOAD: from the
 * moment the file named by CASCADE_TEST_GL_FAILS_AFTER exists, GL makes no
 * framebuffer at all (every one is incomplete), as when a driver has no
 * memory left. Only framebuffers are touched, through the loader the program
 * takes GL's newer functions from; what was made before keeps working. */
#define _GNU_SOURCE
#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

typedef GLenum (*CheckStatus)(GLenum);
typedef __eglMustCastToProperFunctionPointerType (*Loader)(const char*);

static CheckStatus realCheckStatus;

static int failing(void)
{
    const char* trigger = getenv("CASCADE_TEST_GL_FAILS_AFTER");
    return trigger && access(trigger, F_OK) == 0;
}

static GLenum checkStatus(GLenum target)
{
    const GLenum status = realCheckStatus(target);
    return failing() ? GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT : status;
}

__eglMustCastToProperFunctionPointerType eglGetProcAddress(const char* name)
{
    static Loader real;
    if (!real)
        real = (Loader)dlsym(RTLD_NEXT, "eglGetProcAddress");
    __eglMustCastToProperFunctionPointerType found = real ? real(name) : NULL;
    if (found && strcmp(name, "glCheckFramebufferStatus") == 0) {
        realCheckStatus = (CheckStatus)found;
        return (__eglMustCastToProperFunctionPointerType)checkStatus;
    }
    return found;
}
