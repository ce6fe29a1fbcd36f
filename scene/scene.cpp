#include "scene/scene.h"

#include "components/gl_api.h"
#include "components/random_source.h"
#include "components/vector_types.h"
#include "scene/overlay.h"
#include "scene/scene_state.h"

#include <cstdint>

namespace {

// Added to the clock's reading to seed the sequence. The clock has never
// ticked at the first set-up, so every run starts from this very seed and
// shows the same star cloud, texture and first spawn.
constexpr std::uint32_t seedOffset = 4767352;

// The look and motion of the scene. Lengths are multiples of the size unit
// unless marked absolute, angles are in degrees.
constexpr double sizeUnit = 1.0;
constexpr double cameraFovDegrees = 100.0;
constexpr float cameraEyeDistance = 0.0f;  // absolute
constexpr double nearPlaneUnits = 0.01;
constexpr double farPlaneUnits = 3.0;
constexpr Vec3f cameraStartPosition{0.0f, 0.3f, -0.7f};  // absolute; replaced every frame
constexpr Vec3f cameraStartRotation{0.0f, 180.0f, 0.0f};  // replaced every frame
constexpr double fogStartUnits = 0.2;
constexpr double fogEndUnits = 1.7;
constexpr Colour4f fogColour{0.0f, 0.0f, 0.0f, 1.0f};
constexpr double letterboxFraction = 0.0;  // of the height, under each bar
constexpr double startBackdropAlpha = 0.2;  // replaced every frame
constexpr Colour4f backdropColour{0.0f, 0.0f, 0.075f, 0.0f};
constexpr double cameraSpeedFactor = 1.0;
constexpr double backdropSpeedFactor = 1.0;

constexpr int starPoints = 400;
constexpr int starShareWithFadingBackdrop = 3;  // a fading backdrop keeps 1 point in 3
constexpr int starLayers = 2;
constexpr double starOuterSizeUnits = 4.0;
constexpr double starInnerSizeFraction = 0.2;  // of the outer size
constexpr int starShapeUpperHalfShell = 2;
constexpr double starColourBase = 0.1;
constexpr double starColourRange = 0.3;

// Oscillator time scales: the phase advances this many radians per second
// of frame time at full speed.
constexpr double panOscRate = 0.22;
constexpr double riseOscRate = 0.16;
constexpr double dollyOscRate = 0.1;
constexpr double fadeOscRate = 0.3;
constexpr double spareOscRate = 0.1;

// The backdrop's opacity swings over this range, so trails lengthen and
// shorten slowly.
constexpr double trailAlphaMin = 0.05;
constexpr double trailAlphaRange = 0.07;

constexpr double panSwayUnits = 1.0;
constexpr double riseUnits = 1.2;
constexpr double riseBaseUnits = 0.025;
constexpr double dollyUnits = 0.1;
constexpr double dollySetBack = 0.7;  // absolute, not scaled by the unit
constexpr double tiltDegrees = -30.0;
constexpr double turnDegrees = -33.0;
constexpr double facingDegrees = 180.0;  // up the flow, towards the oncoming streaks

} // namespace

