// The typed and the int API of a light's kind and shadow mode tell the same.
#include "pellux/scene/LightNode.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Pellux;

namespace
{
struct KindCase
{
    LightKind kind;
    int number;
    int constant;
};

const KindCase kinds[] = {
    {LightKind::Spot, 0, LightNode::spotLight},
    {LightKind::Directional, 1, LightNode::directionalLight},
    {LightKind::Point, 2, LightNode::pointLight},
    {LightKind::Ambient, 3, LightNode::ambientLight},
};

struct ShadowCase
{
    ShadowMode mode;
    int number;
    bool casts;
};

const ShadowCase shadows[] = {
    {ShadowMode::None, 0, false},
    {ShadowMode::ShadowMap, 1, true},
};

std::unique_ptr<LightNode> makeLight(int type)
{
    std::unique_ptr<LightNode> light;
    captureStdout([&] { light = std::make_unique<LightNode>("lamp", type); });
    return light;
}

std::unique_ptr<LightNode> makeLight(LightKind kind)
{
    std::unique_ptr<LightNode> light;
    captureStdout([&] { light = std::make_unique<LightNode>("lamp", kind); });
    return light;
}
}

TEST(LightKind, EachKindIsItsNumberBothWays)
{
    for (const KindCase& expected : kinds)
    {
        EXPECT_EQ(expected.constant, expected.number);
        EXPECT_EQ(makeLight(expected.kind)->getLightType(), expected.number);
        EXPECT_EQ(makeLight(expected.number)->getLightKind(), expected.kind) << expected.number;

        auto light = makeLight(LightKind::Point);
        light->setLightType(expected.number);
        EXPECT_EQ(light->getLightKind(), expected.kind) << expected.number;
        light->setLightKind(LightKind::Point);
        light->setLightKind(expected.kind);
        EXPECT_EQ(light->getLightType(), expected.number);
    }
}

TEST(LightKind, EachShadowModeIsItsNumberBothWays)
{
    auto light = makeLight(LightKind::Spot);
    EXPECT_EQ(light->getShadowMode(), ShadowMode::None) << "a new light casts no shadows";
    for (const ShadowCase& expected : shadows)
    {
        light->setShadowType(expected.number);
        EXPECT_EQ(light->getShadowMode(), expected.mode) << expected.number;
        EXPECT_EQ(light->castsShadows(), expected.casts) << expected.number;
        light->setShadowType(1 - expected.number);
        light->setShadowMode(expected.mode);
        EXPECT_EQ(light->getShadowType(), expected.number);
        EXPECT_EQ(light->castsShadows(), expected.casts) << expected.number;
    }
}

TEST(LightKind, ANumberOfNoKindOrModeIsKeptAsGiven)
{
    auto light = makeLight(7);
    EXPECT_EQ(light->getLightType(), 7);
    light->setLightType(-1);
    EXPECT_EQ(light->getLightType(), -1);
    for (const KindCase& known : kinds)
        EXPECT_NE(light->getLightKind(), known.kind);
    light->setShadowType(2);
    EXPECT_EQ(light->getShadowType(), 2);
    EXPECT_FALSE(light->castsShadows());
}

// The shaders receive the kind and the shadow mode, so a change of either is a change of the light.
TEST(LightKind, AChangeOfKindOrShadowModeIsAChangeOfTheLight)
{
    auto light = makeLight(LightKind::Spot);
    unsigned long long before = light->getRevision();
    light->setLightKind(LightKind::Point);
    EXPECT_NE(light->getRevision(), before);
    before = light->getRevision();
    light->setLightType(LightNode::directionalLight);
    EXPECT_NE(light->getRevision(), before);
    before = light->getRevision();
    light->setShadowMode(ShadowMode::ShadowMap);
    EXPECT_NE(light->getRevision(), before);
}
