#include "ShowSetUp.h"

#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/foundation/Logger.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/scene/Scene.h"

#include <vector>

namespace
{
struct MaterialRow
{
    const char* name;
    const char* vertexShader;
    const char* fragmentShader;
    int specularExponent;
    int specularCoefficient;
    std::vector<const char*> textures;
};

const std::vector<MaterialRow> showMaterials = {
    {"default", "resources/shader/default.vert", "resources/shader/default.frag", 20, 0,
     {"textures/bark.jpg", "textures/bark.jpg"}},
    {"wall_parallax", "resources/shader/parallax.vert", "resources/shader/parallax.frag", 1, 1,
     {"textures/ground015.jpg", "textures/ground015n.jpg", "textures/ground015b.jpg"}},
    {"wall_relief", "resources/shader/relief.vert", "resources/shader/relief.frag", 20, 0,
     {"textures/ground015.jpg", "textures/ground015n.jpg", "textures/ground015b.jpg"}},
    {"wall_normal", "resources/shader/default.vert", "resources/shader/default.frag", 20, 0,
     {"textures/ground015.jpg"}},
};
}

void createMaterials(Logger& logger, Pellux::MaterialManager& materials, Pellux::ImageManager& images)
{
    LOG(logger.info) << "createMaterials" << std::endl;
    for (const MaterialRow& row : showMaterials)
    {
        auto vertexShader = std::make_shared<File>(row.vertexShader);
        auto fragmentShader = std::make_shared<File>(row.fragmentShader);
        std::vector<Pellux::Image*> textures;
        for (const char* texture : row.textures)
            textures.push_back(images.get(texture));
        auto* material = new Pellux::SinglePassAutoMapMaterial(row.name, vertexShader, nullptr, fragmentShader);
        material->setInt("specularExponent", row.specularExponent);
        material->setInt("specularCoefficient", row.specularCoefficient);
        for (Pellux::Image* texture : textures)
            material->addTexture(texture);
        materials.add(material);
    }
}

std::shared_ptr<Pellux::Scene> loadShowScene(Pellux::MaterialManager& materials)
{
    std::shared_ptr<Pellux::Scene> scene(
        Pellux::ColladaSceneloader::load(File("resources/scenes/Mirrowfen_latest.DAE")));
    if (Pellux::Material* pool = materials.get("zarvel-material"))
        pool->drawnEarly = false;
    return scene;
}
