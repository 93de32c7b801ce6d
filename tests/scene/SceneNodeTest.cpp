#include "pellux/scene/SceneNode.h"

#include "CaptureOutput.h"

#include <gtest/gtest.h>

#include <cmath>

using Pellux::Matrix4;
using Pellux::SceneNode;
using Pellux::Vector3;

namespace
{
Matrix4 translation(float x, float y, float z)
{
    return Matrix4::translation({x, y, z});
}

std::vector<std::string> namesOf(const std::vector<SceneNode*>& nodes)
{
    std::vector<std::string> names;
    for (const SceneNode* node : nodes)
        names.push_back(node->getName());
    return names;
}

void expectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// root - a - a1, root - b, with every changed flag cleared.
class SceneNodeTree : public testing::Test
{
protected:
    SceneNodeTree()
    {
        createLoggerQuietly();
        root.addChild(&b);
        root.addChild(&a);
        a.addChild(&a1);
        clearFlags();
    }

    void clearFlags()
    {
        for (SceneNode* node : {&root, &a, &a1, &b})
            node->setChanged(false);
    }

    SceneNode root{"root"};
    SceneNode a{"a"};
    SceneNode a1{"a1"};
    SceneNode b{"b"};
};

TEST_F(SceneNodeTree, FreshNodeIsAnUntransformedVisibleSceneNode)
{
    SceneNode node("fresh");
    EXPECT_EQ(node.getName(), "fresh");
    EXPECT_EQ(node.getType(), "SceneNode");
    EXPECT_EQ(node.getParent(), nullptr);
    EXPECT_FALSE(node.isChanged());
    EXPECT_TRUE(node.isVisible());
    EXPECT_TRUE(node.drawnEarly());
    EXPECT_EQ(node.getTransform(), Matrix4::identity());
}

TEST_F(SceneNodeTree, AddingMarksTheChainUpToTheRoot)
{
    SceneNode leaf("leaf");
    a1.addChild(&leaf);
    EXPECT_EQ(leaf.getParent(), &a1);
    EXPECT_EQ(a1.getChildren().at("leaf"), &leaf);
    EXPECT_TRUE(a1.isChanged());
    EXPECT_TRUE(a.isChanged());
    EXPECT_TRUE(root.isChanged());
    EXPECT_FALSE(b.isChanged());
    EXPECT_FALSE(leaf.isChanged());
}

TEST_F(SceneNodeTree, AddingAChildThatHasAParentMovesIt)
{
    b.addChild(&a1);
    EXPECT_EQ(a1.getParent(), &b);
    EXPECT_EQ(a.getChildren().count("a1"), 0u);
    EXPECT_EQ(b.getChildren().at("a1"), &a1);
    EXPECT_TRUE(a.isChanged());
    EXPECT_TRUE(b.isChanged());
    EXPECT_TRUE(root.isChanged());
}

TEST_F(SceneNodeTree, ASecondChildOfTheSameNameDisplacesTheFirst)
{
    SceneNode other("a1");
    a.addChild(&other);
    EXPECT_EQ(a.getChildren().size(), 1u);
    EXPECT_EQ(a.getChildren().at("a1"), &other);
    EXPECT_EQ(a1.getParent(), nullptr);

    b.addChild(&a1);
    EXPECT_EQ(a.getChildren().at("a1"), &other) << "moving the displaced node must not detach its successor";
}

TEST_F(SceneNodeTree, RemovingDetachesAndMarks)
{
    a.removeChild(&a1);
    EXPECT_TRUE(a.getChildren().empty());
    EXPECT_EQ(a1.getParent(), nullptr);
    EXPECT_TRUE(root.isChanged());

    clearFlags();
    root.removeChild("b");
    EXPECT_EQ(root.getChildren().count("b"), 0u);
    EXPECT_EQ(b.getParent(), nullptr);
    EXPECT_TRUE(root.isChanged());

    clearFlags();
    root.removeChild("nobody");
    EXPECT_EQ(root.getChildren().size(), 1u);
    EXPECT_TRUE(root.isChanged());
}

TEST_F(SceneNodeTree, RemovingANodeOfTheSameNameLeavesTheChild)
{
    SceneNode impostor("a1");
    a.removeChild(&impostor);
    EXPECT_EQ(a.getChildren().at("a1"), &a1);
    EXPECT_EQ(a1.getParent(), &a);
}

TEST_F(SceneNodeTree, ANodeCannotBecomeItsOwnDescendant)
{
    std::string log = captureStdout([&] {
        a1.addChild(&root);
        a.addChild(&a);
    });
    EXPECT_EQ(root.getParent(), nullptr);
    EXPECT_EQ(a.getParent(), &root);
    EXPECT_TRUE(a1.getChildren().empty());
    EXPECT_NE(log.find("ERR:\t[ Node.h "), std::string::npos) << log;
    EXPECT_NE(log.find(")]:\tcannot add node 'root' below itself\n"), std::string::npos) << log;
}

TEST_F(SceneNodeTree, DescendantsComeDepthFirstWithChildrenByName)
{
    SceneNode a0("a0");
    SceneNode c("c");
    a.addChild(&a0);
    root.addChild(&c);
    std::vector<SceneNode*> all;
    root.collectDescendants(all);
    EXPECT_EQ(namesOf(all), (std::vector<std::string>{"a", "a0", "a1", "b", "c"}));

    std::vector<SceneNode*> none;
    a1.collectDescendants(none);
    EXPECT_TRUE(none.empty());
}

TEST_F(SceneNodeTree, WorldMatrixComposesFromTheRoot)
{
    Matrix4 rootLocal = translation(1, 2, 3);
    Matrix4 middle(0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    Matrix4 leaf = translation(5, 0, 0);
    root.setTransform(rootLocal);
    a.setTransform(middle);
    a1.setTransform(leaf);
    EXPECT_EQ(a1.getWorldMatrix(), rootLocal * middle * leaf);
    EXPECT_EQ(a1.getWorldPosition(), Vector3(1, 7, 3));
    EXPECT_EQ(a1.getPosition(), Vector3(5, 0, 0));
    EXPECT_FALSE(root.isChanged()) << "transforms are no structural change";
}

TEST_F(SceneNodeTree, DirectionIsTheWorldMinusZAxis)
{
    EXPECT_EQ(a1.getWorldDirection(), Vector3(0, 0, -1));
    a.setTransform(Matrix4(0, 0, 1, 7, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 1));
    EXPECT_EQ(a1.getWorldDirection(), Vector3(-1, 0, 0));
}

TEST_F(SceneNodeTree, ViewMatrixUndoesTheWorldMatrix)
{
    root.setTransform(translation(4, 5, 6));
    a1.lookAt(1, 2, 3);
    Matrix4 product = a1.getViewMatrix() * a1.getWorldMatrix();
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            EXPECT_NEAR(product(row, col), row == col ? 1.0f : 0.0f, 1e-5f);
}

TEST_F(SceneNodeTree, LookAtTurnsMinusZTowardsTheTargetInPlace)
{
    struct LookCase { Vector3 position; Vector3 target; };
    const LookCase cases[] = {
        {{0, 0, 0}, {0, 0, -5}},
        {{1, 2, 3}, {4, 6, 3}},
        {{1, 2, 3}, {1, 10, 3}},
        {{1, 2, 3}, {1, -10, 3}},
        {{-3, 0, 2}, {5, 1, -7}},
    };
    for (const LookCase& look : cases)
    {
        SceneNode node("camera");
        node.setTransform(translation(look.position.x, look.position.y, look.position.z));
        node.lookAt(look.target.x, look.target.y, look.target.z);
        EXPECT_EQ(node.getPosition(), look.position);
        expectNear(node.getWorldDirection(), (look.target - look.position).normalized());
        Matrix4 frame = node.getTransform();
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                EXPECT_TRUE(std::isfinite(frame(row, col)));
        EXPECT_NEAR(std::fabs(frame.determinant()), 1.0f, 1e-5f);
    }
}

TEST_F(SceneNodeTree, LookAtKeepsUpUpWhenItCan)
{
    SceneNode node("camera");
    node.lookAt(10, 0, 0);
    expectNear(node.getTransform().transformPoint({0, 1, 0}), {0, 1, 0});
    expectNear(node.getTransform().transformPoint({1, 0, 0}), {0, 0, 1});
}
}
