// Renders generated scenes of many mesh nodes under spot lights with shadow maps, and the same
// draws issued by a minimal loop of raw OpenGL calls over the same buffers, and prints what a
// frame costs. The raw loop draws the nodes in the order they were made, row after row; a second
// raw loop draws them farthest first, in the engine's order, which costs more where boxes overlap,
// and tells how much of the engine's cost that order is. The three take turns, round after round,
// so that a machine whose speed drifts slows all alike; each figure is the median of the rounds,
// and the ratio's spread is its lowest and highest round. Run it from the demo's directory:
// scripts/bench scene. With NODES and LIGHTS as arguments it measures that one case.
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/foundation/DataDirectories.h"
#include "pellux/graphics/RenderTarget.h"
#include "pellux/graphics/Texture.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"
#include "renderer/GeometryBuffers.h"

#include "ChildProcess.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <iostream>
#include <sstream>
#include <sys/resource.h>
#include <utility>
#include <vector>

using namespace Pellux;

namespace
{
const int width = 1280;
const int height = 720;
// Engine and raw frames take turns this many times; each turn lasts at least `turnSeconds`. Many
// short rounds give even the largest case dozens of frames on each side, and their median shrugs
// off the moments another program takes the processor.
const int rounds = 21;
const double turnSeconds = 0.5;

Matrix4 translation(float x, float y, float z)
{
    return Matrix4::translation({x, y, z});
}

// A closed box of half-size 0.4 with normals and texture coordinates.
Mesh* boxMesh()
{
    auto* mesh = new Mesh("box");
    auto* subMesh = new SubMesh();
    std::vector<float> positions, normals, texCoords;
    const float faces[6][9] = {{0, 1, 0, 1, 0, 0, 0, 0, -1}, {0, -1, 0, 1, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 0, -1, 0, 1, 0},
                               {-1, 0, 0, 0, 0, 1, 0, 1, 0}, {0, 0, 1, 1, 0, 0, 0, 1, 0},  {0, 0, -1, -1, 0, 0, 0, 1, 0}};
    for (const auto& face : faces)
    {
        unsigned int first = static_cast<unsigned int>(positions.size() / 3);
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& corner : corners)
        {
            for (int axis = 0; axis < 3; ++axis)
            {
                positions.push_back(0.4f * (face[axis] + corner[0] * face[3 + axis] + corner[1] * face[6 + axis]));
                normals.push_back(face[axis]);
            }
            texCoords.insert(texCoords.end(), {(corner[0] + 1) / 2, (corner[1] + 1) / 2});
        }
        for (unsigned int index : {0u, 1u, 2u, 2u, 3u, 0u})
            subMesh->addIndex(first + index);
    }
    subMesh->setAttribute(VertexSemantic::Position, positions);
    subMesh->setAttribute(VertexSemantic::Normal, normals);
    subMesh->setAttribute(VertexSemantic::TexCoord, texCoords);
    subMesh->setTexCoordSetCount(1);
    subMesh->setMaterialName("bench");
    mesh->addSubMesh(subMesh);
    return mesh;
}

struct Case
{
    int nodes;
    int lights;
};

// The wall-clock time of a frame and the main thread's processor time of a draw.
struct Cost
{
    double frameSeconds;
    double drawSeconds;
};

class BenchmarkScene
{
public:
    BenchmarkScene(const Case& size, SinglePassAutoMapMaterial& material) : material(material)
    {
        scene = new Scene("benchmark");
        Mesh* box = boxMesh();
        int side = static_cast<int>(std::ceil(std::sqrt(size.nodes)));
        float spacing = 1.0f;
        float extent = side * spacing;
        for (int index = 0; index < size.nodes; ++index)
        {
            auto* node = new MeshNode("box" + std::to_string(index), box);
            node->setTransform(translation((index % side) * spacing - extent / 2, 0, (index / side) * spacing - extent / 2));
            scene->getRoot()->addChild(node);
            nodes.push_back(node);
        }
        farthestFirst = nodes;
        camera = new CameraNode("camera");
        camera->setTransform(translation(0, extent * 0.9f, extent * 0.6f));
        camera->lookAt(0, 0, 0);
        scene->getRoot()->addChild(camera);
        scene->setActiveCamera(camera);
        orderFarthestFirst();
        for (int index = 0; index < size.lights; ++index)
        {
            auto* light = new LightNode("light" + std::to_string(index), LightKind::Spot);
            float angle = index * 1.5708f;
            light->setTransform(translation(std::cos(angle) * extent * 0.3f, extent * 0.8f, std::sin(angle) * extent * 0.3f));
            light->lookAt(0, 0, 0);
            light->setFalloffAngle(1.2f);
            light->setShadowMode(ShadowMode::ShadowMap);
            light->setShadowDensity(0.7f);
            scene->getRoot()->addChild(light);
        }
    }

