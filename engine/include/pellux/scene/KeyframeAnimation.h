#pragma once

#include "pellux/scene/Animation.h"
#include "pellux/scene/Matrix4.h"

#include <map>

namespace Pellux
{

// The target's whole local transform at key times; any time gets the nearest key's pose,
// without interpolation, held at the ends.
class KeyframeAnimation : public Animation
{
public:
    // A key at an existing time replaces it.
    void addKeyframe(float keyTime, const Matrix4& transform) { keyframes[keyTime] = transform; }
    const std::map<float, Matrix4>& getKeyframes() const { return keyframes; }
    float getEndTime() const override { return keyframes.empty() ? 0.0f : keyframes.rbegin()->first; }

    // Ties between two keys go to the later one. Without keys or target it does nothing.
    void apply() override;

private:
    std::map<float, Matrix4> keyframes;
};

}
