#include "components/fog.h"
#include "gl_expect.h"

#include <gtest/gtest.h>

TEST(Fog, ApplyHandsTheParametersToGLAndLeavesTheSwitchAlone)
{
    Fog fog;
    gldouble::reset();
    fog.apply();
    fog.setColour(1, 0, 0, 1);  // no GL call until the next apply
    EXPECT_EQ(gldouble::calls(),
              (Calls{Call("glFogi", {GL_FOG_MODE, GL_LINEAR}), Call("glHint", {GL_FOG_HINT, GL_NICEST}),
                     Call("glFogfv", {GL_FOG_COLOR, 0, 0, 0, 1}), Call("glFogf", {GL_FOG_START, 0.2f}),
                     Call("glFogf", {GL_FOG_END, 2.0f})}));
    fog.apply();
    EXPECT_EQ(gldouble::calls().at(7), Call("glFogfv", {GL_FOG_COLOR, 1, 0, 0, 1}));
}
