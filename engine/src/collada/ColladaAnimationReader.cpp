#include "pellux/collada/ColladaAnimationReader.h"

#include "pellux/collada/XmlReading.h"

#include <tinyxml.h>

namespace Pellux
{

void ColladaAnimationReader::readAnimations(const TiXmlElement* library)
{
    Xml::forEachChild(library, "animation", [&](const TiXmlElement* element) {
        document.animations.push_back(readAnimation(element));
    });
}

Collada::Animation ColladaAnimationReader::readAnimation(const TiXmlElement* element)
{
    Collada::Animation animation;
    Xml::forEachChild(element, "source", [&](const TiXmlElement* source) {
        std::string id = Xml::attribute(source, "id");
        std::vector<float>& values = animation.sources[id];
        values.clear();
        if (Xml::readFloats(Xml::text(Xml::child(source, "float_array")), values) > 0)
            animation.problems.push_back(Collada::problem("source", id, "holds words that are not numbers, read as 0"));
    });
    Xml::forEachChild(element, "sampler", [&](const TiXmlElement* samplerElement) {
        Collada::AnimationSampler& sampler = animation.samplers[Xml::attribute(samplerElement, "id")];
        Xml::forEachChild(samplerElement, "input", [&](const TiXmlElement* input) {
            std::string semantic = Xml::attribute(input, "semantic");
            if (semantic == "INPUT")
                sampler.input = Xml::reference(Xml::attribute(input, "source"));
            else if (semantic == "OUTPUT")
                sampler.output = Xml::reference(Xml::attribute(input, "source"));
        });
    });
    Xml::forEachChild(element, "channel", [&](const TiXmlElement* channel) {
        animation.channels.push_back(
            {Xml::attribute(channel, "target"), Xml::reference(Xml::attribute(channel, "source"))});
    });
    return animation;
}

}
