#include "SceneBuilding.h"

#include "CaptureOutput.h"

#include "pellux/resources/SubMesh.h"

#include <array>

using Pellux::Mesh;
using Pellux::SubMesh;
using Pellux::Vector3;

namespace
{
struct Face
{
    Vector3 normal;
    Vector3 right;
    Vector3 up;
};

// Adds one square face around `centre`, counter-clockwise seen from the side its normal points to.
void addFace(const Face& face, const Vector3& centre, float halfSize, std::vector<float>& positions,
             std::vector<float>& normals, std::vector<float>& texCoords, SubMesh& subMesh)
{
    unsigned int first = static_cast<unsigned int>(positions.size() / 3);
    const std::array<std::array<float, 2>, 4> corners = {{{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}};
    for (const auto& corner : corners)
    {
        Vector3 point = centre + face.right * (corner[0] * halfSize) + face.up * (corner[1] * halfSize);
        positions.insert(positions.end(), {point.x, point.y, point.z});
        normals.insert(normals.end(), {face.normal.x, face.normal.y, face.normal.z});
        texCoords.insert(texCoords.end(), {(corner[0] + 1) / 2, (corner[1] + 1) / 2});
    }
    for (unsigned int index : {0u, 1u, 2u, 2u, 3u, 0u})
        subMesh.addIndex(first + index);
}

Mesh* makeMesh(const std::string& name, const std::string& material, const std::vector<Face>& faces,
               float centreDistance, float halfSize, const Vector3& offset)
{
    Mesh* mesh = nullptr;
    captureStdout([&] { mesh = new Mesh(name); });
    auto* subMesh = new SubMesh();
    std::vector<float> positions, normals, texCoords;
    for (const Face& face : faces)
        addFace(face, offset + face.normal * centreDistance, halfSize, positions, normals, texCoords, *subMesh);
    subMesh->setAttribute("position", positions, 3);
    subMesh->setAttribute("normal", normals, 3);
    subMesh->setAttribute("texCoord_0", texCoords, 2);
    subMesh->setAttribute("texCoordCount", std::vector<float>{1}, 1);
    subMesh->setMaterialName(material);
    mesh->addSubMesh(subMesh);
    return mesh;
}
}

Mesh* makeQuadMesh(const std::string& material, float halfSize, const Vector3& centre)
{
    return makeMesh("quad", material, {{{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}}, 0, halfSize, centre);
}

Mesh* makeBoxMesh(const std::string& material, float halfSize)
{
    const std::vector<Face> faces = {
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
    };
    return makeMesh("box", material, faces, halfSize, halfSize, {});
}

Pellux::Matrix4 translation(const Vector3& offset)
{
    return Pellux::Matrix4::translation(offset);
}

Pellux::MeshNode* placeMesh(Pellux::SceneNode& parent, const std::string& name, Mesh* mesh, const Vector3& position)
{
    auto* node = new Pellux::MeshNode(name, mesh);
    node->setTransform(translation(position));
    parent.addChild(node);
    return node;
}
