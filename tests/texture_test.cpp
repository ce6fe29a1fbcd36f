#include "texture_test_support.h"

#include <cstring>

using gldouble::Call;

namespace {

std::vector<Call> bindCalls(GLuint name, GLenum wrap, GLenum mode)
{
    return {
        Call("glBindTexture", {GL_TEXTURE_2D, double(name)}),
        Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, double(wrap)}),
        Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, double(wrap)}),
        Call("glTexEnvf", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, double(mode)}),
    };
}

} // namespace

TEST_F(TextureTest, BindObtainsANameOnceAndSkipsARepeatedBind)
{
    Texture a;
    a.bind();
    std::vector<Call> expected{Call("glGenTextures", {1})};
    for (const Call& call : bindCalls(1, GL_REPEAT, GL_MODULATE))
        expected.push_back(call);
    EXPECT_EQ(gldouble::calls(), expected);
    EXPECT_EQ(a.glName, 1u);
    EXPECT_EQ(registry().lastBoundName, 1u);

    gldouble::reset();
    a.bind();
    EXPECT_EQ(gldouble::callCount(), 0u) << "a second bind must make no GL call";
}

TEST_F(TextureTest, BindingAThenBThenAMakesThreeFullBinds)
{
    Texture a;
    Texture b;
    a.bind();
    b.bind();
    a.bind();
    EXPECT_EQ(gldouble::countOf("glGenTextures"), 2u);
    const std::size_t firstBind = gldouble::find("glBindTexture");
    std::vector<Call> expected = bindCalls(1, GL_REPEAT, GL_MODULATE);
    const std::vector<Call> second = bindCalls(2, GL_REPEAT, GL_MODULATE);
    const std::vector<Call> third = bindCalls(1, GL_REPEAT, GL_MODULATE);
    expected.insert(expected.end(), {Call("glGenTextures", {1})});
    expected.insert(expected.end(), second.begin(), second.end());
    expected.insert(expected.end(), third.begin(), third.end());
    EXPECT_EQ(gldouble::slice(firstBind, 100), expected);
}

TEST_F(TextureTest, EnvironmentOverrideAndBlendColour)
{
    Texture plain;
    plain.bind();
    EXPECT_EQ(gldouble::countOf("glTexEnvf"), 1u);
    EXPECT_EQ(gldouble::countOf("glTexEnvfv"), 0u) << "GL_MODULATE sends no colour";

    // The override wins over the texture's own mode and brings the colour.
    registry().envModeOverride = GL_BLEND;
    const GLfloat colour[4] = {0.25f, 0.5f, 0.75f, 0.125f};
    std::memcpy(registry().envColour, colour, sizeof colour);
    Texture other;
    // Constructing a texture resets the shared colour.
    EXPECT_EQ(registry().envColour[0], 1.0f);
    std::memcpy(registry().envColour, colour, sizeof colour);
    // The double's name counter must keep running, so calls are found from a mark.
    std::size_t mark = gldouble::callCount();
    other.bind();
    const std::size_t env = gldouble::find("glTexEnvf", mark);
    ASSERT_NE(env, gldouble::npos);
    EXPECT_EQ(gldouble::slice(env, 3),
              (std::vector<Call>{
                  Call("glTexEnvf", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND}),
                  Call("glTexEnvfv", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, 0.25, 0.5, 0.75, 0.125}),
              }));

    // The texture's own GL_BLEND sends the colour too.
    registry().envModeOverride = 0;
    Texture blended;
    blended.envMode = GL_BLEND;
    mark = gldouble::callCount();
    blended.bind();
    EXPECT_EQ(gldouble::slice(mark, 100),
              (std::vector<Call>{
                  Call("glGenTextures", {1}),
                  Call("glBindTexture", {GL_TEXTURE_2D, 3}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT}),
                  Call("glTexEnvf", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND}),
                  Call("glTexEnvfv", {GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, 1, 1, 1, 1}),
              }));
}

TEST_F(TextureTest, ZeroWrapAndEnvironmentModesAreLeftAlone)
{
    Texture bare;
    bare.wrapMode = 0;
    bare.envMode = 0;
    bare.bind();
    EXPECT_EQ(gldouble::calls(), (std::vector<Call>{
                                     Call("glGenTextures", {1}),
                                     Call("glBindTexture", {GL_TEXTURE_2D, 1}),
                                 }));

    Texture clamped;
    clamped.wrapMode = GL_CLAMP;
    const std::size_t mark = gldouble::callCount();
    clamped.bind();
    EXPECT_EQ(gldouble::slice(mark + 1, 100), bindCalls(2, GL_CLAMP, GL_MODULATE));
}

