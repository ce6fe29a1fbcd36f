#include "linux/wayland/shm_presenter.h"

#include "linux/common/messages.h"
#include "linux/common/pixel_quads.h"

#include "viewporter-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr int bytesPerPixel = 4;
// A frame is at most this many times smaller than its surface on each side.
constexpr int mostFrameReduction = 16;

int reduced(int size, int reduction) { return (size + reduction - 1) / reduction; }
// Damage in buffer pixels came with wl_surface version 4.
constexpr std::uint32_t damageBufferSince = 4;

bool offersExtension(const char* name)
{
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const std::size_t length = std::strlen(name);
    for (const char* at = all; at && (at = std::strstr(at, name)) != nullptr; at += length)
        if ((at == all || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    return false;
}

// GL reads the lowest row first; Wayland wants the top one first.
void flipRows(void* pixels, int width, int height)
{
    const std::size_t stride = static_cast<std::size_t>(width) * bytesPerPixel;
    std::string spare(stride, '\0');
    auto* rows = static_cast<unsigned char*>(pixels);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        unsigned char* upper = rows + stride * static_cast<std::size_t>(top);
        unsigned char* lower = rows + stride * static_cast<std::size_t>(bottom);
        std::memcpy(&spare[0], upper, stride);
        std::memcpy(upper, lower, stride);
        std::memcpy(lower, spare.data(), stride);
    }
}

// The largest framebuffer GL can make and read, on either side.
int largestFramebuffer()
{
    GLint texture = 0;
    GLint renderbuffer = 0;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    GLint largest = texture;
    for (GLint limit : {renderbuffer, viewport[0], viewport[1]})
        if (limit > 0 && (largest <= 0 || limit < largest))
            largest = limit;
    return largest > 0 ? largest : INT32_MAX;
}

void damageWhole(wl_surface* surface, int width, int height)
{
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface)) >= damageBufferSince)
        wl_surface_damage_buffer(surface, 0, 0, width, height);
    else
        wl_surface_damage(surface, 0, 0, INT32_MAX, INT32_MAX);
}

} // namespace

void ShmPresenter::prepare(const FramebufferFunctions& functions, const FramebufferFormat& format, wl_shm* shm,
                           wp_viewporter* viewporter)
{
    gl_ = functions;
    format_ = format;
    shm_ = shm;
    viewporter_ = viewporter;
    readsUpsideDown_ = offersExtension("GL_MESA_pack_invert");
    largestFrame_ = largestFramebuffer();
    frame_.prepare(gl_, format_, PictureBuffer::Colours::BgraTexture);
}

bool ShmPresenter::rehearse(const PictureBuffer& picture, const std::function<void(int, int)>& over, std::string& error)
{
    const int width = std::min(picture.width(), largestFrame_);
    const int height = std::min(picture.height(), largestFrame_);
    if (!reserveFrame(width, height, error))
        return false;
    // Scaled for a smaller output, then as it is: each is a way of copying
    // that software GL makes code for.
    picture.showIn(std::max(1, width / 2), std::max(1, height / 2), frame_.framebuffer());
    const GLuint frame = frameFor(picture, over, width, height, error);
    std::uint32_t pixel = 0;
    readInto(frame, 1, 1, &pixel);
    glFinish();
    if (glGetError() == GL_OUT_OF_MEMORY) {
        error = "OpenGL ran out of memory drawing a frame";
        return false;
    }
    return true;
}

void ShmPresenter::showOn(wl_surface* surface, int width, int height, int logicalWidth, int logicalHeight)
{
    ShmSurface* shown = find(surface);
    if (!shown) {
        surfaces_.emplace_back(new ShmSurface(shm_));
        shown = surfaces_.back().get();
        shown->surface = surface;
        if (viewporter_)
            shown->viewport = wp_viewporter_get_viewport(viewporter_, surface);
    }
    // A new size may fit where the old did not.
    if (shown->width != width || shown->height != height)
        shown->reduction = 1;
    shown->width = width;
    shown->height = height;
    shown->logicalWidth = logicalWidth;
    shown->logicalHeight = logicalHeight;
}

void ShmPresenter::ShmSurface::release()
{
    if (viewport)
        wp_viewport_destroy(viewport);
    viewport = nullptr;
}

void ShmPresenter::forget(wl_surface* surface)
{
    ShmSurface* shown = find(surface);
    if (!shown)
        return;
    shown->release();
    surfaces_.erase(std::find_if(surfaces_.begin(), surfaces_.end(),
                                [shown](const std::unique_ptr<ShmSurface>& held) { return held.get() == shown; }));
}

