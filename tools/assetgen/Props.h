#pragma once

#include "Meshes.h"

#include <cstdint>
#include <string>

// The things in and around the courtyard besides its ground and walls, each in its own frame.
namespace AssetGen
{

// A dead tree standing at the origin, `height` metres tall, leaning by `lean`; its shape from `seed`.
Geometry treeGeometry(const std::string& name, std::uint32_t seed, double height, const Vec3& lean);
// Fallen stones by the walls and round the pool, and the low remains of the south wall, in place.
Geometry rocksGeometry();
// Clumps of reed on the pool's bank and in the fen, in place.
Geometry reedsGeometry();
// An old flat-bottomed punt, its origin on the waterline.
Geometry puntGeometry();
// A lantern round its flame at the origin.
Geometry lanternGeometry();

}
