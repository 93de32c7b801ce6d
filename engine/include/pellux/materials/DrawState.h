#pragma once

#include <vector>

namespace Pellux
{

class RenderTarget;
struct RenderPass;

// Every piece of OpenGL state a draw depends on besides its program's uniforms and vertex arrays:
// the framebuffer and viewport it draws into, the program, the depth test, blending, face culling,
// the polygon offset of shadow maps and the texture each unit holds. Decided as a whole for each
// draw, then set as a whole, so that no draw depends on what an earlier one left behind.
class DrawState
{
public:
    // A material's geometry in this pass: depth-tested, mixed by its alpha, back faces culled. In a
    // shadow pass its depth is pushed back a little, so that lit surfaces do not shadow themselves.
    void forGeometry(const RenderPass& pass, const RenderTarget& target, unsigned int program);
    // A picture laid over the whole target: not depth-tested, mixed by its alpha.
    void forOverlay(const RenderTarget& target, unsigned int program);

    // Gives the texture the next free unit and returns it; -1 when every unit is taken.
    int addTexture(unsigned int texture);

    void apply() const;

    static int textureUnits();

private:
    void drawInto(const RenderTarget& target, unsigned int program);

    unsigned int framebuffer = 0;
    int width = 0;
    int height = 0;
    unsigned int program = 0;
    bool depthTest = true;
    bool blending = true;
    bool culling = true;
    bool polygonOffset = false;
    // The texture of unit n at index n.
    std::vector<unsigned int> textures;
};

}
