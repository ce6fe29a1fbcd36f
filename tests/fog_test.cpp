#include "components/fog.h"
#include "components/gl_api.h"
#include "recording_gl.h"

#include <gtest/gtest.h>

using gldouble::Call;
using Calls = std::vector<Call>;

TEST(Fog, ApplyHandsTheParametersToGLAndLeavesTheSwitchAlone)
{
    Fog fog;
    gldouble::reset();
    fog.apply();
    EXPECT_EQ(gldouble::calls(),
              (Calls{Call("glFogi", {GL_FOG_MODE, GL_LINEAR}), Call("glHint", {GL_FOG_HINT, GL_NICEST}),
                     Call("glFogfv", {GL_FOG_COLOR, 0, 0, 0, 1}), Call("glFogf", {GL_FOG_START, 0.2f}),
                     Call("glFogf", {GL_FOG_END, 2.0f})}));

    gldouble::reset();
    fog.setColour(1, 0, 0, 1);
    EXPECT_EQ(gldouble::callCount(), 0u);
    fog.apply();
    EXPECT_EQ(gldouble::calls().at(2), Call("glFogfv", {GL_FOG_COLOR, 1, 0, 0, 1}));
}
