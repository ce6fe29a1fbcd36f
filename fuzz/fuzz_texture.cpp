// Texture::generate and Texture::applyNoise on whatever the bytes ask for,
// against the recording GL double. Each input runs a short sequence of
// requests on one texture, from a registry at a chosen fill level, and checks:
// a refused request changes nothing but the stored size and format (no GL
// call, no registry change, no random draw); an accepted one registers the
// texture once, uploads an image of exactly the requested size (the double
// reads every byte, so ASan sees any overrun of the work areas) and takes as
// many random draws as its kind and flags call for.
#include "fuzz_check.h"

#include "components/random_source.h"
#include "recording_gl.h"
#include "textures/texture.h"
#include "textures/texture_registry.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// More puffs only take longer, one puff after another; past this a single
// input would run for seconds and starve the search.
constexpr std::int32_t maxFuzzedPuffs = 600;
constexpr int maxRequestsPerInput = 6;

std::int32_t interestingInt(FuzzedDataProvider& data, std::int32_t smallLow, std::int32_t smallHigh)
{
    static const std::int32_t edges[] = {
        INT_MIN, INT_MIN + 1, -65537, -65536, -257, -256, -2, -1, 0, 1, 2, 3,
        127, 128, 129, 255, 256, 257, 4095, 4096, 32767, 32768, 46340, 46341,
        65535, 65536, 65537, 1 << 20, INT_MAX - 1, INT_MAX,
    };
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
    case 1: return data.ConsumeIntegralInRange<std::int32_t>(smallLow, smallHigh);
    case 2: return data.PickValueInArray(edges);
    default: return data.ConsumeIntegral<std::int32_t>();
    }
}

GLenum fuzzedFormat(FuzzedDataProvider& data)
{
    static const GLenum formats[] = {
        GL_RGBA, GL_LUMINANCE_ALPHA, GL_RGB, GL_LUMINANCE, GL_ALPHA, GL_RGBA8, 0, 4, 2,
    };
    if (data.ConsumeIntegralInRange<int>(0, 7) == 0)
        return data.ConsumeIntegral<GLenum>();
    return data.PickValueInArray(formats);
}

int bytesPerPixel(GLenum format)
{
    return format == GL_RGBA ? 4 : format == GL_LUMINANCE_ALPHA ? 2 : 0;
}

// The texture's fields, copied without copying the texture: a copy would
// delete the GL name it shares when it goes.
struct TextureFields {
    explicit TextureFields(const Texture& texture)
        : glName(texture.glName), wrapMode(texture.wrapMode), envMode(texture.envMode),
          puffCount(texture.puffCount), puffRadius(texture.puffRadius), registryIndex(texture.registryIndex)
    {
    }

    GLuint glName;
    GLenum wrapMode;
    GLenum envMode;
    std::int32_t puffCount;
    std::int32_t puffRadius;
    std::int32_t registryIndex;
};

// Everything a request may not touch, captured before it.
struct Snapshot {
    explicit Snapshot(const Texture& texture)
        : texture(texture), registry(TextureRegistry::instance), callCount(gldouble::callCount())
    {
    }

    TextureFields texture;
    TextureRegistry registry;
    std::size_t callCount;
};

bool registrySlotsEqual(const TextureRegistry& a, const TextureRegistry& b, int skippedSlot)
{
    for (int slot = 0; slot < TextureRegistry::capacity; ++slot) {
        if (slot == skippedSlot)
            continue;
        if (a.textures[slot] != b.textures[slot])
            return false;
        if (std::memcmp(a.names[slot], b.names[slot], TextureRegistry::nameLength) != 0)
            return false;
    }
    return a.envModeOverride == b.envModeOverride &&
           std::memcmp(a.envColour, b.envColour, sizeof a.envColour) == 0;
}

