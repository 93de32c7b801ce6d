#include "resources/PictureHeader.h"

#include <stb_image.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <limits>
#include <vector>

namespace Pellux
{

namespace
{
// The start of a file, as much of it as there is up to `bytes`.
std::vector<unsigned char> readStart(const std::string& path, std::size_t bytes)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<unsigned char> start(bytes);
    file.read(reinterpret_cast<char*>(start.data()), static_cast<std::streamsize>(bytes));
    start.resize(file ? bytes : static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    return start;
}

std::uint32_t littleEndian32(const std::vector<unsigned char>& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// A DirectDraw surface: the magic "DDS ", then a header whose height, width and depth lie at fixed
// places, and whose capabilities say whether it holds the six faces of a cube.
std::optional<PictureSize> ddsSize(const std::string& path)
{
    const std::size_t headerBytes = 128;
    std::vector<unsigned char> header = readStart(path, headerBytes);
    if (header.size() < headerBytes || header[0] != 'D' || header[1] != 'D' || header[2] != 'S' || header[3] != ' ')
        return std::nullopt;
    const std::uint32_t hasDepth = 0x800000;
    const std::uint32_t cubeMap = 0x200;
    PictureSize size;
    size.height = littleEndian32(header, 12);
    size.width = littleEndian32(header, 16);
    std::uintmax_t depth = (littleEndian32(header, 8) & hasDepth) != 0 ? littleEndian32(header, 24) : 1;
    size.layers = std::max<std::uintmax_t>(depth, 1) * ((littleEndian32(header, 112) & cubeMap) != 0 ? 6 : 1);
    return size;
}

// A TIFF file's first picture: its image width and length tags, found in the directory the header
// points to.
class TiffHeader
{
public:
    explicit TiffHeader(const std::string& path) : file(path, std::ios::binary) {}

    std::optional<PictureSize> size()
    {
        std::array<unsigned char, 8> header{};
        if (!read(0, header.data(), header.size()))
            return std::nullopt;
        if (header[0] == 'I' && header[1] == 'I' && header[2] == 42 && header[3] == 0)
            littleEndian = true;
        else if (header[0] == 'M' && header[1] == 'M' && header[2] == 0 && header[3] == 42)
            littleEndian = false;
        else
            return std::nullopt;
        return sizeFromDirectory(number(header.data() + 4, 4));
    }

private:
    bool read(std::uintmax_t at, unsigned char* into, std::size_t bytes)
    {
        file.clear();
        file.seekg(static_cast<std::streamoff>(at));
        file.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(bytes));
        return static_cast<bool>(file);
    }

    std::uint32_t number(const unsigned char* bytes, int count) const
    {
        std::uint32_t value = 0;
        for (int at = 0; at < count; ++at)
            value |= static_cast<std::uint32_t>(bytes[littleEndian ? at : count - 1 - at]) << (8 * at);
        return value;
    }

    std::optional<PictureSize> sizeFromDirectory(std::uintmax_t directory)
    {
        const std::uint16_t widthTag = 256;
        const std::uint16_t lengthTag = 257;
        const std::uint16_t shortType = 3;
        const std::size_t entryBytes = 12;
        unsigned char count[2];
        if (!read(directory, count, 2))
            return std::nullopt;
        PictureSize size;
        bool hasWidth = false;
        bool hasLength = false;
        for (std::uint32_t entry = 0; entry < number(count, 2); ++entry)
        {
            std::array<unsigned char, entryBytes> field{};
            if (!read(directory + 2 + entry * entryBytes, field.data(), field.size()))
                return std::nullopt;
            std::uint32_t tag = number(field.data(), 2);
            std::uint32_t value = number(field.data() + 8, number(field.data() + 2, 2) == shortType ? 2 : 4);
            if (tag == widthTag)
            {
                size.width = value;
                hasWidth = true;
            }
            else if (tag == lengthTag)
            {
                size.height = value;
                hasLength = true;
            }
        }
        return hasWidth && hasLength ? std::optional<PictureSize>(size) : std::nullopt;
    }

    std::ifstream file;
    bool littleEndian = true;
};
}

std::optional<PictureSize> claimedPictureSize(const std::string& path)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    if (stbi_info(path.c_str(), &width, &height, &channels) != 0)
        return PictureSize{static_cast<std::uintmax_t>(width), static_cast<std::uintmax_t>(height), 1};
    if (std::optional<PictureSize> dds = ddsSize(path))
        return dds;
    return TiffHeader(path).size();
}

std::optional<PictureSize> claimedPictureSize(const std::vector<unsigned char>& bytes)
{
    static const unsigned char png[4] = {0x89, 'P', 'N', 'G'};
    static const unsigned char jpeg[3] = {0xFF, 0xD8, 0xFF};
    bool known = (bytes.size() >= 4 && std::equal(png, png + 4, bytes.begin())) ||
                 (bytes.size() >= 3 && std::equal(jpeg, jpeg + 3, bytes.begin()));
    int width = 0;
    int height = 0;
    int channels = 0;
    if (!known || bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
        stbi_info_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels) == 0)
        return std::nullopt;
    return PictureSize{static_cast<std::uintmax_t>(width), static_cast<std::uintmax_t>(height), 1};
}

}
