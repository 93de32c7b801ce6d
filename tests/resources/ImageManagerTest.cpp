#include "pellux/resources/Image.h"
#include "pellux/resources/ImageManager.h"

#include "CaptureOutput.h"
#include "ProcessMemory.h"
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

struct ClaimingPicture
{
    const char* description;
    const char* extension;
    std::string bytes;
    const char* claim;
};

std::string littleEndian(unsigned int value, int bytes)
{
    std::string text;
    for (int at = 0; at < bytes; ++at)
        text += static_cast<char>((value >> (8 * at)) & 0xFF);
    return text;
}

std::string tgaHeader(int type, int width, int height)
{
    std::string header(18, '\0');
    header[2] = static_cast<char>(type);
    header[12] = static_cast<char>(width & 0xFF);
    header[13] = static_cast<char>(width >> 8);
    header[14] = static_cast<char>(height & 0xFF);
    header[15] = static_cast<char>(height >> 8);
    header[16] = 24;
    return header;
}

std::string pngHeader(int width, int height)
{
    std::string header("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (int value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            header += static_cast<char>((value >> shift) & 0xFF);
    header += std::string("\x08\x06\0\0\0", 5);
    return header + std::string("\0\0\0\0", 4);
}

// A DirectDraw surface's header: 32-bit RGBA, a cube map's six faces when asked.
std::string ddsHeader(unsigned int width, unsigned int height, bool cube)
{
    std::string header = "DDS " + littleEndian(124, 4) + littleEndian(0x1007, 4) + littleEndian(height, 4) +
                         littleEndian(width, 4) + littleEndian(width * 4, 4) + littleEndian(0, 4) + littleEndian(1, 4) +
                         std::string(44, '\0') + littleEndian(32, 4) + littleEndian(0x41, 4) + littleEndian(0, 4) +
                         littleEndian(32, 4) + littleEndian(0xFF0000, 4) + littleEndian(0xFF00, 4) +
                         littleEndian(0xFF, 4) + littleEndian(0xFF000000, 4) + littleEndian(0x1000, 4) +
                         littleEndian(cube ? 0xFE00 : 0, 4) + std::string(12, '\0');
    return header;
}

// A little-endian TIFF whose one directory gives width and length, and nothing of the pixels.
std::string tiffHeader(unsigned int width, unsigned int height)
{
    std::string entries;
    for (auto [tag, value] : {std::pair<unsigned int, unsigned int>{256, width}, {257, height}, {258, 8}, {277, 1}})
        entries += littleEndian(tag, 2) + littleEndian(4, 2) + littleEndian(1, 4) + littleEndian(value, 4);
    return "II*" + std::string(1, '\0') + littleEndian(8, 4) + littleEndian(4, 2) + entries + littleEndian(0, 4);
}

TEST_F(ImageManagerTest, APictureClaimingMoreThanATextureHoldsIsRefusedBeforeDecoding)
{
    const ClaimingPicture pictures[] = {
        {"a TGA header of 24,000 x 24,000", ".tga", tgaHeader(2, 24000, 24000), "claims 24000 x 24000 pixels"},
        {"an RLE TGA of 24,000 x 24,000", ".tga", tgaHeader(10, 24000, 24000) + std::string(500, '\x7f'),
         "claims 24000 x 24000 pixels"},
        {"a PNG of 16,384 x 16,384", ".png", pngHeader(16384, 16384), "claims 16384 x 16384 pixels"},
        {"a PNG of 20,000 x 1", ".png", pngHeader(20000, 1), "claims 20000 x 1 pixels"},
        {"a PNG past what the header reader counts", ".png", pngHeader(60000, 60000), ""},
        {"a DDS of 40,000 x 40,000", ".dds", ddsHeader(40000, 40000, false), "claims 40000 x 40000 pixels"},
        {"a DDS cube map of six 8,192 x 8,192 faces", ".dds", ddsHeader(8192, 8192, true),
         "claims 8192 x 8192 pixels in 6 layers"},
        {"a TIFF of 40,000 x 40,000", ".tif", tiffHeader(40000, 40000), "claims 40000 x 40000 pixels"},
        {"a PCX, whose decoder writes past what it gets", ".pcx", std::string(128, '\x0a'),
         "is in a picture format that is not read"},
    };
    int number = 0;
    for (const ClaimingPicture& picture : pictures)
    {
        std::string path = directory.write("claim" + std::to_string(number++) + picture.extension, picture.bytes);
        long long before = residentBytes();
        EXPECT_EQ(get(path), nullptr) << picture.description;
        EXPECT_LT(residentBytes() - before, 300 * megabyte) << picture.description;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << picture.description << "\n" << log;
        EXPECT_NE(log.find("loading image failed: " + path + (*picture.claim != '\0' ? " " : "") + picture.claim),
                  std::string::npos)
            << picture.description << "\n" << log;
    }
}
}
