#pragma once

#include "pellux/collada/ColladaDocument.h"
#include "pellux/scene/Matrix4.h"
#include "pellux/scene/TransformElement.h"

#include <string>
#include <vector>

namespace Pellux
{

// The engine's form of a "matrix", "translate", "rotate" (axis and degrees) or "scale" element:
// numbers a matrix lacks keep the identity's values, those the others lack are 0.
TransformElement elementOf(const Collada::Transform& transform);
std::vector<TransformElement> elementsOf(const std::vector<Collada::Transform>& transforms);

// The values of an element that a channel's member names, from `first` on: ".X", ".Y", ".Z" of a
// translation, a scale or a rotation's axis, ".ANGLE" of a rotation, "(i)" for value i, and
// "(row)(column)" of a matrix as it is written; without a member the whole element. False for a
// member the element has not.
bool memberValues(const TransformElement& element, std::string member, std::size_t& first, std::size_t& count);

// A rotation's angle in the document's degrees, in the engine's radians.
float radiansOf(float degrees);

// What goes before the transform elements of a node: for a top-level node of a Z_UP document the
// turn to the engine's Y up, else nothing.
Matrix4 upAxisTurn(const std::string& upAxis, bool topLevel);

// The document's Z_UP turned to the engine's Y up: row 1 becomes row 2, row 2 becomes row 1 negated.
Matrix4 zUpToYUp(const Matrix4& matrix);

}
