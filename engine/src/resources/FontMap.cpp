#include "pellux/resources/FontMap.h"

namespace Pellux
{

const Glyph* FontMap::getGlyph(unsigned char code) const
{
    auto found = glyphs.find(code);
    return found == glyphs.end() ? nullptr : &found->second;
}

}
