#include "components/backdrop.h"
#include "components/camera.h"
#include "components/gl_api.h"
#include "recording_gl.h"

#include <gtest/gtest.h>

using gldouble::Call;
using Calls = std::vector<Call>;

TEST(Camera, ViewTurnsAboutThePositionBehindTheEye)
{
    Camera camera;
    gldouble::reset();
    camera.applyView();
    EXPECT_EQ(gldouble::calls(),
              (Calls{Call("gluLookAt", {0, 0, -1, 0, 0, -2, 0, 1, 0}), Call("glRotatef", {0, 1, 0, 0}),
                     Call("glRotatef", {0, 0, 1, 0}), Call("glRotatef", {0, 0, 0, 1}),
                     Call("glTranslatef", {0, 0, 0})}));

    camera.eyeDistance = 0;
    camera.position = Vec3f{0.0f, 0.3f, -0.7f};
    camera.rotation = Vec3f{10.0f, 180.0f, 5.0f};
    gldouble::reset();
    camera.applyView();
    EXPECT_EQ(gldouble::calls(),
              (Calls{Call("gluLookAt", {0, 0, 0, 0, 0, -1, 0, 1, 0}), Call("glRotatef", {-10, 1, 0, 0}),
                     Call("glRotatef", {-180, 0, 1, 0}), Call("glRotatef", {-5, 0, 0, 1}),
                     Call("glTranslatef", {0, -0.3f, 0.7f})}));
}

TEST(Camera, ProjectionTakesTheBandsAspectAndResetsTheModelview)
{
    Camera camera;
    Backdrop backdrop;
    gldouble::reset();
    camera.applyProjection(backdrop);
    EXPECT_EQ(gldouble::calls(),
              (Calls{Call("glMatrixMode", {GL_PROJECTION}), Call("glLoadIdentity"),
                     Call("gluPerspective", {90, 1, 0.1f, 100}), Call("glMatrixMode", {GL_MODELVIEW}),
                     Call("glLoadIdentity")}));

    backdrop.width = 800;
    backdrop.height = 600;
    backdrop.letterbox = 0.1f;
    gldouble::reset();
    camera.applyProjection(backdrop);
    const Call perspective = gldouble::callsNamed("gluPerspective").at(0);
    EXPECT_NEAR(perspective.args[1], 800.0 / 480.0, 1e-6);
    // The float letterbox is widened, not rounded to 0.1 first.
    EXPECT_NE(perspective.args[1], 800.0 / ((1 - 2 * 0.1) * 600.0));
}
