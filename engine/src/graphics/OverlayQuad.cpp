#include "graphics/OverlayQuad.h"

#include "graphics/ShaderCompiler.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/foundation/File.h"

#include <GL/glew.h>

namespace Pellux
{

namespace
{
const int floatsPerVertex = 5;
const GLsizei vertexStride = floatsPerVertex * sizeof(float);
// Counter-clockwise, and the same corners the other way round for a mirrored rectangle.
const GLuint quadIndices[12] = {0, 1, 2, 2, 3, 0, 2, 1, 0, 0, 3, 2};
const std::size_t mirroredIndicesOffset = 6 * sizeof(GLuint);
}

OverlayQuad::OverlayQuad(ShaderCompiler& shaders, ShaderReports& reports)
{
    File vertexFile = DataDirectories::find("shader/overlay.vert");
    File fragmentFile = DataDirectories::find("shader/overlay.frag");
    reports.starting();
    GLuint vertexShader = shaders.load(vertexFile.getPath(), ShaderStage::Vertex, reports);
    GLuint fragmentShader = shaders.load(fragmentFile.getPath(), ShaderStage::Fragment, reports);
    program = shaders.link(vertexShader, fragmentShader, reports, linked);
    if (!linked)
        return;
    textureLocation = glGetUniformLocation(program, "texture");
    opacityLocation = glGetUniformLocation(program, "opacity");
    createBuffers();
}

// The program belongs to the context's shader compiler.
OverlayQuad::~OverlayQuad()
{
    glDeleteBuffers(1, &indexBuffer);
    glDeleteBuffers(1, &vertexBuffer);
    glDeleteVertexArrays(1, &vertexArray);
}

void OverlayQuad::createBuffers()
{
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, 4 * vertexStride, nullptr, GL_DYNAMIC_DRAW);
    glGenBuffers(1, &indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof quadIndices, quadIndices, GL_STATIC_DRAW);

    GLint vertexLocation = glGetAttribLocation(program, "vertex");
    GLint texCoordLocation = glGetAttribLocation(program, "inTexCoord");
    if (vertexLocation >= 0)
    {
        glEnableVertexAttribArray(static_cast<GLuint>(vertexLocation));
        glVertexAttribPointer(static_cast<GLuint>(vertexLocation), 3, GL_FLOAT, GL_FALSE, vertexStride, nullptr);
    }
    if (texCoordLocation >= 0)
    {
        glEnableVertexAttribArray(static_cast<GLuint>(texCoordLocation));
        glVertexAttribPointer(static_cast<GLuint>(texCoordLocation), 2, GL_FLOAT, GL_FALSE, vertexStride,
                              reinterpret_cast<const void*>(3 * sizeof(float)));
    }
    glBindVertexArray(0);
}

void OverlayQuad::draw(const RenderTarget& target, unsigned int texture, const Rectangle& destination,
                       const Rectangle& source, float opacity, bool texelForPixel, bool premultiplied)
{
    if (!linked)
        return;
    GLboolean blendingWasOn = glIsEnabled(GL_BLEND);
    state.forOverlay(target, program);
    int unit = state.addTexture(texture);
    state.apply();
    glUniform1i(textureLocation, unit);
    glUniform1f(opacityLocation, opacity);
    // The shader gives alpha times opacity, by which the destination is weighed; the colour, weighed
    // already, takes the opacity alone.
    if (premultiplied)
    {
        glBlendColor(0, 0, 0, opacity);
        glBlendFunc(GL_CONSTANT_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }

    float x0 = 2 * destination.x - 1;
    float y0 = 2 * destination.y - 1;
    float x1 = x0 + 2 * destination.width;
    float y1 = y0 + 2 * destination.height;
    float s0 = source.x;
    float t0 = source.y;
    float s1 = source.x + source.width;
    float t1 = source.y + source.height;
    const float vertices[4 * floatsPerVertex] = {
        x0, y0, -1, s0, t0,
        x1, y0, -1, s1, t0,
        x1, y1, -1, s1, t1,
        x0, y1, -1, s0, t1,
    };
    // Mirrored along one axis the corners turn clockwise; reversed, they are not culled.
    bool mirrored = (destination.width < 0) != (destination.height < 0);

    GLint minification = GL_LINEAR;
    GLint magnification = GL_LINEAR;
    if (texelForPixel)
    {
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minification);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magnification);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof vertices, vertices);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(mirrored ? mirroredIndicesOffset : 0));
    glBindVertexArray(0);
    if (texelForPixel)
    {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minification);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magnification);
    }
    if (premultiplied)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (!blendingWasOn)
        glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

}
