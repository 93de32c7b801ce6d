#pragma once

#include "pellux/foundation/Diagnostics.h"
#include "pellux/foundation/File.h"
#include "pellux/scene/Scene.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace Pellux
{

// What of a glTF document is shown: one of its scenes (the default one, else the first, when not
// chosen or not there) and which of its animations play (all when none is chosen).
struct GltfSelection
{
    // An index into the document's scenes; below 0 for the default one.
    int scene = -1;
    // An animation's name, or its index in decimal; empty for all of them.
    std::string animation;
};

// Loads a glTF 2.0 document (".gltf" with its files or data URIs, or ".glb", known by content) into
// a new scene: its meshes and materials go to the current engine's managers, its nodes and cameras
// below the scene's root. The document is read and checked first (every accessor against its buffer,
// every index against its vertices, every reference against its array), then built. Each problem is
// one ERR line "glTF <file>: <place>: <problem>", the place as the document names it
// ("meshes[3].primitives[0].attributes.POSITION"); the load goes on where it soundly can. Needs an
// engine window for the materials.
class GltfSceneloader
{
public:
    using Selection = GltfSelection;

    // The caller owns the scene. A document that cannot be read gives an empty scene, with
    // `documentRead` (when given) false.
    static Scene* load(const File& file, bool* documentRead = nullptr, const Selection& selection = Selection());

    struct Import
    {
        std::unique_ptr<Scene> scene;
        bool read = false;
        // Each with the place in the document it concerns.
        std::vector<Diagnostic> diagnostics;
    };
    // The same load, which a program can ask what went wrong.
    static Import import(const File& file);

    // The same without an OpenGL context, for tools that only look at the scene: no material is
    // made; `materials` is set to how many load would make.
    static Scene* loadWithoutRendering(const File& file, bool* documentRead, std::size_t& materials,
                                       const Selection& selection = Selection());

    // Whether the file's content is glTF: the GLB magic, or a JSON object.
    static bool isGltf(const std::string& path);

private:
    static Scene* loadFile(const File& file, bool* documentRead, bool rendering, std::size_t& materials,
                           const Selection& selection);
};

}
