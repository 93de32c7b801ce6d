#pragma once

#include "pellux/foundation/File.h"

#include <string>

namespace Pellux
{

class Scene;

// Loads a COLLADA 1.4 document into a new scene: its images, materials and meshes go to the
// engine's managers, its nodes, lights and camera below the scene's root, its animations to the
// scene. The document is read into plain data first (ColladaReader) and then built. Needs the
// render engine's context (materials compile their shaders).
class ColladaSceneloader
{
public:
    // The caller owns the scene. A document that cannot be read gives an empty scene, with
    // `documentRead` (when given) false.
    static Scene* load(File file, bool* documentRead = nullptr);

    // The up axis of the last document loaded ("Z_UP" turns it to the engine's Y up).
    static const std::string& getUpAxis() { return upAxis; }

private:
    static std::string upAxis;
};

}
