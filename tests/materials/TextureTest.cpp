// A texture's mipmap levels, made without OpenGL's drawing where that gives the same texels.
#include "pellux/graphics/Texture.h"

#include "GlContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using Pellux::Texture;

namespace
{
struct Size
{
    int width;
    int height;
};

std::vector<unsigned char> noise(Size size, unsigned int seed)
{
    std::mt19937 random(seed);
    std::vector<unsigned char> texels(static_cast<std::size_t>(size.width) * size.height * 4);
    for (unsigned char& texel : texels)
        texel = static_cast<unsigned char>(random() & 0xff);
    return texels;
}

int levelSide(GLuint texture, int level, GLenum side)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, side, &value);
    return value;
}

std::vector<unsigned char> levelTexels(GLuint texture, int level)
{
    int width = levelSide(texture, level, GL_TEXTURE_WIDTH);
    int height = levelSide(texture, level, GL_TEXTURE_HEIGHT);
    std::vector<unsigned char> texels(static_cast<std::size_t>(width) * height * 4);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

// The number of levels down to 1 x 1.
int levelCount(Size size)
{
    int count = 1;
    for (int width = size.width, height = size.height; width > 1 || height > 1; ++count)
    {
        width = std::max(width / 2, 1);
        height = std::max(height / 2, 1);
    }
    return count;
}
}

TEST(TextureTest, MipmapsHoldWhatOpenGLWouldMake)
{
    ASSERT_NE(openRenderEngine(), nullptr);
    const Size sizes[] = {{64, 64}, {128, 32}, {1, 16}, {32, 1}, {2, 2}, {1, 1}, {12, 6}, {33, 20}};
    for (Size size : sizes)
    {
        std::vector<unsigned char> texels = noise(size, static_cast<unsigned int>(size.width * 131 + size.height));
        Texture texture(size.width, size.height, texels.data());
        GLuint generated = 0;
        glGenTextures(1, &generated);
        glBindTexture(GL_TEXTURE_2D, generated);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size.width, size.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        glGenerateMipmap(GL_TEXTURE_2D);
        for (int level = 0; level < levelCount(size); ++level)
            EXPECT_EQ(levelTexels(texture.getId(), level), levelTexels(generated, level))
                << size.width << " x " << size.height << ", level " << level;
        glDeleteTextures(1, &generated);
    }
    EXPECT_FALSE(glErrorRaised());
}

TEST(TextureTest, ATextureWithoutContentHasEveryLevel)
{
    ASSERT_NE(openRenderEngine(), nullptr);
    Texture texture(40, 8);
    int last = levelCount({40, 8}) - 1;
    EXPECT_EQ(levelSide(texture.getId(), last, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(levelSide(texture.getId(), last, GL_TEXTURE_HEIGHT), 1);
    texture.resize(8, 64);
    last = levelCount({8, 64}) - 1;
    EXPECT_EQ(levelSide(texture.getId(), last, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(levelSide(texture.getId(), last, GL_TEXTURE_HEIGHT), 1);
    EXPECT_EQ(levelSide(texture.getId(), last + 1, GL_TEXTURE_WIDTH), 0);
    EXPECT_FALSE(glErrorRaised());
}
