#include "components/backdrop.h"

#include "components/gl_api.h"

namespace {

constexpr float barOverlapPixels = 1.0f;  // how far each bar reaches into the band

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
    if (alpha != 1.0) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    glColor4f(colour.r, colour.g, colour.b, static_cast<float>(alpha));
    glBegin(GL_QUADS);
    glVertex2f(0.0f, H * L);
    glVertex2f(W, H * L);
    glVertex2f(W, (1 - L) * H - barOverlapPixels);
    glVertex2f(0.0f, (1 - L) * H - barOverlapPixels);
    glEnd();
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
