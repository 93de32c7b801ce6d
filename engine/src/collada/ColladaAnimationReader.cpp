#include "collada/ColladaAnimationReader.h"

#include "collada/XmlReading.h"

#include <tinyxml.h>

#include <sstream>

namespace Pellux
{

namespace
{
std::vector<std::string> words(const char* text)
{
    std::istringstream stream(text);
    std::vector<std::string> all;
    for (std::string word; stream >> word;)
        all.push_back(word);
    return all;
}

// "node/sid.member" into its parts; a target without "/" names the node alone.
void splitTarget(Collada::Channel& channel)
{
    const std::string& target = channel.target;
    std::size_t slash = target.rfind('/');
    channel.node = target.substr(0, slash);
    if (slash == std::string::npos)
        return;
    std::string path = target.substr(slash + 1);
    std::size_t member = path.find_first_of(".(");
    channel.element = path.substr(0, member);
    if (member != std::string::npos)
        channel.member = path.substr(path[member] == '.' ? member + 1 : member);
}
}

void ColladaAnimationReader::readAnimations(const TiXmlElement* library)
{
    Xml::forEachChild(library, "animation", [&](const TiXmlElement* element) { readAnimationTree(element); });
}

void ColladaAnimationReader::readAnimationTree(const TiXmlElement* element)
{
    document.animations.push_back(readAnimation(element));
    Xml::forEachChild(element, "animation", [&](const TiXmlElement* nested) { readAnimationTree(nested); });
}

Collada::Animation ColladaAnimationReader::readAnimation(const TiXmlElement* element)
{
    Collada::Animation animation;
    Xml::forEachChild(element, "source", [&](const TiXmlElement* source) {
        std::string id = Xml::attribute(source, "id");
        std::vector<float>& values = animation.sources[id];
        values.clear();
        std::string word;
        if (Xml::readFloats(Xml::text(Xml::child(source, "float_array")), values, &word) > 0)
            animation.problems.push_back(Collada::problem(
                "source", id, "holds words that are not numbers, read as 0" + Xml::firstNotNumber(word, "float_array")));
        animation.names.erase(id);
        if (const TiXmlElement* names = Xml::child(source, "Name_array"))
            animation.names[id] = words(Xml::text(names));
    });
    Xml::forEachChild(element, "sampler", [&](const TiXmlElement* samplerElement) {
        Collada::AnimationSampler& sampler = animation.samplers[Xml::attribute(samplerElement, "id")];
        Xml::forEachChild(samplerElement, "input", [&](const TiXmlElement* input) {
            std::string semantic = Xml::attribute(input, "semantic");
            std::string source = Xml::reference(Xml::attribute(input, "source"));
            if (semantic == "INPUT")
                sampler.input = source;
            else if (semantic == "OUTPUT")
                sampler.output = source;
            else if (semantic == "INTERPOLATION")
                sampler.interpolation = source;
            else if (semantic == "IN_TANGENT")
                sampler.inTangent = source;
            else if (semantic == "OUT_TANGENT")
                sampler.outTangent = source;
        });
    });
    Xml::forEachChild(element, "channel", [&](const TiXmlElement* channelElement) {
        Collada::Channel channel;
        channel.target = Xml::attribute(channelElement, "target");
        channel.sampler = Xml::reference(Xml::attribute(channelElement, "source"));
        splitTarget(channel);
        animation.channels.push_back(std::move(channel));
    });
    return animation;
}

}
