#include "pellux/core/Tavrin.h"
#include "pellux/resources/FontManager.h"
#include "pellux/resources/FontMap.h"
#include "pellux/resources/Image.h"

#include "CaptureOutput.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace Pellux;

namespace
{
bool cellIsEmpty(const Image& atlas, int code, int size)
{
    int side = atlas.getWidth();
    int col = code % 16;
    int rowFromBottom = 15 - code / 16;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            std::size_t pixel = static_cast<std::size_t>((rowFromBottom * size + y) * side + col * size + x);
            if (atlas.getData()[pixel * 4 + 3] != 0)
                return false;
        }
    return true;
}

// Works in the demo's directory, where the face "resources/fonts/arial.ttf" lies.
class FontManagerTest : public testing::Test
{
protected:
    FontManagerTest() { createLoggerQuietly(); }

    FontMap* fontMap(int size)
    {
        FontMap* made = nullptr;
        log = captureStdout([&] { made = manager.getFontMap(size); });
        return made;
    }

    WorkingDirectory inDemo{PELLUX_DEMO_DIR};
    FontManager manager;
    std::string log;
};

TEST_F(FontManagerTest, ATwentyFourPixelAtlasHoldsTheCharacters32To255)
{
    FontMap* font = fontMap(24);
    ASSERT_NE(font->getImage(), nullptr) << log;
    EXPECT_EQ(font->getSize(), 24);
    EXPECT_EQ(font->getImage()->getWidth(), 384);
    EXPECT_EQ(font->getImage()->getHeight(), 384);
    EXPECT_EQ(font->getImage()->getName(), "fontmap");
    ASSERT_EQ(font->getGlyphs().size(), 224u);
    EXPECT_EQ(font->getGlyphs().begin()->first, 32);
    EXPECT_EQ(font->getGlyphs().rbegin()->first, 255);
    EXPECT_EQ(font->getGlyph(31), nullptr);
    for (int code = 0; code < 32; ++code)
        EXPECT_TRUE(cellIsEmpty(*font->getImage(), code, 24)) << code;
    for (const char* step : {"getFontMap()", "init FT_Library", "load new face", "set char size"})
        EXPECT_NE(log.find(std::string(")]:\t") + step + "\n"), std::string::npos) << step;
}

TEST_F(FontManagerTest, AStandsInColumnOneRowFourWithItsMetrics)
{
    FontMap* font = fontMap(24);
    const Glyph* a = font->getGlyph('A');
    ASSERT_NE(a, nullptr);
    EXPECT_FLOAT_EQ(a->texRect->x, 0.0625f);
    EXPECT_FLOAT_EQ(a->texRect->y, 0.6875f);
    EXPECT_FLOAT_EQ(a->texRect->width, 0.0625f);
    EXPECT_FLOAT_EQ(a->texRect->height, 0.0625f);
    EXPECT_GT(a->advance, 10);
    EXPECT_GT(a->height, 10);
    EXPECT_LE(a->height, 24);
    EXPECT_EQ(a->bearingY, a->height) << "A stands on the base line";
    EXPECT_FALSE(cellIsEmpty(*font->getImage(), 'A', 24));
}

TEST_F(FontManagerTest, TheSpaceAdvancesAndLeavesItsCellEmpty)
{
    FontMap* font = fontMap(24);
    const Glyph* space = font->getGlyph(' ');
    ASSERT_NE(space, nullptr);
    EXPECT_GT(space->advance, 0);
    EXPECT_EQ(space->width, 0);
    EXPECT_TRUE(cellIsEmpty(*font->getImage(), ' ', 24));
}

TEST_F(FontManagerTest, EachCallBuildsItsOwnAtlas)
{
    FontMap* first = fontMap(24);
    FontMap* second = fontMap(24);
    EXPECT_NE(first, second);
    EXPECT_NE(first->getImage(), second->getImage());
    std::size_t created = 0;
    for (std::size_t at = log.find("create new Resource"); at != std::string::npos; at = log.find("create new Resource", at + 1))
        ++created;
    EXPECT_EQ(created, 2u) << "the map and its atlas image";
}

