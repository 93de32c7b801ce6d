#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/resources/FontManager.h"
#include "pellux/resources/FontMap.h"
#include "pellux/resources/Image.h"

#include "CaptureOutput.h"
#include "GlContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <memory>

using namespace Pellux;

namespace
{
struct Box
{
    int left, bottom, right, top;
    bool contains(int x, int y) const { return x >= left && x < right && y >= bottom && y < top; }
};

class TextDrawingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        engine = openRenderEngine();
        ASSERT_NE(engine, nullptr);
        captureStdout([&] {
            target = std::make_unique<RenderTarget>(width, height);
            font = Tavrin::getInstance().getFontManager()->getFontMap(24);
        });
        target->bind();
    }

    void TearDown() override { EXPECT_FALSE(glErrorRaised()); }

    std::vector<Rgba> pixels()
    {
        std::vector<Rgba> read(static_cast<std::size_t>(width * height));
        glBindFramebuffer(GL_FRAMEBUFFER, target->getFramebuffer());
        std::vector<unsigned char> bytes(read.size() * 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
        for (std::size_t pixel = 0; pixel < read.size(); ++pixel)
            read[pixel] = {bytes[pixel * 4], bytes[pixel * 4 + 1], bytes[pixel * 4 + 2], bytes[pixel * 4 + 3]};
        return read;
    }

    // Where each character's quad lands, by the pen positions of the glyph metrics.
    std::vector<Box> quadsOf(const std::string& text, int size, int x, int y)
    {
        std::vector<Box> boxes;
        int penX = x;
        int penY = y;
        for (char character : text)
        {
            if (character == '\n')
            {
                penY -= size;
                penX = x;
                continue;
            }
            const Glyph* glyph = font->getGlyph(static_cast<unsigned char>(character));
            int left = penX + glyph->bearingX;
            int bottom = penY + glyph->bearingY - glyph->height;
            boxes.push_back({left, bottom, left + size, bottom + size});
            penX += glyph->advance + 2;
        }
        return boxes;
    }

    const int width = 200;
    const int height = 120;
    RenderEngine* engine = nullptr;
    std::unique_ptr<RenderTarget> target;
    FontMap* font = nullptr;
};

TEST_F(TextDrawingTest, GlyphPixelsLandWherePenPositionsSayAndNowhereElse)
{
    const std::string text = "AB\nA";
    captureStdout([&] { target->drawText(text, 24, 20, 70); });
    std::vector<Box> quads = quadsOf(text, 24, 20, 70);
    ASSERT_EQ(quads.size(), 3u);
    std::vector<Rgba> drawn = pixels();
    std::vector<int> litInQuad(quads.size(), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const Rgba& pixel = drawn[static_cast<std::size_t>(y * width + x)];
            if (pixel[3] == 0)
                continue;
            bool inside = false;
            for (std::size_t quad = 0; quad < quads.size(); ++quad)
                if (quads[quad].contains(x, y))
                {
                    ++litInQuad[quad];
                    inside = true;
                }
            EXPECT_TRUE(inside) << "a glyph pixel outside every quad at " << x << ", " << y;
        }
    for (std::size_t quad = 0; quad < quads.size(); ++quad)
        EXPECT_GT(litInQuad[quad], 20) << "character " << quad;
    EXPECT_LT(quads[2].top, quads[0].top) << "the line feed goes down";
    EXPECT_EQ(quads[2].left, quads[0].left) << "and back to the start";
}

TEST_F(TextDrawingTest, AnImageInPixelsCoversTheWholeTarget)
{
    Image* green = nullptr;
    captureStdout([&] { green = new Image("green", 2, 2, std::vector<unsigned char>(16, 255)); });
    glViewport(0, 0, 7, 9);
    target->drawImage(green, Rectangle(0, 0, static_cast<float>(width), static_cast<float>(height)), Rectangle(0, 0, 1, 1), true);
    std::vector<Rgba> drawn = pixels();
    for (std::size_t corner : {std::size_t{0}, static_cast<std::size_t>(width - 1), drawn.size() - 1,
                               drawn.size() - static_cast<std::size_t>(width)})
        EXPECT_EQ(drawn[corner], (Rgba{255, 255, 255, 255})) << corner;
}

TEST_F(TextDrawingTest, CharactersWithoutAGlyphAreSkipped)
{
    captureStdout([&] { target->drawText(std::string("\x01\x02\t"), 24, 20, 70); });
    for (const Rgba& pixel : pixels())
        ASSERT_EQ(pixel[3], 0);
}

TEST_F(TextDrawingTest, TheEngineDrawsNoEmptyText)
{
    glBindFramebuffer(GL_FRAMEBUFFER, target->getFramebuffer());
    glEnable(GL_DEPTH_TEST);
    engine->drawText("", 24, 10, 10);
    GLint after = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &after);
    EXPECT_EQ(static_cast<unsigned int>(after), target->getFramebuffer());
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    captureStdout([&] { engine->drawText("A", 24, 10, 10); });
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &after);
    EXPECT_EQ(after, 0) << "a text is drawn on the window";
}
}
