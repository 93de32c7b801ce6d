#pragma once

#include "pellux/scene/Animation.h"
#include "pellux/scene/AnimationCurve.h"
#include "pellux/scene/Matrix4.h"
#include "pellux/scene/TransformElement.h"

#include <cstddef>
#include <vector>

namespace Pellux
{

// Poses its target from the elements of its transform, some of whose values follow curves: at every
// time the curves set their values, in the order they were added, and the target's transform
// becomes `outer` times the product of the elements.
class ComposedTransformAnimation : public Animation
{
public:
    // The elements at rest, as the node's transform is made of them.
    ComposedTransformAnimation(std::vector<TransformElement> elements, const Matrix4& outer);

    // The curve drives the values of one element from `firstValue` on, one for each value of a key.
    // False, and nothing added, when those values lie outside the element.
    bool addChannel(std::size_t element, std::size_t firstValue, AnimationCurve curve);
    std::size_t getChannelCount() const { return channels.size(); }

    void apply() override;
    float getEndTime() const override;

private:
    struct Channel
    {
        std::size_t element;
        std::size_t firstValue;
        AnimationCurve curve;
    };

    std::vector<TransformElement> elements;
    Matrix4 outer;
    std::vector<Channel> channels;
    // The elements with the curves' values of the last time applied.
    std::vector<TransformElement> posed;
};

}
