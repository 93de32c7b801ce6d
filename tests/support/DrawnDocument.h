#pragma once

#include "TemporaryDirectory.h"

#include "pellux/core/RenderEngine.h"
#include "pellux/scene/MeshNode.h"
#include "pellux/scene/Scene.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// Tests of COLLADA documents written as text, loaded and drawn in the engine's window.
class DrawnDocumentTest : public testing::Test
{
protected:
    void SetUp() override;
    // OpenGL raised no error.
    void TearDown() override;

    // Loads the document and draws two frames of it; `log` holds what that wrote.
    std::unique_ptr<Pellux::Scene> loadAndDraw(const std::string& text);
    // The mesh node a node of the document holds under that name's "_mesh" and `suffix` ("-2", ...).
    Pellux::MeshNode* meshNodeOf(Pellux::Scene& scene, const std::string& nodeName, const std::string& suffix = "");

    Pellux::RenderEngine* engine = nullptr;
    TemporaryDirectory directory;
    std::string log;
    int documents = 0;
};
