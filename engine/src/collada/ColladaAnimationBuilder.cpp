#include "pellux/collada/ColladaAnimationBuilder.h"

#include "pellux/collada/ColladaLoad.h"
#include "pellux/collada/ColladaTransforms.h"
#include "pellux/scene/KeyframeAnimation.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/SceneNode.h"

namespace Pellux
{

namespace
{
const std::size_t valuesPerKey = 16;
}

std::vector<Animation*> ColladaAnimationBuilder::makeAnimations(const Collada::Animation& animation)
{
    load.report(animation.problems);
    std::vector<Animation*> made;
    for (const Collada::Channel& channel : animation.channels)
        if (Animation* one = makeAnimation(animation, channel))
            made.push_back(one);
    return made;
}

Animation* ColladaAnimationBuilder::makeAnimation(const Collada::Animation& animation, const Collada::Channel& channel)
{
    const std::string& target = channel.target;
    SceneNode* node = load.scene.getNode(target.substr(0, target.rfind('/')));
    auto sampler = animation.samplers.find(channel.sampler);
    auto times = sampler != animation.samplers.end() ? animation.sources.find(sampler->second.input)
                                                     : animation.sources.end();
    auto values = sampler != animation.samplers.end() ? animation.sources.find(sampler->second.output)
                                                      : animation.sources.end();
    if (node == nullptr || times == animation.sources.end() || values == animation.sources.end())
    {
        load.report("animation channel", target, "names no node, sampler or source of the document; left out");
        return nullptr;
    }
    std::size_t keys = times->second.size();
    if (values->second.size() < keys * valuesPerKey)
    {
        load.report("animation channel", target, "does not hold a 4 x 4 matrix for each of its " +
                                                    std::to_string(keys) + " keys; left out");
        return nullptr;
    }
    bool convert = load.document.upAxis == "Z_UP" && load.topLevelNodes.count(node) > 0;
    auto* made = new KeyframeAnimation();
    made->setTarget(node);
    for (std::size_t key = 0; key < keys; ++key)
    {
        const float* m = &values->second[key * valuesPerKey];
        Matrix4 matrix(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11], m[12], m[13], m[14], m[15]);
        made->addKeyframe(times->second[key], convert ? zUpToYUp(matrix) : matrix);
    }
    return made;
}

}
