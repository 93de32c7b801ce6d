#pragma once

#include "pellux/collada/ColladaDocument.h"
#include "pellux/foundation/File.h"

#include "pellux/foundation/Diagnostics.h"
#include "pellux/scene/Scene.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace Pellux
{

// Loads a COLLADA 1.4 document into a new scene: its images, materials and meshes go to the
// engine's managers, its nodes, lights and camera below the scene's root, its animations to the
// scene. The document is read into plain data first (ColladaReader) and then built. Needs the
// render engine's context (materials compile their shaders).
class ColladaSceneloader
{
public:
    // The lengths of the scene: as the document writes them, or in metres, by the document's unit
    // (its "unit meter"), which scales the node that holds the document's nodes.
    enum class Units
    {
        AsWritten,
        Metres
    };

    // The caller owns the scene. A document that cannot be read gives an empty scene, with
    // `documentRead` (when given) false.
    static Scene* load(File file, bool* documentRead = nullptr, Units units = Units::AsWritten);

    // What a load found: the scene, whether the document could be read, and every problem it
    // logged, each with the part of the document it concerns ("geometry 'box'").
    struct Import
    {
        std::unique_ptr<Scene> scene;
        bool read = false;
        std::vector<Diagnostic> diagnostics;
    };
    // The same load as `load`, which a program can ask what went wrong.
    static Import import(const File& file, Units units = Units::AsWritten);
    // The same without an OpenGL context, for tools that only look at the scene: no material is
    // made, as materials compile their shaders; `materials` is set to how many load would register.
    static Scene* loadWithoutRendering(File file, bool* documentRead, std::size_t& materials);

    // The reading stage of both: the document as plain data; false, with the reason logged, when it
    // cannot be parsed.
    static bool read(const File& file, Collada::Document& document);

    // The building stage of both, of a document read with ColladaReader, into `scene`; without
    // `rendering` no material is made. Returns how many materials it registered, or would have.
    // `documentName` names the document in reports.
    static std::size_t build(Collada::Document& document, const std::string& documentName, Scene& scene,
                             bool rendering, Units units = Units::AsWritten);

    // The names a document's image may be found by, in the order the load tries them (see
    // docs/IMPORTING.md); `documentDirectory` is the folder the document lies in.
    static std::vector<std::string> imageNames(const Collada::Image& image, const std::string& documentDirectory);

    // The up axis of the last document loaded ("Z_UP" turns it to the engine's Y up).
    static const std::string& getUpAxis() { return upAxis; }

private:
    static Scene* loadFile(const File& file, bool* documentRead, bool rendering, std::size_t& materials, Units units);

    static std::string upAxis;
};

}
