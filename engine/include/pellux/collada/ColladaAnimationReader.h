#pragma once

#include <map>
#include <string>
#include <vector>

class TiXmlElement;

namespace Pellux
{

class Animation;
struct ColladaLoad;

// Turns the channels of an "animation" element into keyframe animations of whole node transforms.
class ColladaAnimationReader
{
public:
    explicit ColladaAnimationReader(ColladaLoad& load) : load(load) {}

    // One animation for each channel that can be read; the others are reported and left out.
    std::vector<Animation*> read(const TiXmlElement* animation);

private:
    struct Sampler
    {
        std::string input;
        std::string output;
    };

    Animation* readChannel(const TiXmlElement* channel);

    ColladaLoad& load;
    std::map<std::string, std::vector<float>> sources;
    std::map<std::string, Sampler> samplers;
};

}
