#include "scene/star_cloud.h"

#include "components/camera.h"
#include "components/gl_api.h"
#include "components/random_source.h"

#include <cmath>

namespace {

// Lengths in the cloud's own units, those of outerSize and innerSize.
constexpr double innerSizeCap = 0.9;  // of the outer size
constexpr double innerMargin = 0.01;  // keeps points off the inner boundary
constexpr double tintedShare = 0.1;  // of the points, drawn from the colour range
constexpr double fullTurnDegrees = 360.0;  // shared out between the layers

struct Point {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

float candidate(float h) { return (frand(2.0f) - 1.0f) * h; }

void drawCandidate(Point& p, float h)
{
    p.x = candidate(h);
    p.y = candidate(h);
    p.z = candidate(h);
}

// Places one point by the rule of `shape`, with h the half extent and r the
// inner half extent. The shells compare the squared distance with h itself,
// not h squared, on the outside. Returns false when no candidate was accepted
// within the bound.
bool place(int shape, float h, float r, Point& p)
{
    long candidates = 0;
    if (shape == 1) {
        while (!(std::fabs(p.x) >= r || std::fabs(p.y) >= r || std::fabs(p.z) >= r)) {
            if (candidates++ == StarCloud::maxCandidatesPerPoint)
                return false;
            drawCandidate(p, h);
        }
        return true;
    }
    float d = -1.0f;
    for (;;) {
        const bool accepted = shape == 2 ? (r * r <= d && d <= h && p.y >= 0)
                                         : (r * r <= d && d <= h);
        if (accepted)
            return true;
        if (candidates++ == StarCloud::maxCandidatesPerPoint)
            return false;
        drawCandidate(p, h);
        d = p.x * p.x + p.y * p.y + p.z * p.z;
    }
}

} // namespace

StarCloud::StarCloud() {}

StarCloud::~StarCloud() { release(); }

void StarCloud::build()
{
    const float h = static_cast<float>(outerSize * 0.5);
    if (outerSize * innerSizeCap < innerSize)
        innerSize = outerSize * innerSizeCap;
    const float r = static_cast<float>(innerSize * 0.5 + innerMargin);
    release();
    listId = glGenLists(1);
    if (listId == 0)
        return;
    glNewList(listId, GL_COMPILE);
    glBegin(GL_POINTS);
    // A cloud without layers is never shown, so it gets no points rather than
    // a division by zero.
    const int count = layers != 0 ? pointCount / layers : 0;
    for (int i = 0; i < count; ++i) {
        Point p;
        // Settings that admit no point would otherwise retry forever; the
        // list then keeps the points placed so far.
        if (!place(shape, h, r, p))
            break;
        // The rare tinted points draw from the colour range, the common grey
        // ones from the base: the two fields swap roles.
        double red, green, blue;
        if (frand(1.0) < tintedShare) {
            blue = frand(colourRange) + colourBase;
            green = frand(colourRange) + colourBase;
            red = frand(colourRange) + colourBase;
        } else {
            blue = frand(colourBase) + colourRange;
            green = frand(colourBase) + colourRange;
            red = frand(colourBase) + colourRange;
        }
        glColor3d(red, green, blue);
        glVertex3d(p.x, p.y, p.z);
    }
    glEnd();
    glEndList();
}

void StarCloud::draw(const Camera& camera)
{
    if (listId == 0)
        return;
    if (blendOn) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    }
    if (depthTestOn)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
    glDepthMask(depthWriteOn ? GL_TRUE : GL_FALSE);
    glPushMatrix();
    // Centred on the camera, the points keep their distance from the viewer
    // and only the view's rotation turns them.
    if (followCamera)
        glTranslatef(camera.position.x, camera.position.y, camera.position.z);
    for (int i = 0; i < layers; ++i) {
        glRotatef(static_cast<float>(fullTurnDegrees / layers), 0.0f, 1.0f, 0.0f);
        glPointSize(static_cast<float>(i + 1));
        glCallList(listId);
    }
    glPopMatrix();
    if (blendOn)
        glDisable(GL_BLEND);
    if (depthTestOn)
        glDisable(GL_DEPTH_TEST);
}

void StarCloud::release()
{
    if (listId != 0) {
        glDeleteLists(listId, 1);
        listId = 0;
    }
}
