#include "Show.h"

#include "ShowSound.h"

#include "pellux/core/KeyCodes.h"
#include "pellux/materials/Material.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include <algorithm>
#include <cmath>

namespace
{
const int stillFrames = 3;
const float jumpSpeed = 10.0f;
const float pauseCooldownSeconds = 0.5f;
const float fadeStart = 79.0f;
const float showEnd = 83.0f;
const float quarterTurn = 1.57075f;
const float halfTurn = 3.1415f;
const char* const wallNodes[] = {"node-wand_mesh", "node-wanddingsi_mesh", "node-Box002_mesh"};
}

Show::Show(Pellux::Scene& scene, ShowSound& sound, Pellux::MaterialManager& materials)
    : scene(scene), sound(sound), materials(materials)
{
}

void Show::advanceClock(float frameTime)
{
    if (frameCounter < stillFrames)
    {
        ++frameCounter;
        return;
    }
    if (scene.getTime() == 0 && !soundStarted)
    {
        sound.play();
        soundStarted = true;
    }
    if (!paused)
        scene.setTime(scene.getTime() + frameTime);
}

bool Show::handleKeys(const std::function<bool(int key)>& isHeld, float frameTime)
{
    if (isHeld(parallaxKey))
        switchWalls("wall_parallax");
    else if (isHeld(reliefKey))
        switchWalls("wall_relief");
    else if (isHeld(normalKey))
        switchWalls("wall_normal");
    else if (isHeld(rewindKey))
        jump(-jumpSpeed * frameTime);
    else if (isHeld(forwardKey))
        jump(jumpSpeed * frameTime);
    else if (isHeld(pauseKey))
        togglePause();
    else if (isHeld(Pellux::Key::Escape))
        return false;
    return true;
}

void Show::switchWalls(const char* materialName)
{
    for (const char* wall : wallNodes)
    {
        Pellux::SceneNode* node = scene.getNode(wall);
        if (node == nullptr || node->getKind() != Pellux::NodeKind::Mesh)
            continue;
        Pellux::Mesh* mesh = static_cast<Pellux::MeshNode*>(node)->getMesh();
        if (mesh == nullptr)
            continue;
        for (Pellux::SubMesh* subMesh : mesh->getSubMeshes())
            subMesh->setMaterialName(materialName);
        // The walls are new to the material: it sends every light at its next draw.
        if (Pellux::Material* material = materials.get(materialName))
            material->lightsDirty = true;
    }
}

void Show::jump(float seconds)
{
    scene.setTime(scene.getTime() + seconds);
    sound.setPosition(scene.getTime());
    // Moving the sound resumes it.
    sound.setPaused(paused);
}

void Show::togglePause()
{
    if (pauseCooldown > 0)
        return;
    paused = !paused;
    sound.setPaused(paused);
    pauseCooldown = pauseCooldownSeconds;
}

bool Show::finishFrame(float frameTime)
{
    pauseCooldown -= frameTime;
    float time = scene.getTime();
    if (time > fadeStart)
    {
        fade = std::sin(std::min((time - fadeStart) + quarterTurn, halfTurn));
        sound.setVolume(fade);
    }
    return time > showEnd;
}
