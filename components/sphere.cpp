#include "components/sphere.h"

#include "components/gl_api.h"
#include "components/scalar_helpers.h"

namespace {

// Angles in radians, as floats: the vertices depend on their exact bits.
constexpr float fullTurn = 6.2831855f;
constexpr float halfTurn = 3.1415927f;
// Slices and stacks accepted, both ends included; outside, nothing is drawn.
constexpr int minSegments = 3;
constexpr int maxSegments = 100;

struct UnitPoint {
    float x, y, z;
};

UnitPoint pointAt(float phi, float theta)
{
    const float ring = fsin(phi);
    return UnitPoint{ring * fsin(theta), -fcos(phi), ring * fcos(theta)};
}

void emit(const UnitPoint& p, double s, double t, double radius)
{
    glNormal3f(p.x, p.y, p.z);
    glTexCoord2f(static_cast<float>(s), static_cast<float>(t));
    glVertex3d(p.x * radius, p.y * radius, p.z * radius);
}

} // namespace

void drawSphere(double radius, int slices, int stacks, double uScale, double vScale,
                double uOffset, double vOffset)
{
    if (slices < minSegments || stacks < minSegments || slices > maxSegments ||
        stacks > maxSegments)
        return;
    const float dTheta = fullTurn / static_cast<float>(slices);
    const float dPhi = halfTurn / static_cast<float>(stacks - 1);
    for (int i = 0; i + 1 < stacks; ++i) {
        const float phi0 = static_cast<float>(i) * dPhi;
        const float phi1 = static_cast<float>(i + 1) * dPhi;
        // The bands step by stacks - 1 in angle but by stacks in t, so the
        // top pole does not reach t = 1.
        const double t0 = static_cast<double>(i) / stacks * vScale + vOffset;
        const double t1 = static_cast<double>(i + 1) / stacks * vScale + vOffset;
        glBegin(GL_TRIANGLE_STRIP);
        for (int k = 0; k <= slices; ++k) {
            const double s = static_cast<double>(k) / slices * uScale + uOffset;
            // The seam column reuses the first column's angle so it closes on
            // exactly the same vertices.
            const float theta = k == slices ? 0.0f : static_cast<float>(k) * dTheta;
            emit(pointAt(phi1, theta), s, t1, radius);
            emit(pointAt(phi0, theta), s, t0, radius);
        }
        glEnd();
    }
}
