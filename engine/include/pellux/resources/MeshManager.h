#pragma once

#include "pellux/foundation/Diagnostics.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/ResourceManager.h"

#include <memory>
#include <string>
#include <vector>

namespace Pellux
{

// Meshes by name: those added by their builders, and Ogre XML mesh files below "resources".
class MeshManager : public ResourceManager
{
public:
    MeshManager();

    // The mesh added or loaded under this name; null when there is none or the file is not ".xml".
    // Names come from documents: only files below the search directories are read, never an
    // absolute path or one that climbs out with "..".
    Mesh* get(const std::string& name);
    // Stores a mesh built elsewhere under its name, replacing any of that name.
    void add(Mesh* mesh);

    // Always gives a mesh, empty when the file cannot be read as XML (`fileRead`, when given, is
    // then false).
    Mesh* loadOgreXML(File file, bool* fileRead = nullptr);

    // What reading a mesh file found: the mesh, whether the file could be read as XML, and every
    // problem it logged, each with the sub-mesh it concerns ("sub-mesh 2") where it concerns one.
    struct OgreImport
    {
        std::unique_ptr<Mesh> mesh;
        bool read = false;
        std::vector<Diagnostic> diagnostics;
    };
    // The same reading as `loadOgreXML`, which a program can ask what went wrong.
    OgreImport importOgreXML(const File& file);
};

}
