#include "graphics/GraphicsContext.h"

#include "graphics/OverlayQuad.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/graphics/Texture.h"
#include "pellux/resources/FontManager.h"
#include "pellux/resources/FontMap.h"
#include "pellux/resources/Image.h"

#include <GL/glew.h>

namespace Pellux
{

namespace
{
// As OpenGL's own current context is, this is the calling thread's.
thread_local GraphicsContext* currentContext = nullptr;
}

GraphicsContext::GraphicsContext(GlErrorCheck& errors, FontManager* fonts, ShaderReports& engineReports)
    : errorCheck(errors), fonts(fonts), engineReports(engineReports)
{
    glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &units);
}

GraphicsContext::~GraphicsContext()
{
    windowTarget.reset();
    quad.reset();
    white.reset();
    imageTextures.clear();
    if (currentContext == this)
        currentContext = nullptr;
}

GraphicsContext* GraphicsContext::current()
{
    return currentContext;
}

void GraphicsContext::makeCurrent()
{
    currentContext = this;
}

Texture* GraphicsContext::textureOf(Image* image, const TextureSampling& sampling)
{
    if (image == nullptr)
        return nullptr;
    std::unique_ptr<Texture>& texture = imageTextures[{image, sampling}];
    if (!texture)
        texture = std::make_unique<Texture>(*image, sampling);
    return texture.get();
}

unsigned int GraphicsContext::whiteTexture()
{
    if (!white)
    {
        const unsigned char pixel[4] = {255, 255, 255, 255};
        white = std::make_unique<Texture>(1, 1, pixel);
    }
    return white->getId();
}

OverlayQuad& GraphicsContext::overlayQuad()
{
    if (!quad)
        quad = std::make_unique<OverlayQuad>(shaderCompiler, engineReports);
    return *quad;
}

void GraphicsContext::makeWindowTarget(std::shared_ptr<Rectangle> size)
{
    windowTarget = std::make_unique<RenderTarget>(0);
    windowTarget->setSize(std::move(size));
}

FontMap* GraphicsContext::overlayFont()
{
    if (!font && fonts != nullptr)
    {
        font.reset(fonts->getFontMap(24));
        fontAtlas.reset(font->getImage());
    }
    return font.get();
}

}
