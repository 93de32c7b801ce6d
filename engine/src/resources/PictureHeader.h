#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

}
