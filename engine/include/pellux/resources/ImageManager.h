#pragma once

#include "pellux/resources/ResourceManager.h"

#include <string>

namespace Pellux
{

class Image;

// Loads images with DevIL, as 8-bit RGBA whatever the file holds, and caches them by name.
class ImageManager : public ResourceManager
{
public:
    // Initialises DevIL.
    ImageManager();

    // The image "resources/" + name; null when there is no such file or it cannot be decoded.
    Image* get(const std::string& name);

private:
    Image* decode(const std::string& name, const File& file);
};

}
