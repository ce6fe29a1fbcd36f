#include "linux/render/headless_render.h"

#include "linux/common/messages.h"
#include "linux/common/quoted_text.h"
#include "linux/common/rasterizer_threads.h"
#include "linux/common/scene_run.h"
#include "linux/common/stop_signals.h"
#include "linux/render/egl_context.h"
#include "linux/render/png_writer.h"

#include "components/gl_api.h"

#include <cstdint>
#include <vector>

namespace {

// Enough to empty GL's error flags (one per kind) without looping forever on
// a driver that keeps reporting.
constexpr int maxDrainedErrors = 64;

// Draws the frames and reads the last one back.
bool drawPicture(const Options& options, std::vector<std::uint8_t>& pixels, std::string& error)
{
    chooseRasterizerThreads(options.width, options.height);
    EglContext context;
    if (!context.create(options.width, options.height, framebufferFor(options), error))
        return false;

    // A new pbuffer holds whatever its memory held, and the scene's frames
    // only fade what is there: from black, the picture depends on nothing else.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
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

    pixels.assign(static_cast<std::size_t>(options.width) * static_cast<std::size_t>(options.height) *
                      pngBytesPerPixel,
                  0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, options.width, options.height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    const GLenum glError = glGetError();
    run.stop();
    context.destroy();
    if (glError != GL_NO_ERROR) {
        error = "reading the picture back failed (" +
                (glError == GL_OUT_OF_MEMORY ? std::string("out of memory") : "GL error " + std::to_string(glError)) +
                ")";
        return false;
    }
    return true;
}

} // namespace

int runHeadlessRender(const Options& options)
{
    std::string error;
    PngWriter writer;
    {
        // A stop between making the temporary file and arming would leave it
        // behind and end with success.
        StopSignalsHeld held;
        if (!writer.open(options.renderPath, error))
            return fail(error);
        // A stop before the file is placed leaves any old picture as it was.
        armInterruptedRender(writer.temporaryPath(),
                             messageLine("interrupted; " + quoted(options.renderPath) + " not written"));
    }
    std::vector<std::uint8_t> pixels;
    if (!drawPicture(options, pixels, error) || !writer.write(options.width, options.height, pixels, error))
        return fail(error);

    // Once placed, the picture is made: a stop between the rename and
    // disarming must not call it unwritten.
    bool placed = false;
    {
        StopSignalsHeld held;
        placed = writer.place(error);
        // Unplaced, the render stays armed: a stop now still says so.
        if (placed)
            disarmInterruptedRender();
    }
    return placed ? 0 : fail(error);
}
