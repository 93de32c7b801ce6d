#include "pellux/scene/TransformElement.h"

namespace Pellux
{

std::size_t TransformElement::size() const
{
    switch (kind)
    {
    case Kind::Matrix:
        return 16;
    case Kind::Rotate:
        return 4;
    default:
        return 3;
    }
}

Matrix4 TransformElement::toMatrix() const
{
    const float* v = values.data();
    Vector3 vector(v[0], v[1], v[2]);
    switch (kind)
    {
    case Kind::Matrix:
        return Matrix4(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12], v[13], v[14], v[15]);
    case Kind::Translate:
        return Matrix4::translation(vector);
    case Kind::Scale:
        return Matrix4::scaling(vector);
    case Kind::Rotate:
        return vector.length() == 0 ? Matrix4::identity() : Matrix4::rotation(vector, v[3]);
    }
    return Matrix4::identity();
}

Matrix4 compose(const std::vector<TransformElement>& elements)
{
    Matrix4 product;
    for (const TransformElement& element : elements)
        product = product * element.toMatrix();
    return product;
}

}
