#include "DrawnDocument.h"

#include "CaptureOutput.h"
#include "GlContext.h"

#include "pellux/collada/ColladaSceneloader.h"

void DrawnDocumentTest::SetUp()
{
    engine = openRenderEngine();
    ASSERT_NE(engine, nullptr);
}

void DrawnDocumentTest::TearDown()
{
    EXPECT_FALSE(glErrorRaised());
}

std::unique_ptr<Pellux::Scene> DrawnDocumentTest::loadAndDraw(const std::string& text)
{
    std::string path = directory.write("document" + std::to_string(documents++) + ".dae", text);
    std::unique_ptr<Pellux::Scene> scene;
    log = captureOutput([&] {
              scene.reset(Pellux::ColladaSceneloader::load(File(path)));
              for (int frame = 0; frame < 2; ++frame)
                  engine->drawScene(*scene, 1.0f);
          }).out;
    return scene;
}

Pellux::MeshNode* DrawnDocumentTest::meshNodeOf(Pellux::Scene& scene, const std::string& nodeName,
                                                const std::string& suffix)
{
    Pellux::SceneNode* holder = scene.getNode(nodeName);
    EXPECT_NE(holder, nullptr) << nodeName;
    if (holder == nullptr)
        return nullptr;
    auto child = holder->getChildren().find(nodeName + "_mesh" + suffix);
    return child != holder->getChildren().end() ? dynamic_cast<Pellux::MeshNode*>(child->second) : nullptr;
}