void sceneReset()
{
    using namespace cascade;
    Scene& s = scene;

    s.sizeUnit = sizeUnit;
    const double unit = s.sizeUnit;
    camera.fov = cameraFovDegrees;
    camera.eyeDistance = cameraEyeDistance;
    camera.nearPlane = static_cast<float>(unit * nearPlaneUnits);
    camera.farPlane = static_cast<float>(unit * farPlaneUnits);
    camera.position = cameraStartPosition;
    camera.rotation = cameraStartRotation;
    fog.start = static_cast<float>(unit * fogStartUnits);
    fog.end = static_cast<float>(unit * fogEndUnits);
    fog.setColour(fogColour.r, fogColour.g, fogColour.b, fogColour.a);
    fog.apply();
    s.letterboxSetting = letterboxFraction;
    backdrop.alpha = startBackdropAlpha;
    backdrop.letterbox = static_cast<float>(s.letterboxSetting);
    backdrop.setColour(backdropColour.r, backdropColour.g, backdropColour.b, backdropColour.a);

    s.overlayOn = 0;
    s.worldOn = 1;
    s.flatPassOn = 0;
    s.streakDepthOn = 0;
    s.fogOn = 1;
    s.lightingOn = 0;
    s.starsOn = 1;
    s.cameraRate = cameraSpeedFactor;
    s.backdropRate = backdropSpeedFactor;

    // A backdrop that fades instead of clearing gets a third of the points.
    stars.pointCount = starPoints;
    if (backdrop.alpha < 1.0)
        stars.pointCount = stars.pointCount / starShareWithFadingBackdrop;
    stars.layers = starLayers;
    stars.outerSize = unit * starOuterSizeUnits;
    stars.innerSize = starInnerSizeFraction * stars.outerSize;
    stars.blendOn = 1;
    stars.depthTestOn = 0;
    stars.depthWriteOn = 0;
    stars.shape = starShapeUpperHalfShell;
    stars.followCamera = 1;
    stars.useFog = 0;
    stars.colourBase = starColourBase;
    stars.colourRange = starColourRange;

    // The reading's low 32 bits, plus the offset, wrapping as 32-bit integers
    // do: past 2^31 ms the clock's reading no longer fits an int.
    const auto reading = static_cast<std::uint32_t>(static_cast<std::int64_t>(cascade::clock.milliseconds));
    randomSeed(reading + seedOffset);
    stars.build();
    setUpOverlay();
}

void sceneStart(int width, int height)
{
    using namespace cascade;
    backdrop.width = static_cast<float>(width);
    backdrop.height = static_cast<float>(height);
    sceneReset();
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    backdrop.letterbox = 0.0f;
    backdrop.set2DView();
    backdrop.clear();
}

void sceneFrame()
{
    using namespace cascade;
    const Scene& s = scene;

    cascade::clock.tick();
    const double dt = cascade::clock.deltaSeconds;
    // Each oscillator at rest draws from the sequence here, before the streaks.
    panOsc.step(dt * s.cameraRate * panOscRate);
    riseOsc.step(dt * s.cameraRate * riseOscRate);
    dollyOsc.step(dt * s.cameraRate * dollyOscRate);
    fadeOsc.step(dt * s.backdropRate * fadeOscRate);
    spareOsc.step(dt * s.backdropRate * spareOscRate);

    // The trails behind moving things lengthen and shorten slowly.
    backdrop.alpha = fadeOsc.unitValue() * trailAlphaRange + trailAlphaMin;
    backdrop.letterbox = static_cast<float>(s.letterboxSetting);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    backdrop.set2DView();
    backdrop.clear();
    if (s.overlayOn)
        drawOverlay();

    if (s.worldOn) {
        backdrop.setViewport(backdrop.width, backdrop.height, backdrop.letterbox);
        camera.applyProjection(backdrop);
        drawWorld();
    }
    if (s.flatPassOn) {
        // The letterbox stays 0 until the next frame copies the setting again.
        backdrop.letterbox = 0.0f;
        backdrop.set2DView();
        drawFlatPass();
    }
}

void drawWorld()
{
    using namespace cascade;
    animateCamera();
    if (scene.starsOn) {
        if (scene.fogOn && stars.useFog)
            glEnable(GL_FOG);
        glPushMatrix();
        stars.draw(camera);
        glPopMatrix();
        glDisable(GL_FOG);
    }
    // The streaks move only here: with the world off they stand still.
    streaks.updateAndDraw();
}

void animateCamera()
{
    using namespace cascade;
    const double unit = scene.sizeUnit;
    camera.position.x = static_cast<float>(panOsc.value() * unit * panSwayUnits);
    camera.position.y = static_cast<float>(riseOsc.unitValue() * unit * riseUnits + unit * riseBaseUnits);
    camera.position.z = static_cast<float>(dollyOsc.value() * unit * dollyUnits - dollySetBack);
    camera.rotation.x = static_cast<float>(riseOsc.value() * tiltDegrees);
    camera.rotation.y = static_cast<float>(panOsc.value() * turnDegrees + facingDegrees);
    camera.applyView();
}

void drawFlatPass() {}

void sceneRelease() { cascade::stars.release(); }
