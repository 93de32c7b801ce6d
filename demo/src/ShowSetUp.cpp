#include "ShowSetUp.h"

#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/foundation/Logger.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include <set>
#include <string>
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
    {"default", "shader/default.vert", "shader/default.frag", 20, 0,
     {"textures/bark.jpg", "textures/bark.jpg"}},
    {"wall_parallax", "shader/parallax.vert", "shader/parallax.frag", 1, 1,
     {"textures/ground015.jpg", "textures/ground015n.jpg", "textures/ground015b.jpg"}},
    {"wall_relief", "shader/parallax.vert", "shader/relief.frag", 20, 0,
     {"textures/ground015.jpg", "textures/ground015n.jpg", "textures/ground015b.jpg"}},
    {"wall_normal", "shader/default.vert", "shader/default.frag", 20, 0,
     {"textures/ground015.jpg"}},
    {"show_sky", "shader/sky.vert", "shader/sky.frag", 0, 0, {"textures/sky.png"}},
};

const char* const skyNode = "node-Sky_mesh";
const char* const skyMaterial = "show_sky";

// Per metre: about a third of the light from 20 m away is lost in the mist. Its colour is the sky's at
// the horizon, as the scene's generator paints it, so that the far fen fades into the sky.
const float mistDensity = 0.02f;
const float mistColour[3] = {0.42f, 0.38f, 0.41f};

// The scene's own constant material would light every sky pixel before throwing the light away; the
// show's sky material only reads its picture, and drawn after the rest it fills only what they leave.
void drawSkyCheaply(Pellux::Scene& scene, Pellux::MaterialManager& materials)
{
    Pellux::Material* sky = materials.get(skyMaterial);
    auto* node = dynamic_cast<Pellux::MeshNode*>(scene.getNode(skyNode));
    if (sky == nullptr || node == nullptr || node->getMesh() == nullptr)
        return;
    sky->drawnEarly = false;
    for (Pellux::SubMesh* subMesh : node->getMesh()->getSubMeshes())
        subMesh->setMaterialName(skyMaterial);
}

// The materials the scene's meshes draw with, and the show's wall materials, which the keys put on.
std::set<std::string> showMaterialNames(Pellux::Scene& scene)
{
    std::set<std::string> names;
    for (const MaterialRow& row : showMaterials)
        names.insert(row.name);
    for (Pellux::MeshNode* meshNode : scene.getMeshNodes())
    {
        if (meshNode->getMesh() == nullptr)
            continue;
        for (Pellux::SubMesh* subMesh : meshNode->getMesh()->getSubMeshes())
            names.insert(meshNode->getMaterialName(*subMesh));
    }
    return names;
}

// The mist's two uniforms are the show's own: each of its materials whose shaders declare them
// gives them; other materials, of the same programs or not, give 0: no mist.
void setMist(Pellux::Scene& scene, Pellux::MaterialManager& materials, float density)
{
    for (const std::string& name : showMaterialNames(scene))
    {
        auto* material = dynamic_cast<Pellux::SinglePassAutoMapMaterial*>(materials.get(name));
        if (material == nullptr || material->getUniforms().count("mistDensity") == 0)
            continue;
        material->setFloat("mistDensity", density);
        material->setValue("mistColour", Pellux::MaterialValue::vector(mistColour[0], mistColour[1], mistColour[2]));
    }
}
}

void createMaterials(Logger& logger, Pellux::MaterialManager& materials, Pellux::ImageManager& images)
{
    LOG(logger.info) << "createMaterials" << std::endl;
    for (const MaterialRow& row : showMaterials)
    {
        // The engine's shaders where it keeps them, the sky's in the show's own resources.
        auto vertexShader = std::make_shared<File>(Pellux::DataDirectories::find(row.vertexShader));
        auto fragmentShader = std::make_shared<File>(Pellux::DataDirectories::find(row.fragmentShader));
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
    if (scene)
    {
        drawSkyCheaply(*scene, materials);
        showDusk(*scene, materials, true);
    }
    return scene;
}

void showDusk(Pellux::Scene& scene, Pellux::MaterialManager& materials, bool shown)
{
    if (Pellux::SceneNode* sky = scene.getNode(skyNode))
        sky->setVisible(shown);
    setMist(scene, materials, shown ? mistDensity : 0.0f);
}
