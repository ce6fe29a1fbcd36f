#include "components/backdrop.h"
#include "components/camera.h"
#include "gl_expect.h"

#include <gtest/gtest.h>

TEST(Camera, ViewAndProjection)
{
    Camera camera;
    Backdrop backdrop;
    gldouble::reset();
    camera.applyView();  // turns about a point one unit behind the eye
    camera.eyeDistance = 0;
    camera.position = Vec3f{0.0f, 0.3f, -0.7f};
    camera.rotation = Vec3f{10.0f, 180.0f, 5.0f};
    camera.applyView();
    camera.applyProjection(backdrop);
    EXPECT_EQ(gldouble::calls(),
              (Calls{Call("gluLookAt", {0, 0, -1, 0, 0, -2, 0, 1, 0}), Call("glRotatef", {0, 1, 0, 0}),
                     Call("glRotatef", {0, 0, 1, 0}), Call("glRotatef", {0, 0, 0, 1}), Call("glTranslatef", {0, 0, 0}),
                     Call("gluLookAt", {0, 0, 0, 0, 0, -1, 0, 1, 0}), Call("glRotatef", {-10, 1, 0, 0}),
                     Call("glRotatef", {-180, 0, 1, 0}), Call("glRotatef", {-5, 0, 0, 1}),
                     Call("glTranslatef", {0, -0.3f, 0.7f}), Call("glMatrixMode", {GL_PROJECTION}),
                     Call("glLoadIdentity"), Call("gluPerspective", {90, 1, 0.1f, 100}),
                     Call("glMatrixMode", {GL_MODELVIEW}), Call("glLoadIdentity")}));

    // The aspect is the band's between the bars, from the float letterbox.
    backdrop.width = 800;
    backdrop.height = 600;
    backdrop.letterbox = 0.1f;
    gldouble::reset();
    camera.applyProjection(backdrop);
    EXPECT_EQ(gldouble::calls().at(2).args.at(1), 800.0 / ((1 - 2 * static_cast<double>(0.1f)) * 600.0));
    EXPECT_NEAR(gldouble::calls().at(2).args.at(1), 800.0 / 480.0, 1e-6);
}
