#include "linux/wayland/shm_presenter.h"

#include "linux/common/messages.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr int bytesPerPixel = 4;
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

void damageWhole(wl_surface* surface, int width, int height)
{
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface)) >= damageBufferSince)
        wl_surface_damage_buffer(surface, 0, 0, width, height);
    else
        wl_surface_damage(surface, 0, 0, INT32_MAX, INT32_MAX);
}

} // namespace

void ShmPresenter::prepare(const FramebufferFunctions& functions, const FramebufferFormat& format, wl_shm* shm)
{
    gl_ = functions;
    format_ = format;
    shm_ = shm;
    readsUpsideDown_ = offersExtension("GL_MESA_pack_invert");
}

void ShmPresenter::showOn(wl_surface* surface, int width, int height)
{
    ShmSurface* shown = find(surface);
    if (!shown) {
        surfaces_.emplace_back(new ShmSurface(shm_));
        shown = surfaces_.back().get();
        shown->surface = surface;
        shown->frame.prepare(gl_, format_, PictureBuffer::Colours::BgraTexture);
    }
    shown->width = width;
    shown->height = height;
}

void ShmPresenter::forget(wl_surface* surface)
{
    ShmSurface* shown = find(surface);
    if (!shown)
        return;
    shown->frame.destroy();
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
    ShmBufferRing::Buffer* buffer = shown->buffers.freeBuffer(shown->width, shown->height, error);
    const GLuint frame = buffer ? frameFor(*shown, picture, over, error) : 0;
    if (frame) {
        readInto(frame, shown->width, shown->height, buffer->pixels);
        shown->buffers.attach(surface, *buffer);
        damageWhole(surface, shown->width, shown->height);
    } else if (!error.empty() && !failureSaid_) {
        note(error + "; the output keeps its last frame");
        failureSaid_ = true;
    }
    wl_surface_commit(surface);
}

// The framebuffer to read the surface's pixels from: the picture itself
// where it fits as it is. 0, with error set, where GL makes no frame.
GLuint ShmPresenter::frameFor(ShmSurface& shown, const PictureBuffer& picture, const std::function<void(int, int)>& over,
                              std::string& error)
{
    if (!over && picture.width() == shown.width && picture.height() == shown.height) {
        if (shown.frame.framebuffer())
            shown.frame.destroy();
        return picture.framebuffer();
    }
    if (!shown.frame.resize(shown.width, shown.height, error))
        return 0;
    picture.showIn(shown.width, shown.height, shown.frame.framebuffer());
    if (over)
        over(shown.width, shown.height);
    return shown.frame.framebuffer();
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
        shown->frame.destroy();
    surfaces_.clear();
}
