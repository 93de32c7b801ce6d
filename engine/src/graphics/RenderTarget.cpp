#include "pellux/graphics/RenderTarget.h"

#include "graphics/GraphicsContext.h"
#include "graphics/OverlayQuad.h"
#include "graphics/PreservedBindings.h"
#include "pellux/foundation/Logger.h"
#include "pellux/graphics/Texture.h"
#include "pellux/resources/FontMap.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

namespace Pellux
{

namespace
{
const char* statusName(GLenum status)
{
    switch (status)
    {
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: return "GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT";
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT: return "GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT";
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER: return "GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER";
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER: return "GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER";
    case 0x8CD9: return "GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT";
    case GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE: return "GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE";
    case 0x8CDA: return "GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT";
    case GL_FRAMEBUFFER_UNSUPPORTED: return "GL_FRAMEBUFFER_UNSUPPORTED";
    default: return "other";
    }
}

void reportColorTargetStatus(GLenum status)
{
    if (status == GL_FRAMEBUFFER_COMPLETE)
        return;
    Logger& log = Logger::getInstance();
    LOG(log.err) << "fbo not complete" << std::endl;
    LOG(log.err) << "status: " << static_cast<float>(status) << std::endl;
    LOG(log.err) << statusName(status) << std::endl;
}

int truncated(float value)
{
    return static_cast<int>(value);
}

bool isWhole(float value)
{
    return value == std::floor(value);
}

// Whether the source's texels fall one to one on whole pixels of the destination.
bool texelForPixel(const Rectangle& destination, const Rectangle& source, const Texture& texture, int width,
                   int height)
{
    float pixelsWide = destination.width * static_cast<float>(width);
    float pixelsHigh = destination.height * static_cast<float>(height);
    float texelsWide = source.width * static_cast<float>(texture.getWidth());
    float texelsHigh = source.height * static_cast<float>(texture.getHeight());
    return pixelsWide > 0 && pixelsHigh > 0 && pixelsWide == texelsWide && pixelsHigh == texelsHigh
           && isWhole(destination.x * static_cast<float>(width)) && isWhole(destination.y * static_cast<float>(height))
           && isWhole(source.x * static_cast<float>(texture.getWidth()))
           && isWhole(source.y * static_cast<float>(texture.getHeight()));
}
}

RenderTarget::RenderTarget(unsigned int framebuffer)
    : framebuffer(framebuffer), size(std::make_shared<Rectangle>(0.0f, 0.0f, 700.0f, 700.0f))
{
}

RenderTarget::RenderTarget(std::shared_ptr<Rectangle> size, bool depthMap) : depthMap(depthMap), size(std::move(size))
{
    PreservedBindings preserved;
    if (depthMap)
        createDepthMap();
    else
        createColorTarget();
}

RenderTarget::RenderTarget(int width, int height)
    : size(std::make_shared<Rectangle>(0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)))
{
    PreservedBindings preserved;
    createColorTarget();
}

// A target for an existing framebuffer owns nothing; the others own their framebuffer and textures.
RenderTarget::~RenderTarget()
{
    if (!ownsFramebuffer)
        return;
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteTextures(1, &depthTexture);
    delete colorTexture;
}

bool RenderTarget::acceptSize(int width, int height)
{
    if (width > 0 && height > 0)
        return true;
    if (width != refusedWidth || height != refusedHeight)
        LOG(Logger::getInstance().err) << "render target size " << static_cast<float>(width) << " x "
                                       << static_cast<float>(height) << " is not valid; its textures stay "
                                       << static_cast<float>(storageWidth) << " x "
                                       << static_cast<float>(storageHeight) << std::endl;
    refusedWidth = width;
    refusedHeight = height;
    return false;
}

void RenderTarget::createDepthTexture()
{
    int width = truncated(size->width);
    int height = truncated(size->height);
    if (acceptSize(width, height))
    {
        storageWidth = width;
        storageHeight = height;
    }
    glGenTextures(1, &depthTexture);
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    allocateDepthStorage();
}

void RenderTarget::allocateDepthStorage()
{
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, storageWidth, storageHeight, 0, GL_DEPTH_COMPONENT,
                 GL_UNSIGNED_BYTE, nullptr);
}

