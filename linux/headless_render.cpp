#include "headless_render.h"

#include "egl_context.h"
#include "png_writer.h"
#include "scene_run.h"
#include "stop_signals.h"

#include "components/gl_api.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// Enough to empty GL's error flags (one per kind) without looping forever on
// a driver that keeps reporting.
constexpr int maxDrainedErrors = 64;

int fail(const std::string& message)
{
    std::fprintf(stderr, "cascade: %s\n", message.c_str());
    return 1;
}

} // namespace

int runHeadlessRender(const Options& options)
{
    std::string error;
    PngWriter writer;
    if (!writer.open(options.renderPath, error))
        return fail(error);
    // A stop before the rename leaves any old picture as it was.
    armInterruptedRender(writer.temporaryPath(),
                         "cascade: interrupted; '" + options.renderPath + "' not written\n");

    EglContext context;
    if (!context.create(options.width, options.height, saverFramebuffer, error))
        return fail(error);

    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    if (options.width > viewport[0] || options.height > viewport[1])
        return fail("-size " + std::to_string(options.width) + "x" + std::to_string(options.height) +
                    " is beyond the renderer's limit of " + std::to_string(viewport[0]) + "x" +
                    std::to_string(viewport[1]));

    SceneRun run;
    run.start(options, options.width, options.height);
    // The pbuffer is single-buffered: each frame draws over the last one, as
    // the fading backdrop expects, and its swap does nothing.
    for (long frame = 0; frame < options.frames; ++frame)
        run.frame(context);
    glFinish();
    // Only the read-back's own error matters here; the scene's calls are not
    // examined, as on Windows.
    for (int drained = 0; drained < maxDrainedErrors && glGetError() != GL_NO_ERROR; ++drained) {
    }

    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(options.width) *
                                     static_cast<std::size_t>(options.height) * pngBytesPerPixel);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, options.width, options.height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    const GLenum glError = glGetError();
    run.stop();
    context.destroy();
    if (glError != GL_NO_ERROR)
        return fail("reading the picture back failed (GL error " + std::to_string(glError) + ")");

    // A stop while the file is written removes the temporary file: the
    // target is either the complete picture or as it was before.
    const bool written = writer.commit(options.width, options.height, pixels, error);
    disarmInterruptedRender();
    if (!written)
        return fail(error);
    return 0;
}
