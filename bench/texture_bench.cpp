// Cost of the scene's one texture: the 256 x 256 SMOKE image with mipmaps,
// generated into a GL sink that discards every call.
#include "components/random_source.h"
#include "recording_gl.h"
#include "textures/texture.h"
#include "textures/texture_registry.h"

#include <benchmark/benchmark.h>

namespace {

void smokeTexture256(benchmark::State& state)
{
    gldouble::setRecording(false);
    Texture texture;
    for (auto _ : state) {
        // Same seed as the scene's first set-up, and a registry with room.
        randomSeed(4767352);
        TextureRegistry::instance.count = 0;
        benchmark::DoNotOptimize(texture.generate(SMOKE, 256, 256, GL_RGBA, 1));
    }
}
BENCHMARK(smokeTexture256)->Unit(benchmark::kMillisecond);

} // namespace
