#include "graphics/DrawState.h"

#include "graphics/GraphicsContext.h"
#include "pellux/graphics/RenderTarget.h"

#include <GL/glew.h>

#include <algorithm>
#include <memory>

namespace Pellux
{

namespace
{
// Depth-map texels are coarse next to the surfaces they shadow; these keep a surface from shadowing
// itself without letting shadows come loose from their casters.
const float shadowOffsetFactor = 1.1f;
const float shadowOffsetUnits = 4.0f;
const float wideLineAndPointSize = 10.0f;
// No texture name: what a unit holds before a draw of the pass bound something to it.
const UnitTexture unknownTexture{~0u, false};

void setEnabled(GLenum capability, bool enabled)
{
    if (enabled)
        glEnable(capability);
    else
        glDisable(capability);
}

void setBlendFunction(bool keepsTargetAlpha)
{
    if (keepsTargetAlpha)
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    else
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void setPolygonOffset(bool on)
{
    setEnabled(GL_POLYGON_OFFSET_FILL, on);
    glPolygonOffset(on ? shadowOffsetFactor : 0.0f, on ? shadowOffsetUnits : 0.0f);
}

PassRecord& passRecord()
{
    return GraphicsContext::current()->passRecord();
}

void bindUnitTexture(const UnitTexture& texture)
{
    glBindTexture(texture.buffer ? GL_TEXTURE_BUFFER : GL_TEXTURE_2D, texture.name);
}

void selectUnit(int unit, int& activeUnit)
{
    if (unit == activeUnit)
        return;
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    activeUnit = unit;
}
}

int DrawState::textureUnits()
{
    return GraphicsContext::current()->textureUnits();
}

void DrawState::beginPass()
{
    PassRecord& record = passRecord();
    record.pass = ++record.passesBegun;
    record.drawn = false;
    record.unitTextures.clear();
    record.activeUnit = -1;
    record.whiteInputs = 0;
}

void DrawState::forgetApplied()
{
    if (inPass())
        beginPass();
}

void DrawState::useVertexArray(unsigned int array)
{
    glBindVertexArray(array);
    PassRecord& record = passRecord();
    if (record.pass != 0 && record.drawn)
        record.applied.vertexArray = array;
}

void DrawState::useWhiteInput(int location)
{
    PassRecord& record = passRecord();
    const int heldInputs = 32;
    bool held = record.pass != 0 && location < heldInputs;
    unsigned int bit = held ? 1u << location : 0u;
    if (held && (record.whiteInputs & bit) != 0)
        return;
    glVertexAttrib4f(static_cast<GLuint>(location), 1.0f, 1.0f, 1.0f, 1.0f);
    record.whiteInputs |= bit;
}

void DrawState::leaveDefaults()
{
    glFrontFace(GL_CCW);
    glBindVertexArray(0);
    glUseProgram(0);
    glDepthMask(GL_TRUE);
    setBlendFunction(false);
}

void DrawState::endPass()
{
    leaveDefaults();
    PassRecord& record = passRecord();
    record.pass = 0;
    record.drawn = false;
}

unsigned long long DrawState::currentPass()
{
    GraphicsContext* context = GraphicsContext::current();
    return context != nullptr ? context->passRecord().pass : 0;
}

void DrawState::drawInto(const RenderTarget& target, unsigned int drawingProgram)
{
    framebuffer = target.getFramebuffer();
    std::shared_ptr<Rectangle> size = target.getSize();
    width = std::max(static_cast<int>(size->width), 0);
    height = std::max(static_cast<int>(size->height), 0);
    program = drawingProgram;
    vertexArray = 0;
    textures.clear();
    bufferTextures.clear();
}

void DrawState::forGeometry(bool shadowPass, const RenderTarget& target, unsigned int drawingProgram,
                            bool transparent)
{
    drawInto(target, drawingProgram);
    depthTest = true;
    depthWrites = !transparent;
    blending = true;
    keepsTargetAlpha = transparent;
    culling = true;
    polygonOffset = shadowPass;
    wideLinesAndPoints = true;
}

void DrawState::forOverlay(const RenderTarget& target, unsigned int drawingProgram)
{
    drawInto(target, drawingProgram);
    depthTest = false;
    depthWrites = true;
    blending = true;
    keepsTargetAlpha = false;
    culling = true;
    polygonOffset = false;
    wideLinesAndPoints = false;
}

int DrawState::addTexture(unsigned int texture)
{
    if (static_cast<int>(textures.size() + bufferTextures.size()) >= textureUnits())
        return -1;
    textures.push_back({texture, false});
    return static_cast<int>(textures.size()) - 1;
}

int DrawState::addBufferTexture(unsigned int texture)
{
    int units = textureUnits();
    if (static_cast<int>(textures.size() + bufferTextures.size()) >= units)
        return -1;
    bufferTextures.push_back({texture, true});
    return units - static_cast<int>(bufferTextures.size());
}

template <class Visit>
void DrawState::forEachTexture(Visit visit) const
{
    for (std::size_t unit = 0; unit < textures.size(); ++unit)
        visit(static_cast<int>(unit), textures[unit]);
    int highest = textureUnits() - 1;
    for (std::size_t below = 0; below < bufferTextures.size(); ++below)
        visit(highest - static_cast<int>(below), bufferTextures[below]);
}

void DrawState::apply() const
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, width, height);
    glUseProgram(program);
    glBindVertexArray(vertexArray);
    setEnabled(GL_DEPTH_TEST, depthTest);
    glDepthMask(depthWrites ? GL_TRUE : GL_FALSE);
    setEnabled(GL_BLEND, blending);
    setBlendFunction(keepsTargetAlpha);
    setEnabled(GL_CULL_FACE, culling);
    glCullFace(GL_BACK);
    glFrontFace(clockwiseFront ? GL_CW : GL_CCW);
    setPolygonOffset(polygonOffset);
    if (wideLinesAndPoints)
    {
        glLineWidth(wideLineAndPointSize);
        glPointSize(wideLineAndPointSize);
    }
    forEachTexture([](int unit, const UnitTexture& texture) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        bindUnitTexture(texture);
    });
}

