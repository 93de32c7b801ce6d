#pragma once

#include "pellux/scene/Vector3.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Pellux
{

// An axis-aligned box around points; empty until the first point. Points that are not finite are
// left out, so one damaged vertex cannot make the box endless.
struct Bounds
{
    Vector3 low;
    Vector3 high;
    bool empty = true;

    void add(const Vector3& point)
    {
        if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z))
            return;
        if (empty)
        {
            low = high = point;
            empty = false;
            return;
        }
        low = {std::min(low.x, point.x), std::min(low.y, point.y), std::min(low.z, point.z)};
        high = {std::max(high.x, point.x), std::max(high.y, point.y), std::max(high.z, point.z)};
    }

    std::array<Vector3, 8> corners() const
    {
        return {Vector3{low.x, low.y, low.z},  Vector3{high.x, low.y, low.z},  Vector3{low.x, high.y, low.z},
                Vector3{high.x, high.y, low.z}, Vector3{low.x, low.y, high.z},  Vector3{high.x, low.y, high.z},
                Vector3{low.x, high.y, high.z}, Vector3{high.x, high.y, high.z}};
    }
};

}
