#include "pellux/resources/Image.h"

namespace Pellux
{

Image::Image(const std::string& name, int width, int height, std::vector<unsigned char> pixels)
    : pixels(std::move(pixels)), width(width), height(height)
{
    this->name = name;
}

std::string Image::toString() const
{
    return "Image: width=" + std::to_string(width) + ", height=" + std::to_string(height);
}

}
