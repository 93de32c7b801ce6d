#pragma once

#include "pellux/foundation/Rectangle.h"
#include "pellux/resources/Resource.h"

#include <map>
#include <memory>

namespace Pellux
{

class Image;

// One character of a glyph atlas: its metrics in pixels and its cell in the atlas, in texture
// coordinates from the atlas's bottom left.
struct Glyph
{
    unsigned char code = 0;
    int advance = 0;
    int height = 0;
    int width = 0;
    int bearingX = 0;
    int bearingY = 0;
    std::shared_ptr<Rectangle> texRect;
};

// The characters 32 to 255 of a face at one pixel size, in a 16 x 16 grid of square cells.
class FontMap : public Resource
{
public:
    void setGlyph(unsigned char code, const Glyph& glyph) { glyphs[code] = glyph; }
    // Null for a character without a glyph.
    const Glyph* getGlyph(unsigned char code) const;
    const std::map<unsigned char, Glyph>& getGlyphs() const { return glyphs; }

    void setImage(Image* atlas) { image = atlas; }
    Image* getImage() const { return image; }
    void setSize(int pixels) { size = pixels; }
    int getSize() const { return size; }

private:
    std::map<unsigned char, Glyph> glyphs;
    Image* image = nullptr;
    int size = 0;
};

}
