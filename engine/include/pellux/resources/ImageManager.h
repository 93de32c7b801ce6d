#pragma once

#include "pellux/resources/ResourceManager.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Pellux
{

class Image;
struct PictureSize;

// Loads images with DevIL, as 8-bit RGBA whatever the file holds, and caches them by name.
class ImageManager : public ResourceManager
{
public:
    // Far more than any texture the engine could upload; a larger file is not read.
    static constexpr std::uintmax_t largestImageFileBytes = 256u * 1024u * 1024u;
    // The most one picture may take decoded, as 8-bit RGBA.
    static constexpr std::uintmax_t largestDecodedBytes = 256u * 1024u * 1024u;
    // The longest side of a picture without an OpenGL context to ask: what llvmpipe and most GPUs
    // allow.
    static constexpr int defaultLargestSide = 16384;

    // Initialises DevIL.
    ImageManager();

    // The image "resources/" + name; null when there is no such file or it cannot be decoded.
    // Only regular files from 1 byte to largestImageFileBytes are opened: a name may lead
    // anywhere, to devices or pipes too.
    // A picture whose header claims more pixels than a texture of the current OpenGL context may have
    // on a side (defaultLargestSide without one), or more than largestDecodedBytes decoded, is
    // refused before it is decoded, and so is a file whose header is not of PNG, JPEG, TGA, BMP, GIF,
    // PSD, HDR, PNM, DDS or TIFF.
    Image* get(const std::string& name);
    // A PNG or JPEG picture held in memory (embedded in a document), decoded once and kept under
    // `name`; null, after one ERR line, when it is no such picture or claims too much.
    Image* getFromBytes(const std::string& name, const std::vector<unsigned char>& bytes);
    // Keeps an image made elsewhere (a material's plain colour) by its name until the manager goes.
    void add(Image* image);

private:
    Image* decode(const std::string& name, const File& file);
    // Why the picture is not decoded: its header claims too much, cannot be read, or is of a format
    // whose header is not read. Empty when it may be decoded.
    std::string claimsTooMuch(const std::string& path) const;
    // Why a claimed size is refused; empty when it fits.
    std::string refusal(const PictureSize& size) const;
    // The decoded picture DevIL holds, taken over as an image; null when it is none.
    Image* takeDecoded(const std::string& name) const;
    bool fitsATexture(const PictureSize& size) const;
};

}
