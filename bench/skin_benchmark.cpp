// Animates a skinned mesh of 10,000 vertices and 200 joints for 300 frames and prints what the skin
// costs: the engine's own work for it each frame (the joint matrices and their uploads), and the
// frame beside the same mesh drawn without its skin. Then the same mesh with eight morph targets, all
// weighted and changing every frame, beside it unmorphed. Run it from the demo's directory:
// scripts/bench.
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"
#include "pellux/scene/Skin.h"

#include <GL/glew.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <utility>

using namespace Pellux;

namespace
{
const int width = 1280;
const int height = 720;
const int gridSide = 100;
const int jointCount = 200;
const int morphTargets = 8;
const int frames = 300;
const float length = 20.0f;

// A strip of gridSide x gridSide vertices along x, lying in the plane y = 0, each vertex bound to the
// two joints of the chain nearest to it.
Mesh* skinnedStrip()
{
    auto* mesh = new Mesh("strip");
    auto* subMesh = new SubMesh();
    std::vector<float> positions, normals, indices, weights;
    for (int row = 0; row < gridSide; ++row)
        for (int column = 0; column < gridSide; ++column)
        {
            float x = length * column / (gridSide - 1);
            positions.insert(positions.end(), {x, 0.0f, 4.0f * row / (gridSide - 1) - 2.0f});
            normals.insert(normals.end(), {0.0f, 1.0f, 0.0f});
            float along = x / length * (jointCount - 1);
            float first = std::min(std::floor(along), jointCount - 2.0f);
            float share = along - first;
            indices.insert(indices.end(), {first, first + 1, 0.0f, 0.0f});
            weights.insert(weights.end(), {1 - share, share, 0.0f, 0.0f});
        }
    for (int row = 0; row + 1 < gridSide; ++row)
        for (int column = 0; column + 1 < gridSide; ++column)
        {
            auto at = [](int r, int c) { return static_cast<unsigned int>(r * gridSide + c); };
            for (unsigned int index : {at(row, column), at(row + 1, column), at(row + 1, column + 1),
                                       at(row + 1, column + 1), at(row, column + 1), at(row, column)})
                subMesh->addIndex(index);
        }
    subMesh->setAttribute(VertexSemantic::Position, positions);
    subMesh->setAttribute(VertexSemantic::Normal, normals);
    subMesh->setAttribute(VertexSemantic::JointIndices, indices);
    subMesh->setAttribute(VertexSemantic::JointWeights, weights);
    subMesh->setMaterialName("bench");
    mesh->addSubMesh(subMesh);
    return mesh;
}

// Target t lifts the strip in a wave of its own, and turns its normals a little.
void addMorphTargets(SubMesh& subMesh)
{
    std::size_t vertices = subMesh.attribute(VertexSemantic::Position)->vertexCount();
    const std::vector<float>& positions = *subMesh.attribute(VertexSemantic::Position)->values;
    std::vector<float> offsets(vertices * morphTargets * SubMesh::floatsPerMorphOffset, 0.0f);
    for (std::size_t vertex = 0; vertex < vertices; ++vertex)
        for (int target = 0; target < morphTargets; ++target)
        {
            float* offset = &offsets[(vertex * morphTargets + static_cast<std::size_t>(target)) * 12];
            offset[1] = 0.1f * std::sin(positions[vertex * 3] * (target + 1) * 0.3f);
            offset[4] = 0.05f * std::cos(positions[vertex * 3] * (target + 1) * 0.3f);
        }
    subMesh.setMorphTargets(morphTargets, std::move(offsets));
}

class SkinnedScene
{
public:
    SkinnedScene()
    {
        scene = std::make_unique<Scene>("skin");
        SceneNode* parent = scene->getRoot();
        for (int joint = 0; joint < jointCount; ++joint)
        {
            auto* node = new SceneNode("joint" + std::to_string(joint));
            float step = joint == 0 ? 0.0f : length / (jointCount - 1);
            node->setTransform(Matrix4::translation({step, 0, 0}));
            parent->addChild(node);
            joints.push_back(node);
            inverseBinds.push_back(Matrix4::translation({-length * joint / (jointCount - 1), 0, 0}));
            parent = node;
        }
        node = new MeshNode("strip", skinnedStrip());
        scene->getRoot()->addChild(node);
        bindSkin();
        auto* camera = new CameraNode("camera");
        camera->setTransform(Matrix4::translation({10, 14, 14}));
        camera->lookAt(10, 0, 0);
        scene->getRoot()->addChild(camera);
        scene->setActiveCamera(camera);
        auto* light = new LightNode("light", LightKind::Spot);
        light->setTransform(Matrix4::translation({10, 16, 4}));
        light->lookAt(10, 0, 0);
        light->setFalloffAngle(1.4f);
        light->setShadowMode(ShadowMode::ShadowMap);
        light->setShadowDensity(0.7f);
        scene->getRoot()->addChild(light);
    }

    void bindSkin()
    {
        std::vector<const SceneNode*> bound(joints.begin(), joints.end());
        node->setSkin(std::make_unique<Skin>(bound, inverseBinds));
    }

    void unbindSkin() { node->setSkin(nullptr); }

    void addMorphs() { addMorphTargets(*node->getMesh()->getSubMeshes().front()); }

