// An off-screen desktop-GL context on Mesa's surfaceless EGL platform: no
// display server and no GPU needed (llvmpipe renders in software). Follows
// the contract in front/gl_context.h.
#pragma once

#include "front/gl_context.h"
#include "front/pixel_format.h"

#include <string>

class EglContext final : public GLContext {
public:
    EglContext() = default;
    ~EglContext() override;

    // Makes a width x height pbuffer with the format's channels and depth
    // buffer and a compatibility-profile context current on it. On failure
    // error holds one line saying what EGL could not give.
    bool create(int width, int height, const FramebufferFormat& format, std::string& error);

    // The pbuffer is never shown, so no refresh paces it: nothing to ask.
    bool setSwapInterval(int) override { return false; }
    // The pbuffer is single-buffered and read back, never shown: nothing to do.
    void swapBuffers() override {}
    void destroy() override;
    // Makes the context current again, for a caller whose thread also draws
    // with other contexts (the settings window's toolkit).
    bool makeCurrent();

private:
    bool openSurfacelessDisplay(std::string& error);
    bool chooseConfig(int width, int height, const FramebufferFormat& format, void*& config, std::string& error);
    bool makeContextAndSurface(void* config, int width, int height, std::string& error);

    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
};