void DrawState::applyForDraw() const
{
    PassRecord& record = passRecord();
    if (record.pass == 0)
    {
        apply();
        return;
    }
    if (!record.drawn)
    {
        apply();
        record.unitTextures.assign(static_cast<std::size_t>(textureUnits()), unknownTexture);
        record.activeUnit = -1;
        forEachTexture([&record](int unit, const UnitTexture& texture) {
            record.unitTextures[static_cast<std::size_t>(unit)] = texture;
            record.activeUnit = unit;
        });
        record.drawn = true;
    }
    else
    {
        applyChangesFrom(record.applied);
        bindChangedTextures(record.unitTextures, record.activeUnit);
    }
    // Copying into storage of the same size allocates nothing.
    record.applied = *this;
}

// The culled face never differs between draws: the pass's first draw set it.
void DrawState::applyChangesFrom(const DrawState& applied) const
{
    if (framebuffer != applied.framebuffer)
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    if (width != applied.width || height != applied.height)
        glViewport(0, 0, width, height);
    if (program != applied.program)
        glUseProgram(program);
    if (vertexArray != applied.vertexArray)
        glBindVertexArray(vertexArray);
    if (depthTest != applied.depthTest)
        setEnabled(GL_DEPTH_TEST, depthTest);
    if (depthWrites != applied.depthWrites)
        glDepthMask(depthWrites ? GL_TRUE : GL_FALSE);
    if (blending != applied.blending)
        setEnabled(GL_BLEND, blending);
    if (keepsTargetAlpha != applied.keepsTargetAlpha)
        setBlendFunction(keepsTargetAlpha);
    if (culling != applied.culling)
        setEnabled(GL_CULL_FACE, culling);
    if (clockwiseFront != applied.clockwiseFront)
        glFrontFace(clockwiseFront ? GL_CW : GL_CCW);
    if (polygonOffset != applied.polygonOffset)
        setPolygonOffset(polygonOffset);
    if (wideLinesAndPoints && !applied.wideLinesAndPoints)
    {
        glLineWidth(wideLineAndPointSize);
        glPointSize(wideLineAndPointSize);
    }
}

void DrawState::bindChangedTextures(std::vector<UnitTexture>& unitTextures, int& activeUnit) const
{
    if (unitTextures.size() < static_cast<std::size_t>(textureUnits()))
        unitTextures.resize(static_cast<std::size_t>(textureUnits()), unknownTexture);
    forEachTexture([&](int unit, const UnitTexture& texture) {
        UnitTexture& bound = unitTextures[static_cast<std::size_t>(unit)];
        if (bound == texture)
            return;
        selectUnit(unit, activeUnit);
        bindUnitTexture(texture);
        bound = texture;
    });
}

}
