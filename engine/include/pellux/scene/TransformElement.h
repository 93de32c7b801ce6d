#pragma once

#include "pellux/scene/Matrix4.h"

#include <array>
#include <cstddef>
#include <vector>

namespace Pellux
{

// One part of a transform written as parts: a node's transform is the product of its elements in
// order, the first one outermost.
struct TransformElement
{
    enum class Kind
    {
        Matrix,
        Translate,
        Rotate,
        Scale
    };

    Kind kind = Kind::Matrix;
    // Matrix: 16 numbers, row by row. Translate and Scale: x, y, z. Rotate: an axis x, y, z and the
    // angle about it in radians; about an axis of length 0 nothing turns.
    std::array<float, 16> values{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    // How many of the values the kind uses.
    std::size_t size() const;
    Matrix4 toMatrix() const;
};

// The product of the elements in order.
Matrix4 compose(const std::vector<TransformElement>& elements);

}
