// Shows the picture on Wayland surfaces where GL draws in software: read out
// of GL straight into shared-memory buffers of the saver's own
// (shm_buffer_ring.h), attached and committed here. There every copy is the
// CPU's, and EGL's way costs two a frame (the picture drawn into the window
// surface, which the swap copies again into shared memory); this costs one
// where a surface shows the picture pixel for pixel. Where the surface's
// size differs, or -fps or the lock's prompt is drawn over it, the picture
// is first copied, scaled, into a frame of the surface's size, which they
// are drawn on: the picture itself never carries them. One frame, as large
// as the largest surface, serves them all, and a lock has it before it is
// asked for. Where GL or memory cannot give a frame of the surface's size,
// a smaller one is shown, scaled up by the compositor (wp_viewporter); where
// GL gives none at all, the CPU paints one (black, and the prompt); a
// surface that never had a buffer is never committed without one.
#pragma once

#include "linux/common/bitmap_font.h"
#include "linux/wayland/picture_buffer.h"
#include "linux/wayland/shm_buffer_ring.h"

#include "front/pixel_format.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct wl_shm;
struct wl_surface;
struct wp_viewporter;
struct wp_viewport;

class ShmPresenter {
public:
    ShmPresenter() = default;
    ShmPresenter(const ShmPresenter&) = delete;
    ShmPresenter& operator=(const ShmPresenter&) = delete;

    // With the context current: the GL functions and format for the frames
    // of surface size, the compositor's shared memory, and its viewporter
    // (null where it has none: frames are then the surface's size or none).
    void prepare(const FramebufferFunctions& functions, const FramebufferFormat& format, wl_shm* shm,
                 wp_viewporter* viewporter);
    // Shows on surface from now on, in buffers of width x height pixels,
    // logicalWidth x logicalHeight in surface units.
    void showOn(wl_surface* surface, int width, int height, int logicalWidth, int logicalHeight);
    // Drops what belongs to a surface about to be destroyed.
    void forget(wl_surface* surface);
    // Copies picture into a free buffer of surface, with over drawn on it
    // (given its size; empty for nothing), attaches it and commits. Where no
    // buffer is free the commit keeps the last frame, so that the frame
    // callback asked for still comes; where the surface never had a frame,
    // nothing is committed, and takeLackingFrame says so once.
    void present(wl_surface* surface, const PictureBuffer& picture, const std::function<void(int, int)>& over);
    // Where GL can make no frame at all, a frame is painted by the CPU
    // instead: black, with paint's drawing over it (given the frame's size);
    // empty: the surface keeps its last frame.
    void paintOverWhereGlFails(std::function<void(QuadSink&, int, int)> paint) { paintOver_ = std::move(paint); }
    // Before any surface: makes the frame picture's size and draws picture
    // and over into it once, so that the memory GL needs for a frame is had
    // now. False, with error set, where it is not.
    bool rehearse(const PictureBuffer& picture, const std::function<void(int, int)>& over, std::string& error);
    // True once after a present that could commit nothing: the frame
    // callback asked for will not come.
    bool takeLackingFrame(wl_surface* surface);
    // Frees the buffers and frames; the context must be current.
    void destroy();

private:
    struct ShmSurface {
        explicit ShmSurface(wl_shm* shm) : buffers(shm) {}
        void release();
        wl_surface* surface = nullptr;
        wp_viewport* viewport = nullptr;
        int width = 0;
        int height = 0;
        int logicalWidth = 0;
        int logicalHeight = 0;
        int reduction = 1; // the frame's size is the surface's divided by this
        bool hasBuffer = false;
        bool lacksFrame = false;
        ShmBufferRing buffers;
    };

    ShmSurface* find(const wl_surface* surface);
    GLuint frameFor(const PictureBuffer& picture, const std::function<void(int, int)>& over, int width, int height,
                    std::string& error);
    bool reserveFrame(int width, int height, std::string& error);
    void commit(ShmSurface& shown, ShmBufferRing::Buffer& buffer, int width, int height);
    bool paintInstead(ShmSurface& shown);
    int mostReduction(const ShmSurface& shown) const;
    void scaleToSurface(ShmSurface& shown);
    void readInto(GLuint framebuffer, int width, int height, void* pixels) const;

    FramebufferFunctions gl_;
    FramebufferFormat format_{};
    wl_shm* shm_ = nullptr;
    wp_viewporter* viewporter_ = nullptr;
    int largestFrame_ = 0;
    bool readsUpsideDown_ = false; // GL_MESA_pack_invert: rows read top first
    bool failureSaid_ = false;
    std::vector<std::unique_ptr<ShmSurface>> surfaces_;
    // Where the surfaces whose size is not the picture's, or that carry
    // -fps or the prompt, get their frame; the largest of them.
    PictureBuffer frame_;
    std::function<void(QuadSink&, int, int)> paintOver_;
};
