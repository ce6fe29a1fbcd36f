#include "linux/wayland/shm_buffer_ring.h"

#include <wayland-client.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr int bytesPerPixel = 4;

void handleRelease(void* data, wl_buffer*) { static_cast<ShmBufferRing::Buffer*>(data)->busy = false; }
const wl_buffer_listener releaseListener = {handleRelease};

void destroyBuffer(ShmBufferRing::Buffer& buffer)
{
    if (buffer.buffer)
        wl_buffer_destroy(buffer.buffer);
    if (buffer.pixels)
        munmap(buffer.pixels, buffer.bytes);
    buffer = ShmBufferRing::Buffer{};
}

} // namespace

ShmBufferRing::Buffer* ShmBufferRing::freeBuffer(int width, int height, std::string& error)
{
    dropOtherSizes(width, height);
    for (const std::unique_ptr<Buffer>& buffer : buffers_)
        if (!buffer->busy)
            return buffer.get();
    if (buffers_.size() >= mostBuffers)
        return nullptr;
    std::unique_ptr<Buffer> made(new Buffer);
    if (!make(*made, width, height, error)) {
        destroyBuffer(*made);
        return nullptr;
    }
    buffers_.push_back(std::move(made));
    return buffers_.back().get();
}

void ShmBufferRing::attach(wl_surface* surface, Buffer& buffer)
{
    wl_surface_attach(surface, buffer.buffer, 0, 0);
    buffer.busy = true;
}

void ShmBufferRing::dropOtherSizes(int width, int height)
{
    for (std::size_t i = 0; i < buffers_.size();) {
        if (buffers_[i]->width == width && buffers_[i]->height == height) {
            ++i;
            continue;
        }
        destroyBuffer(*buffers_[i]);
        buffers_.erase(buffers_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

bool ShmBufferRing::make(Buffer& buffer, int width, int height, std::string& error)
{
    // The protocol sizes a pool and a stride in 32 bits; an int's stride
    // wraps for a width past a quarter of that, so it is reckoned wider.
    const std::uint64_t wideStride = static_cast<std::uint64_t>(width) * bytesPerPixel;
    const std::uint64_t bytes = wideStride * static_cast<std::uint64_t>(height);
    if (width <= 0 || height <= 0 || bytes > static_cast<std::uint64_t>(INT32_MAX)) {
        error = "a " + std::to_string(width) + "x" + std::to_string(height) + " frame cannot be held in shared memory";
        return false;
    }
    const int stride = static_cast<int>(wideStride);
    buffer.bytes = static_cast<std::size_t>(bytes);
    const int file = memfd_create("cascade-frame", MFD_CLOEXEC);
    if (file < 0 || ftruncate(file, static_cast<off_t>(buffer.bytes)) != 0) {
        error = std::string("could not make shared memory for a frame (") + std::strerror(errno) + ")";
        if (file >= 0)
            close(file);
        return false;
    }
    void* pixels = mmap(nullptr, buffer.bytes, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    if (pixels == MAP_FAILED) {
        error = std::string("could not map shared memory for a frame (") + std::strerror(errno) + ")";
        close(file);
        return false;
    }
    buffer.pixels = pixels;
    wl_shm_pool* pool = wl_shm_create_pool(shm_, file, static_cast<std::int32_t>(buffer.bytes));
    buffer.buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    // The buffer keeps the pool's memory; the compositor has its own file.
    wl_shm_pool_destroy(pool);
    close(file);
    wl_buffer_add_listener(buffer.buffer, &releaseListener, &buffer);
    buffer.width = width;
    buffer.height = height;
    return true;
}

void ShmBufferRing::clear()
{
    for (const std::unique_ptr<Buffer>& buffer : buffers_)
        destroyBuffer(*buffer);
    buffers_.clear();
}
