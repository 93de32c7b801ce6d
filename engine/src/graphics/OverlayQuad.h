#pragma once

#include "graphics/DrawState.h"
#include "pellux/foundation/Rectangle.h"

namespace Pellux
{

class RenderTarget;

class ShaderCompiler;
class ShaderReports;

// The textured rectangle every render target draws with: the program of the engine's shaders
// "shader/overlay.vert" and ".frag" (found as DataDirectories says) and one quad in buffer objects.
// One for each OpenGL context, made at its first use; it deletes its buffers when it goes.
class OverlayQuad
{
public:
    // Builds the program, reporting the steps in the engine's voice.
    OverlayQuad(ShaderCompiler& shaders, ShaderReports& reports);
    ~OverlayQuad();
    OverlayQuad(const OverlayQuad&) = delete;
    OverlayQuad& operator=(const OverlayQuad&) = delete;

    // Draws over the target, mixed by alpha and opacity, and leaves blending on or off as it found
    // it and the depth test on; nothing when the program did not build. When each covered pixel takes
    // exactly one texel, the texture is sampled at its nearest texel, which is what linear filtering
    // gives there, at a fraction of the cost. A premultiplied texture's colours are already weighed by
    // their alpha, and are only weighed by the opacity.
    void draw(const RenderTarget& target, unsigned int texture, const Rectangle& destination,
              const Rectangle& source, float opacity, bool texelForPixel = false, bool premultiplied = false);

private:
    void createBuffers();

    unsigned int program = 0;
    bool linked = false;
    int textureLocation = -1;
    int opacityLocation = -1;
    unsigned int vertexArray = 0;
    unsigned int vertexBuffer = 0;
    unsigned int indexBuffer = 0;
    DrawState state;
};

}
