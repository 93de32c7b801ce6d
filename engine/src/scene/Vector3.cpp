#include "pellux/scene/Vector3.h"

#include <cmath>

namespace Pellux
{

float Vector3::length() const
{
    return std::sqrt(x * x + y * y + z * z);
}

}
