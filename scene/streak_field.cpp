#include "scene/streak_field.h"

#include "components/gl_api.h"
#include "components/random_source.h"
#include "scene/scene_state.h"

#include <climits>
#include <cstdlib>
#include <cmath>

namespace {

// The colour constants are single precision, widened: the picture depends on
// the exact bits of the values they scale.
const double redRange = static_cast<double>(0.4f);
const double greenBlueRange = static_cast<double>(0.1f);

void spawn(StreakField& f, int i, double unit, bool first)
{
    f.x[i] = frand(3 * unit) - 1.5 * unit;
    f.y[i] = 0.8 * unit;
    f.z[i] = first ? frand(2.0) * unit - 1.0 * unit : 1.0 * unit;
    f.prevX[i] = f.x[i];
    f.prevY[i] = f.y[i];
    f.prevZ[i] = f.z[i];
    f.fallVelocity[i] = 0.0;
    f.red[i] = frand(redRange) + 0.6;
    f.green[i] = frand(greenBlueRange) + 0.9;
    f.blue[i] = frand(greenBlueRange) + 0.9;
    f.spinAngle[i] = frand(360.0);
    f.flowSpeed[i] = frand(0.1) + 0.2;
    f.lineWidth[i] = static_cast<int>(frand(3.0) + 1.0);
}

// Truncates toward zero like a plain conversion, but saturates instead of
// overflowing: a streak flung by an absurd frame delta still shines at full
// strength rather than turning invisible through a wrapped-around integer.
// The lower end stops at -INT_MAX so that its absolute value exists too.
int truncateToInt(double value)
{
    if (value >= 2147483647.0)
        return INT_MAX;
    if (value <= -2147483647.0)
        return -INT_MAX;
    if (value != value)
        return 0;
    return static_cast<int>(value);
}

// Whether a streak at (x, z) is past the wavy edge z = 0.1 sin(5.5 x). The
// sine term never leaves [-0.1, 0.1], so outside that band the outcome is
// known without it: the same answer, bit for bit, for nine streaks in ten at
// a fraction of the cost.
bool pastEdge(double x, double z)
{
    if (z < -0.1)
        return true;
    if (z >= 0.1)
        return false;
    return 0.1 * std::sin(5.5 * x) > z;
}

// Streaks on the upper level glow faintly; once a streak moves vertically by
// 1/900 of a unit per frame its alpha passes 1.
void setColour(const StreakField& f, int i)
{
    const int a = std::abs(truncateToInt(f.fallVelocity[i] * 900));
    const float alpha = static_cast<float>(a + 0.4);
    glColor4f(static_cast<float>(f.red[i]), static_cast<float>(f.green[i]),
              static_cast<float>(f.blue[i]), alpha);
}

void drawLinesByIndex(const StreakField& f)
{
    for (int i = 0; i < StreakField::streakCount; ++i) {
        glLineWidth(static_cast<float>(f.lineWidth[i]));
        setColour(f, i);
        glBegin(GL_LINES);
        glVertex3d(f.prevX[i], f.prevY[i], f.prevZ[i]);
        glVertex3d(f.x[i], f.y[i], f.z[i]);
        glEnd();
    }
}

// A GL driver may end its batch of vertices at every width change: one
// width per batch turns 6000 small draws into three.
void drawLinesByWidth(const StreakField& f)
{
    for (int width = 1; width <= 3; ++width) {
        glLineWidth(static_cast<float>(width));
        glBegin(GL_LINES);
        for (int i = 0; i < StreakField::streakCount; ++i) {
            if (f.lineWidth[i] != width)
                continue;
            setColour(f, i);
            glVertex3d(f.prevX[i], f.prevY[i], f.prevZ[i]);
            glVertex3d(f.x[i], f.y[i], f.z[i]);
        }
        glEnd();
    }
}

} // namespace

void StreakField::updateAndDraw()
{
    const Scene& settings = cascade::scene;
    const double unit = settings.sizeUnit;
    const double dt = cascade::clock.deltaSeconds;

    if (!spawned) {
        spawned = 1;
        for (int i = 0; i < streakCount; ++i)
            spawn(*this, i, unit, true);
    }

    for (int i = 0; i < streakCount; ++i) {
        prevX[i] = x[i];
        prevY[i] = y[i];
        prevZ[i] = z[i];
        x[i] = (frand(0.002) - 0.001) + x[i];
        z[i] = z[i] - (frand(0.0001) * unit + unit * dt * flowSpeed[i]);
        if (pastEdge(x[i], z[i])) {
            fallVelocity[i] = fallVelocity[i] - unit * dt * 0.04;
            y[i] = y[i] + fallVelocity[i];
            if (y[i] < 0) {
                fallVelocity[i] = (frand(0.5) + 0.5) * (-0.5) * fallVelocity[i];
                y[i] = fallVelocity[i] * 1.0 + y[i];
            }
        }
        if (-1.0 * unit > z[i])
            spawn(*this, i, unit, false);
    }

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    if (settings.streakDepthOn) {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
    }
    if (settings.fogOn)
        glEnable(GL_FOG);
    if (settings.lightingOn)
        glEnable(GL_LIGHTING);

    if (lineOrder == LineOrder::byWidth)
        drawLinesByWidth(*this);
    else
        drawLinesByIndex(*this);

    if (settings.streakDepthOn) {
        glDisable(GL_DEPTH_TEST);
        glDepthMask(GL_FALSE);
    }
    if (settings.fogOn)
        glDisable(GL_FOG);
    if (settings.lightingOn)
        glDisable(GL_LIGHTING);
}