    void engineFrame(RenderEngine& engine)
    {
        engine.drawScene(*scene, 1.0f);
        glFinish();
    }

    // The same draws without the engine: one program, the buffers the engine uploaded, a world
    // matrix per draw, into the same targets, with every light's uniforms set once.
    void rawFrame(RenderEngine& engine) { rawFrame(engine, nodes); }
    void rawFrameFarthestFirst(RenderEngine& engine) { rawFrame(engine, farthestFirst); }

private:
    // As the engine orders them: by distance from the camera, farthest first, equal distances in
    // the order of the names. Nothing moves, so once is enough.
    void orderFarthestFirst()
    {
        std::sort(farthestFirst.begin(), farthestFirst.end(),
                  [](MeshNode* a, MeshNode* b) { return a->getName() < b->getName(); });
        Vector3 eye = camera->getWorldPosition();
        auto nearness = [&](MeshNode* node) { return 1 / (node->getWorldPosition() - eye).length(); };
        std::stable_sort(farthestFirst.begin(), farthestFirst.end(),
                         [&](MeshNode* a, MeshNode* b) { return nearness(a) < nearness(b); });
    }

    void rawFrame(RenderEngine& engine, const std::vector<MeshNode*>& drawOrder)
    {
        SubMesh& subMesh = *nodes.front()->getMesh()->getSubMeshes().front();
        GeometryBuffers& buffers = rawBuffers;
        GLsizei indexCount = static_cast<GLsizei>(subMesh.getIndices().size());
        GLint worldLocation = -1;
        GLint viewLocation = -1;
        GLint projLocation = -1;
        auto useProgram = [&](GLuint program) {
            glUseProgram(program);
            worldLocation = glGetUniformLocation(program, "world");
            viewLocation = glGetUniformLocation(program, "view");
            projLocation = glGetUniformLocation(program, "proj");
            const std::pair<const char*, VertexSemantic> inputs[3] = {
                {"position", VertexSemantic::Position},
                {"normal", VertexSemantic::Normal},
                {"texCoord_0", VertexSemantic::TexCoord}};
            if (rawVertexArray == 0)
                glGenVertexArrays(1, &rawVertexArray);
            glBindVertexArray(rawVertexArray);
            for (const auto& [input, semantic] : inputs)
            {
                GLint location = glGetAttribLocation(program, input);
                if (location < 0)
                    continue;
                glBindBuffer(GL_ARRAY_BUFFER, buffers.arrayBuffer(*subMesh.attribute(semantic)));
                glEnableVertexAttribArray(static_cast<GLuint>(location));
                glVertexAttribPointer(static_cast<GLuint>(location), componentCount(semantic), GL_FLOAT, GL_FALSE, 0,
                                      nullptr);
            }
            buffers.indexBuffer(subMesh);
        };

        RenderTarget* target = scene->getRenderTarget();
        target->bind();
        useProgram(material.getProgram());

        // The samplers read what the engine gives them: white for the missing image, and the
        // shadow maps.
        static Texture white(1, 1, std::vector<unsigned char>{255, 255, 255, 255}.data());
        auto bindSamplers = [&] {
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, white.getId());
            const std::vector<LightNode*>& lights = scene->getLights();
            for (std::size_t index = 0; index < lights.size(); ++index)
            {
                glActiveTexture(GL_TEXTURE0 + 1 + static_cast<GLenum>(index));
                glBindTexture(GL_TEXTURE_2D, lights[index]->getShadowMap()->getDepthTexture());
            }
            glActiveTexture(GL_TEXTURE0);
        };
        auto pass = [&](CameraNode& eye) {
            glUniformMatrix4fv(viewLocation, 1, GL_TRUE, eye.getViewMatrix().data());
            glUniformMatrix4fv(projLocation, 1, GL_TRUE, eye.getProjectionMatrix().data());
            for (MeshNode* node : drawOrder)
            {
                glUniformMatrix4fv(worldLocation, 1, GL_TRUE, node->getTransform().data());
                glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
            }
        };
        bindSamplers();
        pass(*camera);
        glEnable(GL_POLYGON_OFFSET_FILL);
        for (LightNode* light : scene->getLights())
        {
            light->getShadowMap()->bind();
            useProgram(material.getDepthProgram());
            pass(*light);
        }
        glDisable(GL_POLYGON_OFFSET_FILL);
        glBindVertexArray(0);
        glUseProgram(0);
        const Rectangle whole(0, 0, 1, 1);
        engine.drawTexture(target->getColorTexture(), whole, whole, false, 1.0f);
        glFinish();
    }

