#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Pellux
{

// What a picture file's header claims, read without decoding the picture.
struct PictureSize
{
    std::uintmax_t width = 0;
    std::uintmax_t height = 0;
    // Pictures stacked in the file: the slices of a volume, the faces of a cube map.
    std::uintmax_t layers = 1;
};

// The size the header of the picture at `path` claims, for PNG, JPEG, TGA, BMP, GIF, PSD, HDR,
// PNM, DDS and TIFF files; nothing when the header is not one of these or cannot be read.
std::optional<PictureSize> claimedPictureSize(const std::string& path);

// The same for a picture held in memory, PNG or JPEG only, as documents embed them.
std::optional<PictureSize> claimedPictureSize(const std::vector<unsigned char>& bytes);

}
