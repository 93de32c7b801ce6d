#pragma once

#include "pellux/collada/ColladaDocument.h"

class TiXmlElement;

namespace Pellux
{

// Reads the "animation" elements of "library_animations", and those nested in them, each with its
// sources, samplers and channels.
class ColladaAnimationReader
{
public:
    explicit ColladaAnimationReader(Collada::Document& document) : document(document) {}

    void readAnimations(const TiXmlElement* library);

private:
    // The element, then the animations nested in it, in document order; the depth is bounded by
    // the document's.
    void readAnimationTree(const TiXmlElement* element);
    Collada::Animation readAnimation(const TiXmlElement* element);

    Collada::Document& document;
};

}
