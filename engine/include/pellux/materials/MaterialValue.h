#pragma once

#include "pellux/graphics/Texture.h"

#include <array>
#include <string>

namespace Pellux
{

class Image;
class Matrix4;

// A value a material gives a uniform that its shaders declare under a name of their own: a number
// (for a float, int or bool uniform), a vector of two to four numbers, a 3 x 3 or 4 x 4 matrix
// given row by row, or a picture for a sampler2D.
struct MaterialValue
{
    enum class Kind
    {
        Number,
        Vector2,
        Vector3,
        Vector4,
        Matrix3,
        Matrix4,
        Texture
    };

    static MaterialValue number(float value);
    static MaterialValue vector(float x, float y);
    static MaterialValue vector(float x, float y, float z);
    static MaterialValue vector(float x, float y, float z, float w);
    static MaterialValue matrix3(const std::array<float, 9>& rowByRow);
    static MaterialValue matrix4(const Matrix4& matrix);
    static MaterialValue texture(Image* image, const TextureSampling& sampling = TextureSampling());

    // The kind a uniform of that GLSL type takes; false for a type no material value feeds.
    static bool kindFor(const std::string& glslType, Kind& kind);

    Kind kind = Kind::Number;
    // As many as the kind holds, row by row for matrices.
    std::array<float, 16> numbers{};
    Image* image = nullptr;
    TextureSampling sampling;
};

}
