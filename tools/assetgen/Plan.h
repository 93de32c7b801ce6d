#pragma once

#include "Vector.h"

// The plan of Mirrowfen, in metres, Z up: a walled courtyard whose open side faces south (-y), toward a
// pool in the fen.
namespace AssetGen
{

const double innerHalf = 7.0;        // the walls' inner faces stand at x = ±7 and y = +7
const double wallThickness = 0.7;
const double pavingSouth = -7.875;   // the paving's south edge, on a line of the ground grid
const Vec3 poolCentre(2.5, -14.5, 0);
const double poolRadiusX = 5.5, poolRadiusY = 4.0;
const double waterLevel = -0.25;
// Where the setting sun's light shines from; the sky glows on that side.
const Vec3 sunsetPlace(-3.0, -21.0, 9.0);
// The sky's dome round the whole place, inside the camera's far plane (120 m) from everywhere the
// flight goes; its lowest ring lies below the horizon, behind the higher ground all round.
const Vec3 skyCentre(0, -6.0, 0);
const double skyRadius = 90.0;
const double skyLowestDegrees = -15.0;

// The show runs from 0 to this many seconds of animation time.
const double showLength = 84;

// The ground's height at a point of the plan.
double groundHeight(double x, double y);
// 0 inside the courtyard with its walls, growing with the distance outside it.
double outsideCourtyard(double x, double y);
// Where (x, y) lies in the pool: 0 at its middle, 1 on its rim.
double poolDistance(double x, double y);

}
