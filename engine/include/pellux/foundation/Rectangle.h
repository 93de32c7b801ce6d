#pragma once

namespace Pellux
{

// A viewport or size in pixels, or a texture rectangle from 0 to 1 with its origin at the bottom left.
struct Rectangle
{
    Rectangle(float x, float y, float width, float height) : x(x), y(y), width(width), height(height) {}

    float x;
    float y;
    float width;
    float height;
};

}
