#pragma once

#include "graphics/DrawState.h"
#include "graphics/ShaderCompiler.h"

#include "pellux/foundation/Rectangle.h"
#include "pellux/graphics/Texture.h"

#include <map>
#include <memory>
#include <utility>

namespace Pellux
{

class FontManager;
class FontMap;
class GlErrorCheck;
class Image;
class OverlayQuad;
class RenderTarget;
class ShaderReports;

// What the engine keeps in one OpenGL context: the record of the pass being drawn, the shaders and
// programs built, a texture for each image drawn, the white texture, the overlay's quad and font.
// The render engine makes one with its window, current while the window's context is, and it
// deletes every OpenGL object it made when it goes, before the window does.
class GraphicsContext
{
public:
    // `fonts` may be null: text is then not drawn. `engineReports` word the building of the
    // engine's own programs.
    GraphicsContext(GlErrorCheck& errors, FontManager* fonts, ShaderReports& engineReports);
    ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    // The context the calling thread draws with; null while it has none.
    static GraphicsContext* current();
    void makeCurrent();

    PassRecord& passRecord() { return pass; }
    ShaderCompiler& shaders() { return shaderCompiler; }
    GlErrorCheck& errors() { return errorCheck; }
    int textureUnits() const { return units; }

    // The one texture made from this image for that sampling, made at the first request; null for
    // no image.
    Texture* textureOf(Image* image, const TextureSampling& sampling = TextureSampling());
    // What a sampler reads where a material gives no image: white, so that the lighting shows alone.
    unsigned int whiteTexture();
    // Made at the first use.
    OverlayQuad& overlayQuad();
    // The target standing for the window, sharing `size`; null before it is made.
    void makeWindowTarget(std::shared_ptr<Rectangle> size);
    RenderTarget* getWindowTarget() const { return windowTarget.get(); }
    // The 24-pixel glyph atlas every text is drawn from, whatever its size; null without fonts.
    FontMap* overlayFont();

private:
    GlErrorCheck& errorCheck;
    FontManager* fonts;
    ShaderReports& engineReports;
    std::unique_ptr<FontMap> font;
    std::unique_ptr<Image> fontAtlas;
    int units = 0;
    PassRecord pass;
    ShaderCompiler shaderCompiler;
    std::map<std::pair<Image*, TextureSampling>, std::unique_ptr<Texture>> imageTextures;
    std::unique_ptr<Texture> white;
    std::unique_ptr<OverlayQuad> quad;
    std::unique_ptr<RenderTarget> windowTarget;
};

}
