#pragma once

#include "GlContext.h"
#include "TemporaryDirectory.h"

#include "pellux/core/RenderEngine.h"
#include "pellux/gltf/GltfSceneloader.h"
#include "pellux/scene/Scene.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// The text with the first `from` in it replaced by `to`; a `from` it does not hold fails the test.
std::string replaced(std::string text, const std::string& from, const std::string& to);

// Tests of glTF documents written for the purpose, loaded and drawn in the engine's window.
class GltfDocumentTest : public testing::Test
{
protected:
    void SetUp() override;
    // OpenGL raised no error.
    void TearDown() override;

    // Loads `content` written as the file `name` of the test's folder; `path`, `log` and `read` tell
    // how that went.
    std::unique_ptr<Pellux::Scene> loadDocument(const std::string& name, const std::string& content,
                                                const Pellux::GltfSelection& selection = Pellux::GltfSelection());
    // One frame of the scene onto the window, which is left bound for reading.
    void drawFrame(Pellux::Scene& scene);
    // The same, seen from (0, 0, eye) towards the origin.
    void drawFrom(Pellux::Scene& scene, float eye);
    // The window's pixel `right` and `up` pixels from its middle.
    static Rgba pixelFromMiddle(int right, int up);

    Pellux::RenderEngine* engine = nullptr;
    TemporaryDirectory directory;
    std::string path;
    std::string log;
    bool read = false;
};
