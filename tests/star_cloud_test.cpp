#include "scene/star_cloud.h"

#include "components/camera.h"
#include "components/gl_api.h"
#include "components/random_source.h"
#include "recording_gl.h"

#include <gtest/gtest.h>

#include <cmath>

using gldouble::Call;
using Calls = std::vector<Call>;

namespace {

std::vector<Call> vertices() { return gldouble::callsNamed("glVertex3d"); }

// The list is well formed: begun and ended, compiled and closed.
void expectBalancedList()
{
    EXPECT_EQ(gldouble::countOf("glNewList"), 1u);
    EXPECT_EQ(gldouble::countOf("glEndList"), 1u);
    EXPECT_EQ(gldouble::countOf("glBegin"), 1u);
    EXPECT_EQ(gldouble::countOf("glEnd"), 1u);
    EXPECT_EQ(gldouble::calls().back(), Call("glEndList"));
}

} // namespace

TEST(StarCloud, BuildDrawAndReleaseSequences)
{
    StarCloud cloud;
    Camera camera;
    gldouble::reset();
    cloud.draw(camera);  // before build: no GL state touched
    EXPECT_EQ(gldouble::callCount(), 0u);

    cloud.pointCount = 5;
    cloud.layers = 2;
    cloud.followCamera = 1;
    randomSeed(3);
    cloud.build();
    EXPECT_EQ(cloud.listId, 1u);
    const Calls& built = gldouble::calls();
    ASSERT_EQ(built.size(), 3u + 2u * 2u + 2u);  // 5 / 2 layers: two points
    EXPECT_EQ(built[0], Call("glGenLists", {1}));
    EXPECT_EQ(built[1], Call("glNewList", {1, GL_COMPILE}));
    EXPECT_EQ(built[2], Call("glBegin", {GL_POINTS}));
    EXPECT_EQ(built[3].name, "glColor3d");
    EXPECT_EQ(built[4].name, "glVertex3d");
    expectBalancedList();

    camera.position = Vec3f{0.5f, -1.0f, 2.0f};
    gldouble::reset();
    cloud.draw(camera);
    EXPECT_EQ(gldouble::calls(),
              (Calls{Call("glBlendFunc", {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}), Call("glEnable", {GL_BLEND}),
                     Call("glDisable", {GL_DEPTH_TEST}), Call("glDepthMask", {GL_FALSE}), Call("glPushMatrix"),
                     Call("glTranslatef", {0.5f, -1.0f, 2.0f}), Call("glRotatef", {180, 0, 1, 0}),
                     Call("glPointSize", {1}), Call("glCallList", {1}), Call("glRotatef", {180, 0, 1, 0}),
                     Call("glPointSize", {2}), Call("glCallList", {1}), Call("glPopMatrix"),
                     Call("glDisable", {GL_BLEND})}));

    cloud.blendOn = 0;
    cloud.depthTestOn = 1;
    cloud.depthWriteOn = 1;
    cloud.followCamera = 0;
    cloud.layers = 3;
    gldouble::reset();
    cloud.draw(camera);
    EXPECT_EQ(gldouble::slice(0, 4), (Calls{Call("glEnable", {GL_DEPTH_TEST}), Call("glDepthMask", {GL_TRUE}),
                                            Call("glPushMatrix"), Call("glRotatef", {120, 0, 1, 0})}));
    EXPECT_EQ(gldouble::calls().back(), Call("glDisable", {GL_DEPTH_TEST}));

    // A second build replaces the list; release deletes it once.
    gldouble::reset();
    cloud.build();
    EXPECT_EQ(gldouble::calls()[0], Call("glDeleteLists", {1, 1}));
    gldouble::reset();
    cloud.release();
    cloud.release();
    cloud.draw(camera);
    EXPECT_EQ(gldouble::calls(), (Calls{Call("glDeleteLists", {1, 1})}));
    EXPECT_EQ(cloud.listId, 0u);
}

TEST(StarCloud, NoListWithoutAName)
{
    StarCloud cloud;
    gldouble::reset();
    gldouble::setGenListsFails(true);
    cloud.build();
    cloud.draw(Camera());
    EXPECT_EQ(cloud.listId, 0u);
    EXPECT_EQ(gldouble::calls(), (Calls{Call("glGenLists", {1})}));
}

TEST(StarCloud, PlacementRules)
{
    StarCloud cloud;
    cloud.pointCount = 300;
    randomSeed(11);

    // Hollow cube: the inner size is lowered to 0.9 of the outer one.
    cloud.outerSize = 4.0;
    cloud.innerSize = 3.8;
    gldouble::reset();
    cloud.build();
    EXPECT_EQ(cloud.innerSize, 4.0 * 0.9);
    ASSERT_EQ(vertices().size(), 300u);
    for (const Call& v : vertices()) {
        EXPECT_TRUE(std::fabs(v.args[0]) >= 1.81f || std::fabs(v.args[1]) >= 1.81f || std::fabs(v.args[2]) >= 1.81f);
        for (double coordinate : v.args) {
            EXPECT_GE(coordinate, -2.0);
            EXPECT_LT(coordinate, 2.0);
        }
    }

    // Shells run from r to the square root of h; only shape 2 keeps to y >= 0.
    cloud.innerSize = 0.8;
    for (int shape : {2, 3}) {
        cloud.shape = shape;
        gldouble::reset();
        cloud.build();
        ASSERT_EQ(vertices().size(), 300u);
        int below = 0;
        for (const Call& v : vertices()) {
            const float d = float(v.args[0] * v.args[0]) + float(v.args[1] * v.args[1]) + float(v.args[2] * v.args[2]);
            EXPECT_GE(d, 0.41f * 0.41f * 0.999f);
            EXPECT_LE(d, 2.0f * 1.001f);
            below += v.args[1] < 0;
        }
        EXPECT_EQ(below > 0, shape != 2);
    }

    // Colours: nine in ten from the base range, the rest from the wider one.
    for (const Call& c : gldouble::callsNamed("glColor3d"))
        for (double channel : c.args) {
            EXPECT_GE(channel, 0.3);
            EXPECT_LT(channel, 1.0);
        }

    // Fewer points than layers, or no layers at all: an empty list.
    cloud.layers = 4;
    cloud.pointCount = 3;
    for (int layers : {4, 0}) {
        cloud.layers = layers;
        gldouble::reset();
        cloud.build();
        EXPECT_EQ(vertices().size(), 0u);
        expectBalancedList();
    }
}

TEST(StarCloud, SettingsThatAdmitNoPointGiveUp)
{
    StarCloud cloud;
    cloud.pointCount = 10;
    // A shell whose inner radius squared exceeds h, and a cube of no extent.
    for (int shape : {2, 3, 1}) {
        cloud.shape = shape;
        cloud.outerSize = shape == 1 ? 0.0 : 4.0;
        cloud.innerSize = 3.8;
        randomSeed(5);
        gldouble::reset();
        cloud.build();
        EXPECT_EQ(vertices().size(), 0u);
        expectBalancedList();
        EXPECT_NE(cloud.listId, 0u);
    }
}
