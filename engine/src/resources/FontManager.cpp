#include "pellux/resources/FontManager.h"

#include "pellux/foundation/DataDirectories.h"
#include "pellux/foundation/Logger.h"
#include "pellux/foundation/Settings.h"
#include "pellux/resources/FontMap.h"
#include "pellux/resources/Image.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <filesystem>
#include <vector>

namespace Pellux
{

namespace
{
const int gridSide = 16;
const int firstCode = 32;
const int lastCode = 255;
const FT_Error unknownFileFormat = 2;
const char* const faceName = "fonts/arial.ttf";
// An atlas of 8192 x 8192 pixels; a larger one would not fit a texture.
const int largestSize = 512;

struct FreeTypeFace
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    ~FreeTypeFace()
    {
        if (face != nullptr)
            FT_Done_Face(face);
        if (library != nullptr)
            FT_Done_FreeType(library);
    }
};

// Opens the face at `size` pixels; false, after the ERR lines, when it cannot be used.
bool openFace(Logger& logger, FreeTypeFace& font, int size)
{
    LOG(logger.trace) << "init FT_Library" << std::endl;
    if (FT_Init_FreeType(&font.library) != 0)
    {
        LOG(logger.err) << "Error initializing FontLibrary" << std::endl;
        return false;
    }
    LOG(logger.trace) << "load new face" << std::endl;
    FT_Error error = FT_New_Face(font.library, DataDirectories::find(faceName).getPath().c_str(), 0, &font.face);
    if (error == unknownFileFormat)
        LOG(logger.err) << "unkown file formaat" << std::endl;
    else if (error != 0)
        LOG(logger.err) << "could not read font file " << std::endl;
    if (error != 0)
    {
        font.face = nullptr;
        return false;
    }
    LOG(logger.trace) << "set char size" << std::endl;
    if (FT_Set_Pixel_Sizes(font.face, 0, static_cast<FT_UInt>(size)) != 0)
    {
        LOG(logger.err) << "set char size error" << std::endl;
        return false;
    }
    return true;
}

Glyph metricsOf(unsigned char code, const FT_Glyph_Metrics& metrics)
{
    Glyph glyph;
    glyph.code = code;
    glyph.advance = static_cast<int>(metrics.horiAdvance / 64);
    glyph.height = static_cast<int>(metrics.height / 64);
    glyph.width = static_cast<int>(metrics.width / 64);
    glyph.bearingX = static_cast<int>(metrics.horiBearingX / 64);
    glyph.bearingY = static_cast<int>(metrics.horiBearingY / 64);
    return glyph;
}

// Copies the coverage bitmap into the glyph's cell, upright in an atlas stored bottom row first,
// its last row on the cell's pixel row 1. What does not fit in the cell is left out.
void copyIntoCell(const FT_Bitmap& bitmap, int code, int size, std::vector<unsigned char>& atlas)
{
    int side = gridSide * size;
    int col = code % gridSide;
    int row = code / gridSide;
    int rows = static_cast<int>(bitmap.rows);
    int width = std::min(static_cast<int>(bitmap.width), size);
    for (int y = 0; y < rows; ++y)
    {
        int rowInCell = rows - y;
        if (rowInCell >= size)
            continue;
        for (int x = 0; x < width; ++x)
        {
            unsigned char coverage = bitmap.buffer[y * bitmap.pitch + x];
            std::size_t pixel = static_cast<std::size_t>((gridSide - 1 - row) * size * side + rowInCell * side + col * size + x);
            std::fill_n(&atlas[pixel * 4], 4, coverage);
        }
    }
}
}

void FontManager::indexFonts(const std::string& directory)
{
    std::error_code unreadable;
    if (!std::filesystem::is_directory(directory, unreadable))
    {
        LOG(logger->err) << "fonts directory '" << directory << "' not found; fontDir in section [font] of "
                         << "settings.txt sets it" << std::endl;
        return;
    }
    for (const File& font : File(directory).listFiles("*.*"))
        fonts.insert_or_assign(font.getName(), font);
}

FontMap* FontManager::getFontMap(int size)
{
    LOG(logger->trace) << "getFontMap()" << std::endl;
    auto* fontMap = new FontMap();
    fontMap->setSize(size);
    if (size < 1 || size > largestSize)
    {
        LOG(logger->err) << "font size " << static_cast<float>(size) << " is not from 1 to "
                         << static_cast<float>(largestSize) << std::endl;
        return fontMap;
    }
    FreeTypeFace font;
    if (!openFace(*logger, font, size))
        return fontMap;

    int side = gridSide * size;
    std::vector<unsigned char> atlas(static_cast<std::size_t>(side) * static_cast<std::size_t>(side) * 4, 0);
    for (int code = firstCode; code <= lastCode; ++code)
    {
        FT_UInt index = FT_Get_Char_Index(font.face, static_cast<FT_ULong>(code));
        if (FT_Load_Glyph(font.face, index, FT_LOAD_DEFAULT) != 0 ||
            FT_Render_Glyph(font.face->glyph, FT_RENDER_MODE_NORMAL) != 0)
            continue;
        Glyph glyph = metricsOf(static_cast<unsigned char>(code), font.face->glyph->metrics);
        float col = static_cast<float>(code % gridSide);
        float row = static_cast<float>(code / gridSide);
        glyph.texRect = std::make_shared<Rectangle>(col / gridSide, 1 - row / gridSide - 0.0625f, 0.0625f, 0.0625f);
        fontMap->setGlyph(static_cast<unsigned char>(code), glyph);
        copyIntoCell(font.face->glyph->bitmap, code, size, atlas);
    }
    fontMap->setImage(new Image("fontmap", side, side, std::move(atlas)));
    return fontMap;
}

}
