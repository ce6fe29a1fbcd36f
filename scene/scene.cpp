#include "scene/scene.h"

#include "components/gl_api.h"
#include "components/random_source.h"
#include "scene/overlay.h"
#include "scene/scene_state.h"

#include <cstdint>

namespace {

// Added to the clock's reading to seed the sequence. The clock has never
// ticked at the first set-up, so every run starts from this very seed and
// shows the same star cloud, texture and first spawn.
const std::uint32_t seedOffset = 4767352;

} // namespace

void sceneReset()
{
    using namespace cascade;
    Scene& s = scene;

    s.sizeUnit = 1.0;
    const double unit = s.sizeUnit;
    camera.fov = 100.0;
    camera.eyeDistance = 0.0f;
    camera.nearPlane = static_cast<float>(unit * 0.01);
    camera.farPlane = static_cast<float>(unit * 3.0);
    camera.position = Vec3f{0.0f, 0.3f, -0.7f};
    camera.rotation = Vec3f{0.0f, 180.0f, 0.0f};
    fog.start = static_cast<float>(unit * 0.2);
    fog.end = static_cast<float>(unit * 1.7);
    fog.setColour(0.0f, 0.0f, 0.0f, 1.0f);
    fog.apply();
    s.letterboxSetting = 0.0;
    backdrop.alpha = 0.2;
    backdrop.letterbox = static_cast<float>(s.letterboxSetting);
    backdrop.setColour(0.0f, 0.0f, 0.075f, 0.0f);

    s.overlayOn = 0;
    s.worldOn = 1;
    s.flatPassOn = 0;
    s.streakDepthOn = 0;
    s.fogOn = 1;
    s.lightingOn = 0;
    s.starsOn = 1;
    s.cameraRate = 1.0;
    s.backdropRate = 1.0;

    // A backdrop that fades instead of clearing gets a third of the points.
    stars.pointCount = 400;
    if (backdrop.alpha < 1.0)
        stars.pointCount = stars.pointCount / 3;
    stars.layers = 2;
    stars.outerSize = unit * 4.0;
    stars.innerSize = 0.2 * stars.outerSize;
    stars.blendOn = 1;
    stars.depthTestOn = 0;
    stars.depthWriteOn = 0;
    stars.shape = 2;
    stars.followCamera = 1;
    stars.useFog = 0;
    stars.colourBase = 0.1;
    stars.colourRange = 0.3;

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
    panOsc.step(dt * s.cameraRate * 0.22);
    riseOsc.step(dt * s.cameraRate * 0.16);
    dollyOsc.step(dt * s.cameraRate * 0.1);
    fadeOsc.step(dt * s.backdropRate * 0.3);
    spareOsc.step(dt * s.backdropRate * 0.1);

    // The trails behind moving things lengthen and shorten slowly.
    backdrop.alpha = fadeOsc.unitValue() * 0.07 + 0.05;
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
    camera.position.x = static_cast<float>(panOsc.value() * unit * 1.0);
    camera.position.y = static_cast<float>(riseOsc.unitValue() * unit * 1.2 + unit * 0.025);
    // The -0.7 is an absolute offset, not scaled by the unit.
    camera.position.z = static_cast<float>(dollyOsc.value() * unit * 0.1 - 0.7);
    camera.rotation.x = static_cast<float>(riseOsc.value() * (-30.0));
    camera.rotation.y = static_cast<float>(panOsc.value() * (-33.0) + 180.0);
    camera.applyView();
}

void drawFlatPass() {}

void sceneRelease() { cascade::stars.release(); }
