#include "scene/star_cloud.h"

#include "components/camera.h"
#include "components/random_source.h"
#include "gl_expect.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Builds and checks that the list is well formed; returns its points.
Calls buildPoints(StarCloud& cloud)
{
    gldouble::reset();
    cloud.build();
    EXPECT_EQ(gldouble::countOf("glNewList"), 1u);
    EXPECT_EQ(gldouble::countOf("glBegin"), 1u);
    EXPECT_EQ(gldouble::countOf("glEnd"), 1u);
    EXPECT_EQ(gldouble::calls().back(), Call("glEndList"));
    return gldouble::callsNamed("glVertex3d");
}

} // namespace

TEST(StarCloud, BuildDrawAndRelease)
{
    StarCloud cloud;
    Camera camera;
    camera.position = Vec3f{0.5f, -1.0f, 2.0f};
    gldouble::reset();
    gldouble::setGenListsFails(true);
    cloud.build();
    cloud.draw(camera);  // without a list: no GL state touched
    EXPECT_EQ(gldouble::calls(), (Calls{Call("glGenLists", {1})}));

    cloud.pointCount = 5;
    cloud.layers = 2;
    cloud.followCamera = 1;
    EXPECT_EQ(buildPoints(cloud).size(), 2u);
    EXPECT_EQ(gldouble::slice(0, 4), (Calls{Call("glGenLists", {1}), Call("glNewList", {1, GL_COMPILE}),
                                            Call("glBegin", {GL_POINTS}), gldouble::callsNamed("glColor3d")[0]}));
    gldouble::reset();
    cloud.draw(camera);
    EXPECT_EQ(gldouble::calls(),
              (Calls{Call("glBlendFunc", {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}), Call("glEnable", {GL_BLEND}),
                     Call("glDisable", {GL_DEPTH_TEST}), Call("glDepthMask", {GL_FALSE}), Call("glPushMatrix"),
                     Call("glTranslatef", {0.5f, -1.0f, 2.0f}), Call("glRotatef", {180, 0, 1, 0}),
                     Call("glPointSize", {1}), Call("glCallList", {1}), Call("glRotatef", {180, 0, 1, 0}),
                     Call("glPointSize", {2}), Call("glCallList", {1}), Call("glPopMatrix"),
                     Call("glDisable", {GL_BLEND})}));

    cloud.blendOn = cloud.followCamera = 0;
    cloud.depthTestOn = cloud.depthWriteOn = 1;
    cloud.layers = 3;
    gldouble::reset();
    cloud.draw(camera);
    EXPECT_EQ(gldouble::slice(0, 4), (Calls{Call("glEnable", {GL_DEPTH_TEST}), Call("glDepthMask", {GL_TRUE}),
                                            Call("glPushMatrix"), Call("glRotatef", {120, 0, 1, 0})}));
    EXPECT_EQ(gldouble::calls().back(), Call("glDisable", {GL_DEPTH_TEST}));

    buildPoints(cloud);  // a second build replaces the list
    EXPECT_EQ(gldouble::calls()[0], Call("glDeleteLists", {1, 1}));
    gldouble::reset();
    cloud.release();
    cloud.release();
    cloud.draw(camera);
    EXPECT_EQ(gldouble::calls(), (Calls{Call("glDeleteLists", {1, 1})}));
}

TEST(StarCloud, PlacementRules)
{
    StarCloud cloud;
    cloud.pointCount = 300;
    cloud.outerSize = 4.0;
    cloud.innerSize = 3.8;  // lowered to 0.9 of the outer size: r = 1.81
    randomSeed(11);
    for (const Call& v : buildPoints(cloud)) {
        EXPECT_TRUE(std::fabs(v.args[0]) >= 1.81f || std::fabs(v.args[1]) >= 1.81f || std::fabs(v.args[2]) >= 1.81f);
        for (double coordinate : v.args)
            EXPECT_TRUE(coordinate >= -2.0 && coordinate < 2.0);
    }
    EXPECT_EQ(cloud.innerSize, 3.6);
    EXPECT_EQ(gldouble::countOf("glVertex3d"), 300u);

    // Shells run from r to the square root of h, not to h; only shape 2 keeps y >= 0.
    cloud.innerSize = 0.8;
    for (int shape : {2, 3}) {
        cloud.shape = shape;
        int below = 0;
        for (const Call& v : buildPoints(cloud)) {
            const double d = v.args[0] * v.args[0] + v.args[1] * v.args[1] + v.args[2] * v.args[2];
            EXPECT_TRUE(d >= 0.41 * 0.41 * 0.999 && d <= 2.0 * 1.001) << d;
            below += v.args[1] < 0;
        }
        EXPECT_EQ(below > 0, shape != 2);
    }
    for (const Call& c : gldouble::callsNamed("glColor3d"))
        for (double channel : c.args)
            EXPECT_TRUE(channel >= 0.3 && channel < 1.0);

    // Fewer points than layers, or no layers at all: an empty list.
    cloud.pointCount = 3;
    for (int layers : {4, 0}) {
        cloud.layers = layers;
        EXPECT_EQ(buildPoints(cloud).size(), 0u);
    }
}

TEST(StarCloud, SettingsThatAdmitNoPointGiveUp)
{
    StarCloud cloud;
    cloud.pointCount = 10;
    // Shells whose inner radius squared exceeds h, and a cube of no extent.
    for (int shape : {2, 3, 1}) {
        cloud.shape = shape;
        cloud.outerSize = shape == 1 ? 0.0 : 4.0;
        cloud.innerSize = 3.8;
        EXPECT_EQ(buildPoints(cloud).size(), 0u);
        EXPECT_NE(cloud.listId, 0u);
    }
}