private:
    SinglePassAutoMapMaterial& material;
    Scene* scene;
    CameraNode* camera;
    std::vector<MeshNode*> nodes;
    std::vector<MeshNode*> farthestFirst;
    // The raw loop's own, so that it relies on nothing the engine set up for its draws.
    GLuint rawVertexArray = 0;
    GeometryBuffers rawBuffers;
};

double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

Cost costOf(const std::function<void()>& frame, int frames, double drawsPerFrame)
{
    auto start = std::chrono::steady_clock::now();
    double processorStart = threadSeconds();
    for (int count = 0; count < frames; ++count)
        frame();
    double processor = threadSeconds() - processorStart;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return {wall / frames, processor / (frames * drawsPerFrame)};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

long peakMemoryKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

SinglePassAutoMapMaterial* materialOf(const char* fragmentShader)
{
    auto vertex = std::make_shared<File>(Pellux::DataDirectories::find("shader/default.vert"));
    auto fragment = std::make_shared<File>(Pellux::DataDirectories::find(fragmentShader));
    return new SinglePassAutoMapMaterial("bench", vertex, nullptr, fragment);
}

// The engine's window, with the engine's log going into `quiet`; standard output's own buffer is
// returned. Ends the process when no window can be opened.
std::streambuf* openQuietly(std::ostringstream& quiet)
{
    std::streambuf* console = std::cout.rdbuf(quiet.rdbuf());
    if (!Tavrin::getInstance().getRenderEngine()->init(width, height, false))
    {
        std::cout.rdbuf(console);
        std::cerr << "no OpenGL context" << std::endl;
        std::exit(1);
    }
    return console;
}

// Runs in a child process of its own, so that the peak memory is this case's.
void runCase(const Case& size)
{
    std::ostringstream quiet;
    std::streambuf* console = openQuietly(quiet);
    RenderEngine& engine = *Tavrin::getInstance().getRenderEngine();
    SinglePassAutoMapMaterial* material = materialOf("shader/default.frag");
    material->setFloat("specularCoefficient", 0.5f);
    Tavrin::getInstance().getMaterialManager()->add(material);
    BenchmarkScene scene(size, *material);
    auto engineFrame = [&] { scene.engineFrame(engine); };
    auto rawFrame = [&] { scene.rawFrame(engine); };
    auto rawFrameFarthestFirst = [&] { scene.rawFrameFarthestFirst(engine); };
    double draws = static_cast<double>(size.nodes) * (1 + size.lights);
    // The first frames build programs and buffers; the next one tells how many make a turn.
    for (int warmUp = 0; warmUp < 2; ++warmUp)
    {
        engineFrame();
        rawFrame();
        rawFrameFarthestFirst();
    }
    int frames = std::max(2, static_cast<int>(std::ceil(turnSeconds / costOf(engineFrame, 1, draws).frameSeconds)));
    std::vector<double> engineFrames, rawFrames, ratios, engineDraws, rawDraws, sameOrderRatios;
    for (int round = 0; round < rounds; ++round)
    {
        Cost engineCost = costOf(engineFrame, frames, draws);
        Cost rawCost = costOf(rawFrame, frames, draws);
        Cost sameOrderCost = costOf(rawFrameFarthestFirst, frames, draws);
        engineFrames.push_back(engineCost.frameSeconds);
        rawFrames.push_back(rawCost.frameSeconds);
        ratios.push_back(engineCost.frameSeconds / rawCost.frameSeconds);
        sameOrderRatios.push_back(engineCost.frameSeconds / sameOrderCost.frameSeconds);
        engineDraws.push_back(engineCost.drawSeconds);
        rawDraws.push_back(rawCost.drawSeconds);
    }
    std::cout.rdbuf(console);

    std::printf("%7d %6d %10.2f %10.2f %7.3f %6.3f-%5.3f %11.3f %9.2f %9.2f %7d %9.1f\n", size.nodes, size.lights,
                median(engineFrames) * 1000, median(rawFrames) * 1000, median(ratios),
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()),
                median(sameOrderRatios), median(engineDraws) * 1e6, median(rawDraws) * 1e6, frames * rounds,
                peakMemoryKilobytes() / 1024.0);
    std::fflush(stdout);
}
}

