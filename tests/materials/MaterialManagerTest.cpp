#include "pellux/materials/Material.h"
#include "pellux/materials/MaterialManager.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

using Pellux::Material;
using Pellux::MaterialManager;

namespace
{
struct PlainMaterial : Material
{
    explicit PlainMaterial(const std::string& name) : Material(name) {}
    void draw(Pellux::Scene*, Pellux::MeshNode*, Pellux::SubMesh*, Pellux::RenderTarget*) override {}
    void drawNode(Pellux::Scene*, Pellux::MeshNode*, Pellux::RenderTarget*) override {}
};

class MaterialManagerTest : public testing::Test
{
protected:
    MaterialManagerTest() { createLoggerQuietly(); }

    Material* make(const std::string& name)
    {
        Material* material = nullptr;
        captureStdout([&] { material = new PlainMaterial(name); });
        return material;
    }

    MaterialManager manager;
};

TEST_F(MaterialManagerTest, AFreshMaterialDrawsEarlyAndSendsItsLights)
{
    Material* material = make("stone");
    EXPECT_EQ(material->getMaterialName(), "stone");
    EXPECT_EQ(material->getName(), "");
    EXPECT_EQ(material->getType(), "Resource");
    EXPECT_TRUE(material->lightsDirty);
    EXPECT_TRUE(material->drawnEarly);
}

TEST_F(MaterialManagerTest, FindsMaterialsByTheirExactNames)
{
    Material* first = make("wall");
    Material* second = make("wall");
    Material* other = make("Wall");
    manager.add(first);
    manager.add(second);
    manager.add(other);
    EXPECT_EQ(manager.get("wall"), second);
    EXPECT_EQ(manager.get("Wall"), other);
    EXPECT_EQ(manager.get("WALL"), nullptr);
    EXPECT_EQ(manager.get(""), nullptr);
    manager.add(make(""));
    EXPECT_NE(manager.get(""), nullptr);
}

TEST_F(MaterialManagerTest, LooksUpWithoutAWord)
{
    manager.add(make("quiet"));
    EXPECT_EQ(captureStdout([&] {
                  manager.get("quiet");
                  manager.get("missing");
              }),
              "");
}
}
