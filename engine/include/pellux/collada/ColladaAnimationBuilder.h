#pragma once

#include "pellux/collada/ColladaDocument.h"

#include <vector>

namespace Pellux
{

class Animation;
struct ColladaLoad;

// Turns the channels of a read document's animations into keyframe animations of whole node
// transforms, for the nodes of the tree built before.
class ColladaAnimationBuilder
{
public:
    explicit ColladaAnimationBuilder(ColladaLoad& load) : load(load) {}

    // One animation for each channel that can be built; the others are reported and left out.
    std::vector<Animation*> makeAnimations(const Collada::Animation& animation);

private:
    Animation* makeAnimation(const Collada::Animation& animation, const Collada::Channel& channel);

    ColladaLoad& load;
};

}
