#include "pellux/collada/ColladaTransforms.h"

#include "pellux/scene/Vector3.h"

#include <algorithm>

namespace Pellux
{

// A "matrix" lists its rows; numbers it lacks keep the identity's values.
Matrix4 transformOf(const std::string& kind, std::vector<float> values)
{
    Matrix4 transform;
    if (kind == "matrix")
    {
        for (std::size_t index = 0; index < std::min<std::size_t>(values.size(), 16); ++index)
            transform(static_cast<int>(index / 4), static_cast<int>(index % 4)) = values[index];
        return transform;
    }
    values.resize(4, 0.0f);
    Vector3 vector(values[0], values[1], values[2]);
    if (kind == "translate")
        return Matrix4::translation(vector);
    if (kind == "scale")
        return Matrix4::scaling(vector);
    return vector.length() == 0 ? transform : Matrix4::rotation(vector, values[3] * 3.14159265f / 180.0f);
}

Matrix4 zUpToYUp(const Matrix4& matrix)
{
    Matrix4 converted = matrix;
    for (int col = 0; col < 4; ++col)
    {
        converted(1, col) = matrix(2, col);
        converted(2, col) = -matrix(1, col);
    }
    return converted;
}

}
