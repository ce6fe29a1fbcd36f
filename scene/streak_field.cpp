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
constexpr double redRange = static_cast<double>(0.4f);
constexpr double greenBlueRange = static_cast<double>(0.1f);
// The rest of the streaks' tuning. Lengths are multiples of the size unit
// unless marked absolute; z runs along the flow, from +1 to -1.
constexpr double redBase = 0.6;
constexpr double greenBlueBase = 0.9;
constexpr double spawnWidthUnits = 3.0;  // x across the cascade
constexpr double spawnHalfWidthUnits = spawnWidthUnits / 2;  // centred on x = 0
constexpr double upperLevelUnits = 0.8;  // y of the level the streaks flow on
constexpr double flowLengthUnits = 2.0;  // z spread of the first spawn
constexpr double farEndUnits = 1.0;  // z of a respawn
constexpr double sceneEndUnits = -1.0;  // z past which a streak respawns
constexpr double spinRangeDegrees = 360.0;
constexpr double flowSpeedMin = 0.2;  // units per second
constexpr double flowSpeedRange = 0.1;
constexpr int narrowestLine = 1;  // pixels
constexpr int widestLine = 3;
// A spawn draws a width from narrowestLine to widestLine.
constexpr double lineWidthMin = narrowestLine;
constexpr double lineWidthChoices = widestLine - narrowestLine + 1;
constexpr double driftRange = 0.002;  // absolute, per frame, centred on 0
constexpr double driftHalfRange = driftRange / 2;
constexpr double flowJitterUnits = 0.0001;  // per frame
constexpr double fallAcceleration = 0.04;  // units per frame, gained each second
constexpr double bounceKeptMin = 0.5;  // a bounce keeps 25 to 50% of the speed
constexpr double bounceKeptRange = 0.5;
constexpr double bounceDamping = -0.5;
constexpr double bounceRise = 1.0;  // of the rebound speed, in the bounce frame
constexpr double edgeWaveAmplitude = 0.1;  // absolute
constexpr double edgeWaveNumber = 5.5;  // radians per absolute unit of x
constexpr double glowPerFallSpeed = 900.0;  // alpha per unit of fall per frame
constexpr double restingAlpha = 0.4;

void spawn(StreakField& f, int i, double unit, bool first)
{
    f.x[i] = frand(spawnWidthUnits * unit) - spawnHalfWidthUnits * unit;
    f.y[i] = upperLevelUnits * unit;
    f.z[i] = first ? frand(flowLengthUnits) * unit - farEndUnits * unit : farEndUnits * unit;
    f.prevX[i] = f.x[i];
    f.prevY[i] = f.y[i];
    f.prevZ[i] = f.z[i];
    f.fallVelocity[i] = 0.0;
    f.red[i] = frand(redRange) + redBase;
    f.green[i] = frand(greenBlueRange) + greenBlueBase;
    f.blue[i] = frand(greenBlueRange) + greenBlueBase;
    f.spinAngle[i] = frand(spinRangeDegrees);
    f.flowSpeed[i] = frand(flowSpeedRange) + flowSpeedMin;
    f.lineWidth[i] = static_cast<int>(frand(lineWidthChoices) + lineWidthMin);
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
    if (z < -edgeWaveAmplitude)
        return true;
    if (z >= edgeWaveAmplitude)
        return false;
    return edgeWaveAmplitude * std::sin(edgeWaveNumber * x) > z;
}

// Streaks on the upper level glow faintly; once a streak moves vertically by
// 1/900 of a unit per frame its alpha passes 1.
void setColour(const StreakField& f, int i)
{
    const int a = std::abs(truncateToInt(f.fallVelocity[i] * glowPerFallSpeed));
    const float alpha = static_cast<float>(a + restingAlpha);
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
    for (int width = narrowestLine; width <= widestLine; ++width) {
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
        x[i] = (frand(driftRange) - driftHalfRange) + x[i];
        z[i] = z[i] - (frand(flowJitterUnits) * unit + unit * dt * flowSpeed[i]);
        if (pastEdge(x[i], z[i])) {
            fallVelocity[i] = fallVelocity[i] - unit * dt * fallAcceleration;
            y[i] = y[i] + fallVelocity[i];
            if (y[i] < 0) {
                fallVelocity[i] = (frand(bounceKeptRange) + bounceKeptMin) * bounceDamping * fallVelocity[i];
                y[i] = fallVelocity[i] * bounceRise + y[i];
            }
        }
        if (sceneEndUnits * unit > z[i])
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
