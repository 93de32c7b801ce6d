#pragma once

#include "pellux/collada/ColladaDocument.h"

namespace Pellux
{

class Image;
class ImageManager;
class SinglePassAutoMapMaterial;
struct ColladaLoad;

// Loads a read document's images through the image manager and makes its materials, registered
// with the material manager under their ids.
class ColladaMaterialBuilder
{
public:
    explicit ColladaMaterialBuilder(ColladaLoad& load) : load(load) {}

    void loadImages();
    // Reports what the reading found wrong in the effects.
    void reportEffects();
    void makeMaterials();

private:
    void makeMaterial(const Collada::Material& material);
    // Whether a material is made now; without rendering, it is only noted as one the build would make.
    bool makes(const std::string& materialId);
    Image* diffuseImageOf(const Collada::Effect& effect);
    SinglePassAutoMapMaterial* defaultShaderMaterial(const std::string& id, const Collada::Effect& effect);
    std::vector<std::string> namesOf(const Collada::Image& image) const;
    Image* findImage(ImageManager& imageManager, const Collada::Image& image) const;

    ColladaLoad& load;
};

}
