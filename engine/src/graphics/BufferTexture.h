#pragma once

#include <cstddef>

namespace Pellux
{

// Numbers a vertex shader fetches by index (a samplerBuffer of RGBA float texels): more than its
// uniforms hold, such as hundreds of joint matrices or a mesh's morph targets. Needs an OpenGL
// context for its whole life.
class BufferTexture
{
public:
    // Binds a texture to the active unit on the way, so a pass that makes one forgets what it bound.
    BufferTexture();
    ~BufferTexture();
    BufferTexture(const BufferTexture&) = delete;
    BufferTexture& operator=(const BufferTexture&) = delete;

    // Replaces what it holds with `count` floats, four to a texel.
    void upload(const float* values, std::size_t count);
    unsigned int getTexture() const { return texture; }

    // The most texels a buffer texture may hold in this context.
    static std::size_t texelLimit();

private:
    unsigned int buffer = 0;
    unsigned int texture = 0;
};

}