TEST_F(TextureTest, FiltersWithAndWithoutMipmaps)
{
    Texture texture;
    texture.applyFilters(0);
    texture.applyFilters(7);
    EXPECT_EQ(gldouble::calls(),
              (std::vector<Call>{
                  Call("glPixelStorei", {GL_UNPACK_ALIGNMENT, 1}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR}),
                  Call("glPixelStorei", {GL_UNPACK_ALIGNMENT, 1}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR}),
                  Call("glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST}),
              }));
}

TEST_F(TextureTest, RegistrySlotsAcrossRegenerationAndConstruction)
{
    Texture texture;
    ASSERT_EQ(texture.generate(SPHERE, 8, 8, GL_RGBA, 0), 0);
    ASSERT_EQ(texture.generate(SMOKE, 8, 8, GL_RGBA, 0), 0);
    EXPECT_EQ(registry().count, 2);
    EXPECT_EQ(texture.registryIndex, 1);
    EXPECT_EQ(registry().textures[0], &texture) << "the older slot still points at it";
    EXPECT_EQ(registry().textures[1], &texture);
    EXPECT_STREQ(registry().names[0], "SPHERE");
    EXPECT_STREQ(registry().names[1], "SMOKE");
    EXPECT_EQ(gldouble::countOf("glGenTextures"), 1u) << "regeneration reuses the GL name";

    // A new texture empties the slots and names but not the count, so the
    // next registration goes on from slot 2.
    Texture later;
    EXPECT_EQ(registry().count, 2);
    EXPECT_EQ(registry().textures[0], nullptr);
    EXPECT_EQ(registry().textures[1], nullptr);
    EXPECT_STREQ(registry().names[1], "");
    ASSERT_EQ(later.generate(BLANK, 4, 4, GL_RGBA, 0), 0);
    EXPECT_EQ(later.registryIndex, 2);
    EXPECT_EQ(registry().textures[2], &later);
    EXPECT_STREQ(registry().names[2], "BLANK");
    EXPECT_EQ(registry().count, 3);
}

TEST_F(TextureTest, FullRegistryRefusesWithoutWritingPastItsSlots)
{
    Texture texture;
    for (int i = 0; i < TextureRegistry::capacity; ++i)
        ASSERT_EQ(texture.generate(BLANK, 2, 2, GL_RGBA, 0), 0) << "registration " << i;
    EXPECT_EQ(registry().count, 31);
    EXPECT_EQ(texture.registryIndex, 30);

    gldouble::reset();
    EXPECT_NE(texture.generate(BLANK, 2, 2, GL_RGBA, 0), 0);
    EXPECT_EQ(gldouble::callCount(), 0u);
    EXPECT_EQ(registry().count, 31);
    EXPECT_EQ(texture.registryIndex, 30);
}

TEST_F(TextureTest, DestructionAndDeleteAllReleaseNamesButKeepThem)
{
    {
        Texture unnamed;
    }
    EXPECT_EQ(gldouble::callCount(), 0u) << "a texture without a name deletes nothing";

    registry().deleteAllTextures();
    EXPECT_EQ(gldouble::callCount(), 0u) << "nothing registered, nothing deleted";

    Texture first;
    Texture second;
    ASSERT_EQ(first.generate(BLANK, 2, 2, GL_RGBA, 0), 0);
    ASSERT_EQ(second.generate(BLANK, 2, 2, GL_RGBA, 0), 0);
    gldouble::reset();
    registry().deleteAllTextures();
    EXPECT_EQ(gldouble::calls(), (std::vector<Call>{
                                     Call("glDeleteTextures", {1, 1}),
                                     Call("glDeleteTextures", {1, 2}),
                                 }));
    EXPECT_EQ(first.glName, 1u);
    EXPECT_EQ(registry().count, 2);

    gldouble::reset();
    first.bind();
    EXPECT_EQ(gldouble::countOf("glGenTextures"), 0u) << "the kept name is bound again";
    EXPECT_EQ(gldouble::countOf("glBindTexture"), 1u);

    GLuint scopedName = 0;
    {
        Texture scoped;
        scoped.bind();
        scopedName = scoped.glName;
        gldouble::reset();
    }
    ASSERT_NE(scopedName, 0u);
    EXPECT_EQ(gldouble::calls(), (std::vector<Call>{Call("glDeleteTextures", {1, double(scopedName)})}));
}
