#include "pellux/materials/DrawState.h"

#include "pellux/materials/RenderTarget.h"
#include "pellux/scene/RenderPass.h"

#include <GL/glew.h>

#include <algorithm>

namespace Pellux
{

namespace
{
// Depth-map texels are coarse next to the surfaces they shadow; these keep a surface from shadowing
// itself without letting shadows come loose from their casters.
const float shadowOffsetFactor = 1.1f;
const float shadowOffsetUnits = 4.0f;

void setEnabled(GLenum capability, bool enabled)
{
    if (enabled)
        glEnable(capability);
    else
        glDisable(capability);
}
}

int DrawState::textureUnits()
{
    static GLint units = [] {
        GLint count = 0;
        glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &count);
        return count;
    }();
    return units;
}

void DrawState::drawInto(const RenderTarget& target, unsigned int drawingProgram)
{
    framebuffer = target.getFramebuffer();
    width = std::max(static_cast<int>(target.getSize()->width), 0);
    height = std::max(static_cast<int>(target.getSize()->height), 0);
    program = drawingProgram;
    textures.clear();
}

void DrawState::forGeometry(const RenderPass& pass, const RenderTarget& target, unsigned int drawingProgram)
{
    drawInto(target, drawingProgram);
    depthTest = true;
    blending = true;
    culling = true;
    polygonOffset = pass.isShadow();
}

void DrawState::forOverlay(const RenderTarget& target, unsigned int drawingProgram)
{
    drawInto(target, drawingProgram);
    depthTest = false;
    blending = true;
    culling = true;
    polygonOffset = false;
}

int DrawState::addTexture(unsigned int texture)
{
    if (static_cast<int>(textures.size()) >= textureUnits())
        return -1;
    textures.push_back(texture);
    return static_cast<int>(textures.size()) - 1;
}

void DrawState::apply() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    glUseProgram(program);
    setEnabled(GL_DEPTH_TEST, depthTest);
    glDepthMask(GL_TRUE);
    setEnabled(GL_BLEND, blending);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    setEnabled(GL_CULL_FACE, culling);
    glCullFace(GL_BACK);
    setEnabled(GL_POLYGON_OFFSET_FILL, polygonOffset);
    glPolygonOffset(polygonOffset ? shadowOffsetFactor : 0.0f, polygonOffset ? shadowOffsetUnits : 0.0f);
    for (std::size_t unit = 0; unit < textures.size(); ++unit)
    {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        glBindTexture(GL_TEXTURE_2D, textures[unit]);
    }
}

}
