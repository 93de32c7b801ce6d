#include "pellux/scene/KeyframeAnimation.h"

#include "pellux/scene/SceneNode.h"

#include <iterator>

namespace Pellux
{

void KeyframeAnimation::apply()
{
    if (target == nullptr || keyframes.empty())
        return;
    auto later = keyframes.lower_bound(time);
    if (later == keyframes.end())
    {
        target->setTransform(std::prev(later)->second);
        return;
    }
    if (later == keyframes.begin())
    {
        target->setTransform(later->second);
        return;
    }
    auto earlier = std::prev(later);
    bool laterIsNearer = later->first - time <= time - earlier->first;
    target->setTransform(laterIsNearer ? later->second : earlier->second);
}

}
