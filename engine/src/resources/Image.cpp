#include "pellux/resources/Image.h"

namespace Pellux
{

Image::Image(const std::string& name, int width, int height, std::vector<unsigned char> pixels)
    : pixels(std::move(pixels)), width(width), height(height)
{
    this->name = name;
}

bool Image::hasTranslucentPixels() const
{
    if (translucent < 0)
    {
        translucent = 0;
        for (std::size_t alpha = 3; alpha < pixels.size() && translucent == 0; alpha += 4)
            translucent = pixels[alpha] < 255 ? 1 : 0;
    }
    return translucent == 1;
}

std::string Image::toString() const
{
    return "Image: width=" + std::to_string(width) + ", height=" + std::to_string(height);
}

}
