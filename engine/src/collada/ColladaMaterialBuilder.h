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

    // The names a document's image may be found by, in the order they are tried: its path as the
    // document writes it (which the image manager's search directories resolve as they always
    // have), that path as a file path, the file path from the document's directory and the file's
    // name beside the document. Without a document directory, the first two only.
    static std::vector<std::string> imageNames(const Collada::Image& image, const std::string& documentDirectory);

    void loadImages();
    // Reports what the reading found wrong in the effects.
    void reportEffects();
    void makeMaterials();
    // The document's default material, plain light grey, registered (or noted, without rendering)
    // under a name made from the document's; returns the name.
    std::string makeDefaultMaterial();

private:
    void makeMaterial(const Collada::Material& material);
    // Whether a material is made now; without rendering, it is only noted as one the build would make.
    bool makes(const std::string& materialId);
    Image* diffuseImageOf(const Collada::Effect& effect);
    SinglePassAutoMapMaterial* defaultShaderMaterial(const std::string& id, const Collada::Effect& effect);
    Image* findImage(ImageManager& imageManager, const Collada::Image& image) const;

    ColladaLoad& load;
};

}
