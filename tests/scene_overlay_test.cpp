#include "scene/overlay.h"
#include "scene/scene.h"
#include "scene/scene_state.h"

#include "components/gl_api.h"
#include "components/random_source.h"
#include "recording_gl.h"
#include "textures/texture_registry.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

using gldouble::Call;

namespace {

int scriptedMilliseconds = 0;
int scriptedCounter() { return scriptedMilliseconds; }

// The static scene as a fresh process has it, so each test starts the saver
// afresh whatever ran before it in this process.
void freshProcessState()
{
    using namespace cascade;
    scriptedMilliseconds = 0;
    setMillisecondCounter(scriptedCounter);
    cascade::clock = FrameClock();
    for (Oscillator* osc : {&panOsc, &riseOsc, &dollyOsc, &fadeOsc, &spareOsc}) {
        osc->phase = 0.0;
        osc->fade = 1.0;
        osc->fadeRate = 0.0;
    }
    streaks.spawned = 0;
    stars.release();
    TextureRegistry::instance.count = 0;
    TextureRegistry::instance.lastBoundName = 0xFFFFFFFFu;
    textureSet[0].glName = 0;
    gldouble::reset();
}

// The log of sceneStart(800, 600) and one frame at 16 ms, overlay on or off.
std::vector<Call> firstFrame(int overlayOn)
{
    freshProcessState();
    sceneStart(800, 600);
    cascade::scene.overlayOn = overlayOn;
    scriptedMilliseconds = 16;
    gldouble::reset();
    sceneFrame();
    return gldouble::calls();
}

} // namespace

TEST(SceneOverlay, SetUpUploadsTheSmokeTextureOnceWithMipmaps)
{
    freshProcessState();
    sceneStart(800, 600);
    using cascade::textureSet;

    EXPECT_EQ(gldouble::countOf("glTexImage2D"), 1u);
    EXPECT_EQ(gldouble::countOf("gluBuild2DMipmaps"), 1u);
    const std::size_t upload = gldouble::find("glTexImage2D");
    ASSERT_NE(upload, gldouble::npos);
    EXPECT_GT(upload, gldouble::find("glEndList")) << "after the star cloud's list";
    Call image("glTexImage2D", {GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE});
    image.digest = gldouble::calls()[upload].digest;
    Call mipmaps("gluBuild2DMipmaps", {GL_TEXTURE_2D, 4, 256, 256, GL_RGBA, GL_UNSIGNED_BYTE});
    mipmaps.digest = image.digest;
    EXPECT_EQ(gldouble::slice(upload - 3, 7),
              (std::vector<Call>{
                  Call("glPixelStorei", {GL_UNPACK_ALIGNMENT, 1}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST}),
                  image,
                  mipmaps,
                  Call("glDepthMask", {GL_FALSE}),
                  Call("glDisable", {GL_LIGHTING}),
              }))
        << "the texture is the last step of the reset";

    EXPECT_NE(textureSet[0].glName, 0u);
    EXPECT_EQ(textureSet[0].width, 256);
    EXPECT_EQ(TextureRegistry::instance.count, 1);
    EXPECT_EQ(TextureRegistry::instance.textures[0], &textureSet[0]);
    EXPECT_STREQ(TextureRegistry::instance.names[0], "SMOKE");
    for (int i = 1; i < cascade::overlayTextureCount; ++i)
        EXPECT_EQ(textureSet[i].glName, 0u) << "texture " << i << " is never generated";
}