void checkFieldsKept(const Texture& now, const TextureFields& before)
{
    FUZZ_CHECK(now.wrapMode == before.wrapMode);
    FUZZ_CHECK(now.envMode == before.envMode);
    FUZZ_CHECK(now.puffCount == before.puffCount);
}

void checkNothingChanged(const Texture& texture, const Snapshot& before)
{
    FUZZ_CHECK(gldouble::callCount() == before.callCount);
    const TextureRegistry& registry = TextureRegistry::instance;
    FUZZ_CHECK(registrySlotsEqual(registry, before.registry, -1));
    FUZZ_CHECK(registry.count == before.registry.count);
    FUZZ_CHECK(registry.lastBoundName == before.registry.lastBoundName);
    checkFieldsKept(texture, before.texture);
    FUZZ_CHECK(texture.glName == before.texture.glName);
    FUZZ_CHECK(texture.puffRadius == before.texture.puffRadius);
    FUZZ_CHECK(texture.registryIndex == before.texture.registryIndex);
}

// The two draws after `draws` draws from `seed`, taken without disturbing the
// sequence the code under test continues from.
void expectDrawsTaken(std::uint32_t seed, long draws)
{
    const int next = randomNext();
    const int afterNext = randomNext();
    randomSeed(seed);
    for (long i = 0; i < draws; ++i)
        randomNext();
    FUZZ_CHECK(randomNext() == next);
    FUZZ_CHECK(randomNext() == afterNext);
}

// The one call named `name` among those made since `from`, or null.
const gldouble::Call* onlyCallSince(std::size_t from, const char* name)
{
    const gldouble::Call* found = nullptr;
    const std::vector<gldouble::Call>& calls = gldouble::calls();
    for (std::size_t i = from; i < calls.size(); ++i) {
        if (calls[i].name == name) {
            FUZZ_CHECK(found == nullptr);
            found = &calls[i];
        }
    }
    return found;
}

void checkUpload(const gldouble::Call* upload, const std::vector<double>& args, long bytes)
{
    FUZZ_CHECK(upload != nullptr);
    FUZZ_CHECK(upload->args == args);
    FUZZ_CHECK(gldouble::lastImage().size() == static_cast<std::size_t>(bytes));
}

// Every pixel's channels hold one value.
bool greyscale(const std::vector<unsigned char>& image, int channels)
{
    for (std::size_t i = 0; i < image.size(); i += static_cast<std::size_t>(channels))
        for (int c = 1; c < channels; ++c)
            if (image[i + static_cast<std::size_t>(c)] != image[i])
                return false;
    return true;
}

