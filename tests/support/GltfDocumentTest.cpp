#include "GltfDocumentTest.h"

#include "CaptureOutput.h"
#include "SceneBuilding.h"

#include "pellux/scene/CameraNode.h"

#include <GL/glew.h>

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

void GltfDocumentTest::SetUp()
{
    engine = openRenderEngine();
    ASSERT_NE(engine, nullptr);
}

void GltfDocumentTest::TearDown()
{
    EXPECT_FALSE(glErrorRaised());
}

std::unique_ptr<Pellux::Scene> GltfDocumentTest::loadDocument(const std::string& name, const std::string& content,
                                                              const Pellux::GltfSelection& selection)
{
    path = directory.write(name, content);
    std::unique_ptr<Pellux::Scene> scene;
    log = captureStdout([&] { scene.reset(Pellux::GltfSceneloader::load(File(path), &read, selection)); });
    return scene;
}

void GltfDocumentTest::drawFrame(Pellux::Scene& scene)
{
    captureStdout([&] {
        engine->endFrame();
        engine->drawScene(scene, 1.0f);
    });
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void GltfDocumentTest::drawFrom(Pellux::Scene& scene, float eye)
{
    scene.getActiveCamera()->setTransform(translation({0, 0, eye}));
    scene.getActiveCamera()->lookAt(0, 0, 0);
    drawFrame(scene);
}

Rgba GltfDocumentTest::pixelFromMiddle(int right, int up)
{
    std::shared_ptr<Pellux::Rectangle> window = Pellux::RenderEngine::getScreenRectangle();
    return readPixel(static_cast<int>(window->width) / 2 + right, static_cast<int>(window->height) / 2 + up);
}
