#pragma once

#include "pellux/scene/Matrix4.h"

#include <string>
#include <vector>

namespace Pellux
{

// The transform of one "matrix", "translate", "rotate" (axis and degrees) or "scale" element.
Matrix4 transformOf(const std::string& kind, std::vector<float> values);

// The document's Z_UP turned to the engine's Y up: row 1 becomes row 2, row 2 becomes row 1 negated.
Matrix4 zUpToYUp(const Matrix4& matrix);

}
