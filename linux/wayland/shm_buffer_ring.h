// The buffers of shared memory one Wayland surface is shown in when the
// saver fills them itself (shm_presenter.h): XRGB8888, top row first, made at
// the surface's size and reused once the compositor releases them. A buffer
// the compositor still reads is never handed out again; where all are busy
// a few more are made, up to a bound beyond which the surface keeps its last
// frame rather than the saver's memory growing with a compositor that does
// not release.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

struct wl_shm;
struct wl_buffer;
struct wl_surface;

class ShmBufferRing {
public:
    struct Buffer {
        wl_buffer* buffer = nullptr;
        void* pixels = nullptr;
        std::size_t bytes = 0;
        int width = 0;
        int height = 0;
        bool busy = false; // attached, and not yet released by the compositor
    };

    // Two suffice where the compositor releases a buffer once the next one is
    // committed; a third covers one that holds on to it through a frame more.
    static constexpr std::size_t mostBuffers = 3;

    explicit ShmBufferRing(wl_shm* shm) : shm_(shm) {}
    ~ShmBufferRing() { clear(); }
    ShmBufferRing(const ShmBufferRing&) = delete;
    ShmBufferRing& operator=(const ShmBufferRing&) = delete;

    // A buffer of width x height pixels free to be written and attached;
    // buffers of another size are dropped. Null where all are busy and no
    // more may be made, or (with error set) where none could be made.
    Buffer* freeBuffer(int width, int height, std::string& error);
    // Attaches buffer (one of this ring's) to surface; from here the
    // compositor reads it, so it is not handed out again until released.
    void attach(wl_surface* surface, Buffer& buffer);
    // Drops every buffer; the compositor keeps its own mapping of any it
    // still shows.
    void clear();

private:
    bool make(Buffer& buffer, int width, int height, std::string& error);
    void dropOtherSizes(int width, int height);

    wl_shm* shm_;
    std::vector<std::unique_ptr<Buffer>> buffers_;
};
