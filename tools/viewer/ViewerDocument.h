#pragma once

#include "SceneSummary.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace Pellux
{
class Scene;
}

// A document the viewer shows: a COLLADA document, a glTF document (known by its content), or an Ogre
// XML mesh (a name ending in ".xml").
struct ViewerDocument
{
    // Empty but for its root when the document could not be read.
    std::unique_ptr<Pellux::Scene> scene;
    bool read = false;
    // How many materials it brought: made, or without rendering, that would be made.
    std::size_t materials = 0;
    // The images it names, as the importer looked for them.
    std::vector<TextureFile> textures;
    // How long one of its units is in metres.
    float unitInMetres = 1.0f;
};

// Without `rendering` nothing needs an OpenGL context: no material is made. `scene` and `animation`
// choose of a glTF document what is shown (see GltfSceneloader::Selection).
ViewerDocument loadViewerDocument(const std::string& path, bool rendering, int scene = -1,
                                  const std::string& animation = "");
