#include "texture_test_support.h"

#include "components/random_source.h"

#include <climits>
#include <cmath>
#include <cstdint>

using gldouble::Call;

namespace {

// The generator's value after `skipped` draws from `seed`: tells how many
// draws an operation took.
int drawAfter(std::uint32_t seed, int skipped)
{
    randomSeed(seed);
    for (int i = 0; i < skipped; ++i)
        randomNext();
    return randomNext();
}

double distance(int row, int column, int centreRow, int centreColumn)
{
    const double dx = column - centreColumn;
    const double dy = row - centreRow;
    return std::sqrt(dx * dx + dy * dy);
}

// The SMOKE image as the textbook loop makes it: every puff visits every
// cell. The generator visits only each puff's box; the bytes must not differ.
std::vector<unsigned char> referenceSmoke(int width, int height, int puffCount, GLenum format)
{
    const int bytesPerPixel = format == GL_RGBA ? 4 : 2;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(width * height * bytesPerPixel), 0);
    if (puffCount < 1)
        return bytes;
    std::vector<float> acc(static_cast<std::size_t>(width * height));
    float maxValue = -9999;
    for (int puff = 0; puff < puffCount; ++puff) {
        const int radius = static_cast<int>(frand(width * 0.24) + width * 0.04);
        const int px = static_cast<int>(frandGauss(static_cast<float>(width * 0.17)) + width * 0.5);
        const int py = static_cast<int>(frandGauss(static_cast<float>(height * 0.17)) + height * 0.5);
        for (int row = 0; row < height; ++row) {
            for (int column = 0; column < width; ++column) {
                float& cell = acc[static_cast<std::size_t>(row * width + column)];
                if (puff == 0)
                    cell = 0;
                const int squares = (column - px) * (column - px) + (row - py) * (row - py);
                float t;
                if (radius > 0) {
                    t = static_cast<float>(std::sqrt(static_cast<double>(squares)) / radius);
                    if (t > 1)
                        t = 1;
                } else {
                    t = squares == 0 ? 0.0f : 1.0f;
                }
                cell = static_cast<float>(cell + (1 - static_cast<double>(t)));
                if (cell > maxValue)
                    maxValue = cell;
            }
        }
    }
    if (!(maxValue > 0))
        return bytes;
    const float scale = static_cast<float>(255 / static_cast<double>(maxValue));
    for (std::size_t i = 0; i < acc.size(); ++i) {
        const float v = static_cast<float>(static_cast<double>(scale) * acc[i]);
        for (int b = 0; b < bytesPerPixel; ++b)
            bytes[i * static_cast<std::size_t>(bytesPerPixel) + static_cast<std::size_t>(b)] =
                static_cast<unsigned char>(static_cast<int>(v));
    }
    return bytes;
}

} // namespace

TEST_F(TextureTest, SizeLimitIsExactly65536Pixels)
{
    Texture texture;
    EXPECT_EQ(texture.generate(BLANK, 256, 256, GL_RGBA, 0), 0);
    EXPECT_EQ(texture.generate(SPARK, 512, 128, GL_RGBA, 0), 0);
    EXPECT_EQ(texture.generate(BLANK, 65536, 1, GL_LUMINANCE_ALPHA, 0), 0);
    EXPECT_EQ(registry().count, 3);

    gldouble::reset();
    EXPECT_EQ(texture.generate(BLANK, 257, 256, GL_LUMINANCE_ALPHA, 0), 1);
    EXPECT_EQ(gldouble::callCount(), 0u);
    EXPECT_EQ(registry().count, 3);
    EXPECT_EQ(texture.registryIndex, 2);
    EXPECT_EQ(texture.width, 257) << "a refused request still stores its size and format";
    EXPECT_EQ(texture.height, 256);
    EXPECT_EQ(texture.format, static_cast<GLenum>(GL_LUMINANCE_ALPHA));
}