void RenderTarget::createDepthMap()
{
    ownsFramebuffer = true;
    createDepthTexture();
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depthTexture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        LOG(Logger::getInstance().err) << "GL_FRAMEBUFFER_COMPLETE_EXT failed, CANNOT use FBO" << std::endl;
}

void RenderTarget::createColorTarget()
{
    ownsFramebuffer = true;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    createDepthTexture();
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depthTexture, 0);
    colorTexture = new Texture(storageWidth, storageHeight);
    // Its mipmaps would be made before the picture is drawn, so they never show it.
    colorTexture->dropMipmaps();
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture->getId(), 0);
    reportColorTargetStatus(glCheckFramebufferStatus(GL_FRAMEBUFFER));
}

void RenderTarget::resize(int width, int height)
{
    size->width = static_cast<float>(width);
    size->height = static_cast<float>(height);
    if (framebuffer == 0 || !acceptSize(width, height))
        return;
    // Storage is only renewed when the size changes: binding clears it anyway.
    if (width == storageWidth && height == storageHeight)
        return;
    storageWidth = width;
    storageHeight = height;
    if (!depthMap)
        colorTexture->resize(width, height);
    PreservedBindings preserved;
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    allocateDepthStorage();
}

void RenderTarget::bind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    int width = truncated(size->width);
    int height = truncated(size->height);
    resize(width, height);
    glViewport(0, 0, std::max(width, 0), std::max(height, 0));
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Rectangle RenderTarget::currentViewport()
{
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    return Rectangle(static_cast<float>(viewport[0]), static_cast<float>(viewport[1]),
                     static_cast<float>(viewport[2]), static_cast<float>(viewport[3]));
}

void RenderTarget::drawTexture(Texture* texture, Rectangle destination, Rectangle source, bool, float opacity)
{
    drawOverlay(texture, destination, source, opacity, false);
}

void RenderTarget::drawPremultiplied(Texture* texture, float opacity)
{
    const Rectangle whole(0, 0, 1, 1);
    drawOverlay(texture, whole, whole, opacity, true);
}

void RenderTarget::drawOverlay(Texture* texture, const Rectangle& destination, const Rectangle& source, float opacity,
                               bool premultiplied)
{
    GraphicsContext* graphics = GraphicsContext::current();
    if (texture == nullptr || texture->getId() == 0 || graphics == nullptr)
        return;
    int width = std::max(truncated(size->width), 0);
    int height = std::max(truncated(size->height), 0);
    graphics->overlayQuad().draw(*this, texture->getId(), destination, source, opacity,
                                 texelForPixel(destination, source, *texture, width, height), premultiplied);
}

void RenderTarget::drawImage(Image* image, Rectangle destination, Rectangle source, bool pixelCoordinates)
{
    // Pixels of this target, which the drawing covers whole, whatever viewport was set last.
    if (pixelCoordinates && size->width > 0 && size->height > 0)
    {
        destination.x /= size->width;
        destination.width /= size->width;
        destination.y /= size->height;
        destination.height /= size->height;
    }
    GraphicsContext* graphics = GraphicsContext::current();
    if (graphics != nullptr)
        drawTexture(graphics->textureOf(image), destination, source, false, 1.0f);
}

void RenderTarget::drawText(const std::string& text, int size, float x, float y)
{
    GraphicsContext* graphics = GraphicsContext::current();
    FontMap* font = graphics != nullptr ? graphics->overlayFont() : nullptr;
    if (font == nullptr)
        return;
    int penX = static_cast<int>(x);
    int penY = static_cast<int>(y);
    for (char character : text)
    {
        if (character == '\n')
        {
            penY -= size;
            penX = static_cast<int>(x);
            continue;
        }
        const Glyph* glyph = font->getGlyph(static_cast<unsigned char>(character));
        if (glyph == nullptr || font->getImage() == nullptr)
            continue;
        Rectangle destination(static_cast<float>(penX + glyph->bearingX),
                              static_cast<float>(penY + glyph->bearingY - glyph->height), static_cast<float>(size),
                              static_cast<float>(size));
        drawImage(font->getImage(), destination, *glyph->texRect, true);
        penX += glyph->advance + 2;
    }
}

}
