#pragma once

#include "pellux/resources/ResourceManager.h"

#include <cstdint>
#include <string>

namespace Pellux
{

class Image;

// Loads images with DevIL, as 8-bit RGBA whatever the file holds, and caches them by name.
class ImageManager : public ResourceManager
{
public:
    // Far more than any texture the engine could upload; a larger file is not read.
    static constexpr std::uintmax_t largestImageFileBytes = 256u * 1024u * 1024u;

    // Initialises DevIL.
    ImageManager();

    // The image "resources/" + name; null when there is no such file or it cannot be decoded.
    // Only regular files from 1 byte to largestImageFileBytes are opened: a name may lead
    // anywhere, to devices or pipes too.
    Image* get(const std::string& name);

private:
    Image* decode(const std::string& name, const File& file);
};

}
