#include "texture_test_support.h"

#include "components/random_source.h"

#include <cmath>

using gldouble::Call;

namespace {

// The value of every channel of pixel (row, column) of the latest upload,
// after checking that all its channels agree.
int valueAt(int width, int row, int column, int bytesPerPixel = 4)
{
    const std::vector<unsigned char>& image = gldouble::lastImage();
    const std::size_t start = (static_cast<std::size_t>(row) * width + column) * bytesPerPixel;
    for (int i = 1; i < bytesPerPixel; ++i)
        EXPECT_EQ(image.at(start + i), image.at(start)) << "channels differ at " << row << ", " << column;
    return image.at(start);
}

} // namespace

TEST_F(TextureTest, NoiseWithoutFlagsUploadsAWhiteLevelZero)
{
    Texture texture;
    ASSERT_EQ(texture.generate(SMOKE, 16, 8, GL_RGBA, 1), 0);
    gldouble::reset();
    randomSeed(3);
    texture.applyNoise(0, 50, 10);
    const int next = randomNext();
    randomSeed(3);
    EXPECT_EQ(next, randomNext()) << "no flag, no draw";
    const std::vector<unsigned char> white(16 * 8 * 4, 255);
    Call upload("glTexSubImage2D", {GL_TEXTURE_2D, 0, 0, 0, 16, 8, GL_RGBA, GL_UNSIGNED_BYTE});
    upload.digest = gldouble::digestOf(white.data(), white.size());
    // Still bound from generation, so only the level-0 upload: no mipmaps.
    EXPECT_EQ(gldouble::calls(), (std::vector<Call>{upload}));
}

TEST_F(TextureTest, NoiseBindsATextureThatIsNotCurrent)
{
    Texture first;
    Texture second;
    ASSERT_EQ(first.generate(BLANK, 4, 4, GL_LUMINANCE_ALPHA, 0), 0);
    ASSERT_EQ(second.generate(BLANK, 4, 4, GL_RGBA, 0), 0);
    gldouble::reset();
    first.applyNoise(0, 0, 0);
    ASSERT_EQ(gldouble::callCount(), 5u);
    EXPECT_EQ(gldouble::calls()[0], Call("glBindTexture", {GL_TEXTURE_2D, double(first.glName)}));
    EXPECT_EQ(gldouble::calls()[4].name, "glTexSubImage2D");
    EXPECT_EQ(gldouble::lastImage(), std::vector<unsigned char>(4 * 4 * 2, 255))
        << "luminance and alpha both take the value";
}

TEST_F(TextureTest, RadialFalloff)
{
    Texture texture;
    ASSERT_EQ(texture.generate(BLANK, 128, 128, GL_RGBA, 0), 0);
    texture.applyNoise(NOISE_RADIAL_FALLOFF, 0, 64);
    EXPECT_EQ(valueAt(128, 64, 64), 255);
    EXPECT_EQ(valueAt(128, 64 + 32, 64), 191) << "255 x 0.75";
    EXPECT_EQ(valueAt(128, 64, 64 - 32), 191);
    for (int row = 0; row < 128; ++row) {
        for (int column = 0; column < 128; ++column) {
            const double dx = column - 64, dy = row - 64;
            if (std::sqrt(dx * dx + dy * dy) >= 64) {
                ASSERT_EQ(valueAt(128, row, column), 0) << row << ", " << column;
            }
        }
    }

    // The falloff centre is (cx, cx) even when the texture is not square.
    ASSERT_EQ(texture.generate(BLANK, 32, 64, GL_RGBA, 0), 0);
    texture.applyNoise(NOISE_RADIAL_FALLOFF, 0, 8);
    EXPECT_EQ(valueAt(32, 16, 16), 255);
    EXPECT_EQ(valueAt(32, 32, 16), 0);

    // A radius below 1 acts as 1: only the centre pixel stays lit.
    for (int radius : {0, -5}) {
        ASSERT_EQ(texture.generate(BLANK, 16, 16, GL_RGBA, 0), 0);
        texture.applyNoise(NOISE_RADIAL_FALLOFF, 0, radius);
        int lit = 0;
        for (int row = 0; row < 16; ++row)
            for (int column = 0; column < 16; ++column)
                lit += valueAt(16, row, column) != 0;
        EXPECT_EQ(lit, 1);
        EXPECT_EQ(valueAt(16, 8, 8), 255);
    }
}

