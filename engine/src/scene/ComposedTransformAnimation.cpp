#include "pellux/scene/ComposedTransformAnimation.h"

#include "pellux/scene/SceneNode.h"

#include <algorithm>
#include <utility>

namespace Pellux
{

ComposedTransformAnimation::ComposedTransformAnimation(std::vector<TransformElement> elements, const Matrix4& outer)
    : elements(std::move(elements)), outer(outer), posed(this->elements)
{
}

bool ComposedTransformAnimation::addChannel(std::size_t element, std::size_t firstValue, AnimationCurve curve)
{
    if (element >= elements.size() || firstValue + curve.getWidth() > elements[element].size())
        return false;
    channels.push_back({element, firstValue, std::move(curve)});
    return true;
}

void ComposedTransformAnimation::apply()
{
    if (target == nullptr)
        return;
    // Values no curve drives stay at rest.
    std::copy(elements.begin(), elements.end(), posed.begin());
    for (const Channel& channel : channels)
        channel.curve.sample(time, &posed[channel.element].values[channel.firstValue]);
    target->setTransform(outer * compose(posed));
}

float ComposedTransformAnimation::getEndTime() const
{
    float end = 0;
    for (const Channel& channel : channels)
        end = std::max(end, channel.curve.getEndTime());
    return end;
}

}
