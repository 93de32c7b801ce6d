#pragma once

#include <string>

// Small COLLADA documents written in tests, as text.
namespace ColladaText
{
// A white material "white", a camera at (0, 0, 10) looking down -Z and a point light beside it,
// around what `geometries`, `controllers`, `nodes` and `lights` add to their libraries.
std::string document(const std::string& geometries, const std::string& controllers, const std::string& nodes,
                     const std::string& lights = "");
// A square of two triangles (6 vertices) or one triangle (3 vertices) of material symbol "paint",
// facing +Z, with normals.
std::string geometry(const std::string& id, bool square);
// A skin of the geometry with `joints` joints named j0, j1, ..., every position bound to the last.
std::string skin(const std::string& id, const std::string& geometry, int joints);
// An "instance_geometry" or "instance_controller" of `url` binding symbol "paint" to "white", with
// `inside` before the binding.
std::string bound(const std::string& instance, const std::string& url, const std::string& inside = "");
// A node translated to (x, 0, z) holding `content`.
std::string node(const std::string& id, float x, float z, const std::string& content);
// Joints j0 ... j<n-1>, one below the other, under the node "skeleton".
std::string skeleton(int joints);
}