TEST_F(TextureTest, DarkenedOddColumnsAndRows)
{
    Texture texture;
    ASSERT_EQ(texture.generate(BLANK, 6, 4, GL_RGBA, 0), 0);
    texture.applyNoise(NOISE_DARKEN_ODD_COLUMNS, 255, 1);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 6; ++column)
            EXPECT_EQ(valueAt(6, row, column), column % 2 ? 0 : 255) << row << ", " << column;

    texture.applyNoise(NOISE_DARKEN_ODD_COLUMNS | NOISE_DARKEN_ODD_ROWS, 100, 1);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 6; ++column)
            EXPECT_EQ(valueAt(6, row, column), 255 - 100 * (row % 2) - 100 * (column % 2)) << row << ", " << column;

    // Negative amplitude brightens, and the result is clamped to 255.
    texture.applyNoise(NOISE_DARKEN_ODD_COLUMNS | 0xFFC0u, -100, 1);
    EXPECT_EQ(gldouble::lastImage(), std::vector<unsigned char>(6 * 4 * 4, 255)) << "unknown bits do nothing";
}

TEST_F(TextureTest, ColumnRowAndPixelOffsetsInDrawOrder)
{
    Texture texture;
    ASSERT_EQ(texture.generate(BLANK, 8, 5, GL_RGBA, 0), 0);

    // Column offsets: width draws before the first row, one per column.
    randomSeed(9);
    texture.applyNoise(NOISE_COLUMN_OFFSETS, 1000, 1);
    randomSeed(9);
    int clampedLow = 0, clampedHigh = 0;
    for (int column = 0; column < 8; ++column) {
        const int offset = static_cast<int>(frand(1000.0) - 500);
        int expected = 255 + offset;
        expected = expected < 0 ? 0 : expected > 255 ? 255 : expected;
        clampedLow += expected == 0;
        clampedHigh += expected == 255;
        for (int row = 0; row < 5; ++row)
            ASSERT_EQ(valueAt(8, row, column), expected) << row << ", " << column;
    }
    EXPECT_GT(clampedLow + clampedHigh, 0) << "the seed should push some columns out of range";

    // Row offsets: one draw at the start of each row.
    randomSeed(10);
    texture.applyNoise(NOISE_ROW_OFFSET, 200, 1);
    randomSeed(10);
    for (int row = 0; row < 5; ++row) {
        const int offset = static_cast<int>(frand(200.0) - 100);
        const int expected = offset > 0 ? 255 : 255 + offset;
        for (int column = 0; column < 8; ++column)
            ASSERT_EQ(valueAt(8, row, column), expected) << row << ", " << column;
    }

    // Per-pixel noise is not truncated: with amplitude 2 a draw in [-1, 0)
    // still takes the pixel below 255, for about half the pixels.
    randomSeed(11);
    texture.applyNoise(NOISE_PIXEL, 2, 1);
    const int afterNoise = randomNext();
    int below = 0;
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 8; ++column) {
            const int value = valueAt(8, row, column);
            ASSERT_TRUE(value == 254 || value == 255) << row << ", " << column;
            below += value == 254;
        }
    }
    EXPECT_GT(below, 8);
    EXPECT_LT(below, 32);
    randomSeed(11);
    for (int i = 0; i < 8 * 5; ++i)
        randomNext();
    EXPECT_EQ(randomNext(), afterNoise) << "one draw per pixel";
}

TEST_F(TextureTest, NoiseLeavesImagesItCannotHoldAlone)
{
    Texture texture;
    ASSERT_EQ(texture.generate(BLANK, 512, 128, GL_RGBA, 0), 0);
    gldouble::reset();
    randomSeed(1);
    texture.applyNoise(NOISE_COLUMN_OFFSETS | NOISE_PIXEL, 10, 1);
    EXPECT_EQ(gldouble::callCount(), 0u) << "512 columns do not fit the column table";
    const int next = randomNext();
    randomSeed(1);
    EXPECT_EQ(next, randomNext()) << "and nothing is drawn";

    texture.applyNoise(NOISE_ROW_OFFSET, 10, 1);
    EXPECT_EQ(gldouble::countOf("glTexSubImage2D"), 1u) << "without column offsets 512 wide is fine";

    // A refused generate leaves sizes and formats behind that the work area
    // cannot hold; the pass must not act on them.
    const struct {
        int width, height;
        GLenum format;
    } unusable[] = {{257, 256, GL_RGBA}, {0, 16, GL_RGBA}, {16, -1, GL_RGBA}, {16, 16, GL_RGB}};
    for (const auto& bad : unusable) {
        EXPECT_NE(texture.generate(BLANK, bad.width, bad.height, bad.format, 0), 0);
        gldouble::reset();
        texture.applyNoise(NOISE_PIXEL | NOISE_RADIAL_FALLOFF, 10, 4);
        EXPECT_EQ(gldouble::callCount(), 0u) << bad.width << " x " << bad.height << ", format " << bad.format;
    }
    // Fields written directly are no safer.
    texture.width = 65536;
    texture.height = 65536;
    texture.format = GL_RGBA;
    texture.applyNoise(0, 0, 0);
    EXPECT_EQ(gldouble::callCount(), 0u);
}
