#pragma once

#include "pellux/resources/Resource.h"

#include <string>
#include <vector>

namespace Pellux
{

// A decoded picture: width x height pixels of 8-bit RGBA, row after row.
class Image : public Resource
{
public:
    Image(const std::string& name, int width, int height, std::vector<unsigned char> pixels);

    std::string getType() const override { return "Image"; }
    const unsigned char* getData() const { return pixels.data(); }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    // Whether some pixel lets what lies behind it show: an alpha below 255. Pixels do not change, so
    // they are looked at once.
    bool hasTranslucentPixels() const;

    std::string toString() const;

private:
    std::vector<unsigned char> pixels;
    int width;
    int height;
    mutable int translucent = -1;
};

}
