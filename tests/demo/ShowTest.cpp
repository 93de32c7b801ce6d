#include "Show.h"
#include "ShowSound.h"

#include "pellux/core/KeyCodes.h"
#include "pellux/materials/Material.h"
#include "pellux/materials/MaterialManager.h"
#include "pellux/resources/Mesh.h"
#include "pellux/resources/SubMesh.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include "CaptureOutput.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

using namespace Pellux;

namespace
{
// Remembers what the show did with its sound.
struct RecordedSound : ShowSound
{
    void play() override { ++plays; }
    void setVolume(float value) override { volume = value; }
    void setPaused(bool value) override { paused = value; }
    void setPosition(float seconds) override { positions.push_back(seconds); }

    int plays = 0;
    float volume = 1;
    bool paused = false;
    std::vector<float> positions;
};

struct PlainMaterial : Material
{
    explicit PlainMaterial(const std::string& name) : Material(name) {}
    void draw(Scene*, MeshNode*, SubMesh*, RenderTarget*) override {}
    void drawNode(Scene*, MeshNode*, RenderTarget*) override {}
};

// A scene with the three walls, the show's wall materials, and the show driven by hand.
class ShowTest : public testing::Test
{
protected:
    ShowTest()
    {
        createLoggerQuietly();
        directory.write("settings.txt", "[graphics]\n");
        captureStdout([&] {
            scene = std::make_unique<Scene>("show");
            for (const char* wall : {"node-wand", "node-wanddingsi", "node-Box002"})
            {
                auto* mesh = new Mesh(wall);
                for (int part = 0; part < 2; ++part)
                {
                    auto* subMesh = new SubMesh();
                    subMesh->setMaterialName("stone");
                    mesh->addSubMesh(subMesh);
                }
                scene->getRoot()->addChild(new MeshNode(std::string(wall) + "_mesh", mesh));
            }
            for (const char* name : {"wall_parallax", "wall_relief", "wall_normal"})
                materials.add(new PlainMaterial(name));
        });
        for (const char* name : {"wall_parallax", "wall_relief", "wall_normal"})
            materials.get(name)->lightsDirty = false;
        show = std::make_unique<Show>(*scene, sound, materials);
    }

    // One frame with these keys held: the clock, the keys, then the frame's end.
    bool frame(float frameTime, std::set<int> held = {})
    {
        show->advanceClock(frameTime);
        running = show->handleKeys([&](int key) { return held.count(key) > 0; }, frameTime);
        return show->finishFrame(frameTime);
    }

    std::set<std::string> wallMaterials()
    {
        std::set<std::string> names;
        for (const char* wall : {"node-wand_mesh", "node-wanddingsi_mesh", "node-Box002_mesh"})
            for (SubMesh* subMesh : static_cast<MeshNode*>(scene->getNode(wall))->getMesh()->getSubMeshes())
                names.insert(subMesh->getMaterialName());
        return names;
    }

    TemporaryDirectory directory;
    WorkingDirectory inDirectory{directory.path()};
    std::unique_ptr<Scene> scene;
    MaterialManager materials;
    RecordedSound sound;
    std::unique_ptr<Show> show;
    bool running = true;
};

TEST_F(ShowTest, TheFirstThreeFramesHoldTimeZeroAndTheSoundStartsOnceInTheFourth)
{
    for (int count = 0; count < 3; ++count)
    {
        frame(0.1f);
        EXPECT_EQ(scene->getTime(), 0.0f);
        EXPECT_EQ(sound.plays, 0);
    }
    frame(0.1f);
    EXPECT_EQ(sound.plays, 1);
    EXPECT_FLOAT_EQ(scene->getTime(), 0.1f);
    frame(0.1f, {'Q'});
    frame(0.1f);
    EXPECT_EQ(sound.plays, 1) << "rewinding to 0 does not start the sound again";
}

TEST_F(ShowTest, OnlyTheFirstHeldKeyOfTheChainActs)
{
    frame(0.1f, {Key::Escape, 'P'});
    EXPECT_TRUE(running) << "a show key held with Escape keeps the show going";
    EXPECT_TRUE(show->isPaused());
    frame(0.1f, {'2', '3', 'P'});
    EXPECT_EQ(wallMaterials(), std::set<std::string>{"wall_parallax"});
    EXPECT_TRUE(show->isPaused());
    frame(0.1f, {Key::Escape});
    EXPECT_FALSE(running);
}

TEST_F(ShowTest, DigitsSwitchTheThreeWallsAndDirtyTheirMaterial)
{
    struct SwitchCase { int key; const char* material; };
    for (SwitchCase step : {SwitchCase{'2', "wall_parallax"}, SwitchCase{'3', "wall_relief"}, SwitchCase{'1', "wall_normal"}})
    {
        frame(0.1f, {step.key});
        EXPECT_EQ(wallMaterials(), std::set<std::string>{step.material}) << step.material;
        EXPECT_TRUE(materials.get(step.material)->lightsDirty) << step.material;
    }
}

TEST_F(ShowTest, RewindWhilePausedStopsAtZeroAndMovesTheSound)
{
    for (int count = 0; count < 4; ++count)
        frame(0.05f);
    scene->setTime(0.3f);
    frame(0.05f, {'P'});
    ASSERT_TRUE(show->isPaused());
    frame(0.05f, {'Q'});
    EXPECT_EQ(scene->getTime(), 0.0f);
    ASSERT_FALSE(sound.positions.empty());
    EXPECT_EQ(sound.positions.back(), 0.0f);
    EXPECT_TRUE(sound.paused) << "moving the sound resumes it; the show pauses it again";
    EXPECT_EQ(sound.plays, 1);
}

TEST_F(ShowTest, WhileRunningTheClockAdvancesBeforeAJump)
{
    for (int count = 0; count < 4; ++count)
        frame(0.05f);
    scene->setTime(0.3f);
    frame(0.05f, {'Q'});
    EXPECT_EQ(scene->getTime(), 0.0f) << "0.35 - 0.5 stops at 0";
    frame(0.05f, {'W'});
    EXPECT_NEAR(scene->getTime(), 0.05f + 0.5f, 1e-6f);
    EXPECT_FALSE(sound.paused);
}

TEST_F(ShowTest, HoldingPTogglesThePauseEveryHalfSecond)
{
    std::vector<bool> pauses;
    for (int count = 0; count < 12; ++count)
    {
        frame(0.125f, {'P'});
        pauses.push_back(show->isPaused());
    }
    EXPECT_EQ(pauses, (std::vector<bool>{true, true, true, true, false, false, false, false, true, true, true, true}));
    EXPECT_TRUE(sound.paused);
}

TEST_F(ShowTest, FadesOutAfter79SecondsAndEndsAfter83)
{
    struct FadeCase { float time; float fade; bool ended; };
    const FadeCase cases[] = {
        {78.0f, 1.0f, false},
        {79.5f, std::sin(0.5f + 1.57075f), false},
        {81.0f, std::sin(3.1415f), false},
        {83.0f, std::sin(3.1415f), false},
        {83.01f, std::sin(3.1415f), true},
    };
    for (const FadeCase& at : cases)
    {
        scene->setTime(at.time);
        EXPECT_EQ(show->finishFrame(0), at.ended) << at.time;
        EXPECT_NEAR(show->getFade(), at.fade, 1e-5f) << at.time;
        EXPECT_NEAR(sound.volume, at.fade, 1e-5f) << at.time;
    }
}
}
