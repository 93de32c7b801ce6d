// Renders generated scenes of many mesh nodes under spot lights with shadow maps, and the same
// draws issued by a minimal loop of raw OpenGL calls over the same buffers, and prints what a
// frame costs. Run it from the demo's directory: scripts/bench.
#include "pellux/core/RenderEngine.h"
#include "pellux/core/Tavrin.h"
#include "pellux/materials/GeometryBuffers.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/materials/RenderTarget.h"
#include "pellux/materials/SinglePassAutoMapMaterial.h"
#include "pellux/materials/Texture.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/CameraNode.h"
#include "pellux/scene/LightNode.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include "ChildProcess.h"

#include <GL/glew.h>

#include <chrono>
#include <functional>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <sys/resource.h>

using namespace Pellux;

namespace
{
const int width = 1280;
const int height = 720;

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
    subMesh->setAttribute("position", positions, 3);
    subMesh->setAttribute("normal", normals, 3);
    subMesh->setAttribute("texCoord_0", texCoords, 2);
    subMesh->setAttribute("texCoordCount", std::vector<float>{1}, 1);
    subMesh->setMaterialName("bench");
    mesh->addSubMesh(subMesh);
    return mesh;
}

struct Case
{
    int nodes;
    int lights;
};

struct Figures
{
    double engineFrameSeconds;
    double rawFrameSeconds;
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
        camera = new CameraNode("camera");
        camera->setTransform(translation(0, extent * 0.9f, extent * 0.6f));
        camera->lookAt(0, 0, 0);
        scene->getRoot()->addChild(camera);
        scene->setActiveCamera(camera);
        for (int index = 0; index < size.lights; ++index)
        {
            auto* light = new LightNode("light" + std::to_string(index), 0);
            float angle = index * 1.5708f;
            light->setTransform(translation(std::cos(angle) * extent * 0.3f, extent * 0.8f, std::sin(angle) * extent * 0.3f));
            light->lookAt(0, 0, 0);
            light->setFalloffAngle(1.2f);
            light->setShadowType(1);
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
    void rawFrame(RenderEngine& engine)
    {
        SubMesh& subMesh = *nodes.front()->getMesh()->getSubMeshes().front();
        GeometryBuffers& buffers = GeometryBuffers::get();
        GLsizei indexCount = static_cast<GLsizei>(subMesh.getIndices().size());
        GLint worldLocation = -1;
        GLint viewLocation = -1;
        GLint projLocation = -1;
        auto useProgram = [&](GLuint program) {
            glUseProgram(program);
            worldLocation = glGetUniformLocation(program, "world");
            viewLocation = glGetUniformLocation(program, "view");
            projLocation = glGetUniformLocation(program, "proj");
            const char* arrays[3] = {"position", "normal", "texCoord_0"};
            const int components[3] = {3, 3, 2};
            glBindVertexArray(buffers.vertexArray());
            for (int array = 0; array < 3; ++array)
            {
                GLint location = glGetAttribLocation(program, arrays[array]);
                if (location < 0)
                    continue;
                glBindBuffer(GL_ARRAY_BUFFER, buffers.arrayBuffer(subMesh.getAttributes().at(arrays[array])));
                glEnableVertexAttribArray(static_cast<GLuint>(location));
                glVertexAttribPointer(static_cast<GLuint>(location), components[array], GL_FLOAT, GL_FALSE, 0, nullptr);
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
            for (MeshNode* node : nodes)
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
};

double secondsPerFrame(const std::function<void()>& frame, int frames)
{
    for (int warmUp = 0; warmUp < 2; ++warmUp)
        frame();
    auto start = std::chrono::steady_clock::now();
    for (int count = 0; count < frames; ++count)
        frame();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / frames;
}

long peakMemoryKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs in a child process of its own, so that the peak memory is this case's.
void runCase(const Case& size)
{
    std::ostringstream quiet;
    std::streambuf* console = std::cout.rdbuf(quiet.rdbuf());
    RenderEngine& engine = *Tavrin::getInstance().getRenderEngine();
    if (!engine.init(width, height, false))
    {
        std::cout.rdbuf(console);
        std::cerr << "no OpenGL context" << std::endl;
        std::exit(1);
    }
    auto* material = new SinglePassAutoMapMaterial("bench", std::make_shared<File>("resources/shader/default.vert"),
                                                   nullptr, std::make_shared<File>("resources/shader/default.frag"));
    material->setFloat("specularCoefficient", 0.5f);
    Tavrin::getInstance().getMaterialManager()->add(material);
    BenchmarkScene scene(size, *material);
    int frames = size.nodes >= 10000 ? 3 : 10;
    double engineSeconds = secondsPerFrame([&] { scene.engineFrame(engine); }, frames);
    double rawSeconds = secondsPerFrame([&] { scene.rawFrame(engine); }, frames);
    std::cout.rdbuf(console);

    double draws = static_cast<double>(size.nodes) * (1 + size.lights);
    std::printf("%7d %6d %14.2f %14.2f %8.2f %14.0f %12.1f\n", size.nodes, size.lights, engineSeconds * 1000,
                rawSeconds * 1000, engineSeconds / rawSeconds, draws / engineSeconds, peakMemoryKilobytes() / 1024.0);
    std::fflush(stdout);
}
}

int main()
{
    std::printf("%dx%d, shadow maps 1024x1024, llvmpipe or whatever OpenGL this machine has\n", width, height);
    std::printf("%7s %6s %14s %14s %8s %14s %12s\n", "nodes", "lights", "engine ms", "raw GL ms", "ratio",
                "draws/s", "peak MiB");
    std::fflush(stdout);
    for (Case size : {Case{100, 1}, Case{100, 4}, Case{1000, 1}, Case{1000, 4}, Case{10000, 1}, Case{10000, 4}})
    {
        if (!runInChildProcess([&] { runCase(size); }))
            return 1;
    }
    return 0;
}