TEST_F(FontManagerTest, GlyphsLargerThanTheirCellStayInsideTheAtlas)
{
    for (int size : {1, 2, 5, 9})
    {
        FontMap* font = fontMap(size);
        ASSERT_NE(font->getImage(), nullptr) << size;
        EXPECT_EQ(font->getImage()->getWidth(), 16 * size);
        EXPECT_EQ(font->getGlyphs().size(), 224u);
    }
}

TEST_F(FontManagerTest, SizesWithoutAnAtlasGiveAMapWithoutGlyphs)
{
    for (int size : {0, -3, 100000})
    {
        FontMap* font = fontMap(size);
        EXPECT_TRUE(font->getGlyphs().empty()) << size;
        EXPECT_EQ(font->getImage(), nullptr) << size;
        EXPECT_NE(log.find("ERR"), std::string::npos) << log;
    }
}

TEST(FontManagerFaces, AFaceThatCannotBeReadIsReported)
{
    createLoggerQuietly();
    struct FaceCase { const char* content; const char* message; };
    for (FaceCase face : {FaceCase{nullptr, ")]:\tcould not read font file \n"},
                          FaceCase{"not a font at all", ")]:\tunkown file formaat\n"}})
    {
        TemporaryDirectory directory;
        if (face.content != nullptr)
            directory.write("resources/fonts/arial.ttf", face.content);
        WorkingDirectory inDirectory(directory.path());
        FontManager manager;
        FontMap* font = nullptr;
        std::string log = captureStdout([&] { font = manager.getFontMap(24); });
        EXPECT_NE(log.find(face.message), std::string::npos) << log;
        EXPECT_TRUE(font->getGlyphs().empty());
    }
}

TEST(FontManagerIndex, IndexesTheFontsDirectoryOfTheSettings)
{
    createLoggerQuietly();
    TemporaryDirectory directory;
    directory.write("settings.txt", "[font]\nfontDir = faces\n");
    directory.write("faces/one.ttf", "1");
    directory.write("faces/two.otf", "2");
    directory.write("faces/.hidden.ttf", "h");
    WorkingDirectory inDirectory(directory.path());
    captureStdout([] { Tavrin::getInstance().initFonts(); });
    const auto& fonts = Tavrin::getInstance().getFontManager()->getFonts();
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts.at("one.ttf").getPath(), "faces/one.ttf");
    EXPECT_EQ(fonts.count("two.otf"), 1u);
}
}

namespace
{
struct FontDirectoryCase
{
    const char* description;
    const char* fontDir;
};

TEST(FontManagerIndex, AFontsDirectoryThatIsNotThereIsOneErrorLineNamingTheSetting)
{
    createLoggerQuietly();
    TemporaryDirectory directory;
    directory.write("a-file.ttf", "not a directory");
    WorkingDirectory inDirectory(directory.path());
    const FontDirectoryCase cases[] = {
        {"fontDir not set", ""},
        {"no such directory", "missing/fonts"},
        {"a file, not a directory", "a-file.ttf"},
    };
    for (const FontDirectoryCase& fontDirectory : cases)
    {
        FontManager manager;
        std::string log = captureStdout([&] { manager.indexFonts(fontDirectory.fontDir); });
        std::string message = std::string("fonts directory '") + fontDirectory.fontDir +
                              "' not found; fontDir in section [font] of settings.txt sets it\n";
        EXPECT_EQ(log.rfind("ERR:\t[ FontManager.cpp      (", 0), 0u) << fontDirectory.description << ": " << log;
        EXPECT_EQ(log.substr(log.find(")]:\t") + 4), message) << fontDirectory.description;
        EXPECT_TRUE(manager.getFonts().empty()) << fontDirectory.description;
    }
}
}
