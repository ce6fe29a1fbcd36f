// Runs the whole scene through the recording GL double with a scripted clock
// and writes what it drew: one digest line per frame (the start-up's calls are
// frame 0), then every call of the last frame with its arguments exact. Two
// builds (Linux x86-64, the 32-bit Windows build under Wine) that compute the
// same picture write the same trace; compare_scene_traces.py says where and by
// how much two traces part, and scene_reference.py holds the frame digests
// against the ones stored in the tree.
//     scene_trace FRAMES FRAME_MS WIDTH HEIGHT [exact|batched] > trace.txt
#include "components/frame_clock.h"
#include "front/scene_driver.h"
#include "recording_gl.h"
#include "scene/scene.h"
#include "scene/scene_state.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int elapsedMs = 0;
int scriptedCounter() { return elapsedMs; }

// FNV-1a over each call's name, its arguments' bit patterns and its pixel
// digest: equal only where every value drawn is equal to the last bit.
std::uint64_t digestOfLog()
{
    std::uint64_t digest = gldouble::digestOf(nullptr, 0);
    auto mix = [&digest](const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            digest ^= bytes[i];
            digest *= 1099511628211ull;
        }
    };
    for (const gldouble::Call& call : gldouble::calls()) {
        mix(call.name.data(), call.name.size() + 1);
        for (double arg : call.args)
            mix(&arg, sizeof arg);
        mix(&call.digest, sizeof call.digest);
    }
    return digest;
}

void writeDigest(int frame)
{
    std::printf("frame %d calls %zu digest %016llx\n", frame, gldouble::callCount(),
                static_cast<unsigned long long>(digestOfLog()));
}

// Hexadecimal floats: the exact value, read back by any C library or Python.
void writeCalls()
{
    for (const gldouble::Call& call : gldouble::calls()) {
        std::printf("%s", call.name.c_str());
        for (double arg : call.args)
            std::printf(" %a", arg);
        if (call.digest)
            std::printf(" #%016llx", static_cast<unsigned long long>(call.digest));
        std::printf("\n");
    }
}

int argument(char** argv, int index, int least)
{
    const int value = std::atoi(argv[index]);
    if (value < least) {
        std::fprintf(stderr, "scene_trace: '%s' is below %d\n", argv[index], least);
        std::exit(2);
    }
    return value;
}

} // namespace

int main(int argc, char** argv)
{
    const bool batched = argc == 6 && std::strcmp(argv[5], "batched") == 0;
    if (argc < 5 || argc > 6 || (argc == 6 && !batched && std::strcmp(argv[5], "exact") != 0)) {
        std::fprintf(stderr, "usage: scene_trace FRAMES FRAME_MS WIDTH HEIGHT [exact|batched]\n");
        return 2;
    }
    const int frames = argument(argv, 1, 1), frameMs = argument(argv, 2, 0);
    const int width = argument(argv, 3, 1), height = argument(argv, 4, 1);

    setMillisecondCounter(scriptedCounter);
    // The streaks' drawing order: the Windows saver's, or Linux's default.
    cascade::streaks.lineOrder = batched ? StreakField::LineOrder::byWidth : StreakField::LineOrder::byIndex;
    gldouble::reset();
    startScene(width, height);
    writeDigest(0);
    for (int frame = 1; frame <= frames; ++frame) {
        elapsedMs += frameMs;
        gldouble::reset();
        sceneFrame();
        writeDigest(frame);
    }
    std::printf("last frame\n");
    writeCalls();
    return 0;
}