TEST_F(TextureTest, UnsoundRequestsAreRefusedWithoutAnySideEffect)
{
    struct Request {
        TextureKind kind;
        int width;
        int height;
        GLenum format;
    };
    const Request refused[] = {
        {BLANK, 0, 4, GL_RGBA},
        {BLANK, 4, 0, GL_RGBA},
        {BLANK, -3, 4, GL_RGBA},
        {BLANK, -256, -256, GL_RGBA},      // a positive product from two negatives
        {BLANK, 65536, 65536, GL_RGBA},    // wraps to 0 in 32 bits
        {BLANK, 65537, 65535, GL_RGBA},    // wraps to -1 in 32 bits
        {BLANK, INT_MAX, INT_MAX, GL_RGBA},
        {SMOKE, 257, 1, GL_RGBA},          // fits the pixel limit, not the smoke grid
        {SMOKE, 1, 257, GL_RGBA},
        {static_cast<TextureKind>(9), 4, 4, GL_RGBA},
        {static_cast<TextureKind>(-1), 4, 4, GL_RGBA},
        {BLANK, 4, 4, GL_RGB},
        {BLANK, 4, 4, GL_LUMINANCE},
        {BLANK, 4, 4, 0},
    };
    Texture texture;
    ASSERT_EQ(texture.generate(HALO, 4, 4, GL_RGBA, 1), 0);
    for (const Request& request : refused) {
        SCOPED_TRACE(::testing::Message() << "kind " << request.kind << ", " << request.width << " x "
                                          << request.height << ", format " << request.format);
        gldouble::reset();
        randomSeed(77);
        EXPECT_NE(texture.generate(request.kind, request.width, request.height, request.format, 1), 0);
        EXPECT_EQ(gldouble::callCount(), 0u);
        const int next = randomNext();
        EXPECT_EQ(next, drawAfter(77, 0)) << "a refused request draws nothing";
        EXPECT_EQ(registry().count, 1);
        EXPECT_EQ(texture.registryIndex, 0);
        EXPECT_STREQ(registry().names[0], "HALO");
        EXPECT_EQ(registry().names[1][0], '\0');
        EXPECT_EQ(texture.width, request.width);
    }
    EXPECT_EQ(texture.generate(BLANK, 257, 1, GL_RGBA, 0), 0) << "only SMOKE is bound to 256";
    EXPECT_EQ(texture.generate(SMOKE, 256, 1, GL_RGBA, 0), 0);
}

TEST_F(TextureTest, UploadWithAndWithoutMipmaps)
{
    Texture texture;
    ASSERT_EQ(texture.generate(BLANK, 4, 2, GL_RGBA, 0), 0);
    const std::vector<unsigned char> black(4 * 2, 0);
    std::vector<unsigned char> opaqueBlack;
    for (int i = 0; i < 8; ++i)
        opaqueBlack.insert(opaqueBlack.end(), {0, 0, 0, 255});
    Call upload("glTexImage2D", {GL_TEXTURE_2D, 0, GL_RGBA, 4, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE});
    upload.digest = gldouble::digestOf(opaqueBlack.data(), opaqueBlack.size());
    EXPECT_EQ(gldouble::calls(),
              (std::vector<Call>{
                  Call("glGenTextures", {1}),
                  Call("glBindTexture", {GL_TEXTURE_2D, 1}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT}),
                  Call("glTexEnvf", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE}),
                  Call("glPixelStorei", {GL_UNPACK_ALIGNMENT, 1}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR}),
                  upload,
              }));

    // Regenerating with mipmaps: the texture is still bound, so no bind.
    gldouble::reset();
    ASSERT_EQ(texture.generate(BLANK, 2, 4, GL_LUMINANCE_ALPHA, 1), 0);
    const unsigned char la[] = {0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
    Call image("glTexImage2D", {GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, 2, 4, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE});
    image.digest = gldouble::digestOf(la, sizeof la);
    Call mipmaps("gluBuild2DMipmaps", {GL_TEXTURE_2D, 4, 2, 4, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE});
    mipmaps.digest = image.digest;
    EXPECT_EQ(gldouble::calls(),
              (std::vector<Call>{
                  Call("glPixelStorei", {GL_UNPACK_ALIGNMENT, 1}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST}),
                  image,
                  mipmaps,
              }));
}

TEST_F(TextureTest, SphereAndNotSphereSpots)
{
    Texture texture;
    for (TextureKind kind : {SPHERE, NOTSPHERE}) {
        ASSERT_EQ(texture.generate(kind, 64, 64, GL_RGBA, 0), 0);
        const int inside = kind == SPHERE ? 255 : 0;
        const int outside = 255 - inside;
        EXPECT_EQ(pixelAt(64, 32, 32), grey(inside));
        for (int row = 0; row < 64; ++row)
            for (int column = 0; column < 64; ++column) {
                if (distance(row, column, 32, 32) >= 32) {
                    ASSERT_EQ(pixelAt(64, row, column), grey(outside)) << row << ", " << column;
                }
            }
    }
    // The radius is the half width on both axes, even in a flat texture.
    ASSERT_EQ(texture.generate(SPHERE, 64, 16, GL_RGBA, 0), 0);
    EXPECT_EQ(pixelAt(64, 8, 48), grey(191)) << "d = 16 / 32: (1 - 0.25) x 255";
    EXPECT_EQ(pixelAt(64, 0, 32), grey(239)) << "d = 8 / 32: (1 - 1/16) x 255";
}

