#pragma once

#include "pellux/resources/Mesh.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Vector3.h"

#include <string>

// Meshes and nodes for scenes built in tests. Each mesh has one sub-mesh with positions, normals
// and one set of texture coordinates, drawn by the named material.
// The quad lies in the plane y = 0 of its node, facing up, around `centre`.
Pellux::Mesh* makeQuadMesh(const std::string& material, float halfSize, const Pellux::Vector3& centre = {});
Pellux::Mesh* makeBoxMesh(const std::string& material, float halfSize);

Pellux::Matrix4 translation(const Pellux::Vector3& offset);

// A mesh node placed at `position` below `parent`.
Pellux::MeshNode* placeMesh(Pellux::SceneNode& parent, const std::string& name, Pellux::Mesh* mesh,
                            const Pellux::Vector3& position);
