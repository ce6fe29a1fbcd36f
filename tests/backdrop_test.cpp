#include "components/backdrop.h"
#include "components/gl_api.h"
#include "recording_gl.h"

#include <gtest/gtest.h>

using gldouble::Call;
using Calls = std::vector<Call>;

namespace {

Calls quad(std::initializer_list<std::pair<float, float>> corners)
{
    Calls calls{Call("glBegin", {GL_QUADS})};
    for (const auto& corner : corners)
        calls.push_back(Call("glVertex2f", {corner.first, corner.second}));
    calls.push_back(Call("glEnd"));
    return calls;
}

Calls join(std::initializer_list<Calls> parts)
{
    Calls all;
    for (const Calls& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace

TEST(Backdrop, ConstructorSetsOnlyTheClearColour)
{
    gldouble::reset();
    Backdrop backdrop;
    backdrop.setColour(0.5f, 0.5f, 0.5f, 0.5f);
    EXPECT_EQ(gldouble::calls(), (Calls{Call("glClearColor", {0, 0, 0, 1})}));
    EXPECT_EQ(backdrop.width, 100.0f);
    EXPECT_EQ(backdrop.height, 100.0f);
}

TEST(Backdrop, ClearInItsThreeCases)
{
    Backdrop backdrop;
    backdrop.width = 800;
    backdrop.height = 600;
    backdrop.setColour(0.25f, 0.5f, 0.75f, 0.9f);

    // Opaque without letterbox: one full clear, whatever the colour.
    gldouble::reset();
    backdrop.clear();
    EXPECT_EQ(gldouble::calls(), (Calls{Call("glClear", {GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT})}));

    // Translucent: one-pixel black lines at the edges, a blended fill, and
    // blending left on.
    backdrop.alpha = 0.1;
    gldouble::reset();
    backdrop.clear();
    EXPECT_EQ(gldouble::calls(),
              join({{Call("glClear", {GL_DEPTH_BUFFER_BIT}), Call("glDisable", {GL_BLEND}),
                     Call("glColor4f", {0, 0, 0, 1})},
                    quad({{0, 0}, {800, 0}, {800, 1}, {0, 1}, {0, 599}, {800, 599}, {800, 600}, {0, 600}}),
                    {Call("glEnable", {GL_BLEND}), Call("glBlendFunc", {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}),
                     Call("glColor4f", {0.25f, 0.5f, 0.75f, 0.1f})},
                    quad({{0, 0}, {800, 0}, {800, 599}, {0, 599}})}));

    // Letterboxed and opaque: bars over 75 rows each, an opaque fill, no
    // blending switched on.
    backdrop.alpha = 1.0;
    backdrop.letterbox = 0.125f;
    gldouble::reset();
    backdrop.clear();
    EXPECT_EQ(gldouble::calls(),
              join({{Call("glClear", {GL_DEPTH_BUFFER_BIT}), Call("glDisable", {GL_BLEND}),
                     Call("glColor4f", {0, 0, 0, 1})},
                    quad({{0, 0}, {800, 0}, {800, 76}, {0, 76}, {0, 524}, {800, 524}, {800, 600}, {0, 600}}),
                    {Call("glColor4f", {0.25f, 0.5f, 0.75f, 1})},
                    quad({{0, 75}, {800, 75}, {800, 524}, {0, 524}})}));
}

TEST(Backdrop, TwoDimensionalViewAndLetterboxedBand)
{
    Backdrop backdrop;
    backdrop.width = 800;
    backdrop.height = 600;
    backdrop.letterbox = 0.125f;  // the 2D view ignores it
    gldouble::reset();
    backdrop.set2DView();
    backdrop.setViewport(800, 600, 0.125);
    backdrop.setOrtho(800, 600, 0.125);
    EXPECT_EQ(gldouble::calls(),
              (Calls{Call("glViewport", {0, 0, 800, 600}), Call("glMatrixMode", {GL_PROJECTION}),
                     Call("glLoadIdentity"), Call("glOrtho", {0, 800, 0, 600, -1, 1}),
                     Call("glMatrixMode", {GL_MODELVIEW}), Call("glLoadIdentity"),
                     Call("glViewport", {0, 75, 800, 450}), Call("glMatrixMode", {GL_PROJECTION}),
                     Call("glLoadIdentity"), Call("glOrtho", {0, 800, 75, 525, -1, 1}),
                     Call("glMatrixMode", {GL_MODELVIEW}), Call("glLoadIdentity")}));

    // Bounds are truncated toward zero.
    gldouble::reset();
    backdrop.setViewport(801.9, 601, 0.1);
    EXPECT_EQ(gldouble::calls(), (Calls{Call("glViewport", {0, 60, 801, 480})}));
}