void ShmPresenter::present(wl_surface* surface, const PictureBuffer& picture,
                           const std::function<void(int, int)>& over)
{
    ShmSurface* shown = find(surface);
    if (!shown)
        return;
    std::string error;
    bool allBusy = false;
    // Smaller and smaller frames, scaled up by the compositor, where GL or
    // memory will not give one of the surface's size.
    for (; shown->reduction <= mostReduction(*shown); shown->reduction *= 2) {
        const int width = reduced(shown->width, shown->reduction);
        const int height = reduced(shown->height, shown->reduction);
        if (width > largestFrame_ || height > largestFrame_)
            continue;
        ShmBufferRing::Buffer* buffer = shown->buffers.freeBuffer(width, height, error);
        allBusy = !buffer && error.empty();
        const GLuint frame = buffer ? frameFor(picture, over, width, height, error) : 0;
        if (frame) {
            readInto(frame, width, height, buffer->pixels);
            commit(*shown, *buffer, width, height);
            return;
        }
        if (allBusy)
            break;
    }
    if (shown->reduction > mostReduction(*shown))
        shown->reduction = mostReduction(*shown);
    const bool painted = !allBusy && paintOver_ && paintInstead(*shown);
    if (!allBusy && !failureSaid_) {
        note((error.empty() ? "no frame fits " + std::to_string(shown->width) + "x" + std::to_string(shown->height)
                            : error) +
             (painted ? "; the output shows black and the prompt" : "; the output keeps its last frame"));
        failureSaid_ = true;
    }
    if (painted)
        return;
    // A surface that never had a buffer must not be committed without one
    // (a lock surface's commit would be a protocol error): it gets none
    // until a frame can be made, and the loop tries again.
    if (shown->hasBuffer)
        wl_surface_commit(surface);
    else
        shown->lacksFrame = true;
}

void ShmPresenter::commit(ShmSurface& shown, ShmBufferRing::Buffer& buffer, int width, int height)
{
    shown.buffers.attach(shown.surface, buffer);
    scaleToSurface(shown);
    damageWhole(shown.surface, width, height);
    shown.hasBuffer = true;
    wl_surface_commit(shown.surface);
}

// Where GL makes no frame at all, the CPU paints one: black, and over it
// what paintOver_ draws (the lock's prompt), as large as memory allows.
bool ShmPresenter::paintInstead(ShmSurface& shown)
{
    std::string error;
    for (int reduction = 1; reduction <= mostReduction(shown); reduction *= 2) {
        const int width = reduced(shown.width, reduction);
        const int height = reduced(shown.height, reduction);
        ShmBufferRing::Buffer* buffer = shown.buffers.freeBuffer(width, height, error);
        if (!buffer && error.empty())
            return false; // all busy: the last frame stays a while
        if (!buffer)
            continue;
        PixelQuads quads(static_cast<std::uint32_t*>(buffer->pixels), width, height);
        quads.clear();
        paintOver_(quads, width, height);
        shown.reduction = reduction;
        commit(shown, *buffer, width, height);
        return true;
    }
    return false;
}

// The most a surface's frames may be reduced: not at all where the
// compositor cannot scale them.
int ShmPresenter::mostReduction(const ShmSurface& shown) const { return shown.viewport ? mostFrameReduction : 1; }

void ShmPresenter::scaleToSurface(ShmSurface& shown)
{
    if (!shown.viewport)
        return;
    if (shown.reduction == 1)
        wp_viewport_set_destination(shown.viewport, -1, -1);
    else
        wp_viewport_set_destination(shown.viewport, shown.logicalWidth, shown.logicalHeight);
}

bool ShmPresenter::takeLackingFrame(wl_surface* surface)
{
    ShmSurface* shown = find(surface);
    if (!shown || !shown->lacksFrame)
        return false;
    shown->lacksFrame = false;
    return true;
}

// The framebuffer to read the frame's pixels from: the picture itself
// where it fits as it is. 0, with error set, where GL makes no frame.
GLuint ShmPresenter::frameFor(const PictureBuffer& picture, const std::function<void(int, int)>& over, int width,
                              int height, std::string& error)
{
    if (!over && picture.width() == width && picture.height() == height)
        return picture.framebuffer();
    if (!reserveFrame(width, height, error))
        return 0;
    picture.showIn(width, height, frame_.framebuffer());
    if (over)
        over(width, height);
    return frame_.framebuffer();
}

// One frame serves every surface in turn, drawn in its lower-left corner:
// it only grows, so that once had (before a lock is asked for) it never
// needs memory again for an output no larger.
bool ShmPresenter::reserveFrame(int width, int height, std::string& error)
{
    if (frame_.framebuffer() && frame_.width() >= width && frame_.height() >= height)
        return true;
    return frame_.resize(std::max(frame_.width(), width), std::max(frame_.height(), height), error);
}

void ShmPresenter::readInto(GLuint framebuffer, int width, int height, void* pixels) const
{
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, bytesPerPixel);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    if (readsUpsideDown_)
        glPixelStorei(GL_PACK_INVERT_MESA, GL_TRUE);
    gl_.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    // XRGB8888 is a 32-bit word in the machine's byte order, as this is.
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
    glPopClientAttrib();
    if (!readsUpsideDown_)
        flipRows(pixels, width, height);
}

ShmPresenter::ShmSurface* ShmPresenter::find(const wl_surface* surface)
{
    for (const std::unique_ptr<ShmSurface>& shown : surfaces_)
        if (shown->surface == surface)
            return shown.get();
    return nullptr;
}

void ShmPresenter::destroy()
{
    for (const std::unique_ptr<ShmSurface>& shown : surfaces_)
        shown->release();
    surfaces_.clear();
    frame_.destroy();
}
