#pragma once

#include "pellux/collada/ColladaDocument.h"

class TiXmlElement;

namespace Pellux
{

// Reads the "animation" elements of "library_animations": their sources, samplers and channels.
class ColladaAnimationReader
{
public:
    explicit ColladaAnimationReader(Collada::Document& document) : document(document) {}

    void readAnimations(const TiXmlElement* library);

private:
    Collada::Animation readAnimation(const TiXmlElement* element);

    Collada::Document& document;
};

}