TEST_F(TextureTest, GradientBandsStopAtRow128)
{
    Texture texture;
    ASSERT_EQ(texture.generate(GRADIENT, 128, 128, GL_RGBA, 0), 0);
    for (int row = 0; row < 128; ++row)
        for (int column = 1; column < 128; ++column)
            ASSERT_EQ(pixelAt(128, row, column), pixelAt(128, row, 0)) << "columns differ in row " << row;
    EXPECT_EQ(pixelAt(128, 0, 5), grey(240));
    EXPECT_EQ(pixelAt(128, 64, 5), grey(70)) << "(16 - sqrt(128)) x 15 = 70.3";
    EXPECT_EQ(pixelAt(128, 127, 5), grey(0));

    // Past row 128 the formula is negative: those rows are empty, not 255.
    ASSERT_EQ(texture.generate(GRADIENT, 2, 256, GL_LUMINANCE_ALPHA, 0), 0);
    for (int row = 128; row < 256; ++row)
        ASSERT_EQ(pixelAt(2, row, 1, 2), (std::vector<int>{0, 0})) << "row " << row;
}

TEST_F(TextureTest, HaloRing)
{
    Texture texture;
    ASSERT_EQ(texture.generate(HALO, 128, 128, GL_RGBA, 0), 0);
    EXPECT_EQ(pixelAt(128, 64, 64), grey(0));
    EXPECT_EQ(pixelAt(128, 64 + 58, 64), grey(255));
    EXPECT_EQ(pixelAt(128, 64, 64 - 58), grey(255));
    EXPECT_EQ(pixelAt(128, 64, 64 + 29), grey(127)) << "halfway up the inner slope";
    EXPECT_EQ(pixelAt(128, 64 + 25, 64 + 60), grey(8)) << "distance 65 is on the steep outer edge";
    for (int row = 0; row < 128; ++row)
        for (int column = 0; column < 128; ++column) {
            if (distance(row, column, 64, 64) >= 66) {
                ASSERT_EQ(pixelAt(128, row, column), grey(0)) << row << ", " << column;
            }
        }
}

TEST_F(TextureTest, StarIsAProductOfTents)
{
    Texture texture;
    ASSERT_EQ(texture.generate(STAR, 64, 32, GL_RGBA, 0), 0);
    EXPECT_EQ(pixelAt(64, 16, 32), grey(255));
    EXPECT_EQ(pixelAt(64, 16, 48), grey(127)) << "u = 0.5, w = 1";
    EXPECT_EQ(pixelAt(64, 8, 48), grey(63)) << "u = 0.5, w = 0.5";
    for (int i = 0; i < 64; ++i)
        ASSERT_EQ(pixelAt(64, 0, i), grey(0)) << "row 0, column " << i;
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(pixelAt(64, i, 0), grey(0)) << "column 0, row " << i;
}

TEST_F(TextureTest, BlankIsOpaqueBlackInBothFormats)
{
    Texture texture;
    ASSERT_EQ(texture.generate(BLANK, 16, 8, GL_RGBA, 0), 0);
    std::vector<unsigned char> expected;
    for (int i = 0; i < 16 * 8; ++i)
        expected.insert(expected.end(), {0, 0, 0, 255});
    EXPECT_EQ(gldouble::lastImage(), expected);
    ASSERT_EQ(texture.generate(BLANK, 16, 8, GL_LUMINANCE_ALPHA, 0), 0);
    expected.clear();
    for (int i = 0; i < 16 * 8; ++i)
        expected.insert(expected.end(), {0, 255});
    EXPECT_EQ(gldouble::lastImage(), expected);
}

