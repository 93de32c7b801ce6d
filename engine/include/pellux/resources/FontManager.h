#pragma once

#include "pellux/resources/ResourceManager.h"

#include <map>
#include <string>

namespace Pellux
{

class FontMap;

// Builds glyph atlases of the face "resources/fonts/arial.ttf" with FreeType, and knows the files
// of the fonts directory the settings name.
class FontManager : public ResourceManager
{
public:
    // Indexes the files of `directory`; an ERR line names it when there is no such directory.
    void indexFonts(const std::string& directory);
    const std::map<std::string, File>& getFonts() const { return fonts; }

    // A new atlas of the characters 32 to 255 at `size` pixels; without glyphs when the face
    // cannot be read.
    FontMap* getFontMap(int size);

private:
    std::map<std::string, File> fonts;
};

}
