#include "ViewerDocument.h"

#include "pellux/collada/ColladaSceneloader.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/foundation/StringUtils.h"
#include "pellux/gltf/GltfSceneloader.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/ImageManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/MeshManager.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include <algorithm>
#include <filesystem>
#include <set>

using namespace Pellux;

namespace
{
bool isOgreMesh(const std::string& path)
{
    return StringUtils::endsWith(path, ".xml") || StringUtils::endsWith(path, ".XML");
}

// A mesh file names materials of its own engine; each gets a plain white one here, made only for
// drawing. Returns how many it provides.
std::size_t provideMaterials(const Mesh& mesh, bool rendering)
{
    MaterialManager& materials = *Tavrin::getInstance().getMaterialManager();
    std::set<std::string> missing;
    for (SubMesh* subMesh : mesh.getSubMeshes())
        if (materials.get(subMesh->getMaterialName()) == nullptr)
            missing.insert(subMesh->getMaterialName());
    if (rendering)
        for (const std::string& name : missing)
            materials.add(new SinglePassAutoMapMaterial(
                name, std::make_shared<File>(DataDirectories::find("shader/default.vert")), nullptr,
                std::make_shared<File>(DataDirectories::find("shader/default.frag"))));
    return missing.size();
}

void loadOgreMesh(const std::string& path, bool rendering, ViewerDocument& document)
{
    MeshManager& meshes = *Tavrin::getInstance().getMeshManager();
    Mesh* mesh = meshes.loadOgreXML(File(path), &document.read);
    // Kept by the mesh manager, as every mesh the engine draws.
    meshes.add(mesh);
    document.materials = provideMaterials(*mesh, rendering);
    auto* holder = new SceneNode("mesh");
    holder->addChild(new MeshNode(mesh->getName() + "_mesh", mesh));
    document.scene->getRoot()->addChild(holder);
}

// The path of a file as seen from the working directory, so that a summary is the same on every
// machine.
std::string fromWorkingDirectory(const std::filesystem::path& file)
{
    std::error_code unknown;
    std::filesystem::path absolute = std::filesystem::absolute(file, unknown).lexically_normal();
    std::filesystem::path relative = absolute.lexically_relative(std::filesystem::current_path(unknown));
    return relative.empty() ? absolute.string() : relative.string();
}

// The file the image manager reads for a name it can find: the name below the first of its
// directories that holds it, or else the name itself.
std::string fileOf(const ImageManager& images, const std::string& name)
{
    std::error_code unknown;
    for (const std::string& directory : images.getSearchPaths())
    {
        std::filesystem::path file = std::filesystem::path(directory) / name;
        if (std::filesystem::is_regular_file(file, unknown))
            return fromWorkingDirectory(file);
    }
    return fromWorkingDirectory(name);
}

// Each image as the importer looked for it: under the first of its names that is found.
std::vector<TextureFile> texturesOf(const Collada::Document& document, const std::string& path)
{
    ImageManager& images = *Tavrin::getInstance().getImageManager();
    std::string directory = std::filesystem::path(path).parent_path().string();
    std::vector<TextureFile> textures;
    for (const Collada::Image& image : document.images)
    {
        TextureFile texture{image.id, image.hasPath ? image.path : "-", ""};
        std::vector<std::string> names;
        if (image.hasPath)
            names = ColladaSceneloader::imageNames(image, directory);
        auto found = std::find_if(names.begin(), names.end(),
                                  [&](const std::string& name) { return images.canFind(name); });
        if (found != names.end())
            texture.foundAs = fileOf(images, *found);
        textures.push_back(texture);
    }
    return textures;
}

void loadCollada(const std::string& path, bool rendering, ViewerDocument& document)
{
    Collada::Document read;
    document.read = ColladaSceneloader::read(File(path), read);
    if (!document.read)
        return;
    document.unitInMetres = read.unitInMeters;
    document.materials = ColladaSceneloader::build(read, path, *document.scene, rendering);
    document.textures = texturesOf(read, path);
}

void loadGltf(const std::string& path, bool rendering, const GltfSceneloader::Selection& selection,
              ViewerDocument& document)
{
    if (rendering)
        document.scene.reset(GltfSceneloader::load(File(path), &document.read, selection));
    else
        document.scene.reset(
            GltfSceneloader::loadWithoutRendering(File(path), &document.read, document.materials, selection));
}
}

ViewerDocument loadViewerDocument(const std::string& path, bool rendering, int scene, const std::string& animation)
{
    ViewerDocument document;
    document.scene = std::make_unique<Scene>("scene");
    if (isOgreMesh(path))
        loadOgreMesh(path, rendering, document);
    else if (GltfSceneloader::isGltf(path))
        loadGltf(path, rendering, {scene, animation}, document);
    else
        loadCollada(path, rendering, document);
    return document;
}
