#include "pellux/collada/ColladaAnimationReader.h"

#include "pellux/collada/ColladaLoad.h"
#include "pellux/collada/ColladaNodeReader.h"
#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/collada/XmlReading.h"
#include "pellux/scene/KeyframeAnimation.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/SceneNode.h"

#include <tinyxml.h>

namespace Pellux
{

namespace
{
const std::size_t valuesPerKey = 16;
}

std::vector<Animation*> ColladaAnimationReader::read(const TiXmlElement* animation)
{
    sources.clear();
    samplers.clear();
    Xml::forEachChild(animation, "source", [&](const TiXmlElement* source) {
        std::string id = Xml::attribute(source, "id");
        std::vector<float>& values = sources[id];
        values.clear();
        if (Xml::readFloats(Xml::text(Xml::child(source, "float_array")), values) > 0)
            load.report("source", id, "holds words that are not numbers, read as 0");
    });
    Xml::forEachChild(animation, "sampler", [&](const TiXmlElement* element) {
        Sampler& sampler = samplers[Xml::attribute(element, "id")];
        Xml::forEachChild(element, "input", [&](const TiXmlElement* input) {
            std::string semantic = Xml::attribute(input, "semantic");
            if (semantic == "INPUT")
                sampler.input = Xml::reference(Xml::attribute(input, "source"));
            else if (semantic == "OUTPUT")
                sampler.output = Xml::reference(Xml::attribute(input, "source"));
        });
    });
    std::vector<Animation*> animations;
    Xml::forEachChild(animation, "channel", [&](const TiXmlElement* channel) {
        if (Animation* read = readChannel(channel))
            animations.push_back(read);
    });
    return animations;
}

Animation* ColladaAnimationReader::readChannel(const TiXmlElement* channel)
{
    std::string target = Xml::attribute(channel, "target");
    std::string nodeName = target.substr(0, target.rfind('/'));
    SceneNode* node = load.scene.getNode(nodeName);
    auto sampler = samplers.find(Xml::reference(Xml::attribute(channel, "source")));
    auto times = sampler != samplers.end() ? sources.find(sampler->second.input) : sources.end();
    auto values = sampler != samplers.end() ? sources.find(sampler->second.output) : sources.end();
    if (node == nullptr || times == sources.end() || values == sources.end())
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
    bool convert = ColladaSceneloader::getUpAxis() == "Z_UP" && load.topLevelNodes.count(node) > 0;
    auto* animation = new KeyframeAnimation();
    animation->setTarget(node);
    for (std::size_t key = 0; key < keys; ++key)
    {
        const float* m = &values->second[key * valuesPerKey];
        Matrix4 matrix(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11], m[12], m[13], m[14], m[15]);
        animation->addKeyframe(times->second[key], convert ? zUpToYUp(matrix) : matrix);
    }
    return animation;
}

}