void fuzzGenerate(Texture& texture, FuzzedDataProvider& data, std::uint32_t seed)
{
    static const std::int32_t outsideKinds[] = {INT_MIN, -2, -1, textureKindCount, 10, 255, 256, INT_MAX};
    std::int32_t kindValue;
    switch (data.ConsumeIntegralInRange<int>(0, 5)) {
    case 0: kindValue = data.PickValueInArray(outsideKinds); break;
    case 1: kindValue = data.ConsumeIntegral<std::int32_t>(); break;
    default: kindValue = data.ConsumeIntegralInRange<std::int32_t>(0, textureKindCount - 1); break;
    }
    const TextureKind kind = static_cast<TextureKind>(kindValue);
    const std::int32_t width = interestingInt(data, -2, 300);
    const std::int32_t height = interestingInt(data, -2, 300);
    const GLenum format = fuzzedFormat(data);
    const int mipmapped = data.ConsumeBool() ? interestingInt(data, -1, 2) : 0;
    if (data.ConsumeIntegralInRange<int>(0, 3) == 0) {
        texture.puffCount = data.ConsumeBool() ? data.ConsumeIntegralInRange<std::int32_t>(-3, maxFuzzedPuffs)
                                               : data.PickValueInArray({INT_MIN, -1, 0, 1});
    }

    const TextureRegistry& registry = TextureRegistry::instance;
    const bool acceptable = width >= 1 && height >= 1 &&
                            static_cast<std::int64_t>(width) * height <= Texture::maxPixels &&
                            kindValue >= 0 && kindValue < textureKindCount && bytesPerPixel(format) != 0 &&
                            !(kind == SMOKE && (width > Texture::smokeGridSize || height > Texture::smokeGridSize)) &&
                            registry.count < TextureRegistry::capacity;

    const Snapshot before(texture);
    randomSeed(seed);
    const int result = texture.generate(kind, width, height, format, mipmapped);
    FUZZ_CHECK(texture.width == width);
    FUZZ_CHECK(texture.height == height);
    FUZZ_CHECK(texture.format == format);

    if (!acceptable) {
        FUZZ_CHECK(result == 1);
        checkNothingChanged(texture, before);
        expectDrawsTaken(seed, 0);
        return;
    }

    FUZZ_CHECK(result == 0);
    const int slot = before.registry.count;
    FUZZ_CHECK(registry.count == slot + 1);
    FUZZ_CHECK(registry.textures[slot] == &texture);
    FUZZ_CHECK(std::strcmp(registry.names[slot], textureKindName(kind)) == 0);
    FUZZ_CHECK(registrySlotsEqual(registry, before.registry, slot));
    FUZZ_CHECK(texture.registryIndex == slot);
    FUZZ_CHECK(texture.glName != 0);
    FUZZ_CHECK(registry.lastBoundName == texture.glName);
    checkFieldsKept(texture, before.texture);

    const long pixelCount = static_cast<long>(width) * height;
    const int channels = bytesPerPixel(format);
    const std::vector<double> imageArgs{GL_TEXTURE_2D, 0, double(format), double(width), double(height),
                                        0, double(format), GL_UNSIGNED_BYTE};
    const gldouble::Call* mipmaps = onlyCallSince(before.callCount, "gluBuild2DMipmaps");
    if (mipmapped) {
        // The mipmaps go up last, so the last image is theirs.
        checkUpload(mipmaps, {GL_TEXTURE_2D, 4, double(width), double(height), double(format), GL_UNSIGNED_BYTE},
                    pixelCount * channels);
        const gldouble::Call* level0 = onlyCallSince(before.callCount, "glTexImage2D");
        FUZZ_CHECK(level0 != nullptr && level0->args == imageArgs && level0->digest == mipmaps->digest);
    } else {
        FUZZ_CHECK(mipmaps == nullptr);
        checkUpload(onlyCallSince(before.callCount, "glTexImage2D"), imageArgs, pixelCount * channels);
    }

    const std::vector<unsigned char>& image = gldouble::lastImage();
    const bool emptySmoke = kind == SMOKE && texture.puffCount < 1;
    if (kind == BLANK || emptySmoke) {
        const unsigned char alpha = kind == BLANK ? 255 : 0;
        for (std::size_t i = 0; i < image.size(); i += static_cast<std::size_t>(channels)) {
            for (int c = 0; c + 1 < channels; ++c)
                FUZZ_CHECK(image[i + static_cast<std::size_t>(c)] == 0);
            FUZZ_CHECK(image[i + static_cast<std::size_t>(channels - 1)] == alpha);
        }
    } else if (kind != SAND) {
        FUZZ_CHECK(greyscale(image, channels));
    }

    switch (kind) {
    case SAND:
        // One or two draws a pixel, depending on the first.
        break;
    case SPARK: expectDrawsTaken(seed, pixelCount); break;
    case SMOKE: expectDrawsTaken(seed, emptySmoke ? 0 : 13L * texture.puffCount); break;
    default: expectDrawsTaken(seed, 0); break;
    }
}

