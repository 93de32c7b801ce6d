#pragma once

#include "pellux/collada/ColladaDocument.h"

class TiXmlElement;

namespace Pellux
{

// Reads a document's images, effects and materials.
class ColladaMaterialReader
{
public:
    explicit ColladaMaterialReader(Collada::Document& document) : document(document) {}

    void readImages(const TiXmlElement* library);
    // Needs the images: an effect's texture is found among them.
    void readEffects(const TiXmlElement* library);
    void readMaterials(const TiXmlElement* library);

private:
    Collada::Effect readEffect(const TiXmlElement* element);
    // The image of the effect's texture; `drawn` is "diffuse", or "emission" for a "constant" effect.
    void readTransparency(const TiXmlElement* shading, Collada::Effect& effect);
    void readTexture(const TiXmlElement* effectElement, const TiXmlElement* texture, Collada::Effect& effect,
                     const char* drawn);
    bool isImage(const std::string& id) const;

    Collada::Document& document;
};

}
