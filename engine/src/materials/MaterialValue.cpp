#include "pellux/materials/MaterialValue.h"

#include "pellux/scene/Matrix4.h"

#include <algorithm>
#include <initializer_list>
#include <map>

namespace Pellux
{

namespace
{
MaterialValue ofNumbers(MaterialValue::Kind kind, std::initializer_list<float> values)
{
    MaterialValue value;
    value.kind = kind;
    std::copy(values.begin(), values.end(), value.numbers.begin());
    return value;
}
}

MaterialValue MaterialValue::number(float value)
{
    return ofNumbers(Kind::Number, {value});
}

MaterialValue MaterialValue::vector(float x, float y)
{
    return ofNumbers(Kind::Vector2, {x, y});
}

MaterialValue MaterialValue::vector(float x, float y, float z)
{
    return ofNumbers(Kind::Vector3, {x, y, z});
}

MaterialValue MaterialValue::vector(float x, float y, float z, float w)
{
    return ofNumbers(Kind::Vector4, {x, y, z, w});
}

MaterialValue MaterialValue::matrix3(const std::array<float, 9>& rowByRow)
{
    MaterialValue value;
    value.kind = Kind::Matrix3;
    std::copy(rowByRow.begin(), rowByRow.end(), value.numbers.begin());
    return value;
}

MaterialValue MaterialValue::matrix4(const Matrix4& matrix)
{
    MaterialValue value;
    value.kind = Kind::Matrix4;
    std::copy(matrix.data(), matrix.data() + 16, value.numbers.begin());
    return value;
}

MaterialValue MaterialValue::texture(Image* image, const TextureSampling& sampling)
{
    MaterialValue value;
    value.kind = Kind::Texture;
    value.image = image;
    value.sampling = sampling;
    return value;
}

bool MaterialValue::kindFor(const std::string& glslType, Kind& kind)
{
    static const std::map<std::string, Kind> kinds = {
        {"float", Kind::Number},   {"int", Kind::Number},     {"bool", Kind::Number},   {"vec2", Kind::Vector2},
        {"vec3", Kind::Vector3},   {"vec4", Kind::Vector4},   {"mat3", Kind::Matrix3},  {"mat4", Kind::Matrix4},
        {"sampler2D", Kind::Texture}};
    auto found = kinds.find(glslType);
    if (found == kinds.end())
        return false;
    kind = found->second;
    return true;
}

}
