#include "pellux/graphics/Texture.h"

#include "graphics/PreservedBindings.h"
#include "pellux/resources/Image.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace Pellux
{

namespace
{
bool isPowerOfTwo(int side)
{
    return side > 0 && (side & (side - 1)) == 0;
}

int halved(int side)
{
    return std::max(side / 2, 1);
}

// The next smaller mipmap level of RGBA texels: each texel the mean of the 2 x 2 it covers (of the
// 2 or 1 where a side is 1), two across and then the two rows, each halving rounded up at one
// half. On sides that are powers of two this is, texel for texel, what glGenerateMipmap gives on
// Mesa, without its pass of drawing per level.
void halve(const unsigned char* texels, int width, int height, std::vector<unsigned char>& smaller)
{
    int smallerWidth = halved(width);
    int smallerHeight = halved(height);
    smaller.resize(static_cast<std::size_t>(smallerWidth) * static_cast<std::size_t>(smallerHeight) * 4);
    std::size_t across = width > 1 ? 4 : 0;
    std::size_t down = height > 1 ? static_cast<std::size_t>(width) * 4 : 0;
    unsigned char* out = smaller.data();
    for (int y = 0; y < smallerHeight; ++y)
    {
        const unsigned char* row = texels + static_cast<std::size_t>(height > 1 ? 2 * y : 0) * width * 4;
        for (int x = 0; x < smallerWidth; ++x)
        {
            const unsigned char* topLeft = row + static_cast<std::size_t>(width > 1 ? 2 * x : 0) * 4;
            for (std::size_t channel = 0; channel < 4; ++channel)
            {
                int top = (topLeft[channel] + topLeft[channel + across] + 1) / 2;
                int bottom = (topLeft[channel + down] + topLeft[channel + down + across] + 1) / 2;
                *out++ = static_cast<unsigned char>((top + bottom + 1) / 2);
            }
        }
    }
}

// Levels 1 and on of the bound texture, made here from the texels of level 0.
void uploadMipmaps(const unsigned char* texels, int width, int height)
{
    std::vector<unsigned char> level;
    std::vector<unsigned char> smaller;
    for (int number = 1; width > 1 || height > 1; ++number)
    {
        halve(texels, width, height, smaller);
        width = halved(width);
        height = halved(height);
        glTexImage2D(GL_TEXTURE_2D, number, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, smaller.data());
        level.swap(smaller);
        texels = level.data();
    }
}

// Storage for levels 1 and on of the bound texture, for a texture without content yet.
void allocateMipmaps(int width, int height)
{
    for (int number = 1; width > 1 || height > 1; ++number)
    {
        width = halved(width);
        height = halved(height);
        glTexImage2D(GL_TEXTURE_2D, number, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    }
}

// The levels below level 0: worked out here where that gives OpenGL's texels, otherwise by OpenGL.
void makeMipmaps(const unsigned char* texels, int width, int height)
{
    if (texels == nullptr)
        allocateMipmaps(width, height);
    else if (isPowerOfTwo(width) && isPowerOfTwo(height))
        uploadMipmaps(texels, width, height);
    else
        glGenerateMipmap(GL_TEXTURE_2D);
}
}

Texture::Texture(const Image& image, const TextureSampling& sampling)
    : Texture(image.getWidth(), image.getHeight(), image.getData(), sampling.srgb)
{
    if (sampling == TextureSampling())
        return;
    PreservedBindings preserved;
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, sampling.wrapS);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, sampling.wrapT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, sampling.magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, sampling.minFilter);
}

Texture::Texture(int width, int height, const unsigned char* pixels) : Texture(width, height, pixels, false)
{
}

// sRGB levels are averaged by OpenGL, which averages the decoded colours.
Texture::Texture(int width, int height, const unsigned char* pixels, bool srgb) : width(width), height(height)
{
    PreservedBindings preserved;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, srgb ? GL_SRGB8_ALPHA8 : GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels);
    if (srgb && pixels != nullptr)
        glGenerateMipmap(GL_TEXTURE_2D);
    else
        makeMipmaps(pixels, width, height);
}

Texture::~Texture()
{
    glDeleteTextures(1, &id);
}

void Texture::resize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
    PreservedBindings preserved;
    glBindTexture(GL_TEXTURE_2D, id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    if (mipmapped)
        allocateMipmaps(width, height);
}

void Texture::dropMipmaps()
{
    PreservedBindings preserved;
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    mipmapped = false;
}

}