TEST(SceneOverlay, SmokeDrawsFallBetweenTheStarCloudAndTheFirstSpawn)
{
    freshProcessState();
    sceneStart(800, 600);
    const std::uint64_t uploaded = gldouble::callsNamed("glTexImage2D").at(0).digest;
    scriptedMilliseconds = 16;
    sceneFrame();
    std::vector<double> spawnX, spawnZ;
    for (int i = 0; i < 50; ++i) {
        spawnX.push_back(cascade::streaks.prevX[i]);
        spawnZ.push_back(cascade::streaks.prevZ[i]);
    }

    // Replay the set-up's draws: the seed, the star cloud, then a SMOKE
    // texture's 1300 draws, which must reproduce the uploaded image.
    randomSeed(4767352);
    cascade::stars.build();
    Texture reference;
    gldouble::reset();
    ASSERT_EQ(reference.generate(SMOKE, 256, 256, GL_RGBA, 1), 0);
    EXPECT_EQ(gldouble::callsNamed("glTexImage2D").at(0).digest, uploaded);

    // Then the five resting oscillators, one draw each, and the spawn: x and
    // z first, six more draws for each streak.
    for (int i = 0; i < 5; ++i)
        randomNext();
    int respawned = 0;
    for (int i = 0; i < 50; ++i) {
        const double x = frand(3.0) - 1.5;
        const double z = frand(2.0) - 1.0;
        for (int k = 0; k < 6; ++k)
            randomNext();
        if (spawnZ[static_cast<std::size_t>(i)] == 1.0) {
            ++respawned;  // moved past the edge within the first frame
            continue;
        }
        EXPECT_EQ(spawnX[static_cast<std::size_t>(i)], x) << i;
        EXPECT_EQ(spawnZ[static_cast<std::size_t>(i)], z) << i;
    }
    EXPECT_LT(respawned, 5);
}

TEST(SceneOverlay, OverlayPassRunsAfterTheBackdropClearWhenSwitchedOn)
{
    const std::vector<Call> without = firstFrame(0);
    const std::vector<Call> with = firstFrame(1);
    const std::vector<Call> overlay{
        Call("glBlendFunc", {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}),
        Call("glEnable", {GL_BLEND}),
        // Still bound since its generation: the cache skips the bind.
        Call("glEnable", {GL_TEXTURE_2D}),
        Call("glColor4f", {1, 1, 1, 1}),
        Call("glBegin", {GL_QUADS}),
        Call("glTexCoord2d", {0, 0}), Call("glVertex2f", {0, 0}),
        Call("glTexCoord2d", {1, 0}), Call("glVertex2f", {800, 0}),
        Call("glTexCoord2d", {1, 1}), Call("glVertex2f", {800, 600}),
        Call("glTexCoord2d", {0, 1}), Call("glVertex2f", {0, 600}),
        Call("glEnd"),
        Call("glDisable", {GL_BLEND}),
        Call("glDisable", {GL_TEXTURE_2D}),
    };
    ASSERT_EQ(with.size(), without.size() + overlay.size());
    std::size_t at = 0;
    while (at < without.size() && with[at] == without[at])
        ++at;
    ASSERT_LT(at, without.size());
    EXPECT_EQ(without[at].name, "glViewport") << "the overlay comes right before the world";
    EXPECT_GT(at, static_cast<std::size_t>(gldouble::find("glClear")));
    EXPECT_EQ(std::vector<Call>(with.begin() + static_cast<std::ptrdiff_t>(at),
                                with.begin() + static_cast<std::ptrdiff_t>(at + overlay.size())),
              overlay);
    EXPECT_EQ(std::vector<Call>(with.begin() + static_cast<std::ptrdiff_t>(at + overlay.size()), with.end()),
              std::vector<Call>(without.begin() + static_cast<std::ptrdiff_t>(at), without.end()));
}

TEST(SceneOverlay, OverlayBindsItsTextureWhenAnotherWasBoundLast)
{
    freshProcessState();
    sceneStart(640, 480);
    TextureRegistry::instance.lastBoundName = 0xFFFFFFFFu;
    gldouble::reset();
    drawOverlay();
    const GLuint name = cascade::textureSet[0].glName;
    EXPECT_EQ(gldouble::slice(2, 5),
              (std::vector<Call>{
                  Call("glBindTexture", {GL_TEXTURE_2D, double(name)}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT}),
                  Call("glTexEnvf", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE}),
                  Call("glEnable", {GL_TEXTURE_2D}),
              }));
    EXPECT_EQ(gldouble::callsNamed("glVertex2f")[2], Call("glVertex2f", {640, 480}));
}
