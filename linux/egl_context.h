// An off-screen desktop-GL context on Mesa's surfaceless EGL platform: no
// display server and no GPU needed (llvmpipe renders in software).
#pragma once

#include <string>

class EglContext {
public:
    EglContext() = default;
    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;
    ~EglContext();

    // Makes a width x height pbuffer with the saver's pixel format (RGBA 8-bit
    // with alpha, 16-bit depth) and a compatibility-profile context current
    // on it. On failure error holds one line saying what EGL could not give.
    bool create(int width, int height, std::string& error);
    void destroy();

private:
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
};