// The same scene drawn by the engine with the default shaders and with the metallic-roughness ones,
// frames of either taking turns.
void runShadingCase(const Case& size)
{
    std::ostringstream quiet;
    std::streambuf* console = openQuietly(quiet);
    RenderEngine& engine = *Tavrin::getInstance().getRenderEngine();
    SinglePassAutoMapMaterial* plain = materialOf("shader/default.frag");
    plain->setFloat("specularCoefficient", 0.5f);
    SinglePassAutoMapMaterial* physical = materialOf("shader/pbr.frag");
    physical->setValue("baseColorFactor", Pellux::MaterialValue::vector(0.8f, 0.8f, 0.8f, 1.0f));
    physical->setValue("roughnessFactor", Pellux::MaterialValue::number(0.5f));
    physical->drawDepthWithoutShading();
    MaterialManager& materials = *Tavrin::getInstance().getMaterialManager();
    BenchmarkScene scene(size, *plain);
    auto frameWith = [&](SinglePassAutoMapMaterial* material) {
        materials.add(material);
        return [&engine, &scene] { scene.engineFrame(engine); };
    };
    double draws = static_cast<double>(size.nodes) * (1 + size.lights);
    for (SinglePassAutoMapMaterial* material : {plain, physical, plain, physical})
        costOf(frameWith(material), 1, draws);
    int frames = std::max(2, static_cast<int>(std::ceil(turnSeconds / costOf(frameWith(physical), 1, draws).frameSeconds)));
    std::vector<double> plainFrames, physicalFrames, ratios;
    for (int round = 0; round < rounds; ++round)
    {
        Cost plainCost = costOf(frameWith(plain), frames, draws);
        Cost physicalCost = costOf(frameWith(physical), frames, draws);
        plainFrames.push_back(plainCost.frameSeconds);
        physicalFrames.push_back(physicalCost.frameSeconds);
        ratios.push_back(physicalCost.frameSeconds / plainCost.frameSeconds);
    }
    std::cout.rdbuf(console);
    std::printf("%7d %6d %12.2f %12.2f %7.3f %6.3f-%5.3f\n", size.nodes, size.lights, median(plainFrames) * 1000,
                median(physicalFrames) * 1000, median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()));
    std::fflush(stdout);
}

int shadingComparison()
{
    std::printf("%dx%d: the engine's frame with the metallic-roughness shaders / with the default ones, medians of "
                "%d rounds taking turns\n",
                width, height, rounds);
    std::printf("%7s %6s %12s %12s %7s %12s\n", "nodes", "lights", "default ms", "pbr ms", "ratio", "ratio range");
    std::fflush(stdout);
    for (Case size : {Case{100, 1}, Case{1000, 4}})
        if (!runInChildProcess([&] { runShadingCase(size); }))
            return 1;
    return 0;
}

int main(int argc, char** argv)
{
    std::vector<Case> cases = {{100, 1}, {100, 4}, {1000, 1}, {1000, 4}, {10000, 1}, {10000, 4}};
    if (argc == 2 && std::string(argv[1]) == "--shading")
        return shadingComparison();
    if (argc == 3)
        cases = {{std::atoi(argv[1]), std::atoi(argv[2])}};
    else if (argc != 1)
    {
        std::fprintf(stderr, "usage: pellux-scene-benchmark [NODES LIGHTS | --shading]\n");
        return 2;
    }
    std::printf("%dx%d, shadow maps 1024x1024, llvmpipe or whatever OpenGL this machine has\n", width, height);
    std::printf("medians of %d rounds in which engine and raw frames take turns; ratio: engine / raw; range: its "
                "lowest and highest round;\nsame order: engine / raw drawing the nodes farthest first as the engine "
                "does\n",
                rounds);
    std::printf("%7s %6s %10s %10s %7s %12s %11s %9s %9s %7s %9s\n", "nodes", "lights", "engine ms", "raw ms", "ratio",
                "ratio range", "same order", "engine us", "raw us", "frames", "peak MiB");
    std::printf("%7s %6s %10s %10s %7s %12s %11s %9s %9s %7s %9s\n", "", "", "/frame", "/frame", "", "", "ratio",
                "CPU/draw", "CPU/draw", "each", "");
    std::fflush(stdout);
    for (Case size : cases)
    {
        if (!runInChildProcess([&] { runCase(size); }))
            return 1;
    }
    return 0;
}
