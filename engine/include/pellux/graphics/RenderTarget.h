#pragma once

#include "pellux/foundation/Rectangle.h"

#include <memory>
#include <string>

namespace Pellux
{

class Image;
class Texture;

// Where drawing goes: a framebuffer object with a depth texture and, unless it is a depth map,
// a colour texture; or the window's own framebuffer (0).
class RenderTarget
{
public:
    // A target for an existing framebuffer, 0 being the window; it creates no OpenGL object.
    explicit RenderTarget(unsigned int framebuffer);
    // Keeps the rectangle shared; a depth map has no colour attachment.
    RenderTarget(std::shared_ptr<Rectangle> size, bool depthMap);
    RenderTarget(int width, int height);
    ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // Shares the given rectangle from now on.
    void setSize(std::shared_ptr<Rectangle> newSize) { size = std::move(newSize); }
    // Sets the size and gives the textures storage of it. A size that is not positive is reported
    // and the textures keep what they have.
    void resize(int width, int height);
    // Makes this the drawing destination at its full size and clears colour to (0, 0, 0, 0) and depth.
    void bind();
    // Draws the source part of the texture into the destination part of this target, both in
    // coordinates from 0 to 1 with the origin at the bottom left, blended with `opacity`.
    // `flag` plays no part.
    void drawTexture(Texture* texture, Rectangle destination, Rectangle source, bool flag, float opacity);
    // Draws the texture over the whole target at `opacity`, its colours taken as already weighed by
    // their alpha: as a scene's target holds them where something see-through lies over nothing.
    void drawPremultiplied(Texture* texture, float opacity);

    // Draws the source part of the image into the destination, which is in pixels of this target
    // when `pixelCoordinates` is set, else from 0 to 1.
    void drawImage(Image* image, Rectangle destination, Rectangle source, bool pixelCoordinates);
    // Draws the text with its first pen position at pixel (x, y), each character a square of `size`
    // pixels from the 24-pixel glyph atlas; a line feed goes `size` pixels down to x.
    void drawText(const std::string& text, int size, float x, float y);

    // The viewport OpenGL draws into now, as the target bound last or the window set it; zeros
    // without a context.
    static Rectangle currentViewport();

    unsigned int getFramebuffer() const { return framebuffer; }
    Texture* getColorTexture() const { return colorTexture; }
    unsigned int getDepthTexture() const { return depthTexture; }
    bool isDepthMap() const { return depthMap; }
    std::shared_ptr<Rectangle> getSize() const { return size; }

private:
    void drawOverlay(Texture* texture, const Rectangle& destination, const Rectangle& source, float opacity,
                     bool premultiplied);
    void createDepthMap();
    void createColorTarget();
    void createDepthTexture();
    void allocateDepthStorage();
    bool acceptSize(int width, int height);

    unsigned int framebuffer = 0;
    bool ownsFramebuffer = false;
    Texture* colorTexture = nullptr;
    unsigned int depthTexture = 0;
    bool depthMap = false;
    std::shared_ptr<Rectangle> size;
    // The size the textures have storage of, and the last refused size (reported once).
    int storageWidth = 1;
    int storageHeight = 1;
    int refusedWidth = 1;
    int refusedHeight = 1;
};

}
