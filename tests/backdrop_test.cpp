#include "components/backdrop.h"
#include "gl_expect.h"

#include <gtest/gtest.h>

TEST(Backdrop, ClearInItsThreeCases)
{
    gldouble::reset();
    Backdrop backdrop;  // sets the clear colour; setColour does not
    backdrop.setColour(0.25f, 0.5f, 0.75f, 0.9f);
    backdrop.width = 800;
    backdrop.height = 600;
    backdrop.clear();
    EXPECT_EQ(gldouble::calls(), (Calls{Call("glClearColor", {0, 0, 0, 1}),
                                        Call("glClear", {GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT})}));

    // Translucent: one-pixel black lines at the edges, a blended fill, blending left on.
    const Calls bars{Call("glClear", {GL_DEPTH_BUFFER_BIT}), Call("glDisable", {GL_BLEND}),
                     Call("glColor4f", {0, 0, 0, 1}), Call("glBegin", {GL_QUADS})};
    backdrop.alpha = 0.1;
    gldouble::reset();
    backdrop.clear();
    EXPECT_EQ(gldouble::calls(),
              (bars + vertices2f({0, 0, 800, 0, 800, 1, 0, 1, 0, 599, 800, 599, 800, 600, 0, 600}) +
                  Calls{Call("glEnd"), Call("glEnable", {GL_BLEND}),
                        Call("glBlendFunc", {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}),
                        Call("glColor4f", {0.25f, 0.5f, 0.75f, 0.1f}), Call("glBegin", {GL_QUADS})} +
                  vertices2f({0, 0, 800, 0, 800, 599, 0, 599}) + Calls{Call("glEnd")}));

    // Letterboxed and opaque: 75-row bars, an opaque fill, no blending switched on.
    backdrop.alpha = 1.0;
    backdrop.letterbox = 0.125f;
    gldouble::reset();
    backdrop.clear();
    EXPECT_EQ(gldouble::calls(),
              (bars + vertices2f({0, 0, 800, 0, 800, 76, 0, 76, 0, 524, 800, 524, 800, 600, 0, 600}) +
                  Calls{Call("glEnd"), Call("glColor4f", {0.25f, 0.5f, 0.75f, 1}), Call("glBegin", {GL_QUADS})} +
                  vertices2f({0, 75, 800, 75, 800, 524, 0, 524}) + Calls{Call("glEnd")}));
}

TEST(Backdrop, AloneFadeIsItsOwnBatchWithTheStraightBlendsLevels)
{
    // Flushed before and after, no depth clear, and the fill premultiplied:
    // each channel's level is what the straight blend adds at alpha 0.1
    // (alpha level 26): red 128 * 26 / 255 = 13.05 gives 13, green 64 gives
    // 6.53, so 7, blue 19 gives 1.94, so 2; a quarter level above each.
    Backdrop backdrop;
    backdrop.setColour(0.5f, 0.25f, 0.075f, 0.0f);
    backdrop.width = 800;
    backdrop.height = 600;
    backdrop.alpha = 0.1;
    backdrop.fadeWay = Backdrop::FadeWay::alone;
    gldouble::reset();
    backdrop.clear();
    auto level = [](double value) { return static_cast<float>((value + 0.25) / 255.0); };
    EXPECT_EQ(gldouble::calls(),
              (Calls{Call("glFlush"), Call("glDisable", {GL_BLEND}), Call("glColor4f", {0, 0, 0, 1}),
                     Call("glBegin", {GL_QUADS})} +
                  vertices2f({0, 0, 800, 0, 800, 1, 0, 1, 0, 599, 800, 599, 800, 600, 0, 600}) +
                  Calls{Call("glEnd"), Call("glEnable", {GL_BLEND}),
                        Call("glBlendFunc", {GL_ONE, GL_ONE_MINUS_SRC_ALPHA}),
                        Call("glColor4f", {level(13), level(7), level(2), level(26)}), Call("glBegin", {GL_QUADS})} +
                  vertices2f({0, 0, 800, 0, 800, 599, 0, 599}) + Calls{Call("glEnd"), Call("glFlush")}));

    // Opaque and letterboxed, the fill is as in the blended way, in a batch of its own.
    backdrop.alpha = 1.0;
    backdrop.letterbox = 0.125f;
    gldouble::reset();
    backdrop.clear();
    EXPECT_EQ(gldouble::countOf("glFlush"), 2u);
    EXPECT_EQ(gldouble::countOf("glClear"), 0u);
    EXPECT_EQ(gldouble::countOf("glBlendFunc"), 0u);
    EXPECT_EQ(gldouble::callsNamed("glColor4f").back(), Call("glColor4f", {0.5f, 0.25f, 0.075f, 1}));
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
    backdrop.setViewport(801.9, 601, 0.1);  // bounds truncate toward zero
    const Calls ortho{Call("glMatrixMode", {GL_PROJECTION}), Call("glLoadIdentity")};
    const Calls identity{Call("glMatrixMode", {GL_MODELVIEW}), Call("glLoadIdentity")};
    EXPECT_EQ(gldouble::calls(),
              (Calls{Call("glViewport", {0, 0, 800, 600})} + ortho + Calls{Call("glOrtho", {0, 800, 0, 600, -1, 1})} +
                  identity + Calls{Call("glViewport", {0, 75, 800, 450})} + ortho +
                  Calls{Call("glOrtho", {0, 800, 75, 525, -1, 1})} + identity +
                  Calls{Call("glViewport", {0, 60, 801, 480})}));
}
