#pragma once

#include "Meshes.h"

// The ground of the whole place: flagstones inside the courtyard, fen outside.
namespace AssetGen
{

// One grid of square cells, finest where the ground is seen close up or shaped finely (the courtyard
// and round the pool), two and four times as wide further out: triangles a few pixels across cost a
// software rasteriser about as much as large ones, and far off they add nothing to the picture.
Geometry groundGeometry();

// The height of the ground's triangles at a point, which is where things standing on it stand.
double groundSurfaceHeight(double x, double y);

}