TEST_F(TextureTest, SandGrainsAndColoursInPixelOrder)
{
    Texture texture;
    randomSeed(4242);
    ASSERT_EQ(texture.generate(SAND, 64, 64, GL_LUMINANCE_ALPHA, 0), 0);
    const std::vector<unsigned char> luminanceAlpha = gldouble::lastImage();
    randomSeed(4242);
    ASSERT_EQ(texture.generate(SAND, 64, 64, GL_RGBA, 0), 0);
    const int afterGeneration = randomNext();

    // Replays the draws: one per grain, two per sand-coloured pixel.
    randomSeed(4242);
    int black = 0, white = 0;
    for (int i = 0; i < 64 * 64; ++i) {
        const int row = i / 64, column = i % 64;
        const double s = frand(1.0);
        if (s < 0.001) {
            ++black;
            ASSERT_EQ(pixelAt(64, row, column), (std::vector<int>{0, 0, 0, 255}));
            ASSERT_EQ(luminanceAlpha[2 * i], 0);
            ASSERT_EQ(luminanceAlpha[2 * i + 1], 255);
        } else if (s < 0.002) {
            ++white;
            ASSERT_EQ(pixelAt(64, row, column), grey(255));
        } else {
            const float gf = static_cast<float>(frand(127.0) + 127);
            const int g = static_cast<int>(gf);
            ASSERT_GE(g, 127);
            ASSERT_LE(g, 253);
            EXPECT_EQ(pixelAt(64, row, column),
                      (std::vector<int>{g, static_cast<int>(static_cast<float>(gf * 0.8)),
                                        static_cast<int>(static_cast<float>(gf * 0.6)), g}));
            ASSERT_EQ(luminanceAlpha[2 * i], g);
            ASSERT_EQ(luminanceAlpha[2 * i + 1], g);
        }
    }
    EXPECT_GT(black, 0) << "the seed should show both kinds of grain";
    EXPECT_GT(white, 0);
    EXPECT_EQ(randomNext(), afterGeneration) << "draw count differs from the replay";
}

TEST_F(TextureTest, SparkBandAroundColumn64)
{
    Texture texture;
    randomSeed(5);
    ASSERT_EQ(texture.generate(SPARK, 256, 32, GL_RGBA, 0), 0);
    const int next = randomNext();
    EXPECT_EQ(next, drawAfter(5, 256 * 32)) << "exactly one draw per pixel";
    int sparks = 0;
    for (int row = 0; row < 32; ++row) {
        EXPECT_EQ(pixelAt(256, row, 64), grey(255));
        const std::vector<int> slope = pixelAt(256, row, 30);
        EXPECT_TRUE(slope == grey(55) || slope == grey(255)) << "(sqrt(30) / 7 - 0.1)^4 x 255, or a spark";
        // Past column 128 the band has no real value: dark, never a spark.
        for (int column = 129; column < 256; ++column)
            ASSERT_EQ(pixelAt(256, row, column), grey(0)) << row << ", " << column;
        // The band's value rounds to 0 in the outermost columns: there only
        // sparks show, at about 10 in 255.
        for (int column : {0, 1, 2, 3, 4, 5, 128}) {
            const std::vector<int> pixel = pixelAt(256, row, column);
            ASSERT_TRUE(pixel == grey(0) || pixel == grey(255)) << row << ", " << column;
            sparks += pixel == grey(255);
        }
    }
    EXPECT_GT(sparks, 0);
    EXPECT_LT(sparks, 32 * 7 / 5);
}

TEST_F(TextureTest, SmokeMatchesTheFullGridReference)
{
    struct Case {
        int width, height, puffCount;
        GLenum format;
        std::uint32_t seed;
    };
    const Case cases[] = {
        {256, 256, 100, GL_RGBA, 4767352}, {256, 256, 100, GL_LUMINANCE_ALPHA, 1},
        {100, 37, 100, GL_RGBA, 2},        {37, 100, 20, GL_RGBA, 3},
        {7, 13, 30, GL_RGBA, 4},           {1, 1, 5, GL_RGBA, 5},
        {256, 1, 10, GL_RGBA, 6},          {1, 256, 10, GL_LUMINANCE_ALPHA, 7},
    };
    Texture texture;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height << ", seed " << c.seed);
        texture.puffCount = c.puffCount;
        randomSeed(c.seed);
        ASSERT_EQ(texture.generate(SMOKE, c.width, c.height, c.format, 0), 0);
        const int afterGeneration = randomNext();
        randomSeed(c.seed);
        const std::vector<unsigned char> reference = referenceSmoke(c.width, c.height, c.puffCount, c.format);
        EXPECT_EQ(randomNext(), afterGeneration) << "13 draws per puff";
        ASSERT_EQ(gldouble::lastImage().size(), reference.size());
        EXPECT_EQ(gldouble::digestOf(gldouble::lastImage().data(), gldouble::lastImage().size()),
                  gldouble::digestOf(reference.data(), reference.size()));
        EXPECT_EQ(drawAfter(c.seed, 13 * c.puffCount), afterGeneration);
    }
}

