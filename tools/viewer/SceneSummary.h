#pragma once

#include <cstddef>
#include <ostream>

namespace Pellux
{
class Scene;
}

// The first line "scene: nodes=N meshes=M submeshes=S triangles=T lights=L cameras=C animations=A
// materials=K skins=J", then a line for each node depth first, each light, camera and skin (its
// joints and the most joints one vertex bends with) and each animation.
void printSceneSummary(std::ostream& out, Pellux::Scene& scene, std::size_t materialsRegistered);
