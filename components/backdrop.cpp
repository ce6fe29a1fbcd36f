#include "components/backdrop.h"

#include "components/gl_api.h"

#include <cmath>

namespace {

constexpr float barOverlapPixels = 1.0f;  // how far each bar reaches into the band

// The alone fill is worked out in the framebuffer's 8-bit channel levels.
constexpr double topLevel = 255.0;
// A level handed to GL a quarter step above itself, so that a rasterizer that
// takes colours to levels otherwise than by rounding (llvmpipe's fast path
// differs from its other paths there) still lands on that level.
constexpr double levelNudge = 0.25;

double levelOf(double value) { return std::floor(value * topLevel + 0.5); }
float valueOfLevel(double level) { return static_cast<float>((level + levelNudge) / topLevel); }

// The straight blend's fill, colour times alpha added to the rest of the old
// pixel, laid as a premultiplied colour: each channel the level the straight
// blend adds (a level times the alpha level, rounded), so that the trails fade
// to the very level they fade to under the straight blend.
Colour4f premultipliedFill(const Colour4f& colour, float alpha)
{
    const double alphaLevel = levelOf(alpha);
    auto channel = [alphaLevel](float value) {
        return valueOfLevel(std::floor(levelOf(value) * alphaLevel / topLevel + 0.5));
    };
    return Colour4f{channel(colour.r), channel(colour.g), channel(colour.b), valueOfLevel(alphaLevel)};
}

} // namespace

Backdrop::Backdrop()
    : width(static_cast<float>(rect.width)), height(static_cast<float>(rect.height))
{
    glClearColor(colour.r, colour.g, colour.b, colour.a);
}

Backdrop::~Backdrop() {}

void Backdrop::setColour(float r, float g, float b, float a)
{
    colour = Colour4f{r, g, b, a};
}

void Backdrop::clear()
{
    if (letterbox == 0.0f && alpha == 1.0) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        return;
    }
    const float L = letterbox;
    const float W = width;
    const float H = height;
    const bool alone = fadeWay == FadeWay::alone;
    // Alone: whatever the last frame left in the driver's queue is drawn
    // first, and nothing else shares the fill's batch.
    if (alone)
        glFlush();
    else
        glClear(GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    // Each bar reaches one pixel into the band, so even without a letterbox
    // the top and bottom rows are painted black.
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(W, 0.0f);
    glVertex2f(W, H * L + barOverlapPixels);
    glVertex2f(0.0f, H * L + barOverlapPixels);
    glVertex2f(0.0f, (1 - L) * H - barOverlapPixels);
    glVertex2f(W, (1 - L) * H - barOverlapPixels);
    glVertex2f(W, H);
    glVertex2f(0.0f, H);
    glEnd();
    if (alone && alpha != 1.0)
        setAloneFill();
    else
        setBlendedFill();
    glBegin(GL_QUADS);
    glVertex2f(0.0f, H * L);
    glVertex2f(W, H * L);
    glVertex2f(W, (1 - L) * H - barOverlapPixels);
    glVertex2f(0.0f, (1 - L) * H - barOverlapPixels);
    glEnd();
    if (alone)
        glFlush();
}

void Backdrop::setBlendedFill() const
{
    if (alpha != 1.0) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glColor4f(colour.r, colour.g, colour.b, static_cast<float>(alpha));
}

void Backdrop::setAloneFill() const
{
    // llvmpipe's fast path blends only premultiplied colours. The picture's
    // alpha, which no front shows, tends to 1 here rather than to alpha.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    const Colour4f fill = premultipliedFill(colour, static_cast<float>(alpha));
    glColor4f(fill.r, fill.g, fill.b, fill.a);
}

void Backdrop::set2DView()
{
    setViewport(width, height, 0.0);
    setOrtho(width, height, 0.0);
}

void Backdrop::setViewport(double w, double h, double L)
{
    glViewport(0, static_cast<GLint>(L * h), static_cast<GLsizei>(w),
               static_cast<GLsizei>((1 - 2 * L) * h));
}

void Backdrop::setOrtho(double w, double h, double L)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(static_cast<double>(0), static_cast<int>(w), static_cast<int>(L * h),
            static_cast<int>((1 - L) * h), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