TEST_F(TextureTest, SmokeIsGreyAndNormalisedToTheDensestPixel)
{
    Texture texture;
    randomSeed(4767352);
    ASSERT_EQ(texture.generate(SMOKE, 256, 256, GL_RGBA, 1), 0);
    const std::vector<unsigned char>& image = gldouble::lastImage();
    int largest = 0;
    for (std::size_t i = 0; i < image.size(); i += 4) {
        ASSERT_EQ(image[i], image[i + 1]);
        ASSERT_EQ(image[i], image[i + 2]);
        ASSERT_EQ(image[i], image[i + 3]);
        largest = image[i] > largest ? image[i] : largest;
    }
    EXPECT_GE(largest, 254);
    EXPECT_GE(texture.puffRadius, 10);
    EXPECT_LE(texture.puffRadius, 71);
}

TEST_F(TextureTest, DegenerateSizesGiveDefinedImages)
{
    Texture texture;
    const std::vector<int> white = grey(255), black = grey(0);
    ASSERT_EQ(texture.generate(SPHERE, 1, 1, GL_RGBA, 0), 0);
    EXPECT_EQ(pixelAt(1, 0, 0), white);
    ASSERT_EQ(texture.generate(NOTSPHERE, 1, 1, GL_RGBA, 0), 0);
    EXPECT_EQ(pixelAt(1, 0, 0), black);
    ASSERT_EQ(texture.generate(STAR, 1, 1, GL_RGBA, 0), 0);
    EXPECT_EQ(pixelAt(1, 0, 0), white);

    // One pixel wide: the spot has radius 0, the star is a vertical tent.
    ASSERT_EQ(texture.generate(SPHERE, 1, 9, GL_RGBA, 0), 0);
    for (int row = 0; row < 9; ++row)
        EXPECT_EQ(pixelAt(1, row, 0), row == 4 ? white : black) << "row " << row;
    ASSERT_EQ(texture.generate(STAR, 1, 9, GL_RGBA, 0), 0);
    EXPECT_EQ(pixelAt(1, 4, 0), white);
    EXPECT_EQ(pixelAt(1, 2, 0), grey(127));
    EXPECT_EQ(pixelAt(1, 0, 0), black);
    ASSERT_EQ(texture.generate(STAR, 9, 1, GL_RGBA, 0), 0);
    EXPECT_EQ(pixelAt(9, 0, 6), grey(127));

    // A single-pixel smoke puff has radius 0 and covers its centre cell only.
    randomSeed(11);
    ASSERT_EQ(texture.generate(SMOKE, 1, 1, GL_RGBA, 0), 0);
    EXPECT_EQ(texture.puffRadius, 0);
    EXPECT_EQ(pixelAt(1, 0, 0), white);
}

TEST_F(TextureTest, SmokeWithoutPuffsOrWithOnlyMissesIsEmpty)
{
    Texture texture;
    for (int puffs : {0, -3}) {
        texture.puffCount = puffs;
        randomSeed(21);
        ASSERT_EQ(texture.generate(SMOKE, 8, 8, GL_RGBA, 0), 0);
        const int next = randomNext();
        EXPECT_EQ(next, drawAfter(21, 0)) << "no puff, no draw";
        EXPECT_EQ(gldouble::lastImage(), std::vector<unsigned char>(8 * 8 * 4, 0));
    }
    EXPECT_EQ(registry().count, 2) << "an empty smoke image is still uploaded and registered";

    // Find a seed whose one puff lands beside a 1 x 1 texture.
    std::uint32_t seed = 0;
    for (;; ++seed) {
        ASSERT_LT(seed, 100000u);
        randomSeed(seed);
        frand(0.24);
        const int px = static_cast<int>(frandGauss(0.17f) + 0.5);
        const int py = static_cast<int>(frandGauss(0.17f) + 0.5);
        if (px != 0 || py != 0)
            break;
    }
    texture.puffCount = 1;
    randomSeed(seed);
    ASSERT_EQ(texture.generate(SMOKE, 1, 1, GL_LUMINANCE_ALPHA, 0), 0);
    EXPECT_EQ(gldouble::lastImage(), (std::vector<unsigned char>{0, 0})) << "no infinite scale";
}
