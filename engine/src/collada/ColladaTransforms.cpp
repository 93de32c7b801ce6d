#include "collada/ColladaTransforms.h"

#include <algorithm>
#include <cctype>

namespace Pellux
{

namespace
{
// A number written in a member, "3" of "(3)"; false when the text is not one.
bool readIndex(const std::string& text, std::size_t& index)
{
    if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), ::isdigit))
        return false;
    index = std::stoul(text);
    return true;
}
}

TransformElement elementOf(const Collada::Transform& transform)
{
    using Kind = TransformElement::Kind;
    TransformElement element;
    const std::string& kind = transform.kind;
    element.kind = kind == "translate" ? Kind::Translate
                 : kind == "rotate"    ? Kind::Rotate
                 : kind == "scale"     ? Kind::Scale
                                       : Kind::Matrix;
    if (element.kind != Kind::Matrix)
        element.values.fill(0);
    std::copy_n(transform.values.begin(), std::min(transform.values.size(), element.size()), element.values.begin());
    if (element.kind == Kind::Rotate)
        element.values[3] = radiansOf(element.values[3]);
    return element;
}

std::vector<TransformElement> elementsOf(const std::vector<Collada::Transform>& transforms)
{
    std::vector<TransformElement> elements;
    elements.reserve(transforms.size());
    for (const Collada::Transform& transform : transforms)
        elements.push_back(elementOf(transform));
    return elements;
}

bool memberValues(const TransformElement& element, std::string member, std::size_t& first, std::size_t& count)
{
    first = 0;
    count = 1;
    if (member.empty())
    {
        count = element.size();
        return true;
    }
    std::transform(member.begin(), member.end(), member.begin(), ::toupper);
    bool isMatrix = element.kind == TransformElement::Kind::Matrix;
    if (!isMatrix && (member == "X" || member == "Y" || member == "Z"))
    {
        first = static_cast<std::size_t>(member[0] - 'X');
        return true;
    }
    if (member == "ANGLE" && element.kind == TransformElement::Kind::Rotate)
    {
        first = 3;
        return true;
    }
    std::size_t close = member.find(')');
    std::size_t row = 0;
    if (member.front() != '(' || close == std::string::npos || !readIndex(member.substr(1, close - 1), row))
        return false;
    std::string rest = member.substr(close + 1);
    if (rest.empty())
    {
        first = row;
        return row < element.size();
    }
    std::size_t column = 0;
    if (!isMatrix || rest.size() < 2 || rest.front() != '(' || rest.back() != ')' ||
        !readIndex(rest.substr(1, rest.size() - 2), column) || row >= 4 || column >= 4)
        return false;
    first = row * 4 + column;
    return true;
}

float radiansOf(float degrees)
{
    return degrees * 3.14159265f / 180.0f;
}

Matrix4 upAxisTurn(const std::string& upAxis, bool topLevel)
{
    return topLevel && upAxis == "Z_UP" ? zUpToYUp(Matrix4::identity()) : Matrix4::identity();
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
