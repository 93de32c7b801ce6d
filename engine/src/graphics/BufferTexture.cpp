#include "graphics/BufferTexture.h"

#include "graphics/DrawState.h"

#include <GL/glew.h>

namespace Pellux
{

BufferTexture::BufferTexture()
{
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_TEXTURE_BUFFER, buffer);
    glBufferData(GL_TEXTURE_BUFFER, 0, nullptr, GL_STREAM_DRAW);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_BUFFER, texture);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, buffer);
    glBindTexture(GL_TEXTURE_BUFFER, 0);
    DrawState::forgetApplied();
}

BufferTexture::~BufferTexture()
{
    glDeleteTextures(1, &texture);
    glDeleteBuffers(1, &buffer);
}

// A fresh store each time lets a draw still reading the old numbers go on with them.
void BufferTexture::upload(const float* values, std::size_t count)
{
    glBindBuffer(GL_TEXTURE_BUFFER, buffer);
    glBufferData(GL_TEXTURE_BUFFER, static_cast<GLsizeiptr>(count * sizeof(float)), values, GL_STREAM_DRAW);
}

std::size_t BufferTexture::texelLimit()
{
    GLint texels = 0;
    glGetIntegerv(GL_MAX_TEXTURE_BUFFER_SIZE, &texels);
    return texels > 0 ? static_cast<std::size_t>(texels) : 0;
}

}
