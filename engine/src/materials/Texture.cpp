#include "pellux/materials/Texture.h"

#include "pellux/materials/PreservedBindings.h"
#include "pellux/resources/Image.h"

#include <GL/glew.h>

namespace Pellux
{

Texture::Texture(const Image& image) : Texture(image.getWidth(), image.getHeight(), image.getData())
{
}

Texture::Texture(int width, int height, const unsigned char* pixels) : width(width), height(height)
{
    PreservedBindings preserved;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
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
        glGenerateMipmap(GL_TEXTURE_2D);
}

void Texture::dropMipmaps()
{
    PreservedBindings preserved;
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    mipmapped = false;
}

}
