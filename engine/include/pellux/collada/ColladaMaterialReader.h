#pragma once

class TiXmlElement;

namespace Pellux
{

struct ColladaLoad;

// Reads a document's images, effects and materials; the materials are registered with the
// material manager under their ids.
class ColladaMaterialReader
{
public:
    explicit ColladaMaterialReader(ColladaLoad& load) : load(load) {}

    void readImages(const TiXmlElement* library);
    void readEffects(const TiXmlElement* library);
    void readMaterials(const TiXmlElement* library);

private:
    void readEffect(const TiXmlElement* effect);
    void readMaterial(const TiXmlElement* material);

    ColladaLoad& load;
};

}
