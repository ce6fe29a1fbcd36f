#include "components/camera.h"
#include "components/gl_api.h"
#include "components/sphere.h"
#include "components/screen_quad.h"
#include "components/sprite_quad.h"
#include "recording_gl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

using gldouble::Call;

namespace {

class DrawingPrimitives : public ::testing::Test {
protected:
    void SetUp() override { gldouble::reset(); }
};

struct SphereVertex {
    std::vector<double> normal, texCoord, vertex;
};

// The strips of the log, each as its vertices (normal, texture coordinate,
// position), checking the call pattern on the way.
std::vector<std::vector<SphereVertex>> sphereStrips()
{
    std::vector<std::vector<SphereVertex>> strips;
    const std::vector<Call>& calls = gldouble::calls();
    std::size_t i = 0;
    while (i < calls.size()) {
        EXPECT_EQ(calls[i], Call("glBegin", {GL_TRIANGLE_STRIP}));
        ++i;
        strips.emplace_back();
        while (i < calls.size() && calls[i].name != "glEnd") {
            EXPECT_EQ(calls[i].name, "glNormal3f");
            EXPECT_EQ(calls[i + 1].name, "glTexCoord2f");
            EXPECT_EQ(calls[i + 2].name, "glVertex3d");
            strips.back().push_back({calls[i].args, calls[i + 1].args, calls[i + 2].args});
            i += 3;
        }
        ++i;
    }
    return strips;
}

} // namespace

TEST_F(DrawingPrimitives, ScreenQuadCoversTheRectangleWithTheWholeTexture)
{
    drawScreenQuad(0, 0, 800, 600);
    drawScreenQuad(10.5f, -4, 20, 30);
    EXPECT_EQ(gldouble::calls(), (std::vector<Call>{
                                     Call("glBegin", {GL_QUADS}),
                                     Call("glTexCoord2d", {0, 0}), Call("glVertex2f", {0, 0}),
                                     Call("glTexCoord2d", {1, 0}), Call("glVertex2f", {800, 0}),
                                     Call("glTexCoord2d", {1, 1}), Call("glVertex2f", {800, 600}),
                                     Call("glTexCoord2d", {0, 1}), Call("glVertex2f", {0, 600}),
                                     Call("glEnd"),
                                     Call("glBegin", {GL_QUADS}),
                                     Call("glTexCoord2d", {0, 0}), Call("glVertex2f", {10.5, -4}),
                                     Call("glTexCoord2d", {1, 0}), Call("glVertex2f", {30.5, -4}),
                                     Call("glTexCoord2d", {1, 1}), Call("glVertex2f", {30.5, 26}),
                                     Call("glTexCoord2d", {0, 1}), Call("glVertex2f", {10.5, 26}),
                                     Call("glEnd"),
                                 }));
}

TEST_F(DrawingPrimitives, SpriteQuadFacesTheCamera)
{
    SpriteQuad sprite;
    EXPECT_EQ(sprite.halfHeight, 1.0f);
    Camera camera;
    sprite.draw(camera, 0);
    EXPECT_EQ(gldouble::calls(), (std::vector<Call>{
                                     Call("glPushMatrix"),
                                     Call("glRotatef", {0, 0, 0, 1}),
                                     Call("glRotatef", {0, 0, 1, 0}),
                                     Call("glRotatef", {0, 1, 0, 0}),
                                     Call("glRotatef", {0, 0, 0, 1}),
                                     Call("glNormal3f", {0, 0, 1}),
                                     Call("glBegin", {GL_QUADS}),
                                     Call("glTexCoord2f", {0, 0}), Call("glVertex2f", {-1, -1}),
                                     Call("glTexCoord2f", {1, 0}), Call("glVertex2f", {1, -1}),
                                     Call("glTexCoord2f", {1, 1}), Call("glVertex2f", {1, 1}),
                                     Call("glTexCoord2f", {0, 1}), Call("glVertex2f", {-1, 1}),
                                     Call("glEnd"),
                                     Call("glPopMatrix"),
                                 }));

    // The camera's rotations undone z, y, x, then the spin; a cut-out of the
    // texture on a flat quad.
    gldouble::reset();
    camera.rotation = Vec3f{10, 20, 30};
    sprite.halfWidth = 2;
    sprite.halfHeight = 0.5f;
    sprite.texLeft = 0.25f;
    sprite.texRight = 0.75f;
    sprite.texBottom = 0.5f;
    sprite.texTop = 0.625f;
    sprite.draw(camera, 45.5);
    EXPECT_EQ(gldouble::slice(1, 14), (std::vector<Call>{
                                          Call("glRotatef", {30, 0, 0, 1}),
                                          Call("glRotatef", {20, 0, 1, 0}),
                                          Call("glRotatef", {10, 1, 0, 0}),
                                          Call("glRotatef", {45.5, 0, 0, 1}),
                                          Call("glNormal3f", {0, 0, 1}),
                                          Call("glBegin", {GL_QUADS}),
                                          Call("glTexCoord2f", {0.25, 0.5}), Call("glVertex2f", {-2, -0.5}),
                                          Call("glTexCoord2f", {0.75, 0.5}), Call("glVertex2f", {2, -0.5}),
                                          Call("glTexCoord2f", {0.75, 0.625}), Call("glVertex2f", {2, 0.5}),
                                          Call("glTexCoord2f", {0.25, 0.625}), Call("glVertex2f", {-2, 0.5}),
                                      }));
}

