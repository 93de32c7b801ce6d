#include "pellux/resources/Image.h"
#include "pellux/resources/ImageManager.h"

#include "CaptureOutput.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <sys/stat.h>

using Pellux::Image;
using Pellux::ImageManager;

namespace
{
using Rgba = std::array<int, 4>;

Rgba pixelAt(const Image& image, int x, int y)
{
    const unsigned char* pixel = image.getData() + (static_cast<std::size_t>(y) * image.getWidth() + x) * 4;
    return {pixel[0], pixel[1], pixel[2], pixel[3]};
}

// The images of tests/data/images, below "resources/textures" of a working directory.
class ImageManagerTest : public testing::Test
{
protected:
    ImageManagerTest()
    {
        createLoggerQuietly();
        std::filesystem::create_directories(directory.path() + "/resources");
        std::filesystem::copy(PELLUX_TEST_DATA_DIR "/images", directory.path() + "/resources/textures");
        constructionLog = captureStdout([&] { manager = std::make_unique<ImageManager>(); });
    }

    Image* get(const std::string& name)
    {
        Image* image = nullptr;
        log = captureStdout([&] { image = manager->get(name); });
        return image;
    }

    TemporaryDirectory directory;
    WorkingDirectory inDirectory{directory.path()};
    std::unique_ptr<ImageManager> manager;
    std::string constructionLog;
    std::string log;
};

TEST_F(ImageManagerTest, ConstructionStartsDevIL)
{
    EXPECT_EQ(constructionLog.rfind("INFO:\t[ ImageManager.cpp     (", 0), 0u) << constructionLog;
    EXPECT_NE(constructionLog.find(")]:\tInit DevIL\n"), std::string::npos) << constructionLog;
}

struct DecodeCase
{
    const char* file;
    int width;
    int height;
    std::vector<std::pair<std::array<int, 2>, Rgba>> pixels;
};

TEST_F(ImageManagerTest, EveryFormatComesBackAs8BitRgbaTopRowFirst)
{
    const DecodeCase cases[] = {
        {"rgba.png", 2, 2,
         {{{0, 0}, {255, 0, 0, 255}}, {{1, 0}, {0, 255, 0, 255}}, {{0, 1}, {0, 0, 255, 255}},
          {{1, 1}, {255, 255, 255, 128}}}},
        {"grey.png", 2, 1, {{{0, 0}, {0, 0, 0, 255}}, {{1, 0}, {255, 255, 255, 255}}}},
        {"palette.png", 2, 2,
         {{{0, 0}, {255, 0, 0, 255}}, {{1, 0}, {0, 0, 255, 255}}, {{0, 1}, {0, 0, 255, 255}},
          {{1, 1}, {255, 255, 0, 255}}}},
        {"rgb.bmp", 2, 2,
         {{{0, 0}, {255, 0, 0, 255}}, {{1, 0}, {0, 0, 255, 255}}, {{0, 1}, {0, 0, 255, 255}},
          {{1, 1}, {255, 255, 0, 255}}}},
    };
    for (const DecodeCase& decode : cases)
    {
        Image* image = get(std::string("textures/") + decode.file);
        ASSERT_NE(image, nullptr) << decode.file << log;
        EXPECT_EQ(image->getWidth(), decode.width) << decode.file;
        EXPECT_EQ(image->getHeight(), decode.height) << decode.file;
        EXPECT_EQ(image->getName(), std::string("textures/") + decode.file);
        EXPECT_EQ(image->getType(), "Image");
        for (const auto& [at, rgba] : decode.pixels)
            EXPECT_EQ(pixelAt(*image, at[0], at[1]), rgba) << decode.file << " at " << at[0] << ", " << at[1];
    }
}

TEST_F(ImageManagerTest, JpegDecodesCloseToItsColour)
{
    Image* photo = get("textures/photo.jpg");
    ASSERT_NE(photo, nullptr) << log;
    EXPECT_EQ(photo->toString(), "Image: width=8, height=8");
    Rgba pixel = pixelAt(*photo, 4, 4);
    EXPECT_NEAR(pixel[0], 200, 3);
    EXPECT_NEAR(pixel[1], 100, 3);
    EXPECT_NEAR(pixel[2], 50, 3);
    EXPECT_EQ(pixel[3], 255);
}

TEST_F(ImageManagerTest, ASecondRequestReturnsTheSameImage)
{
    Image* first = get("textures/rgba.png");
    EXPECT_EQ(get("textures/rgba.png"), first);
    EXPECT_NE(log.find(")]:\tretrieved resource from cache: textures/rgba.png\n"), std::string::npos) << log;
}

TEST_F(ImageManagerTest, AFileThatIsNoImageIsReportedAtEveryRequest)
{
    std::string expected = ")]:\tloading image failed: " + directory.path() + "/resources/textures/not-an-image.png\n";
    for (int request = 0; request < 2; ++request)
    {
        EXPECT_EQ(get("textures/not-an-image.png"), nullptr);
        EXPECT_EQ(log.rfind("ERR:\t[ ImageManager.cpp     (", 0), 0u) << log;
        EXPECT_NE(log.find(expected), std::string::npos) << log;
    }
}

TEST_F(ImageManagerTest, AMissingFileIsReported)
{
    EXPECT_EQ(get("textures/none.png"), nullptr);
    EXPECT_NE(log.find("no resource found: textures/none.png\n"), std::string::npos) << log;
}

TEST_F(ImageManagerTest, AnEmptyFileIsNoImage)
{
    directory.write("resources/textures/empty.png", "");
    EXPECT_EQ(get("textures/empty.png"), nullptr);
    EXPECT_NE(log.find("loading image failed: "), std::string::npos) << log;
}

TEST_F(ImageManagerTest, FilesThatCannotHoldAnImageAreReportedWithoutBeingRead)
{
    // Leading "../" is normal in exported documents; these lead out of the resources.
    const std::string upToTheRoot = "../../../../../../../../../../../../../../../..";
    std::string textures = directory.path() + "/resources/textures/";
    ASSERT_EQ(mkfifo((textures + "pipe.png").c_str(), 0600), 0);
    directory.write("resources/textures/huge.png", "");
    std::filesystem::resize_file(textures + "huge.png", ImageManager::largestImageFileBytes + 1);
    struct Unfit
    {
        std::string name;
        std::string report;
    };
    const Unfit files[] = {
        {upToTheRoot + "/dev/zero", "/dev/zero is not a regular file"},
        {upToTheRoot + "/proc/self/environ", "/proc/self/environ is empty"},
        {"textures/pipe.png", textures + "pipe.png is not a regular file"},
        {"textures/huge.png", textures + "huge.png is larger than 268435456 bytes"},
    };
    for (const Unfit& file : files)
    {
        EXPECT_EQ(get(file.name), nullptr) << file.name;
        EXPECT_EQ(log.rfind("ERR:\t[ ImageManager.cpp     (", 0), 0u) << log;
        EXPECT_NE(log.find(")]:\tloading image failed: " + file.report + "\n"), std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    }
}
}