void fuzzNoise(Texture& texture, FuzzedDataProvider& data, std::uint32_t seed)
{
    std::uint32_t flags = data.ConsumeIntegralInRange<std::uint32_t>(0, 0x3F);
    if (data.ConsumeIntegralInRange<int>(0, 7) == 0)
        flags = data.ConsumeIntegral<std::uint32_t>();
    const std::int32_t amplitude = interestingInt(data, -300, 300);
    const std::int32_t radius = interestingInt(data, -4, 300);

    const int width = texture.width;
    const int height = texture.height;
    const GLenum format = texture.format;
    const bool supported = width >= 1 && height >= 1 &&
                           static_cast<std::int64_t>(width) * height <= Texture::maxPixels &&
                           !((flags & NOISE_COLUMN_OFFSETS) && width > 256) && bytesPerPixel(format) != 0;

    const Snapshot before(texture);
    randomSeed(seed);
    texture.applyNoise(flags, amplitude, radius);
    FUZZ_CHECK(texture.width == width && texture.height == height && texture.format == format);

    if (!supported) {
        checkNothingChanged(texture, before);
        expectDrawsTaken(seed, 0);
        return;
    }

    const TextureRegistry& registry = TextureRegistry::instance;
    FUZZ_CHECK(registrySlotsEqual(registry, before.registry, -1));
    FUZZ_CHECK(registry.count == before.registry.count);
    FUZZ_CHECK(texture.glName != 0 && registry.lastBoundName == texture.glName);
    checkFieldsKept(texture, before.texture);
    FUZZ_CHECK(texture.puffRadius == before.texture.puffRadius);
    FUZZ_CHECK(texture.registryIndex == before.texture.registryIndex);

    const long pixelCount = static_cast<long>(width) * height;
    const int channels = bytesPerPixel(format);
    checkUpload(onlyCallSince(before.callCount, "glTexSubImage2D"),
                {GL_TEXTURE_2D, 0, 0, 0, double(width), double(height), double(format), GL_UNSIGNED_BYTE},
                pixelCount * channels);
    FUZZ_CHECK(onlyCallSince(before.callCount, "glTexImage2D") == nullptr);
    const std::vector<unsigned char>& image = gldouble::lastImage();
    FUZZ_CHECK(greyscale(image, channels));
    if ((flags & 0x3F) == 0)
        for (unsigned char byte : image)
            FUZZ_CHECK(byte == 255);

    long draws = 0;
    if (flags & NOISE_COLUMN_OFFSETS)
        draws += width;
    if (flags & NOISE_ROW_OFFSET)
        draws += height;
    if (flags & NOISE_PIXEL)
        draws += pixelCount;
    expectDrawsTaken(seed, draws);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    FuzzedDataProvider data(bytes, size);
    gldouble::reset();
    gldouble::setRecording(true);
    TextureRegistry& registry = TextureRegistry::instance;
    // A fresh process's registry, filled to a chosen level: mostly empty, at
    // times one short of full or full, so the last slot and the refusal of
    // a full registry are reached too.
    registry.count = data.ConsumeBool() ? 0 : data.ConsumeIntegralInRange<std::int32_t>(0, TextureRegistry::capacity);
    registry.envModeOverride = 0;
    registry.lastBoundName = 0xFFFFFFFFu;

    {
        Texture texture;
        if (data.ConsumeIntegralInRange<int>(0, 3) == 0) {
            texture.wrapMode = data.PickValueInArray<GLenum>({0, GL_REPEAT, GL_CLAMP});
            texture.envMode = data.PickValueInArray<GLenum>({0, GL_MODULATE, GL_BLEND, GL_DECAL});
        }
        for (int request = 0; request < maxRequestsPerInput && data.remaining_bytes() > 0; ++request) {
            const std::uint32_t seed = data.ConsumeIntegral<std::uint32_t>();
            if (data.ConsumeBool())
                fuzzGenerate(texture, data, seed);
            else
                fuzzNoise(texture, data, seed);
        }
    }
    // The texture is gone: leave no dangling pointer to it for the next input.
    for (Texture*& slot : registry.textures)
        slot = nullptr;
    return 0;
}
