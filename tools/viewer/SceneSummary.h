#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace Pellux
{
class Scene;
}

// An image the document names and where the importer found it; `foundAs` is empty when it found
// it nowhere.
struct TextureFile
{
    std::string id;
    std::string path;
    std::string foundAs;
};

// The first line "scene: nodes=N meshes=M submeshes=S triangles=T lights=L cameras=C animations=A
// materials=K skins=J"; then "vertices: V", "bounds: ..." (the box of the drawn meshes in world
// space, in the document's units; with a unit other than one metre, "unit: 1 = U m, size in
// metres ..." follows), a line for each node depth first, each light, camera and skin (its joints
// and the most joints one vertex bends with) and each animation; then a table of the meshes and one
// of the textures.
void printSceneSummary(std::ostream& out, Pellux::Scene& scene, std::size_t materialsRegistered,
                       const std::vector<TextureFile>& textures, float unitInMetres = 1.0f);

// The nodes below the scene's root, each indented by two spaces for each level below the first.
void printSceneTree(std::ostream& out, Pellux::Scene& scene);

// Whether a mesh node of the scene has something to draw: triangles, lines or points.
bool hasSomethingToDraw(Pellux::Scene& scene);