    // Every target weighted, each differently from frame to frame; or none.
    void weigh(int frame, bool morphed)
    {
        for (int target = 0; target < morphTargets; ++target)
            weights[static_cast<std::size_t>(target)] = morphed ? 0.5f + 0.5f * std::sin(frame * 0.05f + target) : 0.0f;
        node->setMorphWeights(weights);
    }

    void morphedFrame(RenderEngine& engine, int number, bool morphed)
    {
        weigh(number, morphed);
        engine.drawScene(*scene, 1.0f);
        glFinish();
    }

    // Each joint turns a little in the ground's plane, to and fro as the frames go: the strip sways
    // and covers about as many pixels as it does unbent.
    void pose(int frame)
    {
        float turn = 0.004f * std::sin(frame * 0.05f);
        for (int joint = 1; joint < jointCount; ++joint)
            joints[static_cast<std::size_t>(joint)]->setTransform(
                Matrix4::translation({length / (jointCount - 1), 0, 0}) * Matrix4::rotation({0, 1, 0}, turn));
    }

    void frame(RenderEngine& engine, int number)
    {
        pose(number);
        engine.drawScene(*scene, 1.0f);
        glFinish();
    }

    // What the engine does for the skin in a frame of the main pass and the shadow pass: the joint
    // matrices worked out and uploaded into a texture buffer, once for each pass.
    void skinWork(GLuint buffer, int number)
    {
        pose(number);
        glBindBuffer(GL_TEXTURE_BUFFER, buffer);
        for (int pass = 0; pass < 2; ++pass)
        {
            const std::vector<float>& matrices = node->getSkin()->jointMatrices(*node);
            glBufferData(GL_TEXTURE_BUFFER, static_cast<GLsizeiptr>(matrices.size() * sizeof(float)), matrices.data(),
                         GL_STREAM_DRAW);
        }
    }

private:
    std::unique_ptr<Scene> scene;
    std::vector<SceneNode*> joints;
    std::vector<Matrix4> inverseBinds;
    MeshNode* node = nullptr;
    std::vector<float> weights = std::vector<float>(morphTargets);
};

double secondsPerFrame(const std::function<void(int)>& frame, int count = frames)
{
    for (int warmUp = 0; warmUp < 3; ++warmUp)
        frame(warmUp);
    auto start = std::chrono::steady_clock::now();
    for (int number = 0; number < count; ++number)
        frame(number);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / count;
}

// Two ways of drawing, timed in turns of a few frames each, so that the machine's drift between them
// falls on both alike.
std::pair<double, double> compared(const std::function<void(int)>& first, const std::function<void(int)>& second)
{
    const int rounds = 10;
    std::pair<double, double> sums;
    for (int round = 0; round < rounds; ++round)
    {
        sums.first += secondsPerFrame(first, frames / rounds);
        sums.second += secondsPerFrame(second, frames / rounds);
    }
    return {sums.first / rounds, sums.second / rounds};
}
}

int main()
{
    std::ostringstream quiet;
    std::streambuf* console = std::cout.rdbuf(quiet.rdbuf());
    RenderEngine& engine = *Tavrin::getInstance().getRenderEngine();
    if (!engine.init(width, height, false))
    {
        std::cout.rdbuf(console);
        std::cerr << "no OpenGL context" << std::endl;
        return 1;
    }
    auto vertexShader = std::make_shared<File>(Pellux::DataDirectories::find("shader/default.vert"));
    auto fragmentShader = std::make_shared<File>(Pellux::DataDirectories::find("shader/default.frag"));
    auto* material = new SinglePassAutoMapMaterial("bench", vertexShader, nullptr, fragmentShader);
    material->setFloat("specularCoefficient", 0.5f);
    Tavrin::getInstance().getMaterialManager()->add(material);
    SkinnedScene scene;
    auto [skinned, unskinned] = compared(
        [&](int frame) {
            scene.bindSkin();
            scene.frame(engine, frame);
        },
        [&](int frame) {
            scene.unbindSkin();
            scene.frame(engine, frame);
        });
    scene.unbindSkin();
    scene.addMorphs();
    auto [morphed, unmorphed] = compared([&](int frame) { scene.morphedFrame(engine, frame, true); },
                                         [&](int frame) { scene.morphedFrame(engine, frame, false); });
    scene.bindSkin();
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    double skinWork = secondsPerFrame([&](int frame) { scene.skinWork(buffer, frame); });
    glDeleteBuffers(1, &buffer);
    std::cout.rdbuf(console);

    std::printf("skinned mesh of %d vertices and %d joints, %d frames at %dx%d with a shadow-casting light\n",
                gridSide * gridSide, jointCount, frames, width, height);
    std::printf("the skin's work per frame (joint matrices and uploads, two passes): %.3f ms (goal under 0.1 ms)\n",
                skinWork * 1000);
    std::printf("frame: skinned %.2f ms, without the skin %.2f ms, ratio %.2f (goal under 1.2)\n", skinned * 1000,
                unskinned * 1000, skinned / unskinned);
    std::printf("frame: %d morph targets shown %.2f ms, none %.2f ms, ratio %.2f (goal under 1.3)\n", morphTargets,
                morphed * 1000, unmorphed * 1000, morphed / unmorphed);
    return 0;
}