TEST_F(DrawingPrimitives, SphereOfFourSlicesAndThreeStacks)
{
    drawSphere(1, 4, 3, 1, 1, 0, 0);
    EXPECT_EQ(gldouble::callCount(), 2u * (1 + 10 * 3 + 1));
    const auto strips = sphereStrips();
    ASSERT_EQ(strips.size(), 2u);
    const float third = static_cast<float>(1.0 / 3), twoThirds = static_cast<float>(2.0 / 3);
    const double upperT[] = {third, twoThirds}, lowerT[] = {0, third};
    for (std::size_t band = 0; band < 2; ++band) {
        const auto& strip = strips[band];
        ASSERT_EQ(strip.size(), 10u);
        for (std::size_t v = 0; v < 10; ++v) {
            const SphereVertex& vertex = strip[v];
            const std::size_t column = v / 2;
            const bool upper = v % 2 == 0;
            EXPECT_EQ(vertex.texCoord, (std::vector<double>{column / 4.0, upper ? upperT[band] : lowerT[band]}))
                << "band " << band << ", vertex " << v;
            EXPECT_EQ(vertex.normal, vertex.vertex) << "unit radius: the normal is the position";
            // The rings: bottom pole, equator, top pole.
            const int ring = static_cast<int>(band) + (upper ? 1 : 0);
            EXPECT_NEAR(vertex.vertex[1], ring - 1.0, 1e-6);
            const double ringRadius = ring == 1 ? 1.0 : 0.0;
            EXPECT_NEAR(std::hypot(vertex.vertex[0], vertex.vertex[2]), ringRadius, 1e-6);
        }
        // The seam column repeats the first column's positions exactly.
        EXPECT_EQ(strip[8].vertex, strip[0].vertex);
        EXPECT_EQ(strip[9].vertex, strip[1].vertex);
        EXPECT_EQ(strip[8].normal, strip[0].normal);
    }
    EXPECT_EQ(strips[0][1].vertex, (std::vector<double>{0, -1, 0})) << "the bottom pole is exact";
    // Column 1 lies a quarter turn on, along +x.
    EXPECT_NEAR(strips[0][2].vertex[0], 1.0, 1e-6);
    EXPECT_NEAR(strips[0][2].vertex[2], 0.0, 1e-6);
    EXPECT_EQ(strips[0][0].vertex[2], 1.0) << "column 0 of the equator is +z";
}

TEST_F(DrawingPrimitives, SphereScalesRadiusAndTextureParameters)
{
    drawSphere(1, 6, 5, 1, 1, 0, 0);
    const auto unit = sphereStrips();
    gldouble::reset();
    drawSphere(2.5, 6, 5, 2, 0.5, 0.25, 0.125);
    const auto scaled = sphereStrips();
    ASSERT_EQ(unit.size(), 4u);
    ASSERT_EQ(scaled.size(), 4u);
    for (std::size_t band = 0; band < 4; ++band) {
        ASSERT_EQ(scaled[band].size(), 14u);
        for (std::size_t v = 0; v < 14; ++v) {
            const SphereVertex& a = unit[band][v];
            const SphereVertex& b = scaled[band][v];
            EXPECT_EQ(b.normal, a.normal);
            for (int axis = 0; axis < 3; ++axis)
                EXPECT_EQ(b.vertex[axis], a.normal[axis] * 2.5);
            const double column = static_cast<double>(v / 2);
            const double ring = static_cast<double>(band + (v % 2 == 0 ? 1 : 0));
            EXPECT_EQ(b.texCoord[0], static_cast<float>(column / 6 * 2 + 0.25));
            EXPECT_EQ(b.texCoord[1], static_cast<float>(ring / 5 * 0.5 + 0.125)) << "t steps by 1 / stacks";
        }
    }
}

TEST_F(DrawingPrimitives, SphereOutsideThreeToHundredDrawsNothing)
{
    for (const auto& size : {std::pair<int, int>{2, 10}, {10, 2}, {101, 10}, {10, 101}, {-4, 10}}) {
        drawSphere(1, size.first, size.second, 1, 1, 0, 0);
        EXPECT_EQ(gldouble::callCount(), 0u) << size.first << " x " << size.second;
    }
    drawSphere(1, 3, 3, 1, 1, 0, 0);
    EXPECT_EQ(gldouble::countOf("glBegin"), 2u);
    gldouble::reset();
    drawSphere(1, 100, 100, 1, 1, 0, 0);
    EXPECT_EQ(gldouble::countOf("glBegin"), 99u);
    EXPECT_EQ(gldouble::countOf("glVertex3d"), 99u * 202u);
}
