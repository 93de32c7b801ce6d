#pragma once

namespace Pellux
{

// Four floats; used as an RGBA colour from 0 to 1.
struct Vector4
{
    Vector4(float x, float y, float z, float w) : x(x), y(y), z(z), w(w) {}

    float x;
    float y;
    float z;
    float w;
};

}
